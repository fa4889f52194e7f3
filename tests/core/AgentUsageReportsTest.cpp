#include "ReportBuilderFixture.h"
#include "fakes/TempFolder.h"
#include "reports/AgentReports.h"
#include "reports/BrowserTable.h"
#include "reports/OperatingSystemTable.h"
#include "reports/TemplateEngine.h"
#include "reports/UsageReports.h"

#include <gtest/gtest.h>

using namespace larkspan;
using analysis::BucketMode;
using Strings = std::vector<std::string>;

TEST(BrowserReports, RanksBrowsersWithoutRobotsAndUnknownClients)
{
    ReportBuilderFixture f;
    larkspan::testing::TempFolder temp;
    const std::string robots = temp.write("rasags.lklf", "Googlebot\r\n\r\n");
    f.settings.maxrows = "ALL";
    f.agent("Mozilla/4.0+(compatible;+MSIE+6.0;+Windows+NT+5.1)", 6);
    f.agent("Googlebot/2.1", 50);
    f.agent("Mozilla/5.0+(compatible;+MyRobot/1.0)", 7);
    f.agent("-", 3);
    f.agent("Opera/9.80+(Windows+NT+6.1)", 2);
    f.agent("Mozilla/5.0+(X11;+Linux)", 2);
    fillBrowsersReport(f.stats, f.grid, f.context(), robots, BrowserTable());

    EXPECT_EQ(f.grid.cell(1, 0), "Browser Agent Analysis Report for www.example.com");
    EXPECT_EQ(f.grid.cell(3, 1), "Number of requests");
    EXPECT_EQ(f.grid.cell(1, 1).rfind("The Browser Agent Analysis report lists the browsers used", 0), 0u);
    EXPECT_EQ(f.column(0), (Strings{"Microsoft Internet Explorer", "Opera/9.80", "Netscape"}));
    EXPECT_EQ(f.column(1), (Strings{"6", "2", "2"}));
    EXPECT_EQ(f.column(2), (Strings{"60.0% Of All", "20.0% Of All", "20.0% Of All"}));
    EXPECT_EQ(f.grid.cell(0, 4), "10 Browser Agents<br>3 of 3 Unique shown<br>100 % of all 10 User Agents");
    EXPECT_EQ((Strings{f.grid.cell(1, 9), f.grid.cell(2, 9), f.grid.cell(3, 9), f.grid.cell(4, 9)}),
              (Strings{"1", "0", "-1", "1"}));
    EXPECT_EQ(f.grid.cell(3, 5), "-1");

    f.settings.maxrows = "2";
    fillBrowsersReport(f.stats, f.grid, f.context(), temp.file("missing.lklf"),
                       BrowserTable()); // no robot list: Googlebot counts
    EXPECT_EQ(f.grid.cell(1, 1).rfind("The Browser Agent Analysis report lists the top 2 browsers", 0), 0u);
    EXPECT_EQ(f.column(0), (Strings{"Googlebot/2.1", "Microsoft Internet Explorer"}));
    EXPECT_EQ(f.grid.cell(0, 4), "56 Browser Agents<br>2 of 4 Unique shown<br>93.333 % of all 60 User Agents");
}

TEST(BrowserReports, MessagesForMissingOrEmptyAgentLists)
{
    ReportBuilderFixture f;
    larkspan::testing::TempFolder temp;
    const std::string robots = temp.write("rasags.lklf", "Googlebot\r\n");
    OperatingSystemTable systems;
    systems.addRow("Windows", "Windows");
    EXPECT_EQ(f.noData([&] { fillBrowsersReport(f.stats, f.grid, f.context(), robots, BrowserTable()); }),
              "Data not logged in selected log file format.");
    EXPECT_EQ(f.noData([&] { fillOperatingSystemsReport(f.stats, f.grid, f.context(), systems); }),
              "Data not logged in selected log file format.");
    f.agent("Googlebot/2.1", 1);
    f.agent("-", 1);
    EXPECT_EQ(f.noData([&] { fillBrowsersReport(f.stats, f.grid, f.context(), robots, BrowserTable()); }),
              "No Data for Report");
    EXPECT_EQ(f.noData([&] { fillOperatingSystemsReport(f.stats, f.grid, f.context(), systems); }),
              "No Data for Report");
    EXPECT_EQ(f.grid.detailCount(), 0);
}

TEST(OperatingSystemReports, CountsEveryMatchingRowAgainstTheirSum)
{
    ReportBuilderFixture f;
    OperatingSystemTable systems;
    systems.addRow("Win", "Windows");
    systems.addRow("Windows+98", "Windows 98");
    systems.addRow("Mac_PowerPC", "Mac OS");
    systems.addRow("Macintosh", "Mac OS");
    systems.addRow("-", "-");
    f.agent("Mozilla/4.0+(compatible;+MSIE+5.5;+Windows+98)", 3);
    f.agent("Mozilla/4.0+(compatible;+MSIE+5.0;+Mac_PowerPC)", 1);
    f.agent("Mozilla/5.0+(Macintosh;+Intel)", 2);
    f.agent("-", 2);
    fillOperatingSystemsReport(f.stats, f.grid, f.context(), systems);

    EXPECT_EQ(f.grid.cell(1, 0), "User Agent Operating System Analysis Report for www.example.com");
    // Two rows named Mac OS make one line; "-" is shown as Unknown.
    EXPECT_EQ(f.column(0), (Strings{"Windows 98", "Windows", "Mac OS", "Unknown"}));
    EXPECT_EQ(f.column(1), (Strings{"3", "3", "3", "2"}));
    // Base 11: the Windows 98 text counts for two rows, "-" for one.
    EXPECT_EQ(f.grid.cell(0, 4), "11 Operating Systems<br>4 of 4 Unique shown<br>100 % of all 11 Operating Systems");
    EXPECT_EQ(f.grid.cell(2, 13), "18.182% Of All");
}

