#include "CliRunner.h"
#include "common/TextFile.h"
#include "fakes/TempFolder.h"

#include <gtest/gtest.h>

#include <string>

using larkspan::testing::runCommandLine;
using larkspan::testing::TempFolder;

namespace {

// The number after "label: " at the start of a line of the output, or -1.
long long valueOf(const std::string& out, const std::string& label)
{
    const std::string key = "\n" + label + ": ";
    const std::size_t at = ("\n" + out).find(key);
    if (at == std::string::npos) return -1;
    return std::stoll(out.substr(at + key.size() - 1));
}

} // namespace

// Generated logs with crawlers among the visitors, reported from a profile
// made from the shipped base (robots apart, details on) and then with robots counted.
TEST(TrafficDetailsCommand, RobotsApartAndCountedAddUpOnAGeneratedLog)
{
    TempFolder temp;
    const std::string home = temp.file("home");
    auto cli = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"--home", home, "--yes"});
        return runCommandLine(args);
    };
    ASSERT_EQ(cli({"sample-logs", temp.file("logs"), "--layout", "ncsa-combined", "--days", "2", "--lines-per-day",
                   "600", "--seed", "5", "--start", "2026-01-01"})
                  .status,
              0);
    ASSERT_EQ(cli({"web", "add", "site", "--files", temp.file("logs") + "/*.log"}).status, 0);
    ASSERT_EQ(cli({"import", "site", "--no-tracker"}).status, 0);
    ASSERT_EQ(cli({"profile", "new", "p", "--web", "site", "--url", "http://www.example.com", "--from", "01/01/2026",
                   "--to", "01/02/2026", "--set", "maxrows=ALL"})
                  .status,
              0);

    const auto apart = cli({"analyse", "p", "--lists"});
    ASSERT_EQ(apart.status, 0) << apart.err;
    const long long robots = valueOf(apart.out, "Robot hits");
    EXPECT_GT(robots, 0);
    EXPECT_NE(apart.out.find("Status codes: "), std::string::npos);

    ASSERT_EQ(cli({"profile", "set", "p", "norobots=no"}).status, 0);
    const auto counted = cli({"analyse", "p", "--lists"});
    ASSERT_EQ(counted.status, 0) << counted.err;
    EXPECT_EQ(valueOf(counted.out, "Robot hits"), robots); // still listed, now also counted
    EXPECT_EQ(valueOf(counted.out, "Records processed"), valueOf(apart.out, "Records processed") + robots);
    EXPECT_EQ(valueOf(counted.out, "Lines read"), valueOf(apart.out, "Lines read"));

    const auto report = cli({"report", "p"});
    ASSERT_EQ(report.status, 0) << report.err;
    std::string index;
    ASSERT_TRUE(larkspan::readWholeFile(home + "/Reports/p/index.html", index));
    EXPECT_NE(index.find("LKRRobots.html"), std::string::npos);
    EXPECT_NE(index.find("LKRHours.html"), std::string::npos);
}
