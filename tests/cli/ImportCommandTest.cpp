#include "CliRunner.h"
#include "fakes/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using larkspan::testing::runCommandLine;
using larkspan::testing::TempFolder;

TEST(ImportCommand, ImportsAWebOnce)
{
    TempFolder home;
    home.write("logs/access.log", "10.0.0.1 - u1 [10/Oct/2000:13:55:36 -0700] \"GET /a.gif HTTP/1.0\" 200 2326 \"-\" \"UA\"\n");
    auto cli = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"--home", home.path()});
        return runCommandLine(args);
    };
    ASSERT_EQ(cli({"web", "add", "site", "--files", home.file("logs") + "/*.log", "--new-only", "--server-url", "www.s.com"})
                  .status,
              0);
    const auto first = cli({"import", "site"});
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_NE(first.err.find("Information: Import Complete"), std::string::npos);
    EXPECT_NE(home.read("wwwstats/site/2000/LKLT1010.log").find("10.0.0.1 www.s.com u1 2000-10-10 13:55:36 GET /a.gif"),
              std::string::npos);
    const auto second = cli({"import", "site", "--no-tracker"});
    EXPECT_EQ(second.status, 3);
    EXPECT_NE(second.err.find("Information: There are no files to import."), std::string::npos);

    const auto missing = cli({"import", "other"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("Error: Error Importing Files\nThe web other is invalid and cannot be imported."),
              std::string::npos);
    EXPECT_EQ(cli({"import"}).status, 2);
}
