#include "CliRunner.h"
#include "fakes/FakePlatform.h"
#include "fakes/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using larkspan::CliServices;
using larkspan::testing::FakeDnsResolver;
using larkspan::testing::runCommandLine;
using larkspan::testing::TempFolder;

namespace {

class TrackerCli : public ::testing::Test {
protected:
    larkspan::testing::CliResult cli(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--home", home.path()});
        CliServices services;
        services.dns = &dns;
        return runCommandLine(args, services);
    }

    void importSite(const std::vector<std::string>& extra = {})
    {
        home.write("logs/access.log",
                   "10.0.0.1 - - [10/Oct/2000:13:55:36 -0700] \"GET /index.html HTTP/1.0\" 200 2048 \"-\" \"UA\"\n"
                   "10.0.0.1 - - [10/Oct/2000:13:56:10 -0700] \"GET /logo.gif HTTP/1.0\" 200 1000 \"http://r/?a,b\" "
                   "\"UA\"\n"
                   "10.0.0.2 - - [10/Oct/2000:14:00:00 -0700] \"GET /a.css HTTP/1.0\" 200 10 \"-\" \"UA\"\n");
        ASSERT_EQ(
            cli({"web", "add", "site", "--files", home.file("logs") + "/*.log", "--server-url", "www.s.com"}).status,
            0);
        std::vector<std::string> args{"import", "site"};
        args.insert(args.end(), extra.begin(), extra.end());
        const auto imported = cli(args);
        ASSERT_EQ(imported.status, 0) << imported.err;
    }

    TempFolder home;
    FakeDnsResolver dns;
};

}  // namespace

TEST_F(TrackerCli, ImportBuildsTheTrackerAndTheCommandShowsVisitorsAndRequests)
{
    home.write("syss/nslcache.lklf", "10.0.0.2=two.example\r\n");
    importSite();
    EXPECT_TRUE(fs::exists(home.file("wwwstats/site/2000/LKLT1010.lkdus")));

    const auto visitors = cli({"tracker", "site", "2000-10-10"});
    ASSERT_EQ(visitors.status, 0) << visitors.err;
    EXPECT_EQ(visitors.out, "Host         Client    Requests  First     Last\n"
                            "10.0.0.1     10.0.0.1  2         13:55:36  13:56:10\n"
                            "two.example  10.0.0.2  1         14:00:00  14:00:00\n"
                            "2 visitors on 2000-10-10.\n");

    const auto requests = cli({"tracker", "site", "10/10/2000", "--requests", "--client", "10.0.0.1"});
    ASSERT_EQ(requests.status, 0) << requests.err;
    EXPECT_NE(requests.out.find("    13:55:36  http://www.s.com/index.html  status 200  bytes 2048\n"),
              std::string::npos)
        << requests.out;
    EXPECT_NE(requests.out.find("    13:56:10  /logo.gif  status 200  bytes 1000  from http://r/?a,b\n"),
              std::string::npos)
        << requests.out;
    EXPECT_EQ(requests.out.find("10.0.0.2"), std::string::npos);
    EXPECT_NE(requests.out.find("1 visitor on 2000-10-10."), std::string::npos);

    EXPECT_EQ(cli({"tracker", "site", "2000-10-10", "--client", "10.9.9.9"}).status, 1);
    const auto otherDay = cli({"tracker", "site", "2000-10-11"});
    EXPECT_EQ(otherDay.status, 1);
    EXPECT_NE(otherDay.err.find("has no session tracker files for 2000-10-11"), std::string::npos);
    EXPECT_EQ(cli({"tracker", "site", "not-a-date"}).status, 2);
    EXPECT_EQ(cli({"tracker", "nosuch", "2000-10-10"}).status, 1);
    EXPECT_EQ(cli({"tracker", "site"}).status, 2);
}

TEST_F(TrackerCli, NoTrackerSkipsTheBuild)
{
    importSite({"--no-tracker"});
    EXPECT_TRUE(fs::exists(home.file("wwwstats/site/2000/LKLT1010.log")));
    EXPECT_FALSE(fs::exists(home.file("wwwstats/site/2000/LKLT1010.lkmus")));
    EXPECT_EQ(cli({"tracker", "site", "2000-10-10"}).status, 1);
}

TEST_F(TrackerCli, LookupUsesTheCacheFirstAndRecordsAnswersAndFailures)
{
    dns.names["10.0.0.1"] = "host1.example";
    const auto first = cli({"lookup", "10.0.0.1"});
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.out, "Client IP:\t10.0.0.1\nhas Hostname:\thost1.example\n");
    const auto second = cli({"lookup", "10.0.0.1"});
    EXPECT_EQ(second.out, "Client IP Address:\t10.0.0.1\nClient Hostname:  \thost1.example\n");
    EXPECT_EQ(dns.calls, 1);

    const auto failed = cli({"lookup", "10.0.0.5"});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.out, "Could not resolve hostname for 10.0.0.5\n");
    cli({"lookup", "10.0.0.5"});
    EXPECT_EQ(home.read("syss/nslcache.lklf"), "10.0.0.1=host1.example\r\n");
    EXPECT_EQ(home.read("syss/nslerrs.lklf"), "10.0.0.5=Host not found\r\n");

    // A later import names the client from the cache the lookup filled.
    importSite();
    EXPECT_NE(cli({"tracker", "site", "2000-10-10"}).out.find("host1.example  10.0.0.1"), std::string::npos);
    EXPECT_EQ(cli({"lookup"}).status, 2);
}
