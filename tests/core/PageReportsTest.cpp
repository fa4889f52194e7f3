#include "reports/PageReports.h"
#include "analysis/StatisticsTable.h"
#include "common/Error.h"
#include "platform/Clock.h"
#include "reports/NoDataError.h"
#include "reports/RankedBuild.h"
#include "reports/ReportContext.h"
#include "reports/ReportGrid.h"
#include "reports/StatusCodeDescription.h"
#include "reports/TemplateEngine.h"

#include <gtest/gtest.h>

using namespace larkspan;
using analysis::StatisticsTable;

namespace {

struct Fixture {
    Fixture()
    {
        settings.url = "www.example.com";
        settings.firstDay = {2024, 2, 1};
        settings.lastDay = {2024, 2, 29};
        settings.daysReported = 29;
        stats.setUp();
    }
    ReportContext context() const { return {settings, clock}; }
    void page(const std::string& path, int times, const std::string& server = "10.0.0.1")
    {
        for (int i = 0; i < times; ++i)
            stats.countPage(server, path);
    }
    void pageError(const std::string& status, int times, const std::string& key = "")
    {
        for (int i = 0; i < times; ++i) {
            stats.countErrorStatus(status);
            stats.countPageError(status);
            if (!key.empty()) stats.addErrorAddress('P', status, key);
        }
    }
    std::string noDataMessage(void (*builder)(const StatisticsTable&, ReportGrid&, const ReportContext&))
    {
        try {
            builder(stats, grid, context());
        } catch (const NoDataError& e) {
            return e.what();
        }
        return "(built)";
    }

    ReportSettings settings;
    FixedClock clock{LocalDateTime{CivilDate{2024, 3, 1}, 14, 5, 9}};
    StatisticsTable stats;
    ReportGrid grid;
};

std::vector<std::string> firstColumn(const ReportGrid& grid)
{
    std::vector<std::string> out;
    for (int r = 10; r < grid.rowCount(); ++r)
        out.push_back(grid.cell(0, r));
    return out;
}

} // namespace

TEST(StatusCodeDescription, NamesClassAndReason)
{
    EXPECT_EQ(statusCodeDescription("404"), "404 - Client - Not Found");
    EXPECT_EQ(statusCodeDescription("499"), "499 - Client - Unknown");
    EXPECT_EQ(statusCodeDescription("418"), "418 - Client - Unknown");
    EXPECT_EQ(statusCodeDescription("505"), "505 - Server - HTTP Version not supported");
    EXPECT_EQ(statusCodeDescription("416"), "416 - Client - Requested range not satisfiable");
    EXPECT_EQ(statusCodeDescription(""), " - Unknown");
    EXPECT_EQ(statusCodeDescription("5xx"), "5xx - Server - Unknown");
}

TEST(PageReports, HeaderRowsAndSummaryOfALimitedPageReport)
{
    Fixture f;
    f.settings.maxrows = "10";
    for (int i = 0; i < 10; ++i)
        f.page("/top" + std::to_string(i) + ".html", 62);
    for (int i = 0; i < 14; ++i)
        f.page("/low" + std::to_string(i) + ".html", 25);
    f.page("/mid.html", 30);
    fillPagesReport(f.stats, f.grid, f.context());

    EXPECT_EQ(f.grid.cell(0, 0), "Larkspan(tm) - 1.1.0.4");
    EXPECT_EQ(f.grid.cell(1, 0), "Page View Report for www.example.com");
    EXPECT_EQ(f.grid.cell(2, 0), "2:05:09 PM on 03/01/2024");
    EXPECT_EQ(f.grid.cell(3, 0), "Daily");
    EXPECT_EQ(f.grid.cell(4, 0), "02/01/2024");
    EXPECT_EQ(f.grid.cell(0, 1), "02/29/2024");
    EXPECT_EQ(f.grid.cell(2, 1), "29");
    EXPECT_EQ(f.grid.cell(1, 1).rfind("The Page View Analysis report lists the top 10 most popular pages", 0), 0u);
    EXPECT_EQ(f.grid.cell(0, 4), "620 Page views<br>10 of 25 Unique shown<br>62 % of all 1000 Page views");
    EXPECT_EQ(f.grid.detailCount(), 10);
    EXPECT_EQ(f.grid.cell(1, 10), "62");
    EXPECT_EQ(f.grid.cell(2, 10), "6.2%");
    EXPECT_EQ(f.grid.cell(3, 5), "-1");
    EXPECT_EQ(f.grid.cell(0, 9), "5");
    EXPECT_EQ(f.grid.cell(1, 9), "1");
    EXPECT_EQ(f.grid.cell(2, 9), "0");
    EXPECT_EQ(f.grid.cell(3, 9), "-1");
    EXPECT_EQ(f.grid.cell(4, 9), "1");
    // Equal counts follow Z to A.
    EXPECT_EQ(f.grid.cell(0, 10), "/top9.html");
    EXPECT_EQ(f.grid.cell(0, 19), "/top0.html");
}

