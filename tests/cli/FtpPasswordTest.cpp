#include "CliRunner.h"
#include "fakes/TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace fs = std::filesystem;
using larkspan::testing::CliResult;
using larkspan::testing::modeOf;
using larkspan::testing::runCommandLine;
using larkspan::testing::TempFolder;

namespace {

const std::vector<std::string> kFtpWeb = {"--ftp", "--server", "ftp.example.com", "--user", "u",
                                          "--dir", "/logs",    "--mask",          "ex*.log"};

std::vector<std::string> addFtpWeb(const std::string& home, const std::string& name,
                                   const std::vector<std::string>& more)
{
    std::vector<std::string> args{"--home", home, "web", "add", name};
    args.insert(args.end(), kFtpWeb.begin(), kFtpWeb.end());
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

std::string fileText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

TEST(FtpPassword, TakenFromStandardInputOrAFileAndFoundNowhereButTheSettings)
{
    TempFolder home;
    const std::string password = "Pa55-w0rd-Qz7";
    std::vector<CliResult> outputs;
    auto cli = [&](std::vector<std::string> args, const std::string& input = {}) {
        args.insert(args.begin(), {"--home", home.path()});
        outputs.push_back(runCommandLine(args, {}, input));
        return outputs.back().status;
    };
    outputs.push_back(runCommandLine(addFtpWeb(home.path(), "remote", {"--password-stdin"}), {}, password + "\r\n"));
    ASSERT_EQ(outputs.back().status, 0) << outputs.back().err;
    EXPECT_NE(fileText(home.file("settings.conf")).find("ftppwd=s:" + password + "\n"), std::string::npos);

    const std::string file = home.write("pw.txt", "from-a-file-42\nsecond line\n");
    ASSERT_EQ(runCommandLine(addFtpWeb(home.path(), "filed", {"--password-file", file})).status, 0);
    EXPECT_NE(fileText(home.file("settings.conf")).find("ftppwd=s:from-a-file-42\n"), std::string::npos);

    // One source at a time, and only for FTP webs; none at all is refused.
    EXPECT_EQ(
        runCommandLine(addFtpWeb(home.path(), "two", {"--password-stdin", "--password-file", file}), {}, "x\n").status,
        2);
    EXPECT_EQ(cli({"web", "add", "local", "--files", "/x.log", "--password-stdin"}, "x\n"), 2);
    const CliResult none = runCommandLine(addFtpWeb(home.path(), "none", {}));
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.err.find("The Web must have a Password to be saved."), std::string::npos);
    EXPECT_EQ(runCommandLine(addFtpWeb(home.path(), "nofile", {"--password-file", home.file("missing")})).status, 1);

    // A whole run over the FTP web: every output and file but the settings
    // is free of the password.
    home.write("wwwstats/remote/2000/LKLT0201.log",
               "#FileFormat: LKLT\r\n#Delim: SPACEDELIMITED\r\n#Fields: date time c-ip cs-method cs-uri-stem "
               "sc-status sc-bytes\r\n2000-02-01 09:00:00 1.1.1.1 GET /index.htm 200 2048\r\n");
    ASSERT_EQ(cli({"profile", "new", "p", "--web", "remote", "--url", "www.example.com", "--from", "02/01/2000", "--to",
                   "02/02/2000", "--set", "page=TRUE", "--set", "ocsv=TRUE", "--set", "oadmin=TRUE", "--set",
                   "admin-email=a@example.com"}),
              0);
    cli({"--yes", "report", "p"});
    cli({"web", "show", "remote"});
    cli({"web", "list"});
    cli({"profile", "show", "p"});
    for (const CliResult& r : outputs) {
        EXPECT_EQ(r.out.find(password), std::string::npos) << r.out;
        EXPECT_EQ(r.err.find(password), std::string::npos) << r.err;
    }
    EXPECT_TRUE(fs::exists(home.file("Reports/p/index.html")));
    for (const auto& entry : fs::recursive_directory_iterator(home.path())) {
        if (!entry.is_regular_file() || entry.path() == home.file("settings.conf")) continue;
        EXPECT_EQ(fileText(entry.path()).find(password), std::string::npos) << entry.path();
    }
    EXPECT_EQ(modeOf(home.file("settings.conf")), 0600u);
}

namespace {

// Reads what the terminal shows until text appears or the child is gone.
std::string readUntil(int master, const std::string& text)
{
    std::string seen;
    char buffer[512];
    while (seen.find(text) == std::string::npos) {
        struct pollfd ready {
            master, POLLIN, 0
        };
        if (::poll(&ready, 1, 20000) <= 0) break;
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n <= 0) break;
        seen.append(buffer, static_cast<std::size_t>(n));
    }
    return seen;
}

} // namespace

TEST(FtpPassword, AskedOnATerminalWithoutEcho)
{
    TempFolder home;
    const std::string password = "typed-on-tty-91";
    std::vector<std::string> args = addFtpWeb(home.path(), "tty", {});
    args.insert(args.begin(), "larkspan-cli");
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    int master = -1;
    const pid_t child = ::forkpty(&master, nullptr, nullptr, nullptr);
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::execv(LARKSPAN_CLI_PATH, argv.data());
        ::_exit(127);
    }
    const std::string prompt = readUntil(master, "Password: ");
    ASSERT_NE(prompt.find("Password: "), std::string::npos) << prompt;
    struct termios terminal {};
    ASSERT_EQ(::tcgetattr(master, &terminal), 0);
    EXPECT_EQ(terminal.c_lflag & ECHO, 0u) << "typing is shown";
    const std::string line = password + "\n";
    ASSERT_EQ(::write(master, line.data(), line.size()), static_cast<ssize_t>(line.size()));
    const std::string rest = readUntil(master, "saved in");
    // Bounded: a child stuck at its prompt fails the test instead of hanging it.
    int status = 0;
    pid_t ended = 0;
    for (int i = 0; i < 400 && ended == 0; ++i) {
        ended = ::waitpid(child, &status, WNOHANG);
        if (ended == 0) ::usleep(50000);
    }
    if (ended == 0) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
    }
    ::close(master);
    ASSERT_EQ(ended, child) << "still running after 20 s: " << prompt + rest;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << rest;
    EXPECT_EQ((prompt + rest).find(password), std::string::npos) << prompt + rest;
    EXPECT_NE(fileText(home.file("settings.conf")).find("ftppwd=s:" + password + "\n"), std::string::npos);
}
