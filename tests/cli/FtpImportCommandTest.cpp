// The command line with an FTP web on a real loopback server: add, show,
// import, import again, the import offered by analyse, and the failures an
// operator meets first (a wrong password, a server without TLS).
#include "CliRunner.h"
#include "fakes/LocalFtpServer.h"
#include "fakes/TempFolder.h"
#include "platform/Clock.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace larkspan;
using namespace larkspan::testing;

namespace {

const char* const kLine = "10.0.0.1 - u1 [10/Oct/2000:13:55:36 -0700] \"GET /a.html HTTP/1.0\" 200 2326\n";

struct FtpCli {
    TempFolder home;
    TempFolder root;

    CliResult run(std::vector<std::string> args, const std::string& answer = "--yes")
    {
        args.insert(args.begin(), {"--home", home.path(), answer});
        return runCommandLine(args);
    }
    CliResult addWeb(const std::string& name, const LocalFtpServer& server, const std::string& password,
                     std::vector<std::string> extra = {})
    {
        std::vector<std::string> args{"web",    "add",   name,           "--ftp",    "--server", server.address(),
                                      "--user", "me",    "--password",   password,   "--dir",    "/logs",
                                      "--mask", "*.log", "--server-url", "www.s.com"};
        args.insert(args.end(), extra.begin(), extra.end());
        return run(args);
    }
};

} // namespace

TEST(FtpImportCommand, AddImportAndImportAgain)
{
    FtpCli cli;
    cli.root.write("logs/access.log", kLine);
    LocalFtpServer server(cli.root.path(), {"--password", "Secret-77"});
    ASSERT_EQ(cli.addWeb("site", server, "Secret-77", {"--new-only", "--delete-from-server"}).status, 0);
    const auto shown = cli.run({"web", "show", "site"});
    EXPECT_EQ(shown.out.find("Secret-77"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("FTP server: " + server.address()), std::string::npos);

    const auto first = cli.run({"import", "site"});
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.err.find("Secret-77"), std::string::npos);
    EXPECT_NE(
        cli.home.read("wwwstats/site/2000/LKLT1010.log").find("10.0.0.1 www.s.com u1 2000-10-10 13:55:36 GET /a.html"),
        std::string::npos);
    EXPECT_FALSE(fs::exists(cli.root.file("logs/access.log")));
    EXPECT_TRUE(fs::is_empty(cli.home.file("FTPTemp/site")));

    const auto second = cli.run({"import", "site"});
    EXPECT_EQ(second.status, 3);
    EXPECT_NE(second.err.find("Information: There are no files to import."), std::string::npos);
}

TEST(FtpImportCommand, AnalyseOffersTheImportOfMissingDays)
{
    FtpCli cli;
    cli.root.write("logs/access.log", kLine);
    LocalFtpServer server(cli.root.path());
    ASSERT_EQ(cli.addWeb("site", server, "secret").status, 0);
    ASSERT_EQ(
        cli.run({"profile", "new", "p", "--web", "site", "--url", "u", "--from", "10/10/2000", "--to", "10/10/2000"})
            .status,
        0);
    const auto analysed = cli.run({"analyse", "p"});
    EXPECT_EQ(analysed.status, 0) << analysed.err;
    EXPECT_NE(analysed.out.find("Hits: 1\n"), std::string::npos) << analysed.out;
    EXPECT_TRUE(fs::exists(cli.home.file("wwwstats/site/2000/LKLT1010.log")));
}

TEST(FtpImportCommand, WrongPasswordAndMissingTlsFailTheImport)
{
    FtpCli cli;
    cli.root.write("logs/access.log", kLine);
    LocalFtpServer server(cli.root.path());
    ASSERT_EQ(cli.addWeb("bad", server, "Hunter2-x").status, 0);
    const auto denied = cli.run({"import", "bad"});
    EXPECT_EQ(denied.status, 1);
    EXPECT_NE(denied.err.find("Error: Error Importing Files\nLogon to 127.0.0.1 failed"), std::string::npos)
        << denied.err;
    EXPECT_NE(denied.err.find("530"), std::string::npos);
    EXPECT_EQ(denied.err.find("Hunter2-x"), std::string::npos);

    ASSERT_EQ(cli.addWeb("tls", server, "secret", {"--ftps"}).status, 0);
    EXPECT_NE(cli.run({"web", "show", "tls"}).out.find("Explicit TLS (FTPS): TRUE"), std::string::npos);
    const auto plain = cli.run({"import", "tls"});
    EXPECT_EQ(plain.status, 1) << plain.err;
    EXPECT_FALSE(fs::exists(cli.home.file("wwwstats/tls/2000")));
    EXPECT_TRUE(fs::exists(cli.root.file("logs/access.log")));
}
