#include "common/CellTable.h"

#include "common/Error.h"
#include "common/Text.h"
#include "common/TextFile.h"

#include <algorithm>
#include <exception>

namespace larkspan {

namespace {
const std::string kEmpty;
constexpr int kDefaultWidth = 64;
// The grid is allocated whole from the size line, so a few corrupt bytes
// ("6,5555555") must not claim gigabytes. The program's own tables (profiles,
// search engines, operating systems) hold a few thousand cells.
constexpr long long kMaxCells = 1000000;

std::string encodeLineBreaks(const std::string& s)
{
    if (s.find('\r') == std::string::npos) return s;
    std::string out(s);
    for (char& c : out) {
        if (c == '\r') c = '\t';
        else if (c == '\n') c = '\b';
    }
    return out;
}

std::string decodeLineBreaks(std::string s)
{
    if (s.find('\b') == std::string::npos) return s;
    for (char& c : s) {
        if (c == '\t') c = '\r';
        else if (c == '\b') c = '\n';
    }
    return s;
}

bool parseIndex(const std::string& s, long long& value)
{
    return text::parseInteger(text::trim(s), value);
}
}  // namespace

CellTable::CellTable(int columns, int rows) { resize(columns, rows); }

void CellTable::resize(int columns, int rows)
{
    columns = std::max(columns, 0);
    rows = std::max(rows, 0);
    std::vector<std::string> cells(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows));
    for (int r = 0; r < std::min(rows, rows_); ++r)
        for (int c = 0; c < std::min(columns, columns_); ++c)
            cells[static_cast<std::size_t>(r) * columns + c] = std::move(cells_[static_cast<std::size_t>(r) * columns_ + c]);
    cells_.swap(cells);
    widths_.resize(static_cast<std::size_t>(columns), kDefaultWidth);
    columns_ = columns;
    rows_ = rows;
}

const std::string& CellTable::cell(int column, int row) const
{
    if (column < 0 || row < 0 || column >= columns_ || row >= rows_) return kEmpty;
    return cells_[static_cast<std::size_t>(row) * columns_ + column];
}

void CellTable::setCell(int column, int row, std::string text)
{
    if (column < 0 || row < 0) return;
    if (column >= columns_ || row >= rows_) resize(std::max(columns_, column + 1), std::max(rows_, row + 1));
    cells_[static_cast<std::size_t>(row) * columns_ + column] = std::move(text);
}

int CellTable::columnWidth(int column) const
{
    return column >= 0 && column < columns_ ? widths_[static_cast<std::size_t>(column)] : kDefaultWidth;
}

void CellTable::setColumnWidth(int column, int width)
{
    if (column >= 0 && column < columns_) widths_[static_cast<std::size_t>(column)] = width;
}

void CellTable::parse(const std::string& content, const std::string& pathForMessages)
{
    const std::vector<std::string> lines = text::splitLines(content);
    const std::string corrupt = "File contains no data or corrupt file " + pathForMessages;
    if (lines.empty()) throw Error(corrupt);
    if (!lines[0].empty()) {
        const std::size_t comma = lines[0].find(',');
        long long columns = 0;
        long long rows = 0;
        if (comma == std::string::npos || !parseIndex(lines[0].substr(0, comma), columns) ||
            !parseIndex(lines[0].substr(comma + 1), rows) || columns <= 0 || rows <= 0 ||
            columns > 100000 || rows > kMaxCells / columns)
            throw Error(corrupt);
        columns_ = rows_ = 0;
        cells_.clear();
        widths_.clear();
        resize(static_cast<int>(columns), static_cast<int>(rows));
    }
    if (columns_ <= 0 || rows_ <= 0) throw Error(corrupt);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        const bool widthLine = line.rfind("cw", 0) == 0;
        const std::size_t first = line.find(',');
        if (first == std::string::npos) continue;
        if (widthLine) {
            long long column = 0, width = 0;
            if (parseIndex(line.substr(2, first - 2), column) && parseIndex(line.substr(first + 1), width) &&
                column < columns_ && column >= 0)
                widths_[static_cast<std::size_t>(column)] = static_cast<int>(width);
            continue;
        }
        const std::size_t second = line.find(',', first + 1);
        if (second == std::string::npos) continue;
        long long column = 0, row = 0;
        if (!parseIndex(line.substr(0, first), column) || !parseIndex(line.substr(first + 1, second - first - 1), row))
            continue;
        if (column < 0 || row < 0 || column >= columns_ || row >= rows_) continue;
        cells_[static_cast<std::size_t>(row) * columns_ + column] = decodeLineBreaks(line.substr(second + 1));
    }
}

// A cell whose text holds a lone LF (no CR) keeps it; the line reader would
// split there, so such cells are written with the CR/LF encoding as well.
std::string CellTable::serialize() const
{
    std::string out = std::to_string(columns_) + "," + std::to_string(rows_) + "\r\n";
    for (int c = 0; c < columns_; ++c)
        out += "cw " + std::to_string(c) + "," + std::to_string(widths_[static_cast<std::size_t>(c)]) + "\r\n";
    for (int r = 0; r < rows_; ++r) {
        for (int c = 0; c < columns_; ++c) {
            const std::string& value = cells_[static_cast<std::size_t>(r) * columns_ + c];
            if (value.empty()) continue;
            std::string encoded = encodeLineBreaks(value);
            if (encoded.find('\n') != std::string::npos) {
                for (char& ch : encoded)
                    if (ch == '\n') ch = '\b';
            }
            out += std::to_string(c) + "," + std::to_string(r) + "," + encoded + "\r\n";
        }
    }
    return out;
}

void CellTable::load(const std::string& path)
{
    std::string content;
    if (!readWholeFile(path, content)) throw Error("Cannot open file " + path);
    parse(content, path);
}

bool CellTable::loadIfReadable(const std::string& path)
{
    try {
        load(path);
        return true;
    } catch (const std::exception&) {
        *this = CellTable();
        return false;
    }
}

void CellTable::save(const std::string& path) const
{
    if (!writeWholeFile(path, serialize())) throw Error("Cannot create " + path);
}

}  // namespace larkspan
