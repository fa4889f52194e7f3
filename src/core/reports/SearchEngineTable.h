#pragma once

#include <string>
#include <vector>

#include "reports/CountedText.h"

namespace larkspan {

class CellTable;

// The search-engine table of a report run ("syss/seng.lklf"): per row the
// text marking a referring URL as the engine's, the parameter texts that
// introduce the search words (";"-separated), the engine's name, and what
// the search-engine report collected this run.
class SearchEngineTable {
  public:
    struct Row {
        std::string marker;
        std::string parameters;
        std::string name;
        // Collected by tally(): empty referrals means the row matched nothing.
        std::string referrals;
        std::string keywords; // single keywords joined with ","
        std::string phrases;  // phrases (words joined with "+") joined with ","
    };

    // A file that is missing or unreadable leaves the table empty, silently.
    void load(const std::string& path);
    // Reads every column of the run's table, collected columns included.
    void assign(const CellTable& table);
    // Writes the collected columns (3 to 5) back into the run's table.
    void writeCollected(CellTable& table) const;
    void addRow(std::string marker, std::string parameters, std::string name);

    const std::vector<Row>& rows() const { return rows_; }
    bool empty() const { return rows_.empty(); }

    // Clears the collected columns and fills them from the referring URLs:
    // each URL containing a row's marker (ignoring case) adds its count to
    // the row's referrals and its search words once to the row's keywords or
    // phrases. A URL matching several rows counts for each of them.
    void tally(const CountedTextList& referrers);

  private:
    std::vector<Row> rows_;
};

} // namespace larkspan
