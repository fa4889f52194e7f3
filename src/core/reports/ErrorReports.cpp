#include "analysis/StatisticsTable.h"
#include "common/NumberPattern.h"
#include "common/Text.h"
#include "reports/NoDataError.h"
#include "reports/PageReports.h"
#include "reports/RankedBuild.h"
#include "reports/ReportGrid.h"
#include "reports/ReportGridStart.h"
#include "reports/ReportTemplates.h"
#include "reports/StatusCodeDescription.h"
#include "reports/TemplateCells.h"

namespace larkspan {

namespace {

using analysis::CountRow;
using analysis::CountRows;
using analysis::StatList;

// An error list's counter; an unreadable cell reads -2 here.
long long errorCounter(const analysis::StatisticsTable& stats, StatList list)
{
    return stats.counter(list).value_or(-2);
}

long long sumOf(const CountRows& rows)
{
    long long total = 0;
    for (const CountRow& row : rows)
        total += row.count;
    return total;
}

// The description of a status followed by every address that got it, each
// as a small link on a line of its own. The text holds the addresses as
// logged, the markup escapes them.
void describeWithAddresses(ReportLine& line, const std::string& description,
                           const analysis::ErrorAddressList* addresses)
{
    if (!addresses) {
        line.set(0, description);
        return;
    }
    std::string textForm = description;
    std::string markup = text::htmlEscape(description);
    for (const std::string& key : addresses->keys) {
        if (key.empty()) continue;
        const char* open = R"(<br>&nbsp;&nbsp;&nbsp;<font size="-2"><a href="http://)";
        textForm += open + key + "\">" + key + "</a></font>";
        const std::string safe = text::htmlEscape(key);
        markup += open + safe + "\">" + safe + "</a></font>";
    }
    line.setWithMarkup(0, std::move(textForm), std::move(markup));
}

struct ErrorReportTexts {
    const char* title;
    const char* units;
    const char* about;
    const char* periodOverride;
    RankedSummary summary;
};

// The all-errors sum that the page and download error reports compare
// their shown errors with; 0 when it cannot be read.
long long allErrorsTotal(const analysis::StatisticsTable& stats)
{
    if (errorCounter(stats, StatList::ErrorStatuses) == -2) return 0;
    return sumOf(stats.errorStatuses());
}

void appendAllErrorsRatio(ReportGrid& grid, const analysis::StatisticsTable& stats, long long shownSum)
{
    const long long all = allErrorsTotal(stats);
    if (all == 0) return;
    grid.setCell(0, 4,
                 grid.cell(0, 4) + "<br>" +
                     percentText(static_cast<double>(shownSum), static_cast<double>(all), "##0.### % of all ") +
                     std::to_string(all) + " Errors");
}

// Page and download errors: status, addresses, count and percentage; the
// download report shifts the numbers one column right.
void buildAddressedErrors(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context,
                          StatList list, const CountRows& rows, char kind, const ErrorReportTexts& t,
                          const char* neverStarted)
{
    const bool download = kind == 'D';
    const std::size_t countColumn = download ? 2 : 1;
    startReportGrid(grid, context, t.title, std::string(t.periodOverride), t.units, t.about);
    grid.setCell(0, 3, "Error Code and Description");
    grid.setCell(static_cast<int>(countColumn), 3, "# of Occurrences");
    grid.setCell(static_cast<int>(countColumn) + 1, 3, "% of Total Errors");

    if (errorCounter(stats, list) == -2) throw NoDataError(neverStarted);
    const long long total = sumOf(rows);
    if (total == 0) throw NoDataError(kNoDataForReport);

    std::vector<ReportLine> lines;
    lines.reserve(rows.size());
    for (const CountRow& row : rows) {
        ReportLine line;
        line.cells.resize(6);
        const std::string description = statusCodeDescription(std::string(row.key()));
        line.set(5, description);
        describeWithAddresses(line, description,
                              stats.errorAddressList(std::string(1, kind) + ";" + std::string(row.key())));
        line.set(countColumn, std::to_string(row.count));
        line.set(countColumn + 1, percentText(static_cast<double>(row.count), static_cast<double>(total)));
        lines.push_back(std::move(line));
    }
    dashToUnknown(lines);
    sortLines(lines, countColumn, true);

    TemplateCells html(reports::standardHtmlTemplate());
    html.firstCell(TemplateCells::FirstCell::Plain);
    if (download) {
        html.remove(1).recordRightTop(2).recordRightTop(3).remove(4);
    } else {
        html.rightHead(1).rightSummary(1).rightHead(2).rightSummary(2);
        html.recordRightTop(1).recordRightTop(2).remove(3).remove(4);
    }

    RankedSummary summary = t.summary;
    summary.countColumn = countColumn;
    const RankedResult shown = finishRanked(grid, std::move(lines), context.settings.maxrows, total, summary);
    appendAllErrorsRatio(grid, stats, shown.shownSum);
    setTemplateAndChart(grid, html.html(), download ? "2" : "1", "5", "-1", "1");
}

} // namespace

void fillTotalErrorsReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context)
{
    startReportGrid(grid, context, "Total Errors Analysis Report", std::nullopt, "Server errors logged",
                    "The Total Errors Analysis report tabulates the total number of errors that occurred during the "
                    "given time frame.");
    grid.setCell(0, 3, "Error Code and Description");
    grid.setCell(1, 3, "# of Occurrences");
    grid.setCell(2, 3, "% of Total Errors");

    if (errorCounter(stats, StatList::ErrorStatuses) == -2) throw NoDataError(kNoDataForReport);
    const CountRows& rows = stats.errorStatuses();
    const long long total = sumOf(rows);
    if (total == 0) throw NoDataError(kNoDataForReport);

    std::vector<ReportLine> lines;
    lines.reserve(rows.size());
    for (const CountRow& row : rows) {
        ReportLine line;
        line.cells.resize(3);
        line.cells[0] = statusCodeDescription(std::string(row.key()));
        line.cells[1] = std::to_string(row.count);
        line.cells[2] = percentText(static_cast<double>(row.count), static_cast<double>(total));
        lines.push_back(std::move(line));
    }
    dashToUnknown(lines);
    sortLines(lines, 1, true);

    TemplateCells html(reports::standardHtmlTemplate());
    html.firstCell(TemplateCells::FirstCell::PlainLeft).right(1).right(2).remove(3).remove(4);
    finishRanked(grid, std::move(lines), context.settings.maxrows, total, {" Errors<br>", " Errors"});
    setTemplateAndChart(grid, html.html(), "1", "0", "-1", "1");
}

void fillPageErrorsReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context)
{
    static const ErrorReportTexts texts{
        "Page Errors Analysis Report",
        "Page errors logged",
        "The Page Errors Analysis report tabulates the number of errors that occurred when trying to view a page "
        "during the given time frame.",
        "Daily",
        {" Page Errors<br>", " Page Errors"}};
    buildAddressedErrors(stats, grid, context, StatList::PageErrors, stats.pageErrors(), 'P', texts, kNoDataForReport);
}

void fillDownloadErrorsReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context)
{
    static const ErrorReportTexts texts{
        "Download Errors Analysis Report",
        "Page errors logged",
        "The Download Errors Analysis report tabulates the number of errors that occurred when trying to download "
        "a file during the given time frame.",
        "Daily",
        {" Download Errors<br>", " Download Errors"}};
    buildAddressedErrors(stats, grid, context, StatList::DownloadErrors, stats.downloadErrors(), 'D', texts,
                         kDataNotLogged);
}

} // namespace larkspan
