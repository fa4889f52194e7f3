#include "reports/DemographicReports.h"

#include "common/NumberPattern.h"
#include "common/Text.h"
#include "reports/NoDataError.h"
#include "reports/RankedBuild.h"
#include "reports/ReportGrid.h"
#include "reports/ReportGridStart.h"
#include "reports/ReportTemplates.h"
#include "reports/TemplateCells.h"

#include <unordered_map>

namespace larkspan {

namespace {

enum class Grouping { Country, Domain, Machine };
enum class Measure { Sessions, Requests };

const char* const kPercentPattern = "#,##0.0##%";

struct DemogTexts {
    const char* heading;
    const char* units;
    const char* about;
};

long long measureOf(const DemographicRow& row, Measure measure)
{
    return measure == Measure::Sessions ? row.sessions : row.requests;
}

long long measureOf(const DemographicGroups::Group& group, Measure measure)
{
    return measure == Measure::Sessions ? group.sessions : group.requests;
}

// Counts by key (the first spelling kept), in order of each key's first count.
class GroupedCounts {
  public:
    void add(std::string_view key, long long count)
    {
        auto [it, added] = index_.try_emplace(std::string(key), keys_.size());
        if (added) {
            keys_.push_back(it->first);
            counts_.push_back(0);
        }
        counts_[it->second] += count;
    }
    std::vector<ReportLine> lines(long long total) const
    {
        std::vector<ReportLine> out;
        out.reserve(keys_.size());
        for (std::size_t i = 0; i < keys_.size(); ++i)
            out.emplace_back(
                TextRow{std::string(keys_[i]), std::to_string(counts_[i]),
                        percentText(static_cast<double>(counts_[i]), static_cast<double>(total), kPercentPattern)});
        return out;
    }

