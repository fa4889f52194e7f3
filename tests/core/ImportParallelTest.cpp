// A conversion whose lines are read ahead on a worker thread writes exactly
// what the conversion on one thread writes: the same day files byte for
// byte, the same lists and the same messages, and it is all or nothing in
// the same way when it fails or is cancelled.
#include "ImportFixture.h"
#include "fakes/Gzip.h"
#include "samples/SampleLogs.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace larkspan;
using larkspan::testing::gzip;
using larkspan::testing::RecordingTracker;
using larkspan::testing::RecordingView;
using larkspan::testing::TempFolder;

namespace {

// What one run left: outcome, messages, the days it names and every file of
// the web's folder but its settings (keyed without the web's own name).
struct RunResult {
    ImportOutcome outcome = ImportOutcome::Failed;
    std::vector<std::string> messages;
    std::vector<std::string> days;
    std::map<std::string, std::string> files;
    long long records = 0;
};

void PrintTo(const RunResult& r, std::ostream* out)
{
    *out << static_cast<int>(r.outcome) << " " << ::testing::PrintToString(r.messages) << " " << r.files.size()
         << " files";
}

bool operator==(const RunResult& a, const RunResult& b)
{
    return a.outcome == b.outcome && a.messages == b.messages && a.days == b.days && a.files == b.files &&
           a.records == b.records;
}

class ImportParallel : public ::testing::Test {
  protected:
    ImportParallel() : store(temp.file("settings.conf")), webs(store, temp.path()) {}

    void makeWeb(const std::string& web, const std::string& fileList, bool newOnly = false)
    {
        fs::create_directories(temp.file("wwwstats/" + web));
        temp.write("wwwstats/" + web + "/" + web + ".dat",
                   web + "\r\n0\r\n0\r\nsrv\r\n" + (newOnly ? "TRUE" : "FALSE") + "\r\n");
        temp.write("wwwstats/" + web + "/" + web + ".wfl", fileList + "\r\n");
    }

    std::map<std::string, std::string> webFiles(const std::string& web) const
    {
        std::map<std::string, std::string> files;
        const fs::path folder = temp.file("wwwstats/" + web);
        for (const auto& entry : fs::recursive_directory_iterator(folder)) {
            if (!entry.is_regular_file()) continue;
            const std::string ext = entry.path().extension().string();
            if (ext == ".dat" || ext == ".wfl" || ext == ".lock") continue;
            std::string name = fs::relative(entry.path(), folder).string();
            if (name.rfind(web + ".", 0) == 0) name = "WEB" + name.substr(web.size());
            files[name] = temp.read("wwwstats/" + web + "/" + fs::relative(entry.path(), folder).string());
        }
        return files;
    }

    RunResult import(const std::string& web, unsigned threads)
    {
        ImportOptions options;
        options.temporaryFolder = temp.file("~tmp");
        options.pumpInterval = std::chrono::milliseconds(0);
        options.threads = threads;
        options.readAheadFrom = 0; // the test logs are small
        ImportRun run(platform.platform(), webs, view, tracker, options);
        const std::size_t before = platform.messages.recorded.size();
        RunResult result;
        result.outcome = importWeb(run, platform.platform(), web);
        const auto texts = platform.messages.texts();
        result.messages.assign(texts.begin() + static_cast<long>(before), texts.end());
        const std::string folder = webs.webFolder(web);
        for (const std::string& day : run.runDays())
            result.days.push_back(day.substr(folder.size()));
        result.files = webFiles(web);
        result.records = run.recordsImported();
        return result;
    }

    // Imports the same list into a web on one thread, one read ahead (two
    // threads) and one also written behind (three), and expects the same.
    void expectSameImports(const std::string& fileList, const std::string& name, bool newOnly = false)
    {
        for (char threads : {'1', '2', '3'})
            makeWeb(name + threads, fileList, newOnly);
        const RunResult single = import(name + "1", 1);
        for (unsigned threads : {2u, 3u}) {
            const RunResult ahead = import(name + std::to_string(threads), threads);
            EXPECT_EQ(single, ahead) << name << threads;
            EXPECT_EQ(single.files, ahead.files) << name << threads; // the differing file, when they differ
            EXPECT_EQ(ahead.outcome, ImportOutcome::Completed) << ::testing::PrintToString(ahead.messages);
            last = ahead;
        }
    }

