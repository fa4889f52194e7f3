#pragma once

#include "reports/ReportGrid.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace larkspan {

// Sorts report lines by one column with the report sort rule (common/SortRule.h):
// counts numerically, equal counts by the case-insensitive order of the whole
// line, lines equal in every cell (ignoring case) written once.
void sortLines(std::vector<ReportLine>& lines, std::size_t column, bool descending);

// Every first-column value "-" (in any case) becomes "Unknown".
void dashToUnknown(std::vector<ReportLine>& lines);
// The same for one first-column text.
std::string_view unknownForDash(std::string_view firstCell);

// count / total * 100 with the pattern (default "##0.0##%").
std::string percentText(double count, double total, const char* pattern = "##0.0##%");

// The percentage texts of counts against one total, each made once: a
// ranking reads a row's cells many times, and counts repeat.
class PercentTexts {
  public:
    explicit PercentTexts(long long total, const char* pattern = "##0.0##%") : total_(total), pattern_(pattern) {}
    // percentText(count, total, pattern); the view lives as long as this object.
    // A count met before is only looked up: once every count a ranking
    // reads has been met, threads may read them at once.
    std::string_view of(long long count);

  private:
    long long total_;
    const char* pattern_;
    std::unordered_map<long long, std::string> texts_;
};

// A count's decimal text, written into scratch.
std::string_view countText(long long count, std::string& scratch);

// Reads a count cell: a whole number, else 0.
long long countValue(const std::string& cell);

// The texts of a ranked report's summary line.
struct RankedSummary {
    std::string firstNoun;  // " Page views<br>"
    std::string secondNoun; // " Page views"
    std::string uniquePattern = " of #,### Unique Shown<br>";
    std::size_t countColumn = 1;
};

struct RankedResult {
    long long shownSum = 0;
    long long shownRows = 0;
    long long unique = 0;
};

// Appends the sorted lines below row 9, drops the rows with an empty first
// column, raises NoDataError "No Data for Report" when none is left, applies
// the top-N limit of maxrows (Error when it is neither "ALL" nor a whole
// number) and writes the summary line into row 4 column 0.
RankedResult finishRanked(ReportGrid& grid, std::vector<ReportLine> lines, const std::string& maxrows, long long total,
                          const RankedSummary& summary);

// The top-N step alone: keeps the first maxrows detail rows unless "ALL".
void applyTopN(ReportGrid& grid, const std::string& maxrows);
// The number of rows maxrows lets a report show: std::nullopt for "ALL";
// Error when it is neither "ALL" nor a whole number.
std::optional<std::size_t> topCount(const std::string& maxrows);

// The rows of a ranked report before they are lines: cell() gives the text
// a line of the row would hold in each column (cellCount columns), so rows
// are ranked by the report sort rule and only the rows shown become lines.
template <class CellOf> class RankedCells final : public SortCells {
  public:
    // twoThreads: cellOf may run on two threads at once (it reads only
    // what stays put during the ranking, and PercentTexts it has filled).
    // keysDistinct: a cell holds each row's key in a keyed list, unique
    // without regard to case (see SortCells::keysDistinct).
    RankedCells(std::size_t rows, std::size_t cells, CellOf cellOf, bool twoThreads = false, bool keysDistinct = false)
        : rows_(rows), cells_(cells), cellOf_(std::move(cellOf)), twoThreads_(twoThreads), keysDistinct_(keysDistinct)
    {
    }
    std::size_t rowCount() const override { return rows_; }
    std::size_t cellCount(std::size_t) const override { return cells_; }
    std::string_view cell(std::size_t row, std::size_t column, std::string& scratch) const override
    {
        return cellOf_(row, column, scratch);
    }
    bool readableFromTwoThreads() const override { return twoThreads_; }
    bool keysDistinct() const override { return keysDistinct_; }

  private:
    std::size_t rows_;
    std::size_t cells_;
    CellOf cellOf_;
    bool twoThreads_;
    bool keysDistinct_;
};

// Markup a shown line gets besides its cells (a link, broken lines).
using LineMarkup = std::function<void(ReportLine&)>;

// Ranks rows by column (descending), drops those with an empty first cell
// (NoDataError when none is left) and writes the lines of the rows the top-N
// limit shows into the grid; returns the number of rows ranked.
long long appendRankedRows(ReportGrid& grid, const SortCells& rows, std::size_t column, const std::string& maxrows,
                           const LineMarkup& markup = {});

// finishRanked over rows not yet written as lines: ranks them by column
// (descending), then drops the rows with an empty first cell, applies the
// top-N limit and writes lines for the rows shown only. The grid comes out
// exactly as sortLines + finishRanked would leave it.
RankedResult finishRankedRows(ReportGrid& grid, const SortCells& rows, std::size_t column, const std::string& maxrows,
                              long long total, const RankedSummary& summary, const LineMarkup& markup = {});

// Row 5: the adapted template with no first-column cut; row 9 columns 1-4.
void setTemplateAndChart(ReportGrid& grid, const std::string& html, const char* valueColumn, const char* labelColumn,
                         const char* extraColumn, const char* kind);

} // namespace larkspan
