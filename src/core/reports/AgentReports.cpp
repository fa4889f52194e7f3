#include "reports/AgentReports.h"

#include "analysis/StatisticsTable.h"
#include "reports/AgentTallies.h"
#include "reports/NoDataError.h"
#include "reports/RankedBuild.h"
#include "reports/ReportGrid.h"
#include "reports/ReportGridStart.h"
#include "reports/ReportTemplates.h"
#include "reports/RobotList.h"
#include "reports/TemplateCells.h"

namespace larkspan {

namespace {

const char* const kShareOfAll = "##0.0##% Of All";

// The user-agent list as counted texts; raises the builders' messages for a
// list that was never started or that counts nothing.
CountedTextList userAgentsOf(const analysis::StatisticsTable& stats)
{
    if (stats.counter(analysis::StatList::UserAgents).value_or(-1) == -1) throw NoDataError(kDataNotLogged);
    CountedTextList agents;
    agents.reserve(stats.userAgents().size());
    long long total = 0;
    for (const analysis::CountRow& row : stats.userAgents()) {
        agents.push_back({row.key(), row.count});
        total += row.count;
    }
    if (total == 0) throw NoDataError(kNoDataForReport);
    return agents;
}

std::vector<ReportLine> linesOf(const std::vector<NamedCount>& named, long long base)
{
    std::vector<ReportLine> lines;
    lines.reserve(named.size());
    for (const NamedCount& entry : named)
        lines.emplace_back(
            TextRow{entry.name, std::to_string(entry.count),
                    percentText(static_cast<double>(entry.count), static_cast<double>(base), kShareOfAll)});
    return lines;
}

std::string agentTemplate()
{
    TemplateCells html(reports::standardHtmlTemplate());
    html.firstCell(TemplateCells::FirstCell::PlainLeft).right(1).right(2).remove(3).remove(4);
    return html.html();
}

} // namespace

void fillBrowsersReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context,
                        const std::string& robotListPath, const BrowserTable& families)
{
    const std::string& maxrows = context.settings.maxrows;
    const std::string about =
        maxrows != "ALL"
            ? "The Browser Agent Analysis report lists the top " + maxrows +
                  " browsers used to access your site based on the number of requests made by the browser type in"
                  " the given time frame. It lists the browser type, number of hits and the percentages of hits as"
                  " compared to the total number of hits. Results are ordered from most common to least common."
            : std::string("The Browser Agent Analysis report lists the browsers used to access your site based on"
                          " the number of requests made by the browser type in the given time frame. It lists the"
                          " browser type, number of hits and the percentages of hits as compared to the total number"
                          " of hits. Results are ordered from most common to least common.");
    startReportGrid(grid, context, "Browser Agent Analysis Report", std::nullopt, "Number of requests", about);
    grid.setCell(0, 3, "Browser Type");
    grid.setCell(1, 3, "# of Requests");
    grid.setCell(2, 3, "% of Requests");

    const RobotList robots = RobotList::load(robotListPath);
    const CountedTextList agents = userAgentsOf(stats);
    const BrowserTally tally = tallyBrowsers(agents, robots, &families);

    std::vector<ReportLine> lines = linesOf(tally.browsers, tally.base);
    sortLines(lines, 1, true);
    finishRanked(grid, std::move(lines), maxrows, tally.base,
                 {" Browser Agents<br>", " User Agents", " of #,### Unique shown<br>", 1});
    setTemplateAndChart(grid, agentTemplate(), "1", "0", "-1", "1");
}

void fillOperatingSystemsReport(const analysis::StatisticsTable& stats, ReportGrid& grid, const ReportContext& context,
                                const OperatingSystemTable& systems)
{
    startReportGrid(grid, context, "User Agent Operating System Analysis Report", std::nullopt, "Number of requests",
                    "The User Agent Operating System Analysis Report lists the user agent operating systems used to"
                    " access your site ordered from most common to least common.");
    grid.setCell(0, 3, "Operating System");
    grid.setCell(1, 3, "# of Requests");
    grid.setCell(2, 3, "% of Requests");

    const CountedTextList agents = userAgentsOf(stats);
    const OperatingSystemTally tally = tallyOperatingSystems(agents, systems);

    std::vector<ReportLine> lines = linesOf(tally.systems, tally.base);
    dashToUnknown(lines);
    sortLines(lines, 1, true);
    finishRanked(grid, std::move(lines), context.settings.maxrows, tally.base,
                 {" Operating Systems<br>", " Operating Systems", " of #,### Unique shown<br>", 1});
    setTemplateAndChart(grid, agentTemplate(), "1", "0", "-1", "1");
}

} // namespace larkspan
