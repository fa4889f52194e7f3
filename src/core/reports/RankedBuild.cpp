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

std::string_view unknownForDash(std::string_view firstCell)
{
    return firstCell == "-" ? std::string_view("Unknown") : firstCell;
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

std::optional<std::size_t> topCount(const std::string& maxrows)
{
    if (maxrows == "ALL") return std::nullopt;
    long long n = 0;
    if (!text::parseInteger(text::trim(maxrows), n)) throw Error("'" + maxrows + "' is not a valid integer value");
    return static_cast<std::size_t>(n < 0 ? 0 : n);
}

void applyTopN(ReportGrid& grid, const std::string& maxrows)
{
    if (const auto n = topCount(maxrows)) grid.keepDetails(*n);
}

namespace {

// Row 4 column 0 of a ranked report, from the detail rows left in the grid.
RankedResult writeRankedSummary(ReportGrid& grid, long long unique, long long total, const RankedSummary& summary)
{
    RankedResult result;
    result.unique = unique;
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

} // namespace

RankedResult finishRanked(ReportGrid& grid, std::vector<ReportLine> lines, const std::string& maxrows, long long total,
                          const RankedSummary& summary)
{
    std::erase_if(lines, [](const ReportLine& line) { return line.cell(0).empty(); });
    grid.appendLines(std::move(lines));
    if (grid.detailCount() == 0) throw NoDataError(kNoDataForReport);
    const long long unique = grid.detailCount();
    applyTopN(grid, maxrows);
    return writeRankedSummary(grid, unique, total, summary);
}

long long appendRankedRows(ReportGrid& grid, const SortCells& rows, std::size_t column, const std::string& maxrows,
                           const LineMarkup& markup)
{
    std::vector<std::size_t> order = sortRuleOrder(rows, column, true);
    std::string scratch;
    std::erase_if(order, [&](std::size_t row) { return rows.cell(row, 0, scratch).empty(); });
    if (order.empty()) throw NoDataError(kNoDataForReport);
    const std::size_t shown = std::min(order.size(), topCount(maxrows).value_or(order.size()));

    std::vector<ReportLine> lines(shown);
    for (std::size_t i = 0; i < shown; ++i) {
        const std::size_t row = order[i];
        TextRow& cells = lines[i].cells;
        cells.resize(rows.cellCount(row));
        for (std::size_t c = 0; c < cells.size(); ++c)
            cells[c] = rows.cell(row, c, scratch);
        if (markup) markup(lines[i]);
    }
    // The lines not shown would have widened the grid all the same.
    for (const std::size_t row : order)
        grid.widenTo(static_cast<int>(rows.cellCount(row)));
    grid.appendLines(std::move(lines));
    return static_cast<long long>(order.size());
}

RankedResult finishRankedRows(ReportGrid& grid, const SortCells& rows, std::size_t column, const std::string& maxrows,
                              long long total, const RankedSummary& summary, const LineMarkup& markup)
{
    const long long unique = appendRankedRows(grid, rows, column, maxrows, markup);
    return writeRankedSummary(grid, unique, total, summary);
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
