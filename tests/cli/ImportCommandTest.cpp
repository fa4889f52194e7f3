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

// The Server URL stands for the server in records and links: typed with its
// scheme it must not give "http://http://" links, and blanks in it would
// split every record imported into the web.
TEST(ImportCommand, ServerUrlIsKeptAsAnAddressAndBlanksAreRefused)
{
    TempFolder home;
    home.write("logs/access.log",
               "10.0.0.1 - u1 [10/Oct/2000:13:55:36 -0700] \"GET /index.html HTTP/1.0\" 200 2326 \"-\" \"UA\"\n");
    auto cli = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"--home", home.path()});
        return runCommandLine(args);
    };
    const std::string logs = home.file("logs") + "/*.log";

    const auto spaced = cli({"web", "add", "bad", "--files", logs, "--server-url", "www s.com"});
    EXPECT_NE(spaced.status, 0);
    EXPECT_NE(spaced.err.find("The Server URL cannot hold spaces"), std::string::npos) << spaced.err;
    EXPECT_NE(cli({"web", "add", "bad", "--files", logs, "--server-url", "s.com\nTRUE"}).status, 0);
    EXPECT_FALSE(fs::exists(home.file("wwwstats/bad")));

    ASSERT_EQ(cli({"web", "add", "site", "--files", logs, "--server-url", " HTTPS://www.s.com/ "}).status, 0);
    EXPECT_EQ(home.read("wwwstats/site/site.dat"), "site\r\n0\r\n0\r\nwww.s.com\r\nFALSE\r\n");
    ASSERT_EQ(cli({"import", "site"}).status, 0);
    EXPECT_NE(home.read("wwwstats/site/2000/LKLT1010.log").find("10.0.0.1 www.s.com u1 2000-10-10"), std::string::npos);
    EXPECT_NE(home.read("wwwstats/site/2000/LKLT1010.lkmus").find(",http://www.s.com/index.html,"), std::string::npos);

    // A settings file written by hand: the scheme is dropped at import, and
    // blanks stop the import before anything is written.
    home.write("web2/access.log",
               "10.0.0.2 - - [11/Oct/2000:09:00:00 -0700] \"GET /b.html HTTP/1.0\" 200 10 \"-\" \"UA\"\n");
    ASSERT_EQ(cli({"web", "add", "two", "--files", home.file("web2") + "/*.log"}).status, 0);
    home.write("wwwstats/two/two.dat", "two\r\n0\r\n0\r\nhttp://www.two.com\r\nFALSE\r\n");
    ASSERT_EQ(cli({"import", "two", "--no-tracker"}).status, 0);
    EXPECT_NE(home.read("wwwstats/two/2000/LKLT1011.log").find("10.0.0.2 www.two.com - 2000-10-11"), std::string::npos);

    ASSERT_EQ(cli({"web", "add", "three", "--files", home.file("web2") + "/*.log"}).status, 0);
    home.write("wwwstats/three/three.dat", "three\r\n0\r\n0\r\nwww\tthree.com\r\nFALSE\r\n");
    const auto refused = cli({"import", "three"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("The web three cannot be imported. The Server URL cannot hold spaces"), std::string::npos)
        << refused.err;
    EXPECT_FALSE(fs::exists(home.file("wwwstats/three/2000")));
}
