// Days built ahead of the tracker step, while the import goes on: the step
// takes over a day's build only while it is true to the day file, and a
// build that is not taken leaves nothing behind.
#include "ImportFixture.h"
#include "common/TextFile.h"
#include "fakes/Gzip.h"
#include "samples/SampleLogs.h"
#include "tracker/TrackerDatabase.h"
#include "tracker/TrackerFiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <thread>

namespace fs = std::filesystem;
using namespace larkspan;
using namespace larkspan::testing;

namespace {

// Ends the lines of a sample day in two halves.
std::pair<std::string, std::string> halves(const std::string& text)
{
    std::size_t middle = text.find('\n', text.size() / 2);
    middle = middle == std::string::npos ? text.size() : middle + 1;
    return {text.substr(0, middle), text.substr(middle)};
}

class TrackerAheadParallel : public Importing {
  protected:
    // The sample generator's NCSA logs, one a day, as texts.
    std::vector<std::string> sampleDays(int count, long lines)
    {
        samples::SampleLogOptions sample;
        sample.days = count;
        sample.linesPerDay = lines;
        sample.seed = 17;
        sample.start = CivilDate{2024, 5, 30};
        const auto written = samples::writeSampleLogs(temp.file("samples"), sample, platform.pump, platform.cancel);
        std::vector<std::string> texts;
        for (const std::string& file : written.files)
            texts.push_back(temp.read(fs::relative(file, temp.path()).string()));
        return texts;
    }

    // Every file of the web's dated folders, by path within the web.
    std::map<std::string, std::string> webFiles(const std::string& web) const
    {
        std::map<std::string, std::string> files;
        const fs::path folder = temp.file("wwwstats/" + web);
        for (const auto& entry : fs::recursive_directory_iterator(folder)) {
            const fs::path relative = fs::relative(entry.path(), folder);
            if (entry.is_regular_file() && relative.has_parent_path())
                files[relative.string()] = temp.read(fs::relative(entry.path(), temp.path()).string());
        }
        return files;
    }

    // The sample days, a log file each, imported without the tracker step.
    void importSampleDays(int count, long lines)
    {
        const auto texts = sampleDays(count, lines);
        for (std::size_t i = 0; i < texts.size(); ++i)
            temp.write("logs/" + std::to_string(i) + ".log", texts[i]);
        makeWeb(temp.file("logs") + "/*.log");
        ASSERT_EQ(import(), ImportOutcome::Completed);
    }

    tracker::TrackerDatabase database(unsigned threads)
    {
        return tracker::TrackerDatabase(platform.platform(), temp.file("syss"), std::chrono::milliseconds(0), threads);
    }

    bool stagedCount(std::size_t wanted) const
    {
        std::size_t staged = 0;
        for (const auto& entry : fs::recursive_directory_iterator(temp.file("wwwstats/w")))
            if (entry.path().extension() == ".lkst") ++staged;
        return staged == wanted;
    }
    // Waits (ten seconds at most) until every day handed over is staged.
    void waitUntilStaged(std::size_t dayCount) const
    {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!stagedCount(2 * dayCount) && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        ASSERT_TRUE(stagedCount(2 * dayCount)) << "the days were not built ahead";
    }

    std::map<std::string, std::string> trackerFiles() const
    {
        std::map<std::string, std::string> files;
        for (const std::string& day : days)
            for (const std::string& path : {tracker::summaryPathFor(day), tracker::detailPathFor(day)}) {
                std::string content;
                if (readWholeFile(path, content)) files[path] = content;
            }
        return files;
    }
};

} // namespace

TEST_F(TrackerAheadParallel, TheStepTakesOverDaysNotWrittenSinceAndBuildsTheOthersAnew)
{
    importSampleDays(4, 500);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_EQ(days.size(), 4u);

    auto appendToDay = [&](const std::string& day) {
        const std::string relative = fs::relative(day, temp.path()).string();
        temp.write(relative,
                   temp.read(relative) + "9.8.7.6 - - 2024-05-30 23:59:59 GET /late.html HTTP/1.0 200 10 - -\r\n");
    };

    tracker::TrackerDatabase ahead = database(2);
    ahead.startAhead(temp.file("wwwstats/w"), "w");
    ahead.buildAhead(days);
    waitUntilStaged(days.size());
    // Day 0 is written to and the import says so: its build is stale. Day 1
    // is changed behind the import's back: only a build taken over keeps
    // what the file said when it was read.
    std::string day1Before;
    ASSERT_TRUE(readWholeFile(days[1], day1Before));
    appendToDay(days[0]);
    ahead.daysWritten({days[0]});
    appendToDay(days[1]);
    std::vector<TrackerStep> steps;
    ahead.openCache(temp.file("wwwstats/w"), "w");
    ASSERT_TRUE(ahead.buildDays(days, [&](const TrackerStep& step) { steps.push_back(step); }));
    ahead.closeCache();
    const auto builtAhead = trackerFiles();
    EXPECT_TRUE(stagedCount(0));

    // The same days on one thread, day 1 as it was when built ahead.
    const std::string relativeDay1 = fs::relative(days[1], temp.path()).string();
    temp.write(relativeDay1, day1Before);
    tracker::TrackerDatabase alone = database(1);
    alone.openCache(temp.file("wwwstats/w"), "w");
    ASSERT_TRUE(alone.buildDays(days, [](const TrackerStep&) {}));
    alone.closeCache();
    EXPECT_EQ(builtAhead, trackerFiles());
    EXPECT_NE(builtAhead.at(tracker::detailPathFor(days[0])).find("/late.html"), std::string::npos);

    // Every line of the days is counted once, built ahead or not.
    long long lines = 0;
    for (const std::string& day : days) {
        std::string content;
        ASSERT_TRUE(readWholeFile(day, content));
        lines += std::count(content.begin(), content.end(), '\n');
    }
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(steps.back().linesRead, lines);
    EXPECT_EQ(steps.back().daysDone, days.size());
}

