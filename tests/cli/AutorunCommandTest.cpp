#include "CliRunner.h"
#include "autorun/RunnerLock.h"
#include "fakes/TempFolder.h"

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace fs = std::filesystem;
using larkspan::testing::runCommandLine;
using larkspan::testing::TempFolder;

namespace {

// The real larkspan-cli in a process of its own; its output goes to files.
class Program {
  public:
    Program(const TempFolder& temp, std::vector<std::string> args)
        : out_(temp.file("out.txt")), err_(temp.file("err.txt"))
    {
        args.insert(args.begin(), LARKSPAN_CLI_PATH);
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        EXPECT_EQ(posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Program()
    {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            wait();
        }
    }
    int wait()
    {
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = 0;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    void signal(int number) const { kill(pid_, number); }
    std::string out() const { return read(out_); }
    std::string err() const { return read(err_); }

  private:
    static std::string read(const std::string& path)
    {
        std::string content;
        if (FILE* f = std::fopen(path.c_str(), "rb")) {
            char buffer[4096];
            for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
                content.append(buffer, n);
            std::fclose(f);
        }
        return content;
    }
    std::string out_;
    std::string err_;
    pid_t pid_ = 0;
};

std::string ncsaLine(int day)
{
    return "1.2.3.4 - - [0" + std::to_string(day) + "/Oct/2000:13:55:36 -0700] \"GET /index.html HTTP/1.0\" 200 5\r\n";
}

// A program folder with a good web (two days of log) and a broken one (a
// folder without its settings file).
class Autorun : public ::testing::Test {
  protected:
    Autorun()
    {
        temp.write("logs/access.log", ncsaLine(1) + ncsaLine(2));
        EXPECT_EQ(
            cli({"web", "add", "good", "--files", temp.file("logs") + "/*.log", "--server-url", "www.good.example"})
                .status,
            0);
        fs::create_directories(temp.file("wwwstats/broken"));
    }
    larkspan::testing::CliResult cli(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--home", temp.path()});
        return runCommandLine(args);
    }
    std::vector<std::string> program(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--home", temp.path()});
        return args;
    }

    TempFolder temp;
    TempFolder outputs;
};

} // namespace

TEST_F(Autorun, OnceExitsWithOneWhenAWebFailedAndZeroWhenAllWereImported)
{
    ASSERT_EQ(cli({"schedule", "set", "--webs", "good,BROKEN", "--interval", "5 minutes"}).status, 0);
    EXPECT_EQ(temp.read("Schedule.job"), "broken\r\ngood\r\n");

    Program once(outputs, program({"autorun", "--once"}));
    EXPECT_EQ(once.wait(), 1);
    EXPECT_EQ(once.out(), "Imported 1 of 2 scheduled web(s); 1 failed (see the log).\n");
    EXPECT_NE(once.err().find("Error Importing Files\n"), std::string::npos);
    const std::string log = temp.read("Schedule.log");
    EXPECT_NE(log.find("Scheduled Web List : \r\nbroken\r\ngood\r\n"), std::string::npos);
    EXPECT_NE(log.find("  **Import of Web: broken Failed.\r\n"), std::string::npos);
    EXPECT_NE(log.find("  Import of Web: good completed at: "), std::string::npos);
    EXPECT_EQ(log.find("Import Complete\r\n"), std::string::npos);
    EXPECT_TRUE(fs::exists(temp.file("wwwstats/good/2000/LKLT1002.log")));
    larkspan::autorun::RunnerLock released(temp.path() + "/");
    EXPECT_TRUE(released.acquire());
    released.release();

    ASSERT_EQ(cli({"schedule", "set", "--webs", "good"}).status, 0);
    Program again(outputs, program({"autorun", "--once"}));
    EXPECT_EQ(again.wait(), 0);
    EXPECT_EQ(again.out(), "Imported 1 of 1 scheduled web(s).\n");
}

TEST_F(Autorun, ASecondRunnerOfTheDataDirectoryRefusesToStart)
{
    ASSERT_EQ(cli({"schedule", "set", "--webs", "good", "--interval", "Weekly"}).status, 0);
    TempFolder firstOutput;
    Program first(firstOutput, program({"autorun"}));
    // The foreground runner says when its first run comes once it holds the lock.
    for (int i = 0; i < 200 && first.out().find("Next Run: ") == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_NE(first.out().find("Next Run: "), std::string::npos) << first.err();

    Program second(outputs, program({"autorun", "--once"}));
    EXPECT_EQ(second.wait(), 1);
    EXPECT_NE(second.err().find("Autorun is already running for the data directory " + temp.path() + "/"),
              std::string::npos);
    // The desktop's runner takes the same lock.
    larkspan::autorun::RunnerLock desktop(temp.path() + "/");
    EXPECT_FALSE(desktop.acquire());

    first.signal(SIGTERM);
    EXPECT_EQ(first.wait(), 0);
    EXPECT_NE(first.out().find("Autorun stopped.\n"), std::string::npos);
    EXPECT_TRUE(desktop.acquire());
}

TEST_F(Autorun, ScheduleSetChecksLikeTheEditorAndShowTellsWhatRuns)
{
    EXPECT_EQ(cli({"schedule", "set", "--webs", "good,nowhere"}).status, 1);
    EXPECT_FALSE(fs::exists(temp.file("Schedule.job")));
    EXPECT_EQ(cli({"schedule", "set", "--interval", "13 Minutes"}).status, 2);
    EXPECT_EQ(cli({"schedule", "set"}).status, 2);
    ASSERT_EQ(cli({"schedule", "set", "--interval", "DAILY"}).status, 0);
    EXPECT_EQ(temp.read("Schedule.job.int"), "DAILY");
    EXPECT_EQ(temp.read("Schedule.job"), "");

    ASSERT_EQ(cli({"schedule", "set", "--webs", "good, broken"}).status, 0);
    EXPECT_EQ(temp.read("Schedule.job.int"), "DAILY");
    fs::remove_all(temp.file("wwwstats/broken"));
    const auto shown = cli({"schedule", "show"});
    EXPECT_EQ(shown.status, 0);
    EXPECT_NE(shown.out.find("Interval: DAILY\n"), std::string::npos);
    EXPECT_NE(shown.out.find("First run if autorun starts now: "), std::string::npos);
    EXPECT_NE(shown.out.find("  broken (no longer available)\n  good\n"), std::string::npos);

    // Setting only the interval keeps a removed web, as answering No in the editor does.
    ASSERT_EQ(cli({"--no", "schedule", "set", "--interval", "Weekly"}).status, 0);
    EXPECT_EQ(temp.read("Schedule.job"), "broken\r\ngood\r\n");
    ASSERT_EQ(cli({"schedule", "set", "--webs", ""}).status, 0);
    EXPECT_EQ(temp.read("Schedule.job"), "");
}