namespace {
void bucket(analysis::StatisticsTable& stats, const std::string& key, const std::string& label, long long pages,
            long long images, double kilobytes, long long sessions)
{
    stats.setUp();
    bool isNew = false;
    analysis::BucketRow& row = stats.bucket(key, isNew);
    row.label = label;
    row.pages = pages;
    row.images = images;
    row.hits = pages + images;
    row.kilobytes = kilobytes;
    row.sessions = sessions;
}
} // namespace

TEST(UsageReports, HourlyHitsInTimeOrderWithSelectedTypes)
{
    ReportBuilderFixture f;
    f.settings.hitImg = false;
    bucket(f.stats, "14:00 to 14:59", "14:00 to 14:59", 3, 5, 10, 1);
    bucket(f.stats, "09:00 to 09:59", "09:00 to 09:59", 1, 0, 2, 1);
    bucket(f.stats, "11:00 to 11:59", "11:00 to 11:59", 0, 4, 1, 0);
    fillUsageByHitsReport(f.stats, f.grid, f.context(), BucketMode::Hourly);

    EXPECT_EQ(f.grid.cell(0, 3), "Hour(s)");
    EXPECT_EQ(f.grid.cell(2, 3), "# of Hits");
    EXPECT_EQ(f.column(0), (Strings{"09:00 to 09:59", "11:00 to 11:59", "14:00 to 14:59"}));
    EXPECT_EQ(f.column(2), (Strings{"1", "0", "3"})); // a bucket with 0 selected hits stays
    EXPECT_EQ(f.column(3), (Strings{"25.0%", "0.0%", "75.0%"}));
    EXPECT_EQ(f.column(6), (Strings{"09", "11", "14"}));
    EXPECT_EQ(f.grid.cell(0, 4), "3 Hour(s) Shown");
    EXPECT_EQ(f.grid.cell(2, 4), "4 Hits");
    EXPECT_EQ((Strings{f.grid.cell(0, 9), f.grid.cell(1, 9), f.grid.cell(2, 9), f.grid.cell(3, 9), f.grid.cell(4, 9)}),
              (Strings{"5", "2", "6", "-1", "5"}));

    const std::string html = TemplateEngine(f.grid, "").renderReportPage("LKRUsageByHit");
    EXPECT_NE(html.find("09:00 to 09:59"), std::string::npos);

    f.settings.hitPage = f.settings.hitDf = false;
    EXPECT_EQ(f.noData([&] { fillUsageByHitsReport(f.stats, f.grid, f.context(), BucketMode::Hourly); }),
              "No Data for Report");
}

TEST(UsageReports, KilobytesRoundBeforePercentagesAndChartValues)
{
    ReportBuilderFixture f;
    bucket(f.stats, "2000-01-15", "Sat, Jan 15, 2000", 1, 0, 1234.567, 2);
    bucket(f.stats, "2000-01-16", "Sun, Jan 16, 2000", 1, 0, 0.004, 0);
    fillUsageByKilobytesReport(f.stats, f.grid, f.context(), BucketMode::Daily);
    EXPECT_EQ(f.grid.cell(0, 3), "Day(s)");
    EXPECT_EQ(f.column(2), (Strings{"1,234.57", "0.00"}));
    EXPECT_EQ(f.column(3), (Strings{"100.0%", "0.0%"}));
    EXPECT_EQ(f.column(7), (Strings{"1234.57", "0"}));
    EXPECT_EQ(f.column(5), (Strings{"Sat, Jan 15, 2000", "Sun, Jan 16, 2000"}));
    EXPECT_EQ(f.column(6), (Strings{"01/15", "01/16"}));
    EXPECT_EQ(f.grid.cell(2, 4), "1234.57 Kilobytes");
    EXPECT_EQ(f.grid.cell(1, 9), "7");

    fillUsageBySessionsReport(f.stats, f.grid, f.context(), BucketMode::Daily);
    EXPECT_EQ(f.grid.cell(1, 1), "Usage by Sessions reports the number of sessions by day in the given time frame."
                                 " Sessions are tracked per unique IP address.");
    EXPECT_EQ(f.column(2), (Strings{"2", "0"}));
    EXPECT_EQ(f.grid.cell(2, 4), "2 Sessions");
}

TEST(UsageReports, MonthLabelsAndUngroupedHeads)
{
    ReportBuilderFixture f;
    bucket(f.stats, "2000-01", "January, 2000", 2, 0, 1, 1);
    fillUsageBySessionsReport(f.stats, f.grid, f.context(), BucketMode::Monthly);
    EXPECT_EQ(f.grid.cell(0, 3), "Month(s)");
    EXPECT_EQ(f.column(6), (Strings{"01/00"}));

    fillUsageByKilobytesReport(f.stats, f.grid, f.context(), BucketMode::None);
    EXPECT_EQ(f.grid.cell(0, 3), "Kilobytes");
    EXPECT_EQ(f.column(6), (Strings{""}));
    fillUsageBySessionsReport(f.stats, f.grid, f.context(), BucketMode::None);
    EXPECT_EQ(f.grid.cell(1, 1), "Usage by Sessions reports the number of sessions in the given time frame."
                                 " Sessions are tracked per unique IP address.");

    ReportBuilderFixture empty;
    EXPECT_EQ(
        empty.noData([&] { fillUsageByKilobytesReport(empty.stats, empty.grid, empty.context(), BucketMode::Daily); }),
        "Data not logged in selected log file format.");
}
