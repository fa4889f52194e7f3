#include "CliRunner.h"
#include "fakes/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using larkspan::testing::runCommandLine;
using larkspan::testing::TempFolder;

TEST(WebCommand, AddListShowDelete)
{
    TempFolder home;
    const std::string logs = home.path() + "/logs";
    fs::create_directories(logs);
    auto cli = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"--home", home.path()});
        return runCommandLine(args);
    };
    ASSERT_EQ(cli({"web", "add", "shop", "--files", logs + "/*.log", "--new-only", "--server-url", "www.s.com"}).status, 0);
    EXPECT_EQ(home.read("wwwstats/shop/shop.wfl"), logs + "/*.log\r\n");
    ASSERT_EQ(cli({"web", "add", "remote", "--ftp", "--server", "ftp.s.com", "--user", "u", "--password", "pw",
                   "--dir", "/logs", "--mask", "ex*.log", "--delete-from-server"})
                  .status,
              0);
    fs::create_directories(home.path() + "/FTPTemp/remote");
    home.write("FTPTemp/remote/ex1.log", "x");

    const auto list = cli({"web", "list"});
    EXPECT_EQ(list.out, "remote\tFTP\nshop\tLocal\t" + logs + "/*.log\n");
    const auto show = cli({"web", "show", "REMOTE"});
    EXPECT_NE(show.out.find("FTP server: ftp.s.com\n"), std::string::npos);
    EXPECT_NE(show.out.find("Delete files from FTP server: TRUE\n"), std::string::npos);
    EXPECT_EQ(show.out.find("pw"), std::string::npos);

    // Without --yes the question is answered No and nothing goes.
    EXPECT_EQ(cli({"web", "delete", "remote"}).status, 3);
    EXPECT_TRUE(fs::exists(home.file("wwwstats/remote/remote.dat")));
    const auto removed = cli({"--yes", "web", "delete", "remote"});
    EXPECT_EQ(removed.status, 0);
    EXPECT_NE(removed.err.find("Warning: This action cannot be undone. \nDo you really want to delete remote?"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(home.file("wwwstats/remote")));
    EXPECT_FALSE(fs::exists(home.file("FTPTemp/remote")));
    EXPECT_EQ(home.read("settings.conf").find("remote"), std::string::npos);
    EXPECT_EQ(cli({"web", "list"}).out, "shop\tLocal\t" + logs + "/*.log\n");
}

TEST(WebCommand, BadNamesAndUsage)
{
    TempFolder home;
    auto cli = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"--home", home.path()});
        return runCommandLine(args);
    };
    for (const char* name : {"../evil", "toolongname", "a/b", ""}) {
        const auto result = cli({"web", "add", name, "--files", home.path() + "/x.log"});
        EXPECT_EQ(result.status, 1) << name;
    }
    EXPECT_FALSE(fs::exists(home.file("evil")));
    EXPECT_TRUE(fs::is_empty(home.file("wwwstats")));
    EXPECT_EQ(cli({"web", "add", "w", "--files", "/x.log", "--user", "u"}).status, 2);
    EXPECT_EQ(cli({"web", "frob"}).status, 2);
    EXPECT_EQ(cli({"web", "show", "nosuch"}).status, 1);
    // Deleting with an unsafe name never reaches the wwwstats folder itself.
    home.write("wwwstats/keep/keep.dat", "keep\r\n0\r\n0\r\n");
    EXPECT_EQ(cli({"--yes", "web", "delete", ".."}).status, 1);
    EXPECT_EQ(cli({"--yes", "web", "delete", "."}).status, 1);
    EXPECT_TRUE(fs::exists(home.file("wwwstats/keep/keep.dat")));
}
