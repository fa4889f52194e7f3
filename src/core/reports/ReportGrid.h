#pragma once

#include "common/SortRule.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace larkspan {

// Log text made safe for a page: &, <, >, " and ' escaped (text without them
// is returned as it is, which is most of it).
std::string escapeLogText(std::string_view text);
// The same, appended to out.
void appendEscapedLogText(std::string& out, std::string_view text);

// One line of a report: the text of each column as the report rules define it
// (what CSV files show, what sorting and totals read), and for the columns a
// builder composed markup for, the HTML form of that column. Every column
// without an HTML form holds plain text that is escaped when it enters a page.
struct ReportLine {
    TextRow cells;
    std::vector<std::optional<std::string>> html;

    ReportLine() = default;
    explicit ReportLine(TextRow values) : cells(std::move(values)) {}

    // Empty text for a column the line does not have.
    const std::string& cell(std::size_t column) const;
    void set(std::size_t column, std::string text);
    // Sets a column's text together with the markup the page shows for it.
    void setWithMarkup(std::size_t column, std::string text, std::string markup);
    const std::string* markup(std::size_t column) const;
};

// The report grid: header rows 0 to 9 (texts, column heads, summary row,
// templates, chart row) and one detail row per report line from row 10.
// At least five columns; appending wider lines widens it.
class ReportGrid {
  public:
    static constexpr int kFirstDetailRow = 10;
    static constexpr int kHeaderRows = 10;

    ReportGrid();

    int columnCount() const { return columns_; }
    int rowCount() const { return kHeaderRows + static_cast<int>(details_.size()); }
    int detailCount() const { return static_cast<int>(details_.size()); }

    // Drops every detail row and empties the header rows.
    void reset();

    // Empty text for a cell outside the grid.
    const std::string& cell(int column, int row) const;
    // Grows the grid when the cell lies outside it.
    void setCell(int column, int row, std::string text);

    // The HTML form of a cell: the builder's markup, or the text escaped.
    std::string htmlCell(int column, int row) const;
    // The same, appended to out.
    void appendHtmlCell(std::string& out, int column, int row) const;
    // The builder's markup of a detail cell, or nullptr for plain text.
    const std::string* markup(int column, int row) const;

    std::vector<ReportLine>& details() { return details_; }
    const std::vector<ReportLine>& details() const { return details_; }
    // Appends lines below the last row, widening the grid to the widest line.
    void appendLines(std::vector<ReportLine> lines);
    // Keeps the first n detail rows.
    void keepDetails(std::size_t n);
    // At least columns columns, as if a line that wide had been appended.
    void widenTo(int columns) { columns_ = std::max(columns_, columns); }

  private:
    int columns_ = 5;
    std::vector<TextRow> header_;
    std::vector<ReportLine> details_;
};

} // namespace larkspan