    std::vector<std::string> sampleLogs(samples::SampleLayout layout, std::uint64_t seed, bool gzipped, int days,
                                        long lines)
    {
        // From 27 February 2024: three days or more take in the leap day.
        const samples::SampleLogOptions options{.layout = layout,
                                                .days = days,
                                                .linesPerDay = lines,
                                                .seed = seed,
                                                .start = CivilDate{2024, 2, 27},
                                                .gzip = gzipped};
        const std::string folder = temp.file("logs/" + std::to_string(static_cast<int>(layout)) + "-" +
                                             std::to_string(seed) + (gzipped ? "z" : ""));
        return samples::writeSampleLogs(folder, options, platform.pump, platform.cancel).files;
    }

    static std::string join(const std::vector<std::string>& paths)
    {
        std::string list;
        for (const std::string& path : paths)
            list += (list.empty() ? "" : "\r\n") + path;
        return list;
    }

    TempFolder temp;
    larkspan::testing::FakePlatform platform;
    SettingsStore store;
    WebStore webs;
    RecordingView view;
    RecordingTracker tracker;
    RunResult last;
};

// Splits text after whole lines into parts of about size bytes.
std::vector<std::string> splitLines(const std::string& text, std::size_t parts)
{
    std::vector<std::string> out;
    std::size_t from = 0;
    for (std::size_t k = 1; k <= parts; ++k) {
        std::size_t to = k == parts ? text.size() : text.find('\n', text.size() * k / parts);
        to = to == std::string::npos ? text.size() : std::min(text.size(), to + 1);
        out.push_back(text.substr(from, to - from));
        from = to;
    }
    return out;
}

} // namespace

TEST_F(ImportParallel, EveryLayoutAndSeedGivesTheSameDayFiles)
{
    using samples::SampleLayout;
    int n = 0;
    for (SampleLayout layout : {SampleLayout::NcsaCommon, SampleLayout::NcsaCombined, SampleLayout::NcsaSite,
                                SampleLayout::W3c, SampleLayout::Csv, SampleLayout::Netscape})
        for (std::uint64_t seed : {1u, 29u}) {
            // Compressed sources on the second seed.
            const auto files = sampleLogs(layout, seed, seed != 1, 3, 2500);
            expectSameImports(join(files), "web" + std::to_string(n++));
            EXPECT_EQ(last.days.size(), 3u);
            EXPECT_EQ(last.records, 7500);
        }
}

TEST_F(ImportParallel, DaysSplitOverManyFilesAndAFileThatFailsMidWay)
{
    // Every source file holds a part of every day, so each day is written
    // anew by the first and appended to by the others; one file's days
    // alternate line by line; one compressed file is cut short after many
    // blocks and must leave nothing behind.
    const auto days = sampleLogs(samples::SampleLayout::NcsaCombined, 3, false, 4, 6000);
    std::vector<std::vector<std::string>> parts;
    for (const std::string& day : days)
        parts.push_back(splitLines(temp.read(fs::relative(day, temp.path()).string()), 5));
    std::vector<std::string> list;
    for (std::size_t k = 0; k < 5; ++k) {
        std::string content;
        for (const auto& dayParts : parts)
            content += dayParts[k];
        const std::string name = "split/part" + std::to_string(k) + ".log";
        list.push_back(k == 2 ? temp.write(name + ".gz", gzip(content)) : temp.write(name, content));
    }
    const auto first = splitLines(parts[0][0], 40), second = splitLines(parts[1][0], 40);
    std::string alternating;
    for (std::size_t i = 0; i < first.size(); ++i)
        alternating += first[i] + second[i];
    list.insert(list.begin() + 1, temp.write("split/alternating.log", alternating));
    std::string cut = gzip(parts[3][1] + parts[2][4] + parts[2][4]);
    cut.resize(cut.size() * 3 / 4);
    const std::string damaged = temp.write("split/cut.log.gz", cut);
    list.insert(list.begin() + 3, damaged);

    expectSameImports(join(list), "split");
    ASSERT_EQ(last.messages.size(), 2u) << ::testing::PrintToString(last.messages);
    EXPECT_EQ(
        last.messages[0].rfind("The file: " + damaged + " could not be read.\nCannot read the compressed file", 0), 0u);
    EXPECT_EQ(last.messages[1], "Import Complete");
    EXPECT_EQ(last.records, 4 * 6000 + std::count(alternating.begin(), alternating.end(), '\n'));
    EXPECT_EQ(last.files.count("2024/LKLT0227.log"), 1u);
    EXPECT_EQ(last.files.count("2024/LKLT0301.log"), 1u);
}

