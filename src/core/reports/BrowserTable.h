#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/TextPatternSet.h"

namespace larkspan {

class CellTable;

// The browser table of a report run ("syss/browsers.lklf"): per row a text
// to look for in a stored user-agent text (blanks written as "+"), the
// browser family it names, and whether that family is a robot (column 2,
// boolean text). Rows are tried in file order and the first match wins, so
// the table lists the agents that also carry other browsers' tokens first
// (Edge and Opera before Chrome, Chrome before Safari).
class BrowserTable {
  public:
    struct Row {
        std::string marker; // lower case
        std::string family;
        bool robot = false;
    };

    // A file that is missing or unreadable leaves the table empty, silently.
    void load(const std::string& path);
    void assign(const CellTable& table);
    void addRow(std::string_view marker, std::string family, bool robot = false);

    // The first row whose text the agent contains (ignoring case), or null.
    const Row* match(std::string_view agent) const;
    bool empty() const { return rows_.empty(); }
    const std::vector<Row>& rows() const { return rows_; }

  private:
    void appendRow(std::string_view marker, std::string family, bool robot);
    void indexMarkers();

    std::vector<Row> rows_;
    // The rows' markers in row order, shared by the table's copies.
    std::shared_ptr<const TextPatternSet> markers_ = std::make_shared<TextPatternSet>();
};

} // namespace larkspan
