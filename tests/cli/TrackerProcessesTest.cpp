// The session tracker step in real processes: killed part way, refused a
// file, offered planted links. Every tracker file found afterwards is whole,
// the next run builds the days a run left without them, and nothing is ever
// written through a link.
#include "ChildProcess.h"
#include "CliRunner.h"
#include "fakes/TempFolder.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using larkspan::testing::runCommandLine;
using larkspan::testing::TempFolder;
using larkspan::testing::waitFor;

namespace {

bool isTrackerFile(const fs::path& path)
{
    return path.extension() == ".lkmus" || path.extension() == ".lkdus";
}

// A home with a web over the sample generator's logs, imported or not.
class TrackerHome {
  public:
    explicit TrackerHome(const std::string& logs)
    {
        const auto added =
            cli({"web", "add", "site", "--files", logs + "/*.log", "--new-only", "--server-url", "www.s.com"});
        EXPECT_EQ(added.status, 0) << added.err;
    }
    larkspan::testing::CliResult cli(std::vector<std::string> args) const
    {
        args.insert(args.begin(), {"--home", home.path()});
        return runCommandLine(args);
    }
    std::string webFolder() const { return home.file("wwwstats/site"); }
    // Every tracker file of the web, by name.
    std::map<std::string, std::string> trackerFiles() const
    {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(webFolder()))
            if (isTrackerFile(entry.path()))
                files[fs::relative(entry.path(), webFolder()).string()] =
                    home.read(fs::relative(entry.path(), home.path()).string());
        return files;
    }
    // A tracker file is staged: the step is writing.
    bool trackerStepUnderWay() const
    {
        std::error_code unreadable;
        for (const auto& entry : fs::recursive_directory_iterator(webFolder(), unreadable))
            if (entry.path().extension() == ".lkst" && isTrackerFile(entry.path().stem())) return true;
        return false;
    }
    std::vector<std::string> stagedFiles() const
    {
        std::vector<std::string> staged;
        for (const auto& entry : fs::recursive_directory_iterator(webFolder()))
            if (entry.path().extension() == ".lkst") staged.push_back(entry.path().string());
        return staged;
    }

    TempFolder home;
};

class TrackerProcesses : public ::testing::Test {
  protected:
    TrackerProcesses()
    {
        const auto written = runCommandLine({"sample-logs", logs.path(), "--days", "12", "--lines-per-day", "20000",
                                             "--seed", "7", "--start", "2026-03-01"});
        EXPECT_EQ(written.status, 0) << written.err;
    }

    TempFolder logs;
};

} // namespace

// Imports in a child on the threads given, killed as soon as a tracker file
// is staged; returns the tracker files of a run left whole.
std::map<std::string, std::string> killWhenStaged(const std::string& logs, const TrackerHome& killed,
                                                  const char* threads)
{
    TrackerHome reference(logs);
    EXPECT_EQ(reference.cli({"import", "site"}).status, 0);
    const auto expected = reference.trackerFiles();
    EXPECT_EQ(expected.size(), 24u);

    const pid_t child = ::fork();
    if (child == 0) {
        ::setenv("LARKSPAN_THREADS", threads, 1);
        std::_Exit(killed.cli({"import", "site"}).status);
    }
    while (!killed.trackerStepUnderWay()) {
        if (::waitpid(child, nullptr, WNOHANG) == child) {
            ADD_FAILURE() << "the import ended before it could be killed";
            return expected;
        }
    }
    ::kill(child, SIGKILL);
    EXPECT_EQ(waitFor(child), 128 + SIGKILL);

    const auto found = killed.trackerFiles();
    EXPECT_LT(found.size(), expected.size());
    for (const auto& [name, content] : found) {
        const auto known = expected.find(name);
        EXPECT_TRUE(known != expected.end() && content == known->second) << name << " is not whole, or not known";
    }
    return expected;
}

TEST_F(TrackerProcesses, KilledPartWayLeavesOnlyWholeFilesAndTheNextRunClearsWhatWasStaged)
{
    // On one thread, tracker files are staged only once every log is imported.
    TrackerHome killed(logs.path());
    const auto expected = killWhenStaged(logs.path(), killed, "1");
    // The next run has no new file, but builds the days the killed one owed.
    const auto again = killed.cli({"import", "site"});
    EXPECT_NE(again.err.find("There are no files to import."), std::string::npos) << again.err;
    EXPECT_TRUE(killed.stagedFiles().empty()) << ::testing::PrintToString(killed.stagedFiles());
    EXPECT_TRUE(killed.trackerFiles() == expected);
    EXPECT_FALSE(fs::exists(killed.webFolder() + "/site.lktd"));
}