TEST_F(ImportParallel, NewFilesOnlyUnderRotationReadsTheSameNewLines)
{
    const std::string text = temp.read(
        fs::relative(sampleLogs(samples::SampleLayout::NcsaCombined, 5, false, 1, 9000)[0], temp.path()).string());
    const auto parts = splitLines(text, 3);
    fs::create_directories(temp.file("rotating"));
    const std::string log = temp.file("rotating/access.log");
    const std::string list = temp.file("rotating") + "/access.log*";
    for (const char* web : {"rot1", "rot2", "rot3"})
        makeWeb(web, list, true);
    auto both = [&](const std::string& step) {
        const RunResult single = import("rot1", 1);
        for (unsigned threads : {2u, 3u}) {
            const RunResult ahead = import("rot" + std::to_string(threads), threads);
            EXPECT_EQ(single, ahead) << step << threads;
            EXPECT_EQ(single.files, ahead.files) << step << threads;
        }
    };
    std::ofstream(log, std::ios::binary) << parts[0];
    both("first");
    std::ofstream(log, std::ios::binary | std::ios::app) << parts[1];
    both("grown");
    fs::rename(log, log + ".1");
    std::ofstream(log, std::ios::binary) << parts[2];
    both("rotated");
    // Every record exactly once.
    long long records = 0;
    for (const auto& [path, count] : larkspan::testing::countRecords(webs.webFolder("rot2")))
        records += count;
    EXPECT_EQ(records, 9000);
}

TEST_F(ImportParallel, CancelMidFileLeavesTheDaysAsTheyWere)
{
    const auto days = sampleLogs(samples::SampleLayout::NcsaCombined, 8, false, 2, 20000);
    makeWeb("c", days[0]);
    ASSERT_EQ(import("c", 3).outcome, ImportOutcome::Completed);
    const auto before = webFiles("c");
    // The second run writes the first day anew and the second; it is
    // cancelled deep into its first file, with the reader well ahead and
    // writes under way behind.
    makeWeb("c", days[0] + "\r\n" + days[1]);
    platform.pump.calls = 0;
    platform.pump.cancel = &platform.cancel;
    platform.pump.cancelOnCall = 300;
    const RunResult cancelled = import("c", 3);
    EXPECT_EQ(cancelled.outcome, ImportOutcome::Cancelled);
    EXPECT_EQ(cancelled.messages, std::vector<std::string>{"Import cancelled."});
    EXPECT_GE(platform.pump.calls, 300);
    EXPECT_EQ(cancelled.files, before);
    EXPECT_TRUE(cancelled.days.empty());
}

TEST_F(ImportParallel, AWriteFailureEndsTheRunAsOnOneThread)
{
    // The second file's day cannot be staged (a folder stands at the staged
    // copy's name): the first file stays imported, the second leaves nothing.
    const auto days = sampleLogs(samples::SampleLayout::NcsaCombined, 4, false, 3, 4000);
    RunResult results[3];
    for (unsigned threads : {1u, 2u, 3u}) {
        const std::string web = "fail" + std::to_string(threads);
        makeWeb(web, join(days));
        fs::create_directories(temp.file("wwwstats/" + web + "/2024/LKLT0228.log.lkst"));
        results[threads - 1] = import(web, threads);
        // The message names the web's own day file.
        for (std::string& message : results[threads - 1].messages)
            if (const auto at = message.find(web); at != std::string::npos) message.replace(at, web.size(), "fail");
    }
    for (int k : {1, 2}) {
        EXPECT_EQ(results[0], results[k]) << k;
        EXPECT_EQ(results[0].files, results[k].files) << k;
    }
    EXPECT_EQ(results[1].outcome, ImportOutcome::Failed);
    EXPECT_EQ(results[1].messages, std::vector<std::string>{"Error Importing Files\nError Writing Data to File: " +
                                                            webs.webFolder("fail") + "2024/LKLT0228.log: File exists"});
    EXPECT_EQ(results[1].files.count("2024/LKLT0227.log"), 1u);
    EXPECT_EQ(results[1].files.count("2024/LKLT0228.log"), 0u);
    EXPECT_FALSE(fs::exists(temp.file("wwwstats/fail2/fail2.lkjn")));
}
