#pragma once

#include <string>
#include <vector>

namespace larkspan {

class CellTable;

// The operating-system table of a report run ("syss/agntos.lklf"): per row
// a text to look for in a user-agent text and the system's name; several
// rows may share a name.
class OperatingSystemTable {
  public:
    struct Row {
        std::string marker;
        std::string name;
    };

    // A file that is missing or unreadable leaves the table empty, silently.
    void load(const std::string& path);
    void assign(const CellTable& table);
    void addRow(std::string marker, std::string name) { rows_.push_back({std::move(marker), std::move(name)}); }

    const std::vector<Row>& rows() const { return rows_; }

  private:
    std::vector<Row> rows_;
};

} // namespace larkspan
