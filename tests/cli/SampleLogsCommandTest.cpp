#include "CliRunner.h"
#include "common/TextFile.h"
#include "fakes/TempFolder.h"
#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <filesystem>

using larkspan::testing::runCommandLine;
using larkspan::testing::TempFolder;

TEST(SampleLogsCommand, WritesTheDaysAskedFor)
{
    TempFolder temp;
    const std::string logs = temp.file("logs");
    const auto result = runCommandLine({"--home", temp.file("home"), "sample-logs", logs, "--layout", "w3c", "--days",
                                        "3", "--lines-per-day", "50", "--seed", "9", "--start", "2026-11-01"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "Wrote 150 records in 3 files to " + logs + "\n");
    for (const char* name : {"access-20261101.log", "access-20261102.log", "access-20261103.log"})
        EXPECT_TRUE(std::filesystem::exists(logs + "/" + name)) << name;
    std::string content;
    ASSERT_TRUE(larkspan::readWholeFile(logs + "/access-20261101.log", content));
    EXPECT_EQ(content.rfind("#Software: ", 0), 0u);
}

TEST(SampleLogsCommand, WithoutAStartTheDaysEndYesterday)
{
    TempFolder temp;
    larkspan::FixedClock clock({{2024, 3, 1}, 12, 0, 0});
    larkspan::CliServices services;
    services.clock = &clock;
    const auto result = runCommandLine({"--home", temp.file("home"), "sample-logs", temp.file("logs"), "--days", "2",
                                        "--lines-per-day", "5", "--gzip"},
                                       services);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(std::filesystem::exists(temp.file("logs/access-20240228.log.gz")));
    EXPECT_TRUE(std::filesystem::exists(temp.file("logs/access-20240229.log.gz")));
    EXPECT_FALSE(std::filesystem::exists(temp.file("logs/access-20240301.log.gz")));
}

TEST(SampleLogsCommand, BadArgumentsAreUsageErrors)
{
    TempFolder temp;
    const std::string home = temp.file("home");
    const std::string logs = temp.file("logs");
    const std::vector<std::vector<std::string>> cases{
        {"sample-logs"},
        {"sample-logs", logs, "--layout", "apache"},
        {"sample-logs", logs, "--days", "0"},
        {"sample-logs", logs, "--days", "two"},
        {"sample-logs", logs, "--lines-per-day", "-5"},
        {"sample-logs", logs, "--seed", "-1"},
        {"sample-logs", logs, "--start", "11/01/2026"},
        {"sample-logs", logs, "--start", "2026-02-30"},
        {"sample-logs", logs, "--bogus"},
    };
    for (auto args : cases) {
        args.insert(args.begin(), {"--home", home});
        const auto result = runCommandLine(args);
        EXPECT_EQ(result.status, 2) << args.back() << ": " << result.err;
    }
    EXPECT_FALSE(std::filesystem::exists(logs));
    const auto layout = runCommandLine({"--home", home, "sample-logs", logs, "--layout", "apache"});
    EXPECT_NE(
        layout.err.find("Unknown layout \"apache\"; use one of ncsa-combined|ncsa-common|ncsa-site|w3c|csv|netscape."),
        std::string::npos)
        << layout.err;
}

TEST(SampleLogsCommand, AnUnwritableFolderFails)
{
    TempFolder temp;
    const std::string blocker = temp.write("file", "x");
    const auto result = runCommandLine({"--home", temp.file("home"), "sample-logs", blocker + "/logs", "--days", "1"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("Unable to create folder " + blocker + "/logs"), std::string::npos) << result.err;
}