TEST(PageReports, AllRowsUniqueCountAndLimitsAboveTheRowCount)
{
    Fixture f;
    f.settings.maxrows = "10";
    for (int i = 0; i < 8; ++i)
        f.page("/p" + std::to_string(i), i + 1);
    fillPagesReport(f.stats, f.grid, f.context());
    EXPECT_EQ(f.grid.detailCount(), 8);
    EXPECT_EQ(f.grid.cell(0, 4), "36 Page views<br>8 of 8 Unique shown<br>100 % of all 36 Page views");

    f.settings.maxrows = "ALL";
    for (int i = 0; i < 40; ++i)
        f.page("/q" + std::to_string(i), 1);
    fillPagesReport(f.stats, f.grid, f.context());
    EXPECT_EQ(f.grid.detailCount(), 48);
    EXPECT_EQ(f.grid.cell(1, 1).rfind("The Page View Analysis report lists the pages hit", 0), 0u);
}

TEST(PageReports, RootPageShowsServerAddressAndLinksToIt)
{
    Fixture f;
    f.page("/", 3, "192.168.0.9");
    fillPagesReport(f.stats, f.grid, f.context());
    ASSERT_EQ(f.grid.detailCount(), 1);
    EXPECT_EQ(f.grid.cell(0, 10), "192.168.0.9/");
    const std::string html = TemplateEngine(f.grid, "").renderReportPage("LKRPages");
    EXPECT_NE(html.find(R"(<a href="http://192.168.0.9/">192.168.0.9/</a>)"), std::string::npos);
}

TEST(PageReports, EmptyOrUnstartedListsReportNoData)
{
    Fixture f;
    EXPECT_EQ(f.noDataMessage(&fillPagesReport), "No Data for Report");
    EXPECT_EQ(f.noDataMessage(&fillDownloadsReport), "No Data for Report");
    EXPECT_EQ(f.noDataMessage(&fillTotalErrorsReport), "No Data for Report");
    EXPECT_EQ(f.noDataMessage(&fillPageErrorsReport), "No Data for Report");
    EXPECT_EQ(f.noDataMessage(&fillDownloadErrorsReport), "No Data for Report");

    Fixture never;
    never.stats.reset(); // the pass never read a block
    EXPECT_EQ(never.noDataMessage(&fillDownloadErrorsReport), "Data not logged in selected log file format.");
    EXPECT_EQ(never.noDataMessage(&fillTotalErrorsReport), "No Data for Report");
}

TEST(PageReports, MaxrowsThatIsNotANumberFailsTheBuild)
{
    Fixture f;
    f.settings.maxrows = "lots";
    f.page("/a", 1);
    try {
        fillPagesReport(f.stats, f.grid, f.context());
        FAIL();
    } catch (const NoDataError&) {
        FAIL() << "not a no-data case";
    } catch (const Error&) {
    }
}

TEST(PageReports, EachBuildStartsFromAnEmptyGrid)
{
    Fixture f;
    for (int i = 0; i < 5; ++i)
        f.page("/p" + std::to_string(i), 1);
    f.pageError("404", 2);
    fillPagesReport(f.stats, f.grid, f.context());
    EXPECT_EQ(f.grid.detailCount(), 5);
    fillTotalErrorsReport(f.stats, f.grid, f.context());
    EXPECT_EQ(firstColumn(f.grid), std::vector<std::string>{"404 - Client - Not Found"});
}

TEST(PageReports, DownloadReportLinksLeftAligned)
{
    Fixture f;
    f.stats.countDownload("10.0.0.1", "/files/a.zip");
    f.stats.countDownload("10.0.0.1", "/files/a.zip");
    f.stats.countDownload("10.0.0.2", "/files/b.zip");
    fillDownloadsReport(f.stats, f.grid, f.context());
    EXPECT_EQ(f.grid.cell(0, 4), "3 Downloads<br>2 of 2 Unique Shown<br>100 % of all 3 Downloads");
    EXPECT_EQ(f.grid.cell(2, 10), "66.667%");
    const std::string html = TemplateEngine(f.grid, "").renderReportPage("LKRDownloads");
    EXPECT_NE(
        html.find(
            R"(<td align="left" nowrap><font face="Arial" size="2"><a href="http://10.0.0.1/files/a.zip">/files/a.zip</a></font></td>)"),
        std::string::npos);
}

TEST(ErrorReports, PageErrorsListAddressesAndCompareWithAllErrors)
{
    Fixture f;
    f.pageError("404", 20, "10.0.0.1/missing.html");
    f.pageError("404", 0);
    f.stats.addErrorAddress('P', "404", "10.0.0.1/other.html");
    f.pageError("500", 10); // no address column for this code
    for (int i = 0; i < 90; ++i)
        f.stats.countErrorStatus("403");
    fillPageErrorsReport(f.stats, f.grid, f.context());

    EXPECT_EQ(f.grid.cell(3, 0), "Daily");
    EXPECT_EQ(f.grid.cell(0, 4),
              "30 Page Errors<br>2 of 2 Unique Shown<br>100 % of all 30 Page Errors<br>25 % of all 120 Errors");
    EXPECT_EQ(
        f.grid.cell(0, 10),
        "404 - Client - Not Found"
        R"(<br>&nbsp;&nbsp;&nbsp;<font size="-2"><a href="http://10.0.0.1/missing.html">10.0.0.1/missing.html</a></font>)"
        R"(<br>&nbsp;&nbsp;&nbsp;<font size="-2"><a href="http://10.0.0.1/other.html">10.0.0.1/other.html</a></font>)");
    EXPECT_EQ(f.grid.cell(0, 11), "500 - Server - Internal Server Error");
    EXPECT_EQ(f.grid.cell(5, 10), "404 - Client - Not Found");
    EXPECT_EQ(f.grid.cell(1, 9), "1");
    EXPECT_EQ(f.grid.cell(2, 9), "5");

    const std::string html = TemplateEngine(f.grid, "").renderReportPage("LKRPageErrors");
    EXPECT_NE(html.find(R"(<a href="http://10.0.0.1/other.html">10.0.0.1/other.html</a>)"), std::string::npos);
    EXPECT_NE(html.find(R"(<td align="right" valign="top"><font face="Arial" size="2">20</font></td>)"),
              std::string::npos);
    EXPECT_NE(TemplateEngine(f.grid, "").renderCsv().find("\r\n404 - Client - Not Found,20,66.667%,,\r\n"),
              std::string::npos);
}

TEST(ErrorReports, DownloadErrorsShiftCountsRightAndLeaveColumnOneEmpty)
{
    Fixture f;
    f.stats.countErrorStatus("404");
    f.stats.countDownloadError("404");
    f.stats.addErrorAddress('D', "404", "10.0.0.1/gone.zip");
    fillDownloadErrorsReport(f.stats, f.grid, f.context());
    EXPECT_EQ(f.grid.cell(1, 10), "");
    EXPECT_EQ(f.grid.cell(2, 10), "1");
    EXPECT_EQ(f.grid.cell(3, 10), "100.0%");
    EXPECT_EQ(f.grid.cell(2, 3), "# of Occurrences");
    EXPECT_EQ(f.grid.cell(1, 9), "2");
    const std::string html = TemplateEngine(f.grid, "").renderReportPage("LKRDownloadErrors");
    EXPECT_EQ(html.find("XXXRecCol1"), std::string::npos);
    // No empty head cell is left for column 1.
    EXPECT_EQ(html.find(R"(color="white"><b></b>)"), std::string::npos);
    EXPECT_NE(TemplateEngine(f.grid, "").renderCsv().find("\r\n404 - Client - Not Found,,1,100.0%,\r\n"),
              std::string::npos);
}

TEST(ErrorReports, HostileAddressesStayTextInThePage)
{
    Fixture f;
    f.page("/<script>alert(1)</script>", 2);
    f.pageError("404", 1, "10.0.0.1/\"><script>alert(2)</script>");
    fillPagesReport(f.stats, f.grid, f.context());
    std::string html = TemplateEngine(f.grid, "").renderReportPage("LKRPages");
    EXPECT_EQ(html.find("<script"), std::string::npos);
    EXPECT_NE(html.find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
    fillPageErrorsReport(f.stats, f.grid, f.context());
    html = TemplateEngine(f.grid, "").renderReportPage("LKRPageErrors");
    EXPECT_EQ(html.find("<script"), std::string::npos);
    EXPECT_NE(html.find(R"(<a href="http://10.0.0.1/&quot;&gt;&lt;script&gt;alert(2)&lt;/script&gt;">)"),
              std::string::npos);
}

TEST(RankedBuildRules, DashBecomesUnknownAndDuplicatesMerge)
{
    std::vector<ReportLine> lines{ReportLine({"-", "3"}), ReportLine({"b", "3"}), ReportLine({"B", "3"}),
                                  ReportLine({"a", "10"})};
    dashToUnknown(lines);
    EXPECT_EQ(lines[0].cell(0), "Unknown");
    sortLines(lines, 1, true);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].cell(0), "a");
    EXPECT_EQ(lines[1].cell(0), "Unknown");
    EXPECT_TRUE(lines[2].cell(0) == "b" || lines[2].cell(0) == "B");
}
