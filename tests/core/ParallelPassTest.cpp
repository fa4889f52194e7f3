#include "analysis/AnalysisPass.h"
#include "analysis/DayWorkers.h"
#include "analysis/StatisticsTable.h"
#include "common/Dates.h"
#include "common/Error.h"
#include "common/ProgramFolder.h"
#include "fakes/FakePlatform.h"
#include "fakes/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <sstream>
#include <thread>

using namespace larkspan;
using namespace larkspan::analysis;
using larkspan::testing::FakePlatform;
using larkspan::testing::TempFolder;

namespace {

const char* kHeader = "#FileFormat: LKLT\r\n#Delim: SPACEDELIMITED\r\n"
                      "#Fields: date time c-ip cs-method cs-uri-stem sc-status sc-bytes s-ip cs(User-Agent) "
                      "cs(Referer)\r\n";

std::string rec(const std::string& time, const std::string& ip, const std::string& uri, const std::string& status,
                const std::string& agent = "Mozilla/4.0", const std::string& referrer = "-",
                const std::string& bytes = "3000", const std::string& method = "GET")
{
    return "2000-02-01 " + time + " " + ip + " " + method + " " + uri + " " + status + " " + bytes + " 10.0.0.1 " +
           agent + " " + referrer + "\r\n";
}

// Days whose keys, spellings, headers and errors make the merge work: keys
// met first on a later day, other spellings of earlier keys, error
// addresses landing in the grid's last rows, a header that reorders the
// fields, days without a header of their own (they read by the field list
// before them), an empty day, robots and 404s.
std::vector<std::string> trickyDays()
{
    std::vector<std::string> days;
    for (int d = 0; d < 12; ++d) {
        const bool reordered = d == 6 || d == 7;
        std::string body = d % 4 == 3 ? std::string() : std::string(kHeader);
        if (d == 6) body = "#Fields: time date c-ip cs-method cs-uri-stem sc-status\r\n";
        if (d == 8) {
            days.push_back("");
            continue;
        }
        for (int i = 0; i < 30 + d * 7; ++i) {
            const std::string ip = "10.0." + std::to_string((i * 7 + d) % 23) + "." + std::to_string(i % 5);
            const std::string page = (i % 3 == 0 ? "/Page" : "/page") + std::to_string((i + d * 5) % 41) + ".htm";
            const std::string status = i % 11 == 0 ? "404" : (i % 13 == 0 ? "500" : "200");
            const std::string agent = i % 9 == 0 ? "Googlebot/2.1" : "Mozilla/5.0+(X" + std::to_string(i % 4) + ")";
            const std::string referrer = "http://ref" + std::to_string((i + d) % 17) + ".example/";
            if (reordered) {
                body += "10:" + std::to_string(10 + i % 50) + ":00 2000-02-01 " + ip + " GET " + page + " " + status +
                        "\r\n";
                continue;
            }
            body += rec("1" + std::to_string(i % 10) + ":00:00", ip, page, status, agent, referrer);
            if (i % 10 == 0) body += rec("12:00:00", ip, "/files/f" + std::to_string(d % 3) + ".zip", status);
            if (i % 6 == 0) body += rec("12:30:00", ip, "/img/a.gif", "200");
        }
        days.push_back(body);
    }
    return days;
}

struct Pass {
    TempFolder temp;
    ProgramFolder folder{temp.path(), ""};
    FakePlatform fake;
    StatisticsTable table;
    PassInput input;
    AnalysisResult result;

    explicit Pass(const std::vector<std::string>& days)
    {
        temp.write("wwwstats/site/site.dat", "site\r\n0\r\n");
        temp.write("syss/rasags.lklf", "Googlebot\r\n");
        std::filesystem::create_directories(folder.myProfiles());
        for (std::size_t d = 0; d < days.size(); ++d) {
            char name[64];
            std::snprintf(name, sizeof name, "wwwstats/site/2000/LKLT02%02d.log", static_cast<int>(d + 1));
            temp.write(name, days[d]);
        }
        input.dataDirectory = temp.path() + "/";
        input.web = "site";
        input.profile = "p";
        input.preDate = 7;
        input.firstDay = dayNumber({2000, 2, 1});
        input.lastDay = input.firstDay + static_cast<int>(days.size()) - 1;
        input.demographics = true;
    }

    void run(unsigned threads, EventPump* pump = nullptr)
    {
        table.reset();
        input.threads = threads;
        Platform& f = fake.platform();
        Platform platform{
            f.messages, pump ? *pump : f.pump, f.progress, f.cancel, f.clock, f.shell, f.mail, f.charts, f.ftp, f.dns,
            f.help};
        result = runAnalysisPass(platform, folder, input, table);
    }

