#include "ImportFixture.h"
#include "common/Error.h"
#include "common/TextFile.h"
#include "samples/SampleLogs.h"
#include "tracker/TrackerDatabase.h"
#include "tracker/TrackerFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace fs = std::filesystem;
using namespace larkspan;
using namespace larkspan::testing;

namespace {

// Day files of the sample generator's logs, imported without the tracker
// step, built again and again with different thread counts.
class TrackerInParallel : public Importing {
  protected:
    void importSamples(samples::SampleLayout layout, std::uint64_t seed, int days, long lines)
    {
        samples::SampleLogOptions sample;
        sample.layout = layout;
        sample.days = days;
        sample.linesPerDay = lines;
        sample.seed = seed;
        sample.start = CivilDate{2024, 2, 27};
        samples::writeSampleLogs(temp.file("logs"), sample, platform.pump, platform.cancel);
        makeWeb(temp.file("logs") + "/*");
        ASSERT_EQ(import(), ImportOutcome::Completed) << ::testing::PrintToString(messages());
        platform.messages.recorded.clear();
    }

    // Every tracker file of the run's days, by path; the files are removed
    // so the next build starts from none.
    std::map<std::string, std::string> takeTrackerFiles()
    {
        std::map<std::string, std::string> files;
        for (const std::string& day : days) {
            for (const std::string& path : {tracker::summaryPathFor(day), tracker::detailPathFor(day)}) {
                std::string content;
                if (!readWholeFile(path, content)) continue;
                files[path] = content;
                fs::remove(path);
            }
        }
        return files;
    }

    bool build(unsigned threads, std::vector<TrackerStep>* steps = nullptr)
    {
        tracker::TrackerDatabase database(platform.platform(), temp.file("syss"), std::chrono::milliseconds(0),
                                          threads);
        database.openCache(temp.file("wwwstats/w"), "w");
        const bool built = database.buildDays(days, [&](const TrackerStep& step) {
            if (steps) steps->push_back(step);
        });
        database.closeCache();
        return built;
    }

    // Days read ahead and dropped leave none of their files behind.
    void expectNoStagingLeft() const
    {
        for (const auto& entry : fs::recursive_directory_iterator(temp.file("wwwstats/w")))
            EXPECT_NE(entry.path().extension(), ".lkst") << entry.path();
    }
};

} // namespace

TEST_F(TrackerInParallel, EveryThreadCountWritesTheSameFilesAsOneThread)
{
    const struct {
        samples::SampleLayout layout;
        std::uint64_t seed;
    } cases[] = {{samples::SampleLayout::NcsaCombined, 3}, {samples::SampleLayout::W3c, 5},
                 {samples::SampleLayout::Csv, 8},          {samples::SampleLayout::NcsaSite, 13},
                 {samples::SampleLayout::Netscape, 21},    {samples::SampleLayout::NcsaCommon, 34}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(samples::layoutName(c.layout)));
        fs::remove_all(temp.file("logs"));
        fs::remove_all(temp.file("wwwstats/w"));
        fs::create_directories(temp.file("wwwstats/w"));
        importSamples(c.layout, c.seed, 9, 400);
        ASSERT_TRUE(build(1));
        const std::map<std::string, std::string> alone = takeTrackerFiles();
        ASSERT_EQ(alone.size(), 2 * days.size());
        for (const unsigned threads : {2u, 3u, 8u}) {
            ASSERT_TRUE(build(threads));
            EXPECT_EQ(takeTrackerFiles(), alone) << threads << " threads";
        }
    }
    EXPECT_TRUE(messages().empty()) << ::testing::PrintToString(messages());
}

