#include "CliRunner.h"

#include "platform/Network.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <new>

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

namespace {

// A resolver that runs out of memory on every question.
class ExhaustedResolver : public larkspan::DnsResolver {
  public:
    larkspan::DnsAnswer reverse(const std::string&) override { throw std::bad_alloc(); }
    larkspan::DnsAnswer forward(const std::string&) override { throw std::bad_alloc(); }
};

} // namespace

TEST(CliApp, RunningOutOfMemorySaysSoAndExitsWithOne)
{
    const std::filesystem::path home = std::filesystem::temp_directory_path() / "larkspan-cli-out-of-memory";
    std::filesystem::remove_all(home);
    ExhaustedResolver resolver;
    larkspan::CliServices services;
    services.dns = &resolver;
    const auto result = runCommandLine({"--home", home.string(), "lookup", "10.0.0.1"}, services);
    std::filesystem::remove_all(home);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "Error: Out of memory: the command stopped before it finished.\n");
}
