#include "reports/RankedBuild.h"

#include "common/Error.h"
#include "common/NumberPattern.h"
#include "common/SortRule.h"
#include "common/Text.h"
#include "reports/NoDataError.h"

#include <algorithm>

namespace larkspan {

void sortLines(std::vector<ReportLine>& lines, std::size_t column, bool descending)
{
    std::vector<const TextRow*> view;
    view.reserve(lines.size());
    for (const auto& line : lines)
        view.push_back(&line.cells);
    applyOrder(lines, sortRuleOrder(view, column, descending));
}

void dashToUnknown(std::vector<ReportLine>& lines)
{
    for (auto& line : lines)
        if (text::iequals(line.cell(0), "-")) line.set(0, "Unknown");
}

std::string percentText(double count, double total, const char* pattern)
{
    return formatNumber(total != 0 ? count / total * 100.0 : 0.0, pattern);
}

long long countValue(const std::string& cell)
{
    long long value = 0;
    return text::parseInteger(cell, value) ? value : 0;
}

void applyTopN(ReportGrid& grid, const std::string& maxrows)
{
    if (maxrows == "ALL") return;
    long long n = 0;
    if (!text::parseInteger(text::trim(maxrows), n)) throw Error("'" + maxrows + "' is not a valid integer value");
    if (n < 0) n = 0;
    grid.keepDetails(static_cast<std::size_t>(n));
}

RankedResult finishRanked(ReportGrid& grid, std::vector<ReportLine> lines, const std::string& maxrows, long long total,
                          const RankedSummary& summary)
{
    std::erase_if(lines, [](const ReportLine& line) { return line.cell(0).empty(); });
    grid.appendLines(std::move(lines));
    if (grid.detailCount() == 0) throw NoDataError(kNoDataForReport);

    RankedResult result;
    result.unique = grid.detailCount();
    applyTopN(grid, maxrows);
    for (const auto& line : grid.details())
        result.shownSum += countValue(line.cell(summary.countColumn));
    result.shownRows = grid.detailCount();

    grid.setCell(
        0, 4,
        std::to_string(result.shownSum) + summary.firstNoun + std::to_string(result.shownRows) +
            formatNumber(static_cast<double>(result.unique), summary.uniquePattern) +
            percentText(static_cast<double>(result.shownSum), static_cast<double>(total), "##0.### % of all ") +
            std::to_string(total) + summary.secondNoun);
    return result;
}

void setTemplateAndChart(ReportGrid& grid, const std::string& html, const char* valueColumn, const char* labelColumn,
                         const char* extraColumn, const char* kind)
{
    grid.setCell(0, 5, html);
    grid.setCell(3, 5, "-1");
    grid.setCell(1, 9, valueColumn);
    grid.setCell(2, 9, labelColumn);
    grid.setCell(3, 9, extraColumn);
    grid.setCell(4, 9, kind);
}

} // namespace larkspan