    // Everything the pass leaves for the reports, as text.
    std::string outcome()
    {
        std::ostringstream out;
        out << result.code << ' ' << result.linesRead << ' ' << result.recordsProcessed << ' ' << result.cancelled
            << '\n'
            << table.toCellTable().serialize();
        const TrafficTallies& t = table.traffic();
        for (const RobotRow& r : t.robots())
            out << r.key << ' ' << r.hits << ' ' << r.kilobytes << ' ' << r.lastDay << ' ' << r.lastTime << '\n';
        for (const auto* rows : {&t.statuses(), &t.extensions()})
            for (const VolumeRow& r : *rows)
                out << r.key << ' ' << r.hits << ' ' << r.kilobytes << '\n';
        for (const auto* rows : {&t.notFound(), &t.notFoundReferrers()})
            for (const NotFoundRow& r : *rows)
                out << r.key << ' ' << r.hits << '\n';
        for (const TimeSlot& s : t.hours())
            out << s.hits << ' ' << s.kilobytes << ' ' << s.sessions << '\n';
        for (const TimeSlot& s : t.weekdays())
            out << s.hits << ' ' << s.sessions << '\n';
        for (double k : table.pageKilobytes())
            out << k << ' ';
        out << t.robotHits() << ' ' << t.partialDownloads() << '\n' << temp.read("My Profiles/p.dmgrpt");
        return out.str();
    }
};

// Notes how many threads the process has whenever the pass pumps events;
// presses Cancel on the given call. With slow set each call takes longer
// than the pump's interval, so every poll of the reader pumps.
class WatchingPump : public EventPump {
  public:
    explicit WatchingPump(CancelRequest& cancel) : cancel_(cancel) {}
    static std::size_t threadsNow()
    {
        std::size_t threads = 0;
        for ([[maybe_unused]] const auto& task : std::filesystem::directory_iterator("/proc/self/task"))
            ++threads;
        return threads;
    }
    void processEvents() override
    {
        ++calls;
        mostThreads = std::max(mostThreads, threadsNow());
        if (calls == cancelOnCall) cancel_.request();
        if (slow) std::this_thread::sleep_for(std::chrono::milliseconds(60));
    }
    int calls = 0;
    int cancelOnCall = 0;
    bool slow = false;
    std::size_t mostThreads = 0;

  private:
    CancelRequest& cancel_;
};

// One day holding all the tricky days, then visitors with agents of their
// own: the grid's rows grow with the pages first, then with the agents,
// while error addresses land in its last row. A path and a referrer longer
// than the blocks the second thread is handed keys in come between.
std::string oneBigDay()
{
    std::string day;
    for (const std::string& part : trickyDays())
        day += part;
    day += kHeader;
    day += rec("10:59:00", "10.8.0.1", "/long/" + std::string(300000, 'p') + ".htm", "200", "Mozilla/5.0",
               "http://long.example/" + std::string(300000, 'r'));
    for (int i = 0; i < 90; ++i) {
        const std::string ip = "10.9." + std::to_string(i) + ".1";
        const std::string status = i % 7 == 0 ? "404" : "200";
        day += rec("11:00:00", ip, "/late" + std::to_string(i % 4) + ".htm", status, "Agent" + std::to_string(i),
                   "http://late" + std::to_string(i) + ".example/");
        if (i % 9 == 0) day += rec("11:30:00", ip, "/late/f" + std::to_string(i) + ".zip", "206");
    }
    return day;
}

} // namespace

TEST(ParallelPass, OneDayCountsSomeListsOnASecondThreadAsOneThreadDoes)
{
    Pass p({oneBigDay()});
    p.input.sideTallyFrom = 0;
    WatchingPump pump(p.fake.cancel);
    // The process's own threads (a sanitizer may run one).
    const std::size_t before = WatchingPump::threadsNow();
    for (const bool details : {false, true}) {
        for (const bool noRobots : {false, true}) {
            for (const bool sessions : {false, true}) {
                p.input.details = details;
                p.input.noRobots = noRobots;
                p.input.trackBySessions = sessions;
                p.run(1);
                const std::string single = p.outcome();
                ASSERT_EQ(p.result.code, 0);
                pump.mostThreads = 0;
                p.run(2, &pump);
                EXPECT_EQ(pump.mostThreads, before + 1);
                EXPECT_EQ(p.outcome(), single)
                    << "details " << details << ", no robots " << noRobots << ", sessions " << sessions;
            }
        }
    }
    // A day smaller than the threshold is read on one thread.
    p.input.sideTallyFrom = 1u << 20;
    pump.mostThreads = 0;
    p.run(2, &pump);
    EXPECT_EQ(pump.mostThreads, before);
}