TEST_F(TrackerProcesses, KilledWhileDaysAreBuiltAheadTheNextRunImportsTheRestAndBuildsEveryDay)
{
    // With two threads, days are staged while the logs are still imported.
    TrackerHome killed(logs.path());
    const auto expected = killWhenStaged(logs.path(), killed, "2");
    const auto again = killed.cli({"import", "site"});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_TRUE(killed.stagedFiles().empty()) << ::testing::PrintToString(killed.stagedFiles());
    EXPECT_TRUE(killed.trackerFiles() == expected);
    EXPECT_FALSE(fs::exists(killed.webFolder() + "/site.lktd"));
}

TEST_F(TrackerProcesses, KilledWhileImportingTheNextRunBuildsEveryImportedDay)
{
    TrackerHome reference(logs.path());
    ASSERT_EQ(reference.cli({"import", "site"}).status, 0);

    TrackerHome killed(logs.path());
    const pid_t child = ::fork();
    if (child == 0) std::_Exit(killed.cli({"import", "site"}).status);
    // Killed once the first log file is imported, the others still to come.
    while (!fs::exists(killed.webFolder() + "/site.lkfl"))
        ASSERT_NE(::waitpid(child, nullptr, WNOHANG), child) << "the import ended before it could be killed";
    ::kill(child, SIGKILL);
    ASSERT_EQ(waitFor(child), 128 + SIGKILL);

    const auto again = killed.cli({"import", "site"});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_TRUE(killed.trackerFiles() == reference.trackerFiles());
    EXPECT_FALSE(fs::exists(killed.webFolder() + "/site.lktd"));
}

TEST_F(TrackerProcesses, AFileThatCannotBeWrittenFailsTheImportButKeepsItsDays)
{
    TrackerHome home(logs.path());
    fs::create_directories(home.webFolder() + "/2026/LKLT0305.lkdus.lkst/blocked");
    const auto run = home.cli({"import", "site"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Unable to create file " + home.webFolder() + "/2026/LKLT0305.lkdus"), std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("cannot be written"), std::string::npos) << run.err;
    // The days are imported and listed: the next run has nothing new.
    EXPECT_TRUE(fs::exists(home.webFolder() + "/2026/LKLT0312.log"));
    EXPECT_TRUE(fs::exists(home.webFolder() + "/2026/LKLT0304.lkdus"));
    EXPECT_FALSE(fs::exists(home.webFolder() + "/2026/LKLT0305.lkmus"));
    // Once the file can be written, the next run builds the days left.
    fs::remove_all(home.webFolder() + "/2026/LKLT0305.lkdus.lkst");
    const auto again = home.cli({"import", "site"});
    EXPECT_NE(again.err.find("There are no files to import."), std::string::npos) << again.err;
    EXPECT_TRUE(home.stagedFiles().empty());
    EXPECT_EQ(home.trackerFiles().size(), 24u);
    EXPECT_FALSE(fs::exists(home.webFolder() + "/site.lktd"));
}

TEST_F(TrackerProcesses, PlantedLinksAtTrackerFilesAreReplacedNeverWrittenThrough)
{
    TrackerHome home(logs.path());
    const std::string victim = home.home.write("victim", "precious");
    fs::create_directories(home.webFolder() + "/2026");
    for (const char* name : {"LKLT0301.lkmus", "LKLT0301.lkdus", "LKLT0302.lkmus.lkst", "LKLT0302.lkdus.lkst"})
        fs::create_symlink(victim, home.webFolder() + "/2026/" + name);
    const auto run = home.cli({"import", "site"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(home.home.read("victim"), "precious");
    for (const char* name : {"LKLT0301.lkmus", "LKLT0301.lkdus", "LKLT0302.lkmus", "LKLT0302.lkdus"}) {
        const std::string path = home.webFolder() + "/2026/" + name;
        EXPECT_FALSE(fs::is_symlink(path)) << name;
        EXPECT_EQ(fs::status(path).permissions() & (fs::perms::group_all | fs::perms::others_all), fs::perms::none)
            << name;
    }
    EXPECT_TRUE(home.stagedFiles().empty());
}
