// Imports in real processes, stopped, killed and run side by side: every
// source file's records are in the day files exactly once when it is
// listed as imported, and not at all when it is not.
#include "ChildProcess.h"
#include "CliRunner.h"
#include "core/ImportFixture.h"
#include "fakes/TempFolder.h"
#include "settings/FileLock.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using larkspan::testing::countRecords;
using larkspan::testing::ncsa;
using larkspan::testing::runCommandLine;
using larkspan::testing::TempFolder;
using larkspan::testing::waitFor;

namespace {

constexpr int kFiles = 3;

class ImportProcesses : public ::testing::Test {
  protected:
    ImportProcesses()
    {
        // Three logs sharing two days: the second and third append to days
        // the first wrote, so a stop inside them must cut appends back.
        for (int file = 1; file <= kFiles; ++file) {
            std::string text;
            for (int i = 0; i < lines; ++i)
                text += ncsa(i % 2 ? "10" : "11", "/f" + std::to_string(file) + "r" + std::to_string(i));
            home.write("logs/access" + std::to_string(file) + ".log", text);
        }
        EXPECT_EQ(
            cli({"web", "add", "site", "--files", home.file("logs") + "/*.log", "--new-only", "--server-url", "s"})
                .status,
            0);
    }
    larkspan::testing::CliResult cli(std::vector<std::string> args) const
    {
        args.insert(args.begin(), {"--home", home.path()});
        return runCommandLine(args);
    }
    // Runs "import site" in a child process; its messages go to errFile.
    pid_t spawnImport(const std::string& errFile) const
    {
        const pid_t pid = ::fork();
        if (pid == 0) {
            const auto result = cli({"import", "site", "--no-tracker"});
            std::ofstream(errFile) << result.err;
            std::_Exit(result.status);
        }
        return pid;
    }
    std::string journal() const { return home.file("wwwstats/site/site.lkjn"); }
    // Waits until a child is appending inside a later file, then signals it.
    void signalMidFile(pid_t pid, int signal) const
    {
        for (;;) {
            std::ifstream in(journal());
            std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            if (text.find("\nA ") != std::string::npos || text.rfind("A ", 0) == 0) break;
            if (::waitpid(pid, nullptr, WNOHANG) == pid) FAIL() << "the import ended before it could be stopped";
        }
        ::kill(pid, signal);
    }
    // Each listed file's records are there once, an unlisted file's not at all.
    int expectListedFilesExactlyOnce() const
    {
        const auto counts = countRecords(home.file("wwwstats/site"));
        std::string list;
        std::ifstream in(home.file("wwwstats/site/site.lkfl"));
        list.assign((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        int listed = 0;
        for (int file = 1; file <= kFiles; ++file) {
            const bool isListed = list.find("access" + std::to_string(file) + ".log|") != std::string::npos;
            listed += isListed;
            for (int i = 0; i < lines; i += 997) {
                const auto found = counts.find("/f" + std::to_string(file) + "r" + std::to_string(i));
                EXPECT_EQ(found == counts.end() ? 0 : found->second, isListed ? 1 : 0) << file << " " << i;
            }
        }
        std::size_t records = 0;
        for (const auto& [path, count] : counts)
            records += static_cast<std::size_t>(count);
        EXPECT_EQ(records, static_cast<std::size_t>(listed * lines));
        return listed;
    }

    const int lines = 30000;
    TempFolder home;
};

} // namespace

TEST_F(ImportProcesses, TwoImportsOfOneWebAtOnce)
{
    const pid_t first = spawnImport(home.file("first.err"));
    const pid_t second = spawnImport(home.file("second.err"));
    const int a = waitFor(first);
    const int b = waitFor(second);
    // One imports; the other waits and then finds nothing new, or refuses.
    EXPECT_TRUE(a == 0 || b == 0) << a << " " << b;
    for (int status : {a, b})
        EXPECT_TRUE(status == 0 || status == 1 || status == 3) << status;
    EXPECT_EQ(expectListedFilesExactlyOnce(), kFiles);
}

TEST_F(ImportProcesses, KilledMidFileThenRunAgain)
{
    const pid_t child = spawnImport(home.file("child.err"));
    signalMidFile(child, SIGKILL);
    EXPECT_EQ(waitFor(child), 128 + SIGKILL);
    // Until the next run the journal stands for the file under way.
    EXPECT_TRUE(fs::exists(journal()));
    const auto again = cli({"import", "site", "--no-tracker"});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_FALSE(fs::exists(journal()));
    EXPECT_EQ(expectListedFilesExactlyOnce(), kFiles);
    for (const auto& entry : fs::recursive_directory_iterator(home.file("wwwstats")))
        EXPECT_NE(entry.path().extension(), ".lkst") << entry.path();
}

TEST_F(ImportProcesses, InterruptRollsBackTheFileUnderWay)
{
    const pid_t child = spawnImport(home.file("child.err"));
    signalMidFile(child, SIGINT);
    EXPECT_EQ(waitFor(child), 3);
    std::ifstream in(home.file("child.err"));
    const std::string err((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(err.find("Import cancelled."), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(journal()));
    const int listed = expectListedFilesExactlyOnce();
    EXPECT_GE(listed, 1);
    EXPECT_LT(listed, kFiles);
}

TEST(ImportLocks, ALockLeftByAKilledProcessDoesNotBlock)
{
    TempFolder temp;
    const std::string lockFile = temp.file("site.lock");
    const std::string held = temp.file("held");
    const pid_t child = ::fork();
    if (child == 0) {
        larkspan::FileLock lock(lockFile);
        if (!lock.acquire()) std::_Exit(1);
        std::ofstream(held) << "held";
        for (;;)
            ::pause();
    }
    while (!fs::exists(held))
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    larkspan::FileLock waiting(lockFile, 20);
    EXPECT_FALSE(waiting.acquire()); // a live holder keeps it
    ::kill(child, SIGKILL);
    EXPECT_EQ(waitFor(child), 128 + SIGKILL);
    larkspan::FileLock after(lockFile, 1000);
    EXPECT_TRUE(after.acquire());
}

TEST(ImportFullDisk, AFullFilesystemFailsTheRunAndKeepsTheDays)
{
    TempFolder temp;
    const std::string home = temp.file("home");
    fs::create_directories(home);
    if (::mount("tmpfs", home.c_str(), "tmpfs", 0, "size=600k") != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root and mount rights)";
    struct Unmount {
        std::string path;
        ~Unmount() { ::umount2(path.c_str(), MNT_DETACH); }
    } unmount{home};
    auto cli = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"--home", home});
        return runCommandLine(args);
    };
    temp.write("logs/a.log", ncsa("10", "/small"));
    ASSERT_EQ(
        cli({"web", "add", "site", "--files", temp.file("logs") + "/*.log", "--new-only", "--server-url", "s"}).status,
        0);
    ASSERT_EQ(cli({"import", "site", "--no-tracker"}).status, 0);
    const std::string day = home + "/wwwstats/site/2000/LKLT1010.log";
    std::ifstream before(day);
    const std::string old((std::istreambuf_iterator<char>(before)), std::istreambuf_iterator<char>());
    // A log larger than the whole filesystem, for the same day.
    std::string big;
    for (int i = 0; i < 20000; ++i)
        big += ncsa("10", "/big" + std::to_string(i));
    temp.write("logs/b.log", big);
    const auto full = cli({"import", "site", "--no-tracker"});
    EXPECT_EQ(full.status, 1);
    EXPECT_NE(full.err.find("Error Writing Data to File"), std::string::npos) << full.err;
    std::ifstream after(day);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(after)), std::istreambuf_iterator<char>()), old);
    std::ifstream list(home + "/wwwstats/site/site.lkfl");
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(list)), std::istreambuf_iterator<char>()).find("b.log"),
              std::string::npos);
}