  private:
    std::vector<std::string_view> keys_; // the index's own text
    std::vector<long long> counts_;
    std::unordered_map<std::string, std::size_t, text::CaseInsensitiveHash, text::CaseInsensitiveEqual> index_;
};

// The lines of the domain or country groups. Countries are merged by name
// here: codes that share a name ("uk" and "gb") make one line, as sorting
// would write identical lines only once.
std::vector<ReportLine> groupedLines(const DemographicTable& table, const demographics::CodeList* countries,
                                     Grouping grouping, Measure measure, long long total)
{
    if (grouping == Grouping::Domain) {
        std::vector<ReportLine> out;
        const auto& groups = table.domains().groups();
        out.reserve(groups.size());
        for (const DemographicGroups::Group& group : groups) {
            const long long count = measureOf(group, measure);
            out.emplace_back(
                TextRow{std::string(group.key), std::to_string(count),
                        percentText(static_cast<double>(count), static_cast<double>(total), kPercentPattern)});
        }
        return out;
    }
    GroupedCounts byName;
    for (const DemographicGroups::Group& group : table.countryCodes().groups()) {
        std::string name = countries->nameOf(group.key);
        if (name.empty()) name = "Unknown";
        byName.add(name, measureOf(group, measure));
    }
    return byName.lines(total);
}

void buildDemographic(const DemographicTable& table, const demographics::CodeList* countries, ReportGrid& grid,
                      const ReportContext& context, Grouping grouping, Measure measure, const DemogTexts& t)
{
    startReportGrid(grid, context, t.heading, std::nullopt, t.units, t.about);
    grid.setCell(0, 3,
                 grouping == Grouping::Country  ? "Country"
                 : grouping == Grouping::Domain ? "Domain"
                                                : "Machine Name");
    grid.setCell(1, 3, measure == Measure::Sessions ? "# of Sessions" : "# of Page/File Requests");
    grid.setCell(2, 3, measure == Measure::Sessions ? "% of Total Sessions" : "% of Total Page/File Requests");
    const std::string measureWord = measure == Measure::Sessions ? " Sessions" : " Page/File Requests";

    if (table.empty() || (table.size() == 1 && table.front().address.empty())) throw NoDataError("No data for report.");
    long long total = 0;
    for (const DemographicRow& row : table)
        total += measureOf(row, measure);
    if (total == 0) throw NoDataError(kNoDataForReport);

    TemplateCells html(reports::standardHtmlTemplate());
    html.wideSummary().firstCell(TemplateCells::FirstCell::PlainLeft).right(1).right(2).remove(3).remove(4);

    long long unique = 0;
    if (grouping == Grouping::Machine) {
        // The table holds one row per address already: only the rows shown become lines.
        // Every count's percentage made first: the ranking reads them on two threads.
        PercentTexts percents(total, kPercentPattern);
        for (const DemographicRow& row : table)
            percents.of(measureOf(row, measure));
        const RankedCells cells(
            table.size(), 3,
            [&](std::size_t i, std::size_t column, std::string& scratch) {
                const DemographicRow& row = table[i];
                switch (column) {
                case 0:
                    return std::string_view(row.address);
                case 1:
                    return countText(measureOf(row, measure), scratch);
                default:
                    return percents.of(measureOf(row, measure));
                }
            },
            true);
        unique = appendRankedRows(grid, cells, 1, context.settings.maxrows);
    } else {
        std::vector<ReportLine> lines = groupedLines(table, countries, grouping, measure, total);
        std::erase_if(lines, [](const ReportLine& line) { return line.cell(0).empty(); });
        if (lines.empty()) throw NoDataError(kNoDataForReport);
        sortLines(lines, 1, true);
        unique = static_cast<long long>(lines.size());
        grid.appendLines(std::move(lines));
        applyTopN(grid, context.settings.maxrows);
    }
    long long shown = 0;
    for (const ReportLine& line : grid.details())
        shown += countValue(line.cell(1));
    grid.setCell(0, 4,
                 std::to_string(shown) + measureWord + "<br>" + std::to_string(grid.detailCount()) + " of " +
                     formatNumber(static_cast<double>(unique), "#,###") + " Unique Shown<br>" +
                     percentText(static_cast<double>(shown), static_cast<double>(total), "##0.##") + " % of all " +
                     std::to_string(total) + measureWord);
    setTemplateAndChart(grid, html.html(), "1", "0", "-1", "1");
}

} // namespace

void fillSessionsByCountryReport(const DemographicTable& table, const demographics::CodeList& countries,
                                 ReportGrid& grid, const ReportContext& context)
{
    buildDemographic(table, &countries, grid, context, Grouping::Country, Measure::Sessions,
                     {"Sessions by Country Report", "Unique Sessions",
                      "The Sessions by Country Report tabulates the number of unique sessions in the given time frame"
                      " grouped by the country where they started."});
}

void fillSessionsByDomainReport(const DemographicTable& table, ReportGrid& grid, const ReportContext& context)
{
    buildDemographic(table, nullptr, grid, context, Grouping::Domain, Measure::Sessions,
                     {"Sessions by Domain Report", "Unique Sessions",
                      "The Sessions by Domain Report tabulates the number of unique sessions in the given time frame"
                      " grouped by the domain where they started."});
}

void fillSessionsByMachineReport(const DemographicTable& table, ReportGrid& grid, const ReportContext& context)
{
    buildDemographic(table, nullptr, grid, context, Grouping::Machine, Measure::Sessions,
                     {"Sessions by Machine Name Report", "Unique Sessions",
                      "The Sessions by Machine Name Report tabulates the number of unique sessions in the given time"
                      " frame grouped by the machine name where they started."});
}

void fillHitsByCountryReport(const DemographicTable& table, const demographics::CodeList& countries, ReportGrid& grid,
                             const ReportContext& context)
{
    buildDemographic(table, &countries, grid, context, Grouping::Country, Measure::Requests,
                     {"Page/File Requests by Country Report", "Page and File Requests ",
                      "The Page/File Requests by Country Report tabulates the number of page and file requests in the"
                      " given time frame grouped by the country where they started."});
}

void fillHitsByDomainReport(const DemographicTable& table, ReportGrid& grid, const ReportContext& context)
{
    buildDemographic(table, nullptr, grid, context, Grouping::Domain, Measure::Requests,
                     {"Page/File Requests by Domain Report", "Page and File Requests",
                      "The Page/File Requests by Domain Report tabulates the number of page and file requests in the"
                      " given time frame grouped by the domain where they started."});
}

void fillHitsByMachineReport(const DemographicTable& table, ReportGrid& grid, const ReportContext& context)
{
    buildDemographic(table, nullptr, grid, context, Grouping::Machine, Measure::Requests,
                     {"Page/File Requests by Machine Name Report", "Page and File Requests",
                      "The Page/File Requests by Machine Name Report tabulates the number of page and file requests"
                      " in the given time frame grouped by the machine name where they started."});
}

} // namespace larkspan
