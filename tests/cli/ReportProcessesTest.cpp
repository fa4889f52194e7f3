// A report run in a real process, stopped by a signal part way: it ends as
// a Cancel ends it, and leaves no half-written file behind.
#include "ChildProcess.h"
#include "CliRunner.h"
#include "fakes/TempFolder.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using larkspan::testing::CliResult;
using larkspan::testing::runCommandLine;
using larkspan::testing::TempFolder;
using larkspan::testing::waitFor;

namespace {

class ReportProcesses : public ::testing::Test {
  protected:
    ReportProcesses()
    {
        // Enough requests that writing every section with its CSV file
        // takes a while after the report folder appears.
        EXPECT_EQ(
            cli({"sample-logs", home.file("logs"), "--days", "20", "--lines-per-day", "20000", "--start", "2024-01-01"})
                .status,
            0);
        EXPECT_EQ(cli({"web", "add", "site", "--files", home.file("logs") + "/*.log", "--server-url", "s"}).status, 0);
        EXPECT_EQ(cli({"import", "site", "--no-tracker"}).status, 0);
        const CliResult profile = cli({"profile",
                                       "new",
                                       "p",
                                       "--web",
                                       "site",
                                       "--url",
                                       "www.example.com",
                                       "--from",
                                       "01/01/2024",
                                       "--to",
                                       "01/31/2024",
                                       "--set",
                                       "page=TRUE",
                                       "--set",
                                       "browser=TRUE",
                                       "--set",
                                       "usage=TRUE",
                                       "--set",
                                       "referrers=TRUE",
                                       "--set",
                                       "demogs=FALSE",
                                       "--set",
                                       "ocsv=TRUE",
                                       "--set",
                                       "ovrwrite=TRUE",
                                       "--set",
                                       "maxrows=ALL"});
        EXPECT_EQ(profile.status, 0) << profile.err;
    }
    CliResult cli(std::vector<std::string> args) const
    {
        args.insert(args.begin(), {"--home", home.path()});
        return runCommandLine(args);
    }
    // Runs "report p" in a child process; its messages go to errFile.
    pid_t spawnReport(const std::string& errFile) const
    {
        const pid_t pid = ::fork();
        if (pid == 0) {
            const CliResult result = cli({"report", "p"});
            std::ofstream(errFile) << result.err;
            std::_Exit(result.status);
        }
        return pid;
    }
    std::string reportFolder() const { return home.file("Reports/p"); }
    std::vector<std::string> temporaryFiles() const
    {
        std::vector<std::string> found;
        for (const auto& entry : fs::recursive_directory_iterator(home.file("Reports")))
            if (entry.path().filename().string().find(".tmp") != std::string::npos)
                found.push_back(entry.path().string());
        return found;
    }

    TempFolder home;
};

} // namespace

TEST_F(ReportProcesses, ASignalCancelsTheReportAndLeavesNoTemporaryFile)
{
    const pid_t child = spawnReport(home.file("child.err"));
    // The folder is made once the run is under way (the analysis pass comes next).
    while (!fs::exists(reportFolder()))
        ASSERT_NE(::waitpid(child, nullptr, WNOHANG), child) << "the report ended before it could be stopped";
    ::kill(child, SIGTERM);
    EXPECT_EQ(waitFor(child), 3);
    std::ifstream in(home.file("child.err"));
    const std::string err((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(err.find("Reporting Process Cancelled by User."), std::string::npos) << err;
    EXPECT_EQ(temporaryFiles(), std::vector<std::string>{});
    EXPECT_FALSE(fs::exists(reportFolder() + "/index.html"));

    const CliResult again = cli({"report", "p"});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_TRUE(fs::exists(reportFolder() + "/index.html"));
}
