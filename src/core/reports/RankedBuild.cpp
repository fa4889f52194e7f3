#include "reports/RankedBuild.h"

#include "common/Error.h"
#include "common/NumberPattern.h"
#include "common/SortRule.h"
#include "common/Text.h"
#include "common/WorkerThreads.h"
#include "reports/NoDataError.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <stdexcept>

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

std::string_view PercentTexts::of(long long count)
{
    if (const auto known = texts_.find(count); known != texts_.end()) return known->second;
    auto [it, added] = texts_.try_emplace(count);
    if (added) it->second = percentText(static_cast<double>(count), static_cast<double>(total_), pattern_);
    return it->second;
}

std::string_view countText(long long count, std::string& scratch)
{
    char digits[24];
    const auto [end, error] = std::to_chars(digits, digits + sizeof digits, count);
    scratch.assign(digits, end);
    return scratch;
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

namespace {

// The rows of a ranked report that have a first cell (the others are never shown).
class ListedCells final : public SortCells {
  public:
    explicit ListedCells(const SortCells& rows) : rows_(rows)
    {
        // A ranking names its rows in 32 bits.
        if (rows.rowCount() > UINT32_MAX) throw std::length_error("too many rows to rank");
        std::vector<std::uint32_t> halves[2];
        const std::size_t middle = rows.rowCount() / 2;
        splitInTwo(rows.rowCount(), rows.readableFromTwoThreads() && rows.rowCount() >= kTwoThreadsFrom,
                   [&](std::size_t first, std::size_t last) {
                       std::vector<std::uint32_t>& listed = halves[first == 0 && last == middle ? 0 : 1];
                       std::string scratch;
                       for (std::size_t i = first; i < last; ++i)
                           if (!rows.cell(i, 0, scratch).empty()) listed.push_back(static_cast<std::uint32_t>(i));
                   });
        listed_ = std::move(halves[0]);
        listed_.insert(listed_.end(), halves[1].begin(), halves[1].end());
    }
    std::size_t rowCount() const override { return listed_.size(); }
    std::size_t cellCount(std::size_t row) const override { return rows_.cellCount(listed_[row]); }
    std::string_view cell(std::size_t row, std::size_t column, std::string& scratch) const override
    {
        return rows_.cell(listed_[row], column, scratch);
    }
    bool readableFromTwoThreads() const override { return rows_.readableFromTwoThreads(); }
    bool keysDistinct() const override { return rows_.keysDistinct(); }

  private:
    static constexpr std::size_t kTwoThreadsFrom = std::size_t{1} << 16;
    const SortCells& rows_;
    std::vector<std::uint32_t> listed_;
};

} // namespace

long long appendRankedRows(ReportGrid& grid, const SortCells& all, std::size_t column, const std::string& maxrows,
                           const LineMarkup& markup)
{
    const ListedCells rows(all);
    if (rows.rowCount() == 0) throw NoDataError(kNoDataForReport);
    const std::optional<std::size_t> limit = topCount(maxrows);
    std::size_t unique = 0;
    std::vector<std::size_t> order;
    if (limit && *limit < rows.rowCount()) {
        order = sortRuleTop(rows, column, true, *limit, unique);
    } else {
        order = sortRuleOrder(rows, column, true);
        unique = order.size();
    }

    std::vector<ReportLine> lines(order.size());
    std::string scratch;
    for (std::size_t i = 0; i < order.size(); ++i) {
        TextRow& cells = lines[i].cells;
        cells.resize(rows.cellCount(order[i]));
        for (std::size_t c = 0; c < cells.size(); ++c)
            cells[c] = rows.cell(order[i], c, scratch);
        if (markup) markup(lines[i]);
    }
    // The lines not shown would have widened the grid all the same.
    for (std::size_t i = 0; i < rows.rowCount(); ++i)
        grid.widenTo(static_cast<int>(rows.cellCount(i)));
    grid.appendLines(std::move(lines));
    return static_cast<long long>(unique);
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