TEST(ImportLinks, PlantedLinksAreNeverWrittenThrough)
{
    TempFolder temp;
    const std::string home = temp.file("home");
    auto cli = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"--home", home});
        return runCommandLine(args);
    };
    const std::string log = temp.write(
        "logs/a.log", ncsa("10", "/a") + "1.2.3.4 - - [10/Oct/2002:13:55:36 -0700] \"GET /c HTTP/1.0\" 200 5\r\n");
    ASSERT_EQ(cli({"web", "add", "site", "--files", log, "--server-url", "s"}).status, 0);
    const std::string victim = temp.write("victim/file", "precious");
    const std::string victimList = temp.write("victim/list", "precious list");
    fs::create_directories(home + "/wwwstats/site/2000");
    fs::create_symlink(victim, home + "/wwwstats/site/2000/LKLT1010.log");
    fs::create_symlink(victim, home + "/wwwstats/site/2000/LKLT1010.log.lkst");
    fs::create_symlink(victimList, home + "/wwwstats/site/site.lkfl");
    fs::create_symlink(victimList, home + "/wwwstats/site/site.lkjn");
    const auto run = cli({"import", "site", "--no-tracker"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(temp.read("victim/file"), "precious");
    EXPECT_EQ(temp.read("victim/list"), "precious list");
    // The links were replaced by the web's own files, private to the user.
    EXPECT_FALSE(fs::is_symlink(home + "/wwwstats/site/2000/LKLT1010.log"));
    EXPECT_NE(temp.read("home/wwwstats/site/2000/LKLT1010.log").find("/a"), std::string::npos);
    EXPECT_EQ(fs::status(home + "/wwwstats/site/2000/LKLT1010.log").permissions() & fs::perms::others_all,
              fs::perms::none);
    EXPECT_EQ(fs::status(home + "/wwwstats/site/2002").permissions() & (fs::perms::group_all | fs::perms::others_all),
              fs::perms::none);

    // A year folder that is a link is refused with its reason.
    fs::create_directories(temp.file("victim/folder"));
    fs::create_symlink(temp.file("victim/folder"), home + "/wwwstats/site/2001");
    temp.write("logs/a.log", "1.2.3.4 - - [10/Oct/2001:13:55:36 -0700] \"GET /b HTTP/1.0\" 200 5\r\n");
    const auto refused = cli({"import", "site", "--no-tracker"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("is a symbolic link"), std::string::npos) << refused.err;
    EXPECT_TRUE(fs::is_empty(temp.file("victim/folder")));
}