TEST_F(TrackerInParallel, ProgressNamesEachDayInOrderAndCountsEveryLine)
{
    importSamples(samples::SampleLayout::NcsaCombined, 1, 6, 300);
    std::vector<TrackerStep> steps;
    ASSERT_TRUE(build(3, &steps));
    ASSERT_FALSE(steps.empty());
    for (std::size_t i = 1; i < steps.size(); ++i) {
        EXPECT_GE(steps[i].day, steps[i - 1].day);
        EXPECT_GE(steps[i].daysDone, steps[i - 1].daysDone);
        EXPECT_GE(steps[i].linesRead, steps[i - 1].linesRead);
    }
    EXPECT_EQ(steps.back().daysDone, days.size());
    long long lines = 0;
    for (const std::string& day : days) {
        std::string content;
        ASSERT_TRUE(readWholeFile(day, content));
        lines += std::count(content.begin(), content.end(), '\n');
    }
    EXPECT_EQ(steps.back().linesRead, lines);
}

TEST_F(TrackerInParallel, CancelKeepsTheDaysWrittenAndLeavesTheRestAsTheyWere)
{
    importSamples(samples::SampleLayout::W3c, 2, 8, 2000);
    for (const std::string& day : days)
        temp.write(fs::relative(tracker::summaryPathFor(day), temp.path()).string(), "old\r\n");
    platform.pump.cancel = &platform.cancel;
    platform.pump.cancelOnCall = platform.pump.calls + 4;
    EXPECT_FALSE(build(3));
    std::size_t rebuilt = 0;
    for (const std::string& day : days) {
        std::string summary;
        ASSERT_TRUE(readWholeFile(tracker::summaryPathFor(day), summary));
        if (summary == "old\r\n") {
            EXPECT_FALSE(fs::exists(tracker::detailPathFor(day))) << day;
        } else {
            EXPECT_EQ(rebuilt, static_cast<std::size_t>(&day - days.data())) << "days are written in order";
            ++rebuilt;
        }
    }
    EXPECT_LT(rebuilt, days.size());
    expectNoStagingLeft();
}

TEST_F(TrackerInParallel, AnUnreadableDayStopsTheBuildThereWithItsCode)
{
    importSamples(samples::SampleLayout::NcsaCombined, 4, 6, 200);
    fs::remove(days[3]);
    EXPECT_THROW(build(4), Error);
    EXPECT_EQ(messages(), std::vector<std::string>{"File Access Error : 2"});
    for (std::size_t i = 0; i < days.size(); ++i)
        EXPECT_EQ(fs::exists(tracker::summaryPathFor(days[i])), i < 3) << days[i];
}

TEST_F(TrackerInParallel, AFileThatCannotBeWrittenEndsTheBuildThereAndKeepsThatDaysPair)
{
    importSamples(samples::SampleLayout::NcsaCombined, 6, 6, 300);
    for (const unsigned threads : {1u, 3u}) {
        SCOPED_TRACE(threads);
        platform.messages.recorded.clear();
        for (const std::string& day : days) {
            for (const std::string& path : {tracker::summaryPathFor(day), tracker::detailPathFor(day)})
                temp.write(fs::relative(path, temp.path()).string(), "old\r\n");
        }
        // A folder where day 2's detail file is staged cannot be cleared away.
        const std::string blocked = tracker::detailPathFor(days[2]) + ".lkst";
        fs::create_directory(blocked);
        EXPECT_THROW(build(threads), Error);
        EXPECT_EQ(messages(), std::vector<std::string>{"Unable to create file " + tracker::detailPathFor(days[2])});
        for (std::size_t i = 0; i < days.size(); ++i) {
            std::string summary, detail;
            ASSERT_TRUE(readWholeFile(tracker::summaryPathFor(days[i]), summary));
            ASSERT_TRUE(readWholeFile(tracker::detailPathFor(days[i]), detail));
            EXPECT_EQ(summary == "old\r\n", i >= 2) << days[i];
            EXPECT_EQ(detail == "old\r\n", i >= 2) << days[i];
        }
        fs::remove(blocked);
        expectNoStagingLeft();
    }
}
