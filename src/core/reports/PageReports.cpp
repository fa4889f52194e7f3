#include "reports/PageReports.h"

#include "analysis/StatisticsTable.h"
#include "reports/NoDataError.h"
#include "reports/RankedBuild.h"
#include "reports/ReportGrid.h"
#include "reports/ReportGridStart.h"
#include "reports/ReportTemplates.h"
#include "reports/TemplateCells.h"

namespace larkspan {

namespace {

using analysis::PathRow;
using analysis::PathRows;
using analysis::StatList;

struct PathReportTexts {
    const char* title;
    const char* units;
    const char* heads[3];
    const char* aboutLimitedStart; // followed by maxrows
    const char* aboutLimitedEnd;
    const char* aboutAll;
    RankedSummary summary;
    bool linkLeft;
};

// Pages and downloads: one line per path, linked to the server address and path.
void buildPathReport(const analysis::StatisticsTable& stats, StatList list, const PathRows& rows, ReportGrid& grid,
                     const ReportContext& context, const PathReportTexts& t)
{
    const std::string& maxrows = context.settings.maxrows;
    const std::string about =
        maxrows != "ALL" ? std::string(t.aboutLimitedStart) + maxrows + t.aboutLimitedEnd : std::string(t.aboutAll);
    startReportGrid(grid, context, t.title, std::nullopt, t.units, about);
    for (int c = 0; c < 3; ++c)
        grid.setCell(c, 3, t.heads[c]);
    grid.setCell(0, 9, "5");

    const long long counter = stats.counter(list).value_or(-1);
    if (counter == -1) throw NoDataError(kNoDataForReport);
    long long total = 0;
    for (const PathRow& row : rows)
        total += row.count;
    if (total == 0) throw NoDataError(kNoDataForReport);

    // Every count's percentage made first: the ranking reads them on two threads.
    PercentTexts percents(total);
    for (const PathRow& row : rows)
        percents.of(row.count);
    const RankedCells cells(
        rows.size(), 6,
        [&](std::size_t i, std::size_t column, std::string& scratch) {
            const PathRow& row = rows[i];
            switch (column) {
            case 0:
                return unknownForDash(row.path() == "/" ? row.key() : row.path());
            case 1:
                return countText(row.count, scratch);
            case 2:
                return percents.of(row.count);
            case 5:
                return row.key();
            default:
                return std::string_view();
            }
        },
        /*twoThreads=*/true, /*keysDistinct=*/true);

    TemplateCells html(reports::standardHtmlTemplate());
    if (t.linkLeft) html.firstCell(TemplateCells::FirstCell::LinkLeft);
    html.right(1).right(2).remove(3).remove(4);

    finishRankedRows(grid, cells, 1, maxrows, total, t.summary);
    setTemplateAndChart(grid, html.html(), "1", "0", "-1", "1");
}

} // namespace

void fillPagesReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context)
{
    static const PathReportTexts texts{
        "Page View Report",
        "Page hits",
        {"Page File Name", "# of Hits", "% of Hits"},
        "The Page View Analysis report lists the top ",
        " most popular pages on your site, based on the number of hits each has received in the given time frame."
        " It lists the page name, number of hits and the percentages of hits as compared to the total number of"
        " hits. Results are ordered from most hits to least hits.",
        "The Page View Analysis report lists the pages hit on your site, based on the number of hits each has"
        " received in the given time frame. It lists the page name, number of hits and the percentages of hits as"
        " compared to the total number of hits. Results are ordered from most hits to least hits.",
        {" Page views<br>", " Page views", " of #,### Unique shown<br>", 1},
        false};
    buildPathReport(stats, StatList::Pages, stats.pages(), grid, context, texts);
}

void fillDownloadsReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context)
{
    static const PathReportTexts texts{
        "Download Activity Report",
        "Downloads",
        {"Download File Name", "# of Downloads", "% of Total Downloads"},
        "The File Download Analysis report lists the top ",
        " most popular downloads on your site, based on the number of times downloaded in the given time frame."
        " It lists the download file name, number of downloads and the percentages of downloads as compared to"
        " the total. Results are ordered from most downloaded to least.",
        "The File Download Analysis report lists the downloaded files from your site, based on the number of"
        " times downloaded in the given time frame. It lists the download file name, number of downloads and the"
        " percentages of downloads as compared to the total. Results are ordered from most downloaded to least.",
        {" Downloads<br>", " Downloads", " of #,### Unique Shown<br>", 1},
        true};
    buildPathReport(stats, StatList::Downloads, stats.downloads(), grid, context, texts);
}

} // namespace larkspan