TEST(ParallelPass, ACancelledOrUnreadableDayEndsItsSecondThread)
{
    // Cancelled after as many lines with one thread and with two, the pass
    // has read and kept as many records, and its second thread is gone.
    for (const int call : {1, 3, 5}) {
        std::string single;
        for (const unsigned threads : {1u, 2u}) {
            Pass p({oneBigDay()});
            p.input.sideTallyFrom = 0;
            p.input.details = true;
            WatchingPump pump(p.fake.cancel);
            pump.slow = true;
            pump.cancelOnCall = call;
            const std::size_t before = WatchingPump::threadsNow();
            p.run(threads, &pump);
            EXPECT_TRUE(p.result.cancelled) << call;
            EXPECT_EQ(pump.mostThreads, before + threads - 1) << call;
            EXPECT_EQ(WatchingPump::threadsNow(), before) << call;
            const std::string counts =
                std::to_string(p.result.linesRead) + " " + std::to_string(p.result.recordsProcessed);
            if (threads == 1) single = counts;
            EXPECT_EQ(counts, single) << call;
        }
    }

    Pass p({oneBigDay()});
    p.input.sideTallyFrom = 0;
    std::filesystem::remove(p.temp.file("wwwstats/site/2000/LKLT0201.log"));
    std::filesystem::create_symlink(p.temp.file("nowhere"), p.temp.file("wwwstats/site/2000/LKLT0201.log"));
    EXPECT_THROW(p.run(2), Error);
    EXPECT_EQ(p.fake.messages.texts(), (std::vector<std::string>{"File Access Error : 2"}));
}

TEST(ParallelPass, EveryThreadCountFillsTheTableAsOneThreadDoes)
{
    Pass p(trickyDays());
    for (const bool details : {false, true}) {
        for (const bool sessions : {false, true}) {
            p.input.details = p.input.noRobots = details;
            p.input.trackBySessions = sessions;
            p.run(1);
            const std::string single = p.outcome();
            ASSERT_EQ(p.result.code, 0);
            for (const unsigned threads : {2u, 3u, 4u, 7u, 20u}) {
                p.run(threads);
                EXPECT_EQ(p.outcome(), single) << threads << " threads, details " << details;
            }
        }
    }
}

TEST(ParallelPass, DaysAreSplitIntoRunsOfAboutEqualBytes)
{
    TempFolder temp;
    std::vector<DayFile> files;
    for (int d = 0; d < 10; ++d) {
        const std::string name = "d" + std::to_string(d);
        temp.write(name, std::string(d == 0 ? 900 : 100, 'x'));
        files.push_back({temp.file(name), d});
    }
    EXPECT_EQ(splitDays(files, 1), (std::vector<std::size_t>{0}));
    EXPECT_EQ(splitDays(files, 2), (std::vector<std::size_t>{0, 1})); // the big day alone
    EXPECT_EQ(splitDays(files, 3), (std::vector<std::size_t>{0, 1, 4}));
    EXPECT_EQ(splitDays({files[0], files[1]}, 8), (std::vector<std::size_t>{0, 1}));
    files.push_back({temp.file("missing"), 10}); // counts as empty
    EXPECT_EQ(splitDays(files, 11).size(), 11u);
}

TEST(ParallelPass, CancelStopsEveryThreadAndAnUnreadableDayIsReportedInOrder)
{
    std::vector<std::string> days;
    for (int d = 0; d < 6; ++d) {
        std::string body = kHeader;
        for (int i = 0; i < 20000; ++i)
            body += rec("10:00:00", "10.1." + std::to_string(d) + "." + std::to_string(i % 200), "/a.htm", "200");
        days.push_back(body);
    }
    for (const int call : {1, 2, 3}) {
        Pass p(days);
        p.fake.pump.cancel = &p.fake.cancel;
        p.fake.pump.cancelOnCall = call;
        p.run(3);
        EXPECT_TRUE(p.result.cancelled) << call;
        EXPECT_LT(p.result.recordsProcessed, 6 * 20000);
    }

    // Day 5 cannot be opened: the days before it are written, then the one
    // error box and the failure, as with one thread.
    std::string single;
    for (const unsigned threads : {1u, 3u}) {
        Pass p(days);
        std::filesystem::remove(p.temp.file("wwwstats/site/2000/LKLT0205.log"));
        std::filesystem::create_symlink(p.temp.file("nowhere"), p.temp.file("wwwstats/site/2000/LKLT0205.log"));
        EXPECT_THROW(p.run(threads), Error);
        EXPECT_EQ(p.fake.messages.texts(), (std::vector<std::string>{"File Access Error : 2"}));
        const std::string demographics = p.temp.read("My Profiles/p.dmgrpt");
        EXPECT_NE(demographics.find("10.1.3.0,100\r\n"), std::string::npos);
        EXPECT_EQ(demographics.find("10.1.5.0,"), std::string::npos);
        if (threads == 1) single = demographics;
        EXPECT_EQ(demographics, single);
    }
}
