#include "reports/ReportGrid.h"

#include "common/Text.h"

#include <algorithm>

namespace larkspan {

namespace {
const std::string kEmpty;
}

std::string escapeLogText(std::string_view s)
{
    if (s.find_first_of("&<>\"'") == std::string_view::npos) return std::string(s);
    return text::htmlEscape(s);
}

void appendEscapedLogText(std::string& out, std::string_view s)
{
    text::appendHtmlEscaped(out, s);
}

const std::string& ReportLine::cell(std::size_t column) const
{
    return column < cells.size() ? cells[column] : kEmpty;
}

void ReportLine::set(std::size_t column, std::string text)
{
    if (column >= cells.size()) cells.resize(column + 1);
    cells[column] = std::move(text);
    if (column < html.size()) html[column].reset();
}

void ReportLine::setWithMarkup(std::size_t column, std::string text, std::string markupText)
{
    set(column, std::move(text));
    if (column >= html.size()) html.resize(column + 1);
    html[column] = std::move(markupText);
}

const std::string* ReportLine::markup(std::size_t column) const
{
    if (column < html.size() && html[column]) return &*html[column];
    return nullptr;
}

ReportGrid::ReportGrid()
{
    reset();
}

void ReportGrid::reset()
{
    details_.clear();
    header_.assign(kHeaderRows, TextRow(static_cast<std::size_t>(columns_)));
}

const std::string& ReportGrid::cell(int column, int row) const
{
    if (column < 0 || row < 0) return kEmpty;
    const auto c = static_cast<std::size_t>(column);
    if (row < kHeaderRows) {
        const TextRow& r = header_[static_cast<std::size_t>(row)];
        return c < r.size() ? r[c] : kEmpty;
    }
    const auto d = static_cast<std::size_t>(row - kHeaderRows);
    return d < details_.size() ? details_[d].cell(c) : kEmpty;
}

void ReportGrid::setCell(int column, int row, std::string text)
{
    if (column < 0 || row < 0) return;
    columns_ = std::max(columns_, column + 1);
    const auto c = static_cast<std::size_t>(column);
    if (row < kHeaderRows) {
        TextRow& r = header_[static_cast<std::size_t>(row)];
        if (c >= r.size()) r.resize(c + 1);
        r[c] = std::move(text);
        return;
    }
    const auto d = static_cast<std::size_t>(row - kHeaderRows);
    if (d >= details_.size()) details_.resize(d + 1);
    details_[d].set(c, std::move(text));
}

const std::string* ReportGrid::markup(int column, int row) const
{
    if (column < 0 || row < kHeaderRows) return nullptr;
    const auto d = static_cast<std::size_t>(row - kHeaderRows);
    return d < details_.size() ? details_[d].markup(static_cast<std::size_t>(column)) : nullptr;
}

void ReportGrid::appendHtmlCell(std::string& out, int column, int row) const
{
    if (const std::string* m = markup(column, row))
        out += *m;
    else if (row < kHeaderRows)
        out += cell(column, row);
    else
        appendEscapedLogText(out, cell(column, row));
}

std::string ReportGrid::htmlCell(int column, int row) const
{
    if (const std::string* m = markup(column, row)) return *m;
    // Header rows hold the program's own texts and markup (summary lines
    // carry line breaks); detail rows hold log text unless marked.
    if (row < kHeaderRows) return cell(column, row);
    return escapeLogText(cell(column, row));
}

void ReportGrid::appendLines(std::vector<ReportLine> lines)
{
    for (const auto& line : lines)
        columns_ = std::max(columns_, static_cast<int>(line.cells.size()));
    if (details_.empty()) {
        details_ = std::move(lines);
        return;
    }
    details_.reserve(details_.size() + lines.size());
    for (auto& line : lines)
        details_.push_back(std::move(line));
}

void ReportGrid::keepDetails(std::size_t n)
{
    if (details_.size() > n) details_.resize(n);
}

} // namespace larkspan
