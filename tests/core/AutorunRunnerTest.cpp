#include "autorun/AutorunRunner.h"
#include "autorun/RunnerLock.h"
#include "autorun/ScheduleFiles.h"
#include "common/Error.h"
#include "fakes/FakePlatform.h"
#include "fakes/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace larkspan;
using namespace larkspan::autorun;
using larkspan::testing::FakePlatform;
using larkspan::testing::TempFolder;

namespace {

// A schedule in a temporary data directory and a runner whose imports are
// scripted: each takes 1.5 seconds on the fixed clock.
class Runner : public ::testing::Test {
  protected:
    Runner() : data(temp.path() + "/") { fake.clock.set(LocalDateTime{{2024, 3, 5}, 23, 50, 10}); }

    void schedule(const std::string& webs, const std::string& interval)
    {
        temp.write("Schedule.job", webs);
        temp.write("Schedule.job.int", interval);
    }

    AutorunRunner& runner()
    {
        if (!runner_) {
            runner_ = std::make_unique<AutorunRunner>(fake.platform(), data, [this](const std::string& web) {
                imported.push_back(web);
                LocalDateTime now = fake.clock.now();
                now.millisecond += 1500;
                now.second += now.millisecond / 1000;
                now.millisecond %= 1000;
                fake.clock.set(now);
                return web == "broken" ? ImportOutcome::Failed : ImportOutcome::Completed;
            });
        }
        return *runner_;
    }

    std::string log() const { return temp.read("Schedule.log"); }

    TempFolder temp;
    std::string data;
    FakePlatform fake;
    std::vector<std::string> imported;

  private:
    std::unique_ptr<AutorunRunner> runner_;
};

const std::string kRule = "----------------------------------------------------------";

} // namespace

