#pragma once

#include "reports/ReportGrid.h"

#include <string>
#include <vector>

namespace larkspan {

// Sorts report lines by one column with the report sort rule (common/SortRule.h):
// counts numerically, equal counts by the case-insensitive order of the whole
// line, lines equal in every cell (ignoring case) written once.
void sortLines(std::vector<ReportLine>& lines, std::size_t column, bool descending);

// Every first-column value "-" (in any case) becomes "Unknown".
void dashToUnknown(std::vector<ReportLine>& lines);

// count / total * 100 with the pattern (default "##0.0##%").
std::string percentText(double count, double total, const char* pattern = "##0.0##%");

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

// Row 5: the adapted template with no first-column cut; row 9 columns 1-4.
void setTemplateAndChart(ReportGrid& grid, const std::string& html, const char* valueColumn, const char* labelColumn,
                         const char* extraColumn, const char* kind);

} // namespace larkspan
