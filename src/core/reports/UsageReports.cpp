#include "reports/UsageReports.h"

#include "analysis/StatisticsTable.h"
#include "common/NumberPattern.h"
#include "reports/NoDataError.h"
#include "reports/RankedBuild.h"
#include "reports/ReportContext.h"
#include "reports/ReportGrid.h"
#include "reports/ReportGridStart.h"
#include "reports/ReportTemplates.h"
#include "reports/TemplateCells.h"

#include <cmath>

namespace larkspan {

namespace {

using analysis::BucketMode;
using analysis::BucketRow;

enum class Measure { Hits, Kilobytes, Sessions };

struct UsageTexts {
    const char* title;
    const char* units;
    const char* heads[2];
    const char* headWithoutGrouping;
    const char* chartRow[4];
};

const char* columnHead(BucketMode mode, const char* withoutGrouping)
{
    switch (mode) {
    case BucketMode::Hourly:
        return "Hour(s)";
    case BucketMode::Daily:
        return "Day(s)";
    case BucketMode::Monthly:
        return "Month(s)";
    case BucketMode::None:
        break;
    }
    return withoutGrouping;
}

// The chart's point label: the hour; month/day; month/two-digit year.
std::string shortLabel(BucketMode mode, const std::string& key)
{
    auto part = [&key](std::size_t from, std::size_t length) {
        return from < key.size() ? key.substr(from, length) : std::string();
    };
    switch (mode) {
    case BucketMode::Hourly:
        return part(0, 2);
    case BucketMode::Daily:
        return part(5, 2) + "/" + part(8, 2);
    case BucketMode::Monthly:
        return part(5, 2) + "/" + part(2, 2);
    case BucketMode::None:
        break;
    }
    return {};
}

double roundToCents(double value)
{
    return std::round(value * 100.0) / 100.0;
}

long long selectedHits(const BucketRow& bucket, const ReportSettings& settings)
{
    long long hits = 0;
    if (settings.hitPage) hits += bucket.pages;
    if (settings.hitDf) hits += bucket.downloads;
    if (settings.hitImg) hits += bucket.images;
    if (settings.hitOth) hits += bucket.others;
    return hits;
}

void buildUsage(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context, BucketMode mode,
                Measure measure, const UsageTexts& t, const std::string& about)
{
    startReportGrid(grid, context, t.title, std::nullopt, t.units, about);
    const std::string head0 = columnHead(mode, t.headWithoutGrouping);
    grid.setCell(0, 3, head0);
    grid.setCell(2, 3, t.heads[0]);
    grid.setCell(3, 3, t.heads[1]);
    grid.setCell(0, 9, "5");

    if (stats.counter(analysis::StatList::Buckets).value_or(-1) == -1) throw NoDataError(kDataNotLogged);
    const std::vector<BucketRow>& buckets = stats.buckets();

    double total = 0;
    for (const BucketRow& bucket : buckets) {
        if (measure == Measure::Hits)
            total += static_cast<double>(selectedHits(bucket, context.settings));
        else if (measure == Measure::Kilobytes)
            total += bucket.kilobytes;
        else
            total += static_cast<double>(bucket.sessions);
    }
    if (measure == Measure::Kilobytes) total = roundToCents(total);
    if (total == 0) throw NoDataError(kNoDataForReport);

    std::vector<ReportLine> lines;
    lines.reserve(buckets.size());
    for (const BucketRow& bucket : buckets) {
        ReportLine line;
        line.cells.resize(measure == Measure::Kilobytes ? 8 : 7);
        line.cells[0] = bucket.key;
        double amount = 0;
        if (measure == Measure::Hits) {
            const long long hits = selectedHits(bucket, context.settings);
            amount = static_cast<double>(hits);
            line.cells[2] = std::to_string(hits);
        } else if (measure == Measure::Kilobytes) {
            amount = roundToCents(bucket.kilobytes);
            line.cells[2] = formatNumber(amount, "#,##0.00");
            line.cells[7] = formatNumber(amount, "0.##");
        } else {
            amount = static_cast<double>(bucket.sessions);
            line.cells[2] = std::to_string(bucket.sessions);
        }
        line.cells[3] = percentText(amount, total);
        line.cells[5] = bucket.label;
        line.cells[6] = shortLabel(mode, bucket.key);
        lines.push_back(std::move(line));
    }
    dashToUnknown(lines);
    sortLines(lines, 0, false);

    TemplateCells html(reports::standardHtmlTemplate());
    html.firstCell(TemplateCells::FirstCell::DisplayValue).remove(1).right(2).right(3).remove(4);
    grid.appendLines(std::move(lines));

    grid.setCell(0, 4, std::to_string(grid.detailCount()) + " " + head0 + " Shown");
    std::string totalText;
    if (measure == Measure::Hits)
        totalText = formatNumber(total, "0") + " Hits";
    else if (measure == Measure::Kilobytes)
        totalText = formatNumber(total, "##0.## Kilobytes");
    else
        totalText = formatNumber(total, "0") + " Sessions";
    grid.setCell(2, 4, totalText);
    setTemplateAndChart(grid, html.html(), t.chartRow[0], t.chartRow[1], t.chartRow[2], t.chartRow[3]);
}

} // namespace

void fillUsageByHitsReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context,
                           BucketMode mode)
{
    static const UsageTexts texts{
        "Usage by Hits Report", "Hits", {"# of Hits", "% of Total Hits"}, "Date", {"2", "6", "-1", "5"}};
    buildUsage(stats, grid, context, mode, Measure::Hits, texts,
               "Usage by Hits reports the number of requests made in the given time frame. Depending on your hit"
               " filter selections, a hit is considered to be any request for data such as a web page, download"
               " file, image, or other file.");
}

void fillUsageByKilobytesReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context,
                                BucketMode mode)
{
    static const UsageTexts texts{"Usage by Kilobytes Report",
                                  "Kilobytes sent",
                                  {"# of Kilobytes", "% of Total"},
                                  "Kilobytes",
                                  {"7", "6", "-1", "5"}};
    buildUsage(stats, grid, context, mode, Measure::Kilobytes, texts,
               "Usage by Kilobytes reports the number of kilobytes sent in the given time frame. The total movement"
               " of pages, images, files and CGI requests are counted. ");
}

void fillUsageBySessionsReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context,
                               BucketMode mode)
{
    static const UsageTexts texts{"Usage by Sessions Report",
                                  "Sessions",
                                  {"# of Sessions Started", "% of All Sessions Started"},
                                  "Sessions",
                                  {"2", "6", "-1", "5"}};
    std::string about;
    switch (mode) {
    case BucketMode::Hourly:
        about = "Usage by Sessions reports the number of sessions started by hour in the given time frame.";
        break;
    case BucketMode::Daily:
        about = "Usage by Sessions reports the number of sessions by day in the given time frame.";
        break;
    case BucketMode::Monthly:
        about = "Usage by Sessions reports the number of sessions by month in the given time frame.";
        break;
    case BucketMode::None:
        about = "Usage by Sessions reports the number of sessions in the given time frame.";
        break;
    }
    about += " Sessions are tracked per unique IP address.";
    buildUsage(stats, grid, context, mode, Measure::Sessions, texts, about);
}

} // namespace larkspan
