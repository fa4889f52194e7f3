#pragma once

#include <string>
#include <vector>

namespace larkspan {

// A rectangular table of text cells with the text file format shared by
// profiles and the search-engine and operating-system tables:
//   "cols,rows", then "cw <col>,<width>" per column, then "col,row,text"
//   for every non-empty cell, row by row. Cells holding a CR are written with
//   CR -> TAB and LF -> BS; a reader finding a BS turns them back.
class CellTable {
public:
    CellTable() = default;
    CellTable(int columns, int rows);

    int columnCount() const { return columns_; }
    int rowCount() const { return rows_; }
    // Keeps the cells that still fit; new cells are empty.
    void resize(int columns, int rows);
    void clear() { resize(columns_, 0); }

    const std::string& cell(int column, int row) const;
    void setCell(int column, int row, std::string text);

    int columnWidth(int column) const;
    void setColumnWidth(int column, int width);

    // Throws Error("Cannot open file <path>") or
    // Error("File contains no data or corrupt file <path>").
    void load(const std::string& path);
    // The same, answering false instead of throwing; the table is then empty.
    bool loadIfReadable(const std::string& path);
    // Throws Error("Cannot create <path>").
    void save(const std::string& path) const;

    // The file text without touching the disk (used by load/save and tests).
    void parse(const std::string& content, const std::string& pathForMessages);
    std::string serialize() const;

private:
    int columns_ = 0;
    int rows_ = 0;
    std::vector<std::string> cells_;  // row-major
    std::vector<int> widths_;
};

}  // namespace larkspan