TEST_F(TrackerAheadParallel, BuildsNotTakenLeaveNoFileBehind)
{
    importSampleDays(3, 300);
    ASSERT_FALSE(HasFatalFailure());

    tracker::TrackerDatabase ahead = database(2);
    ahead.startAhead(temp.file("wwwstats/w"), "w");
    ahead.buildAhead(days);
    waitUntilStaged(days.size());
    ahead.dropAhead();
    EXPECT_TRUE(stagedCount(0));
    EXPECT_TRUE(trackerFiles().empty());

    // Days written to after their build are dropped by the step, which
    // builds them itself under the same staging names.
    ahead.startAhead(temp.file("wwwstats/w"), "w");
    ahead.buildAhead(days);
    waitUntilStaged(days.size());
    ahead.daysWritten(days);
    ahead.openCache(temp.file("wwwstats/w"), "w");
    ASSERT_TRUE(ahead.buildDays(days, [](const TrackerStep&) {}));
    ahead.closeCache();
    EXPECT_TRUE(stagedCount(0));
    EXPECT_EQ(trackerFiles().size(), 2 * days.size());
}

// Pauses after each file imported, long enough for the days handed over
// to be built ahead before the next file is read.
class PausingView : public ImportView {
  public:
    void refresh(const ImportStatus& status) override
    {
        if (status.filesDone == filesDone_) return;
        filesDone_ = status.filesDone;
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
    }
    void showPanel(const std::string&, int) override {}
    void hidePanel() override {}

  private:
    long long filesDone_ = 0;
};

TEST_F(TrackerAheadParallel, AnImportThatWritesDaysAgainOrRollsThemBackGivesTheFilesOfOneThread)
{
    // Day 0 is built ahead once the second file is in, and written to again
    // by the last file. Day 1 is appended to and cut back again by a
    // compressed file that ends short.
    const auto texts = sampleDays(5, 1500);
    const auto [day0Start, day0End] = halves(texts[0]);
    const auto [day1Start, day1End] = halves(texts[1]);
    std::string cut = gzip(day1End + texts[3] + texts[3]);
    cut.resize(cut.size() * 3 / 4);
    const std::vector<std::string> sources = {day0Start, day1Start, texts[2], texts[3], cut, texts[4], day0End};
    std::string list;
    for (std::size_t i = 0; i < sources.size(); ++i) {
        const std::string name = "logs/" + std::to_string(i) + (&sources[i] == &sources[4] ? ".log.gz" : ".log");
        list += (list.empty() ? "" : "\r\n") + temp.write(name, sources[i]);
    }

    std::map<std::string, std::map<std::string, std::string>> results;
    for (const unsigned threads : {1u, 2u}) {
        SCOPED_TRACE(threads);
        const std::string web = "w" + std::to_string(threads);
        fs::create_directories(temp.file("wwwstats/" + web));
        temp.write("wwwstats/" + web + "/" + web + ".dat", web + "\r\n0\r\n0\r\nsrv\r\nFALSE\r\n");
        temp.write("wwwstats/" + web + "/" + web + ".wfl", list + "\r\n");
        tracker::TrackerDatabase built = database(threads);
        ImportOptions runOptions = options;
        runOptions.threads = threads;
        PausingView pausing;
        ImportRun run(platform.platform(), webs, pausing, built, runOptions);
        EXPECT_EQ(importWeb(run, platform.platform(), web), ImportOutcome::Completed);
        results[web] = webFiles(web);
    }
    EXPECT_EQ(results["w1"], results["w2"]);
    EXPECT_EQ(results["w2"].size(), 3u * 5u); // each day: its file and two tracker files
}
