#include "CliRunner.h"

#include <gtest/gtest.h>

using larkspan::testing::runCommandLine;

TEST(CliApp, HelpAndVersion)
{
    const auto help = runCommandLine({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: larkspan-cli"), std::string::npos);
    const auto version = runCommandLine({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("larkspan-cli ", 0), 0u);
}

TEST(CliApp, UsageErrorsExitWithTwo)
{
    EXPECT_EQ(runCommandLine({}).status, 2);
    const auto unknown = runCommandLine({"no-such-command"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("Unknown command \"no-such-command\""), std::string::npos);
    EXPECT_EQ(runCommandLine({"--home"}).status, 2);
    EXPECT_EQ(runCommandLine({"--bogus", "x"}).status, 2);
}