TEST_F(Runner, StartLogsTheHeaderAndShowsTheNextRun)
{
    temp.write("Schedule.log", "an earlier run\r\n");
    schedule("alpha\r\nbroken\r\n", "15 Minutes");
    runner().start();
    EXPECT_EQ(log(), "an earlier run\r\n\r\n" + kRule + "\r\nLarkspan Kite - Autorun Log\r\n" + kRule +
                         "\r\nScheduled Run Interval : 15 Minutes\r\nScheduled Web List : \r\nalpha\r\nbroken\r\n" +
                         kRule + "\r\nAutorun Started on 03/05/2024 at 11:50:10 PM\r\n\r\n");
    EXPECT_EQ(runner().nextRunText(), "Larkspan - Kite\nAutorun Enabled\nNext Run: 03/06/2024 12:05:10 AM");
    ASSERT_TRUE(runner().next());
    EXPECT_EQ(runner().next()->timerMs, 900'000);
}

TEST_F(Runner, AFailedImportIsLoggedAndTheRunGoesOn)
{
    schedule("broken\r\n\r\nalpha\r\n", "Daily");
    runner().start();
    const std::string header = log();
    const RunResult result = runner().run();
    EXPECT_EQ(imported, (std::vector<std::string>{"broken", "alpha"}));
    EXPECT_EQ(result.webs, 2);
    EXPECT_EQ(result.failed, 1);
    EXPECT_EQ(log().substr(header.size()),
              "Autorun Import Started on 03/05/2024 at 11:50:10 PM\r\n\r\n"
              "  Import of Web: broken started at: 11:50:10 PM\r\n"
              "  **Import of Web: broken Failed.\r\n"
              "  Elapsed Time: 0 Hour(s) 0 Minute(s) 1 Second(s) 500 Millisecond(s) \r\n"
              "  Import of Web: broken completed at: 11:50:11 PM\r\n\r\n"
              "  Import of Web: alpha started at: 11:50:11 PM\r\n"
              "  Elapsed Time: 0 Hour(s) 0 Minute(s) 1 Second(s) 500 Millisecond(s) \r\n"
              "  Import of Web: alpha completed at: 11:50:13 PM\r\n\r\n"
              "Total Elapsed Time : 0 Hour(s) 0 Minute(s) 3 Second(s) 0 Millisecond(s) \r\n"
              "Autorun Import Completed on 03/05/2024 at 11:50:13 PM\r\n" +
                  kRule + "\r\n\r\n");
    // Daily: the next run is worked out afresh from the end of the run.
    ASSERT_TRUE(runner().next());
    EXPECT_EQ(runner().next()->timerMs, 86'401'000 - (23 * 3'600'000 + 50 * 60'000 + 13'000));
}

TEST_F(Runner, AnEmptyScheduleStillLogsEachRun)
{
    schedule("", "DAILY");
    runner().start();
    const std::string header = log();
    EXPECT_NE(header.find("Scheduled Web List : \r\n" + kRule), std::string::npos);
    runner().run();
    EXPECT_EQ(log().substr(header.size()),
              "Autorun Import Started on 03/05/2024 at 11:50:10 PM\r\n\r\n"
              "Total Elapsed Time : 0 Hour(s) 0 Minute(s) 0 Second(s) 0 Millisecond(s) \r\n"
              "Autorun Import Completed on 03/05/2024 at 11:50:10 PM\r\n" +
                  kRule + "\r\n\r\n");
    EXPECT_TRUE(imported.empty());
}

TEST_F(Runner, MissingOrUnknownIntervalSchedulesNothingButKeepsTheWebsAndTheLog)
{
    temp.write("Schedule.log", "kept\r\n");
    temp.write("Schedule.job", "alpha\r\n");
    runner().start();
    EXPECT_FALSE(runner().next());
    EXPECT_EQ(runner().nextRunText(), "Larkspan - Kite\nAutorun Enabled\nNext Import Not Scheduled");
    EXPECT_EQ(runner().webs(), (std::vector<std::string>{"alpha"}));
    EXPECT_EQ(log().rfind("kept\r\n\r\n" + kRule, 0), 0u);
    runner().run();
    EXPECT_EQ(imported, (std::vector<std::string>{"alpha"}));
    EXPECT_FALSE(runner().next());
}

TEST_F(Runner, AnOversizedLogIsReplacedByAFreshHeader)
{
    schedule("alpha\r\n", "5 Minutes");
    temp.write("Schedule.log", std::string(ScheduleLog::kRotateAboveBytes + 10, 'x'));
    // A shell whose trash really takes the file.
    class MovingShell : public larkspan::testing::RecordingShell {
      public:
        bool moveToTrash(const std::string& path) override
        {
            fs::rename(path, path + ".trashed");
            return true;
        }
    } shell;
    Platform platform = fake.platform();
    Platform withTrash{platform.messages, platform.pump,   platform.progress, platform.cancel, platform.clock, shell,
                       platform.mail,     platform.charts, platform.ftp,      platform.dns,    platform.help};
    AutorunRunner runner(withTrash, data, [](const std::string&) { return ImportOutcome::Completed; });
    runner.start();
    EXPECT_EQ(shell.trashed.size(), 0u);
    EXPECT_TRUE(fs::exists(data + "Schedule.log.trashed"));
    EXPECT_EQ(log().rfind("\r\n" + kRule + "\r\nLarkspan Kite - Autorun Log\r\n", 0), 0u);

    // A log of exactly 5,120,000 bytes stays where it is.
    temp.write("Schedule.log", std::string(ScheduleLog::kRotateAboveBytes, 'x'));
    AutorunRunner again(fake.platform(), data, [](const std::string&) { return ImportOutcome::Completed; });
    again.start();
    EXPECT_TRUE(fake.shell.trashed.empty());
    EXPECT_GT(fs::file_size(data + "Schedule.log"), ScheduleLog::kRotateAboveBytes);
}

TEST_F(Runner, AStopAfterTheCurrentWebEndsTheRunAndSchedulesNothing)
{
    schedule("alpha\r\nbeta\r\n", "5 Minutes");
    runner().start();
    const RunResult result = runner().run([] { return true; });
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(imported, (std::vector<std::string>{"alpha"}));
    EXPECT_NE(log().find("Autorun Import Stopped on 03/05/2024 at 11:50:11 PM\r\n"), std::string::npos);
    EXPECT_FALSE(runner().next());
}

TEST_F(Runner, ALogThatCannotBeWrittenStopsTheRunner)
{
    schedule("alpha\r\n", "5 Minutes");
    // A planted link is never written through.
    temp.write("elsewhere.txt", "untouched");
    fs::create_symlink(temp.file("elsewhere.txt"), temp.file("Schedule.log"));
    EXPECT_THROW(runner().start(), Error);
    EXPECT_FALSE(runner().next());
    EXPECT_EQ(temp.read("elsewhere.txt"), "untouched");
    EXPECT_THROW(runner().run(), Error);
    EXPECT_FALSE(runner().next());
}

TEST_F(Runner, ALogWithoutAFinalLineBreakIsContinuedOnANewLine)
{
    temp.write("Schedule.log", "no break");
    schedule("", "5 Minutes");
    runner().start();
    EXPECT_EQ(log().rfind("no break\r\n\r\n" + kRule, 0), 0u);
}

TEST(RunnerLocking, ASecondRunnerOfTheSameDataDirectoryIsRefused)
{
    TempFolder temp;
    const std::string data = temp.path() + "/";
    RunnerLock first(data);
    ASSERT_TRUE(first.acquire());
    RunnerLock second(data);
    EXPECT_FALSE(second.acquire());
    EXPECT_NE(second.refusal().find("already running for the data directory " + data), std::string::npos);
    TempFolder otherData;
    RunnerLock elsewhere(otherData.path() + "/");
    EXPECT_TRUE(elsewhere.acquire());
    first.release();
    EXPECT_TRUE(second.acquire());
}
