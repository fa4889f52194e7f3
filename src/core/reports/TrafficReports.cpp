#include "reports/TrafficReports.h"

#include "analysis/StatisticsTable.h"
#include "common/Dates.h"
#include "common/NumberPattern.h"
#include "common/Text.h"
#include "reports/NoDataError.h"
#include "reports/RankedBuild.h"
#include "reports/ReportContext.h"
#include "reports/ReportGrid.h"
#include "reports/ReportGridStart.h"
#include "reports/ReportTemplates.h"
#include "reports/StatusCodeDescription.h"
#include "reports/TemplateCells.h"

#include <unordered_map>

namespace larkspan {

namespace {

using analysis::TimeSlot;
using analysis::VolumeRow;

// The texts of one traffic-detail report. Column 4 is left out of the page
// when its head is nullptr.
struct DetailTexts {
    const char* title;
    const char* units;
    const char* heads[5];
    const char* about;
};

void startDetailGrid(ReportGrid& grid, const ReportContext& context, const DetailTexts& t)
{
    startReportGrid(grid, context, t.title, std::nullopt, t.units, t.about);
    for (int c = 0; c < 5; ++c)
        if (t.heads[c]) grid.setCell(c, 3, t.heads[c]);
    grid.setCell(0, 9, "5");
}

std::string detailTemplate(const DetailTexts& t)
{
    TemplateCells html(reports::standardHtmlTemplate());
    html.right(1).right(2);
    if (t.heads[3])
        html.right(3);
    else
        html.remove(3);
    if (!t.heads[4]) html.remove(4);
    return html.html();
}

template <class Row> long long hitsOf(const std::vector<Row>& rows)
{
    long long total = 0;
    for (const Row& row : rows)
        total += row.hits;
    return total;
}

std::string wholeKilobytes(double kilobytes)
{
    return formatNumber(kilobytes, "0");
}

ReportLine detailLine(std::string name, long long count, long long total, std::string third, std::string fourth)
{
    ReportLine line;
    line.cells.resize(5);
    line.cells[0] = std::move(name);
    line.cells[1] = std::to_string(count);
    line.cells[2] = percentText(static_cast<double>(count), static_cast<double>(total));
    line.cells[3] = std::move(third);
    line.cells[4] = std::move(fourth);
    return line;
}

// Ranks the lines by column 1 and finishes the grid: top-N, summary, template, chart.
void finishDetail(ReportGrid& grid, const ReportContext& context, const DetailTexts& t, std::vector<ReportLine> lines,
                  long long total, const RankedSummary& summary)
{
    if (total == 0) throw NoDataError(kNoDataForReport);
    dashToUnknown(lines);
    sortLines(lines, 1, true);
    finishRanked(grid, std::move(lines), context.settings.maxrows, total, summary);
    setTemplateAndChart(grid, detailTemplate(t), "1", "0", "-1", "1");
}

// finishDetail for rows ranked before they are lines (see finishRankedRows):
// the lines detailLine would make from countOf(row) and textOf(row, column)
// for the name (column 0, "-" not yet "Unknown") and columns 3 and 4.
template <class CountOf, class TextOf>
void finishDetailRows(ReportGrid& grid, const ReportContext& context, const DetailTexts& t, std::size_t rows,
                      CountOf countOf, TextOf textOf, long long total, const RankedSummary& summary)
{
    if (total == 0) throw NoDataError(kNoDataForReport);
    PercentTexts percents(total);
    const RankedCells cells(rows, 5, [&](std::size_t row, std::size_t column, std::string& scratch) {
        switch (column) {
        case 0:
            return unknownForDash(textOf(row, 0, scratch));
        case 1:
            return countText(countOf(row), scratch);
        case 2:
            return percents.of(countOf(row));
        default:
            return textOf(row, column, scratch);
        }
    });
    finishRankedRows(grid, cells, 1, context.settings.maxrows, total, summary);
    setTemplateAndChart(grid, detailTemplate(t), "1", "0", "-1", "1");
}

std::string lastVisitText(const analysis::RobotRow& row)
{
    return dates::shortDate(civilDate(row.lastDay)) + " " + row.lastTime;
}

// The referrer seen most often with each 404 path (the first on a tie); the
// texts are the tallies' own.
using TopReferrers = std::unordered_map<std::string_view, std::pair<long long, std::string_view>,
                                        text::CaseInsensitiveHash, text::CaseInsensitiveEqual>;

TopReferrers topReferrers(const analysis::TrafficTallies& traffic)
{
    TopReferrers top;
    for (const analysis::NotFoundRow& pair : traffic.notFoundReferrers()) {
        const std::size_t tab = pair.key.find('\t');
        auto& best = top[pair.key.substr(0, tab)];
        if (pair.hits > best.first) best = {pair.hits, pair.key.substr(tab + 1)};
    }
    return top;
}

enum class SlotKind { Hour, Weekday };

// Hours and weekdays keep their natural order and every slot, so the
// pattern of the day or the week reads at a glance.
void buildTimeSlots(const std::vector<TimeSlot>& slots, SlotKind kind, ReportGrid& grid, const ReportContext& context,
                    const DetailTexts& t)
{
    startDetailGrid(grid, context, t);
    long long total = 0;
    double kilobytes = 0;
    for (const TimeSlot& slot : slots) {
        total += slot.hits;
        kilobytes += slot.kilobytes;
    }
    if (total == 0) throw NoDataError(kNoDataForReport);
    std::vector<ReportLine> lines;
    for (std::size_t i = 0; i < slots.size(); ++i) {
        const std::string hour = (i < 10 ? "0" : "") + std::to_string(i);
        const std::string name =
            kind == SlotKind::Hour ? hour + ":00 to " + hour + ":59" : dates::dayName(static_cast<int>(i));
        lines.push_back(detailLine(name, slots[i].hits, total, wholeKilobytes(slots[i].kilobytes),
                                   std::to_string(slots[i].sessions)));
    }
    grid.appendLines(std::move(lines));
    grid.setCell(0, 4, std::to_string(total) + " Hits, " + wholeKilobytes(kilobytes) + " Kilobytes");
    setTemplateAndChart(grid, detailTemplate(t), "1", "0", "-1", "5");
}

} // namespace

void fillRobotsReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context)
{
    static const DetailTexts texts{
        "Robots and Crawlers Report",
        "Robot requests",
        {"Robot", "# of Hits", "% of Robot Hits", "Kilobytes", "Last Visit"},
        "The Robots and Crawlers report lists the search-engine crawlers and other robots that requested files from"
        " your site in the given time frame, by the name their user agent gives, with the number of requests, the"
        " kilobytes sent to them and the date and time of their last visit. Results are ordered from most hits to"
        " least hits."};
    startDetailGrid(grid, context, texts);
    const auto& robots = stats.traffic().robots();
    std::vector<ReportLine> lines;
    for (const auto& row : robots)
        lines.push_back(detailLine(std::string(row.key), row.hits, stats.traffic().robotHits(),
                                   wholeKilobytes(row.kilobytes), lastVisitText(row)));
    finishDetail(grid, context, texts, std::move(lines), stats.traffic().robotHits(),
                 {" Robot requests<br>", " Robot requests", " of #,### Robots Shown<br>", 1});
}

void fillStatusCodesReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context)
{
    static const DetailTexts texts{
        "Status Codes Report",
        "Requests",
        {"Status Code", "# of Hits", "% of Hits", "Kilobytes", "Meaning"},
        "The Status Codes report lists the answers your server gave in the given time frame: each status code with"
        " the number of requests that got it, the kilobytes sent with them and what the code means. Partial"
        " answers (206) are listed apart and are not counted as downloads. Results are ordered from most hits to"
        " least hits."};
    startDetailGrid(grid, context, texts);
    const long long total = hitsOf(stats.traffic().statuses());
    std::vector<ReportLine> lines;
    for (const VolumeRow& row : stats.traffic().statuses())
        lines.push_back(detailLine(std::string(row.key), row.hits, total, wholeKilobytes(row.kilobytes),
                                   statusCodeDescription(std::string(row.key))));
    finishDetail(grid, context, texts, std::move(lines), total,
                 {" Requests<br>", " Requests", " of #,### Status Codes Shown<br>", 1});
}

void fillPagesNotFoundReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context)
{
    static const DetailTexts texts{
        "Pages Not Found Report",
        "Requests answered 404",
        {"Requested Address", "# of Hits", "% of Hits", "Top Referrer", nullptr},
        "The Pages Not Found report lists every address your server answered with 404 (Not Found) in the given"
        " time frame, with the number of requests for it and the referring page that sent visitors there most"
        " often, so the most-hit broken links can be mended first. Results are ordered from most hits to least"
        " hits."};
    startDetailGrid(grid, context, texts);
    const auto top = topReferrers(stats.traffic());
    const auto& rows = stats.traffic().notFound();
    const long long total = hitsOf(rows);
    const auto cellOf = [&](std::size_t i, std::size_t column, std::string&) {
        const analysis::NotFoundRow& row = rows[i];
        switch (column) {
        case 0:
            return std::string_view(row.key);
        case 3: {
            const auto found = top.find(row.key);
            return found != top.end() ? std::string_view(found->second.second) : std::string_view("-");
        }
        default:
            return std::string_view();
        }
    };
    const auto hitsOfRow = [&](std::size_t i) { return rows[i].hits; };
    finishDetailRows(grid, context, texts, rows.size(), hitsOfRow, cellOf, total,
                     {" Requests<br>", " Requests", " of #,### Addresses Shown<br>", 1});
}

void fillHoursOfDayReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context)
{
    static const DetailTexts texts{
        "Hours of the Day Report",
        "Hits",
        {"Hour", "# of Hits", "% of Hits", "Kilobytes", "Sessions"},
        "The Hours of the Day report adds up every day of the given time frame by the hour of the day: the number"
        " of requests, the kilobytes sent and the sessions started in each hour."};
    const auto& hours = stats.traffic().hours();
    buildTimeSlots({hours.begin(), hours.end()}, SlotKind::Hour, grid, context, texts);
}

void fillDaysOfWeekReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context)
{
    static const DetailTexts texts{
        "Days of the Week Report",
        "Hits",
        {"Day", "# of Hits", "% of Hits", "Kilobytes", "Sessions"},
        "The Days of the Week report adds up the given time frame by the day of the week: the number of requests,"
        " the kilobytes sent and the sessions started on each weekday."};
    const auto& days = stats.traffic().weekdays();
    buildTimeSlots({days.begin(), days.end()}, SlotKind::Weekday, grid, context, texts);
}

void fillFileTypesReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context)
{
    static const DetailTexts texts{
        "File Types Report",
        "Hits",
        {"File Type", "# of Hits", "% of Hits", "Kilobytes", nullptr},
        "The File Types report lists the requests of the given time frame by the extension of the file requested,"
        " with the kilobytes sent for each type. Results are ordered from most hits to least hits."};
    startDetailGrid(grid, context, texts);
    const long long total = hitsOf(stats.traffic().extensions());
    std::vector<ReportLine> lines;
    for (const VolumeRow& row : stats.traffic().extensions())
        lines.push_back(detailLine(row.key.empty() ? "(no extension)" : std::string(row.key), row.hits, total,
                                   wholeKilobytes(row.kilobytes), ""));
    finishDetail(grid, context, texts, std::move(lines), total,
                 {" Hits<br>", " Hits", " of #,### File Types Shown<br>", 1});
}

void fillPageKilobytesReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context)
{
    static const DetailTexts texts{
        "Pages by Kilobytes Report",
        "Kilobytes sent",
        {"Page File Name", "# of Kilobytes", "% of Kilobytes", "# of Hits", nullptr},
        "The Pages by Kilobytes report lists the pages of your site by the kilobytes sent for them in the given"
        " time frame, with the number of hits each received. Results are ordered from most kilobytes to least."};
    startDetailGrid(grid, context, texts);
    const analysis::PathRows& pages = stats.pages();
    const auto& pageKilobytes = stats.pageKilobytes();
    double kilobytes = 0;
    for (double k : pageKilobytes)
        kilobytes += k;
    const auto total = static_cast<long long>(kilobytes);
    const auto cellOf = [&](std::size_t i, std::size_t column, std::string& scratch) {
        const analysis::PathRow& row = pages[i];
        switch (column) {
        case 0:
            return row.path() == "/" ? row.key() : row.path();
        case 3:
            return std::string_view(scratch = std::to_string(row.count));
        default:
            return std::string_view();
        }
    };
    const auto kilobytesOfRow = [&](std::size_t i) { return static_cast<long long>(pageKilobytes[i]); };
    finishDetailRows(grid, context, texts, pages.size(), kilobytesOfRow, cellOf, total,
                     {" Kilobytes<br>", " Kilobytes", " of #,### Pages Shown<br>", 1});
}

} // namespace larkspan
