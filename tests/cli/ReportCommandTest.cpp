#include "CliRunner.h"
#include "common/Text.h"
#include "fakes/FakePlatform.h"
#include "fakes/TempFolder.h"
#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace larkspan;
using namespace larkspan::testing;

namespace {

// A web with one imported day whose requests carry markup and script in
// the path, the referrer and the user agent.
struct ReportCli {
    ReportCli()
    {
        services.clock = &clock;
        services.shell = &shell;
        home.write("wwwstats/site/site.dat", "site\r\n0\r\n");
        const std::string header =
            "#FileFormat: LKLT\r\n#Delim: SPACEDELIMITED\r\n"
            "#Fields: date time c-ip cs-method cs-uri-stem sc-status sc-bytes s-ip cs(Referer) cs(User-Agent)\r\n";
        home.write(
            "wwwstats/site/2000/LKLT0201.log",
            header + "2000-02-01 09:00:00 1.1.1.1 GET /index.htm 200 2048 s - Mozilla/5.0\r\n"
                     "2000-02-01 09:00:01 1.1.1.2 GET /index.htm 200 2048 s http://a.example/ Mozilla/5.0\r\n"
                     "2000-02-01 09:01:00 6.6.6.6 GET /<script>alert(1)</script>.htm 200 10 s "
                     "javascript:alert(2) <script>alert(3)</script>\r\n"
                     "2000-02-01 09:02:00 6.6.6.6 GET /\"><img/src=x/onerror=alert(4)>.htm 404 0 s "
                     "\"><script>alert(5)</script> \"quoted\"&<b>bold\r\n"
                     "2000-02-01 09:03:00 7.7.7.7 GET /index.htm 200 10 s "
                     "http://www.google.com/search?q=%3Cscript%3Ealert(6)%3C/script%3E <script>alert(7)</script>\r\n");
    }

    CliResult run(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--home", home.path()});
        return runCommandLine(args, services);
    }

    std::string page(const std::string& name) const { return home.read("Reports/p/" + name); }

    TempFolder home;
    FixedClock clock{LocalDateTime{{2024, 3, 1}, 12, 0, 0}};
    RecordingShell shell;
    CliServices services;
};

} // namespace

TEST(ReportCommand, WritesTheReportSetAndPrintsTheIndex)
{
    ReportCli cli;
    cli.shell.desktop = false;
    ASSERT_EQ(cli.run({"profile",
                       "new",
                       "p",
                       "--web",
                       "site",
                       "--url",
                       "www.example.com",
                       "--from",
                       "02/01/2000",
                       "--to",
                       "02/02/2000",
                       "--set",
                       "page=TRUE",
                       "--set",
                       "obrowser=TRUE",
                       "--set",
                       "ocsv=TRUE",
                       "--set",
                       "ovrwrite=TRUE",
                       "--set",
                       "maxrows=ALL"})
                  .status,
              0);
    const CliResult r = cli.run({"report", "p"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Index page: " + cli.home.path() + "/Reports/p/index.html\n");
    EXPECT_NE(r.err.find("Your CSV Files have been placed in :\n" + cli.home.path() + "/Reports/p/"),
              std::string::npos);
    EXPECT_TRUE(cli.shell.opened.empty()) << "no desktop session";

    for (const char* name : {"index.html", "LKRPages.html", "LKRTotalErrors.html", "LKRPageErrors.html"}) {
        const std::string html = cli.page(name);
        ASSERT_FALSE(html.empty()) << name;
        EXPECT_EQ(text::ifind(html, "<script"), std::string::npos) << name;
        EXPECT_EQ(text::ifind(html, "<img/src"), std::string::npos) << name;
        EXPECT_EQ(text::ifind(html, "href=\"javascript"), std::string::npos) << name;
    }
    EXPECT_NE(cli.page("LKRPages.html").find("/&lt;script&gt;alert(1)&lt;/script&gt;.htm"), std::string::npos);
    EXPECT_NE(cli.page("LKRPageErrors.html").find("s/&quot;&gt;&lt;img/src=x/onerror=alert(4)&gt;.htm"),
              std::string::npos);
    const std::string csv = cli.page("LKRPages.csv");
    EXPECT_NE(csv.find("\r\n/index.htm,3,75.0%,,\r\n"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\r\n4 Page views 2 of 2 Unique shown 100 % of all 4 Page views,,,,"), std::string::npos) << csv;
}

TEST(ReportCommand, OpensTheIndexOnlyWithADesktopAndFailsForAMissingProfile)
{
    ReportCli cli;
    ASSERT_EQ(cli.run({"profile", "new", "p", "--web", "site", "--url", "u", "--from", "02/01/2000", "--to",
                       "02/01/2000", "--set", "page=TRUE", "--set", "obrowser=TRUE"})
                  .status,
              0);
    ASSERT_EQ(cli.run({"report", "p"}).status, 0);
    EXPECT_EQ(cli.shell.opened, std::vector<std::string>{cli.home.path() + "/Reports/p/index.html"});

    const CliResult missing = cli.run({"report", "nosuch"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("Reports cannot be processed.\nError Loading Profile :nosuch"), std::string::npos);
    EXPECT_EQ(cli.run({"report"}).status, 2);
}

TEST(ReportCommand, NoReportOfAnySectionCarriesScriptFromTheLogs)
{
    ReportCli cli;
    cli.shell.desktop = false;
    ASSERT_EQ(cli.run({"profile",
                       "new",
                       "p",
                       "--web",
                       "site",
                       "--url",
                       "www.example.com",
                       "--from",
                       "02/01/2000",
                       "--to",
                       "02/01/2000",
                       "--set",
                       "page=TRUE",
                       "--set",
                       "browser=TRUE",
                       "--set",
                       "usage=TRUE",
                       "--set",
                       "referrers=TRUE",
                       "--set",
                       "trackbyses=FALSE",
                       "--set",
                       "obrowser=TRUE",
                       "--set",
                       "maxrows=ALL"})
                  .status,
              0);
    ASSERT_EQ(cli.run({"report", "p"}).status, 0);
    int pages = 0;
    for (const auto& entry : std::filesystem::directory_iterator(cli.home.path() + "/Reports/p")) {
        if (entry.path().extension() != ".html") continue;
        ++pages;
        const std::string html = cli.page(entry.path().filename().string());
        EXPECT_EQ(text::ifind(html, "<script"), std::string::npos) << entry.path();
        EXPECT_EQ(text::ifind(html, "<img/src"), std::string::npos) << entry.path();
        EXPECT_EQ(text::ifind(html, "href=\"javascript"), std::string::npos) << entry.path();
        EXPECT_EQ(text::ifind(html, "<b>bold"), std::string::npos) << entry.path();
    }
    EXPECT_GE(pages, 8);
}
