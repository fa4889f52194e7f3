#include "common/KeyValueTable.h"

#include "common/Text.h"

namespace larkspan {

bool readBooleanText(const std::string& value)
{
    using text::iequals;
    return iequals(value, "TRUE") || iequals(value, "YES") || iequals(value, "Y") || iequals(value, "T") ||
           value == "1";
}

const char* booleanText(bool value) { return value ? "TRUE" : "FALSE"; }

KeyValueTable::KeyValueTable() : table_(2, 0)
{
    table_.setColumnWidth(0, kKeyWidth);
    table_.setColumnWidth(1, kValueWidth);
}

void KeyValueTable::load(const std::string& path)
{
    CellTable loaded;
    loaded.load(path);
    if (loaded.columnCount() < 2) loaded.resize(2, loaded.rowCount());
    table_ = std::move(loaded);
}

void KeyValueTable::save(const std::string& path) const
{
    CellTable written = table_;
    written.setColumnWidth(0, kKeyWidth);
    written.setColumnWidth(1, kValueWidth);
    written.save(path);
}

int KeyValueTable::find(const std::string& key) const
{
    for (int row = 0; row < table_.rowCount(); ++row)
        if (text::iequals(table_.cell(0, row), key)) return row;
    return -1;
}

std::string KeyValueTable::getText(const std::string& key) const
{
    const int row = find(key);
    return row < 0 ? std::string() : table_.cell(1, row);
}

bool KeyValueTable::getBoolean(const std::string& key) const { return readBooleanText(getText(key)); }

std::optional<long long> KeyValueTable::getInteger(const std::string& key) const
{
    const int row = find(key);
    if (row < 0) return 0;
    long long value = 0;
    if (!text::parseInteger(table_.cell(1, row), value)) return std::nullopt;
    return value;
}

void KeyValueTable::setText(const std::string& key, const std::string& value)
{
    int row = find(key);
    if (row < 0) {
        row = table_.rowCount();
        table_.resize(2, row + 1);
        table_.setCell(0, row, key);
    }
    table_.setCell(1, row, value);
}

void KeyValueTable::setBoolean(const std::string& key, bool value) { setText(key, booleanText(value)); }

void KeyValueTable::setInteger(const std::string& key, long long value) { setText(key, std::to_string(value)); }

}  // namespace larkspan
