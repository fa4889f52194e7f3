#pragma once

#include "common/CellTable.h"

#include <optional>
#include <string>

namespace larkspan {

// Reads boolean text: true for TRUE, YES, Y, T or 1 in any case.
bool readBooleanText(const std::string& value);
// Writes "TRUE" or "FALSE".
const char* booleanText(bool value);

// A two-column cell table read and written by key: column 0 the key,
// column 1 the value. Keys compare without regard to case, the first
// matching row wins, and setting a missing key appends a row, so unknown
// rows and the order in which keys first entered survive a load and save.
class KeyValueTable {
public:
    static constexpr int kKeyWidth = 106;
    static constexpr int kValueWidth = 357;

    KeyValueTable();

    // Throws the cell-table reader's errors.
    void load(const std::string& path);
    void save(const std::string& path) const;

    int rowCount() const { return table_.rowCount(); }
    const std::string& keyAt(int row) const { return table_.cell(0, row); }
    const std::string& valueAt(int row) const { return table_.cell(1, row); }
    // Row of the first case-insensitive match, or -1.
    int find(const std::string& key) const;

    std::string getText(const std::string& key) const;
    bool getBoolean(const std::string& key) const;
    // Missing key reads 0; a value that is not an integer is std::nullopt.
    std::optional<long long> getInteger(const std::string& key) const;

    void setText(const std::string& key, const std::string& value);
    void setBoolean(const std::string& key, bool value);
    void setInteger(const std::string& key, long long value);

    const CellTable& cells() const { return table_; }
    CellTable& cells() { return table_; }

private:
    CellTable table_;
};

}  // namespace larkspan
