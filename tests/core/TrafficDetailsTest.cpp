#include "ReportBuilderFixture.h"
#include "analysis/AnalysisPass.h"
#include "analysis/RobotSpotter.h"
#include "analysis/StatisticsTable.h"
#include "common/Dates.h"
#include "common/KeyValueTable.h"
#include "common/ProgramFolder.h"
#include "common/Text.h"
#include "common/TextFile.h"
#include "fakes/FakePlatform.h"
#include "fakes/TempFolder.h"
#include "reports/ReportGenerator.h"
#include "reports/TrafficReports.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>

using namespace larkspan;
using namespace larkspan::analysis;
using larkspan::testing::FakePlatform;
using larkspan::testing::TempFolder;

namespace {

const char* kHeader =
    "#FileFormat: LKLT\r\n#Delim: SPACEDELIMITED\r\n"
    "#Fields: date time c-ip cs-method cs-uri-stem sc-status sc-bytes s-ip cs(User-Agent) cs(Referer)\r\n";

std::string rec(const std::string& time, const std::string& ip, const std::string& uri, const std::string& status,
                const std::string& bytes, const std::string& agent = "Mozilla/5.0+(Windows)",
                const std::string& referrer = "-")
{
    return "2000-02-01 " + time + " " + ip + " GET " + uri + " " + status + " " + bytes + " 10.0.0.1 " + agent + " " +
           referrer + "\r\n";
}

// Tuesday 1 February 2000: nine requests, two of them from robots (one by
// the robot list, one by the "spider" word), three 404s from two referrers,
// a partial download and a redirect.
const std::string kDay =
    rec("09:10:00", "1.1.1.1", "/index.htm", "200", "2048") + rec("09:20:00", "1.1.1.1", "/pic.JPG", "200", "1024") +
    rec("10:00:00", "2.2.2.2", "/missing.htm", "404", "1024", "Mozilla/5.0", "http://a.example/links") +
    rec("10:05:00", "3.3.3.3", "/missing.htm", "404", "1024", "Mozilla/5.0", "http://b.example/") +
    rec("10:06:00", "4.4.4.4", "/MISSING.htm", "404", "1024", "Mozilla/5.0", "http://a.example/links") +
    rec("11:00:00", "2.2.2.2", "/file.zip", "206", "4096") +
    rec("11:30:00", "5.5.5.5", "/index.htm", "200", "2048", "Googlebot/2.1+(+http://www.google.com/bot.html)") +
    rec("23:59:59", "6.6.6.6", "/robots.txt", "200", "3072", "Some+Spider/1.0") +
    rec("12:00:00", "1.1.1.1", "/folder/", "301", "0");

struct DetailPass {
    TempFolder temp;
    ProgramFolder folder{temp.path(), ""};
    FakePlatform fake;
    StatisticsTable table;
    PassInput input;
    AnalysisResult result;

    DetailPass(bool noRobots, bool details)
    {
        temp.write("wwwstats/site/site.dat", "site\r\n0\r\n");
        temp.write("wwwstats/site/2000/LKLT0201.log", std::string(kHeader) + kDay);
        temp.write("syss/rasags.lklf", "Googlebot\r\n");
        std::filesystem::create_directories(folder.myProfiles());
        input.dataDirectory = temp.path() + "/";
        input.web = "site";
        input.profile = "p";
        input.preDate = 7;
        input.firstDay = input.lastDay = dayNumber({2000, 2, 1});
        input.noRobots = noRobots;
        input.details = details;
        result = runAnalysisPass(fake.platform(), folder, input, table);
    }
    const TrafficTallies& traffic() const { return table.traffic(); }
};

long long sumHits(const std::vector<VolumeRow>& rows)
{
    long long n = 0;
    for (const VolumeRow& r : rows)
        n += r.hits;
    return n;
}

} // namespace

TEST(TrafficTallies, HandCountedDayWithRobotsCounted)
{
    DetailPass p(false, true);
    const TrafficTallies& t = p.traffic();
    EXPECT_EQ(p.table.recordsProcessed(), 9);

    ASSERT_EQ(t.robots().size(), 2u);
    EXPECT_EQ(t.robotHits(), 2);
    EXPECT_EQ(t.robots()[0].key, "Googlebot");
    EXPECT_EQ(t.robots()[0].kilobytes, 2);
    EXPECT_EQ(t.robots()[0].lastTime, "11:30:00");
    EXPECT_EQ(t.robots()[1].key, "Spider");

    ASSERT_EQ(t.statuses().size(), 4u);
    EXPECT_EQ(t.statuses()[0].key, "200");
    EXPECT_EQ(t.statuses()[0].hits, 4);
    EXPECT_EQ(t.statuses()[0].kilobytes, 2 + 1 + 2 + 3);
    EXPECT_EQ(t.statuses()[1].key, "404");
    EXPECT_EQ(t.statuses()[1].hits, 3);
    EXPECT_EQ(t.statuses()[2].key, "206");
    EXPECT_EQ(t.statuses()[2].kilobytes, 4);

    // The 206 is no download, and the 404 paths merge without regard to case.
    EXPECT_TRUE(p.table.downloads().empty());
    EXPECT_EQ(t.partialDownloads(), 1);
    ASSERT_EQ(t.notFound().size(), 1u);
    EXPECT_EQ(t.notFound()[0].hits, 3);

    EXPECT_EQ(t.hours()[9].hits, 2);
    EXPECT_EQ(t.hours()[9].sessions, 1);
    EXPECT_EQ(t.hours()[10].hits, 3);
    EXPECT_EQ(t.hours()[10].sessions, 3);
    EXPECT_EQ(t.hours()[10].kilobytes, 3);
    EXPECT_EQ(t.hours()[23].hits, 1);
    EXPECT_EQ(t.weekdays()[2].hits, 9); // a Tuesday
    EXPECT_EQ(t.weekdays()[2].sessions, 6);

    EXPECT_EQ(sumHits(t.extensions()), 9);
    EXPECT_EQ(t.extensions()[0].key, "htm");
    EXPECT_EQ(t.extensions()[0].hits, 5);
    EXPECT_EQ(t.extensions()[1].key, "jpg");
    EXPECT_EQ(t.extensions().back().key, ""); // "/folder/"
    ASSERT_FALSE(p.table.pages().empty());
    ASSERT_EQ(p.table.pageKilobytes().size(), p.table.pages().size());
    EXPECT_EQ(p.table.pages()[0].path(), "/index.htm");
    EXPECT_EQ(p.table.pages()[0].count, 2);
    EXPECT_EQ(p.table.pageKilobytes()[0], 4);
}

TEST(TrafficTallies, RobotsLeftOutAddUpToTheRunWithRobotsCounted)
{
    DetailPass with(false, true);
    DetailPass without(true, true);
    EXPECT_EQ(without.traffic().robotHits(), 2);
    EXPECT_EQ(without.table.recordsProcessed() + without.traffic().robotHits(), with.table.recordsProcessed());
    EXPECT_EQ(without.table.bucketTotals().hits + 2, with.table.bucketTotals().hits);
    EXPECT_EQ(sumHits(without.traffic().statuses()) + 2, sumHits(with.traffic().statuses()));
    EXPECT_EQ(without.traffic().hours()[23].hits, 0);
    EXPECT_EQ(without.table.pages()[0].count, 1);
    EXPECT_EQ(without.table.pageKilobytes()[0], 2);
    for (const CountRow& agent : without.table.userAgents())
        EXPECT_EQ(agent.key().find("Googlebot"), std::string::npos);

    // Robots apart without the detail tallies: only the robot list is kept.
    DetailPass apartOnly(true, false);
    EXPECT_EQ(apartOnly.table.recordsProcessed(), 7);
    EXPECT_EQ(apartOnly.traffic().robotHits(), 2);
    EXPECT_TRUE(apartOnly.traffic().statuses().empty());
    EXPECT_EQ(apartOnly.table.downloads().size(), 1u); // a 206 is still a download there

    // Neither setting: nothing is tallied apart and the table is as before.
    DetailPass neither(false, false);
    EXPECT_EQ(neither.table.recordsProcessed(), 9);
    EXPECT_EQ(neither.traffic().robotHits(), 0);
    EXPECT_TRUE(neither.traffic().extensions().empty());
    EXPECT_EQ(neither.table.downloads().size(), 1u);
}

TEST(TrafficTallies, RobotNamesAndTimesOfDay)
{
    BrowserTable families;
    EXPECT_EQ(robotNameOf("Mozilla/5.0+(compatible;+bingbot/2.0;++http://www.bing.com/bingbot.htm)", families),
              "bingbot");
    EXPECT_EQ(robotNameOf("Some+Spider/1.0", families), "Spider");
    EXPECT_EQ(robotNameOf("curl/8.0", families), "curl");
    EXPECT_EQ(robotNameOf("", families), "Unknown robot");
    families.addRow("bingbot", "Bingbot", true);
    EXPECT_EQ(robotNameOf("Mozilla/5.0+(compatible;+bingbot/2.0)", families), "Bingbot");

    RobotSpotter spotter(RobotList({"curl"}), families);
    ASSERT_NE(spotter.robotName("curl/8.0"), nullptr);
    EXPECT_EQ(*spotter.robotName("CURL/8.0"), "curl"); // one verdict for every spelling of an agent
    EXPECT_EQ(spotter.robotName("Mozilla/5.0+(Windows+NT+10.0)"), nullptr);
    EXPECT_NE(spotter.robotName("Mozilla/5.0+(compatible;+bingbot/2.0)"), nullptr);

    // Many agents in turn, more than the spotter remembers at once, of equal
    // lengths and in other spellings: every verdict stays the first one.
    std::vector<std::string> agents;
    for (int i = 0; i < 40; ++i) {
        agents.push_back("Mozilla/5.0+(Browser" + std::to_string(10 + i) + ")");
        agents.push_back("Agent" + std::to_string(10 + i) + "Crawler/1.0");
    }
    for (int round = 0; round < 3; ++round) {
        for (std::size_t i = 0; i < agents.size(); i += (round + 1)) {
            std::string spelt = agents[i];
            if (round == 2) spelt = text::toUpper(spelt);
            const std::string* name = spotter.robotName(spelt);
            if (i % 2 == 0) {
                EXPECT_EQ(name, nullptr) << spelt;
            } else {
                ASSERT_NE(name, nullptr) << spelt;
                EXPECT_EQ(*name, "Agent" + std::to_string(10 + i / 2) + "Crawler");
            }
        }
    }

    EXPECT_EQ(hourOf("00:00:01"), 0);
    EXPECT_EQ(hourOf("7:05:00"), 7);
    EXPECT_EQ(hourOf("23:59:59"), 23);
    EXPECT_EQ(hourOf("24:00:00"), -1);
    EXPECT_EQ(hourOf("-"), -1);
    EXPECT_EQ(hourOf("ab:00"), -1);
    // Every time of up to four bytes from digits, colons and a few others,
    // against the rule: one or two digits before the first colon.
    const std::string alphabet = "0129:-a ";
    const auto plainHour = [](std::string_view time) {
        const std::size_t colon = time.find(':');
        if (colon == 0 || colon > 2) return -1;
        int hour = 0;
        for (std::size_t i = 0; i < colon; ++i) {
            if (time[i] < '0' || time[i] > '9') return -1;
            hour = hour * 10 + (time[i] - '0');
        }
        return hour < 24 ? hour : -1;
    };
    for (std::size_t length = 0; length <= 4; ++length) {
        std::size_t combinations = 1;
        for (std::size_t i = 0; i < length; ++i)
            combinations *= alphabet.size();
        for (std::size_t n = 0; n < combinations; ++n) {
            std::string time;
            for (std::size_t i = 0, rest = n; i < length; ++i, rest /= alphabet.size())
                time += alphabet[rest % alphabet.size()];
            EXPECT_EQ(hourOf(time), plainHour(time)) << time;
        }
    }

    // Extensions and statuses merge however they are spelt; rows show lower case.
    TrafficTallies tallies;
    tallies.countExtension("PDF", 1);
    tallies.countExtension("pdf", 2);
    tallies.countStatus("404", 1);
    tallies.countStatus("", 0);
    tallies.countStatus("404", 2);
    tallies.countStatus("-", 0);
    tallies.countStatus("4040", 0);
    ASSERT_EQ(tallies.extensions().size(), 1u);
    EXPECT_EQ(tallies.extensions()[0].key, "pdf");
    EXPECT_EQ(tallies.extensions()[0].hits, 2);
    ASSERT_EQ(tallies.statuses().size(), 3u);
    EXPECT_EQ(tallies.statuses()[0].key, "404");
    EXPECT_EQ(tallies.statuses()[0].hits, 2);
    EXPECT_EQ(tallies.statuses()[0].kilobytes, 3);
    EXPECT_EQ(tallies.statuses()[1].key, "-");
    EXPECT_EQ(tallies.statuses()[1].hits, 2);
    tallies.clear();
    tallies.countStatus("500", 0);
    ASSERT_EQ(tallies.statuses().size(), 1u);
    EXPECT_EQ(tallies.statuses()[0].key, "500");
}

namespace {

// Counts random spellings into two tallies, merges the second into the
// first and counts every spelling once more (rows the merge made must be
// found, not doubled); the rows must hold keyOf(spelling) in first-seen
// order with their counts (and kilobytes, one per request).
template <class Count, class Rows, class KeyOf>
void expectPlainTally(const std::vector<std::string>& spellings, unsigned seed, Count count, Rows rows, KeyOf keyOf)
{
    std::mt19937 random(seed);
    for (int round = 0; round < 20; ++round) {
        TrafficTallies first;
        TrafficTallies second;
        std::vector<std::pair<std::string, long long>> expected;
        const auto expect = [&](const std::string& spelt) {
            const std::string key = keyOf(spelt);
            for (auto& [k, hits] : expected)
                if (k == key) return void(++hits);
            expected.emplace_back(key, 1);
        };
        std::vector<std::string> later;
        for (int i = 0; i < 200; ++i) {
            const std::string& spelt = spellings[random() % spellings.size()];
            count(i < 100 ? first : second, spelt);
            if (i < 100)
                expect(spelt);
            else
                later.push_back(spelt);
        }
        first.mergeFrom(second);
        for (const std::string& spelt : later)
            expect(spelt);
        for (const std::string& spelt : spellings) {
            count(first, spelt);
            expect(spelt);
        }
        const auto& got = rows(first);
        ASSERT_EQ(got.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(got[i].key, expected[i].first);
            EXPECT_EQ(got[i].hits, expected[i].second) << expected[i].first;
            EXPECT_EQ(got[i].kilobytes, expected[i].second) << expected[i].first;
        }
    }
}

} // namespace

TEST(TrafficTallies, StatusesAndExtensionsCountAsAPlainTallyThroughMergesAndClears)
{
    // Three-digit codes (found by number), near misses and blanks.
    expectPlainTally(
        {"200", "304", "404", "999", "000", "20a", "2 0", "0200", "20", "", "-", "500", "2000", "/00", ":00", "200\r"},
        22, [](TrafficTallies& t, const std::string& status) { t.countStatus(status, 1); },
        [](const TrafficTallies& t) -> const auto& { return t.statuses(); },
        [](const std::string& status) { return status.empty() ? std::string("-") : status; });
    TrafficTallies cleared;
    cleared.countStatus("200", 1);
    cleared.clear();
    cleared.countStatus("404", 1);
    cleared.countStatus("200", 1);
    ASSERT_EQ(cleared.statuses().size(), 2u);
    EXPECT_EQ(cleared.statuses()[0].key, "404");
    EXPECT_EQ(cleared.statuses()[1].hits, 1);

    // Short and long extensions in mixed case, 8-bit bytes (not folded) and
    // the empty one, kept in lower case.
    expectPlainTally(
        {"html", "HTML", "Html", "css", "JPG", "jpg", "", "x", "tar.gz", "TAR.GZ", "verylongext", "VERYLONGEXT",
         "\xc9X", "\xe9x", "ab;", "AB;", "a b"},
        8, [](TrafficTallies& t, const std::string& extension) { t.countExtension(extension, 1); },
        [](const TrafficTallies& t) -> const auto& { return t.extensions(); },
        [](std::string key) {
            for (char& c : key)
                if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
            return key;
        });
}

TEST(TrafficReports, BuildersRankLimitAndExplainHandCountedLines)
{
    DetailPass p(false, true);
    ReportBuilderFixture f;
    f.settings.maxrows = "ALL";
    fillStatusCodesReport(p.table, f.grid, f.context());
    EXPECT_EQ(f.column(0), (std::vector<std::string>{"200", "404", "301", "206"})); // ties: the sort rule
    EXPECT_EQ(f.column(1), (std::vector<std::string>{"4", "3", "1", "1"}));
    EXPECT_EQ(f.column(3)[0], "8");
    EXPECT_EQ(f.column(4)[1], "404 - Client - Not Found");

    fillPagesNotFoundReport(p.table, f.grid, f.context());
    EXPECT_EQ(f.column(0), std::vector<std::string>{"/missing.htm"});
    EXPECT_EQ(f.column(3), std::vector<std::string>{"http://a.example/links"});

    fillRobotsReport(p.table, f.grid, f.context());
    EXPECT_EQ(f.column(0), (std::vector<std::string>{"Spider", "Googlebot"}));
    EXPECT_EQ(f.column(2)[0], "50.0%");
    EXPECT_EQ(f.column(3)[1], "2");
    EXPECT_EQ(f.column(4)[0], "02/01/2000 23:59:59");

    fillFileTypesReport(p.table, f.grid, f.context());
    EXPECT_EQ(f.column(0).front(), "htm");
    EXPECT_EQ(f.column(0).size(), 5u);
    EXPECT_NE(std::find(f.column(0).begin(), f.column(0).end(), std::string("(no extension)")), f.column(0).end());

    fillPageKilobytesReport(p.table, f.grid, f.context());
    EXPECT_EQ(f.column(0).front(), "/index.htm");
    EXPECT_EQ(f.column(1).front(), "4");
    EXPECT_EQ(f.column(3).front(), "2");

    // Hours and weekdays keep every slot in order, whatever maxrows says.
    f.settings.maxrows = "2";
    fillHoursOfDayReport(p.table, f.grid, f.context());
    ASSERT_EQ(f.column(0).size(), 24u);
    EXPECT_EQ(f.column(0)[9], "09:00 to 09:59");
    EXPECT_EQ(f.column(1)[10], "3");
    EXPECT_EQ(f.column(4)[10], "3");
    fillDaysOfWeekReport(p.table, f.grid, f.context());
    EXPECT_EQ(f.column(0),
              (std::vector<std::string>{"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"}));
    EXPECT_EQ(f.column(1)[2], "9");

    // Ranked reports obey maxrows and say how many are shown.
    fillStatusCodesReport(p.table, f.grid, f.context());
    EXPECT_EQ(f.column(0).size(), 2u);
    EXPECT_EQ(f.grid.cell(0, 4).rfind("7 Requests<br>2 of 4", 0), 0u) << f.grid.cell(0, 4);
}

TEST(TrafficReports, EveryBuilderSaysNoDataOnAnEmptyRun)
{
    ReportBuilderFixture f;
    f.stats.setUp();
    for (auto* build : {&fillRobotsReport, &fillStatusCodesReport, &fillPagesNotFoundReport, &fillHoursOfDayReport,
                        &fillDaysOfWeekReport, &fillFileTypesReport, &fillPageKilobytesReport})
        EXPECT_EQ(f.noData([&] { build(f.stats, f.grid, f.context()); }), kNoDataForReport);
}

namespace {

// Every file under a folder with its bytes, by path relative to it.
std::map<std::string, std::string> filesUnder(const std::string& root)
{
    std::map<std::string, std::string> out;
    if (!std::filesystem::exists(root)) return out;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) continue;
        std::string content;
        readWholeFile(entry.path().string(), content);
        out[std::filesystem::relative(entry.path(), root).string()] = content;
    }
    return out;
}

// A report run of profile "p" over the hand-counted day (without its
// partial download), every section but demographics on, CSV files too.
struct DetailRun {
    TempFolder temp;
    ProgramFolder folder{temp.path(), ""};
    FakePlatform fake;
    KeyValueTable profile;

    DetailRun()
    {
        std::string day = kDay;
        const std::string partial = rec("11:00:00", "2.2.2.2", "/file.zip", "206", "4096");
        day.erase(day.find(partial), partial.size());
        temp.write("wwwstats/site/site.dat", "site\r\n0\r\n");
        temp.write("wwwstats/site/2000/LKLT0201.log", std::string(kHeader) + day);
        temp.write("syss/rasags.lklf", "Googlebot\r\n");
        std::filesystem::create_directories(folder.myProfiles());
        profile.setText("url", "www.example.com");
        profile.setText("path", "site");
        profile.setInteger("pre-date", 7);
        profile.setInteger("start", dayNumber({2000, 2, 1}));
        profile.setInteger("end", dayNumber({2000, 2, 1}));
        profile.setText("maxrows", "ALL");
        profile.setText("csvpath", temp.path() + "/csv/");
        for (const char* key : {"browser", "usage", "page", "referrers", "ocsv", "ovrwrite", "hitpage", "hitdf"})
            profile.setBoolean(key, true);
        for (const char* key : {"demogs", "oadmin", "oconsumer", "obrowser", "gengraph", "g3d", "hitimg", "hitoth"})
            profile.setBoolean(key, false);
    }

    std::map<std::string, std::string> run()
    {
        std::filesystem::remove_all(folder.reports());
        std::filesystem::remove_all(temp.path() + "/csv");
        profile.save(folder.myProfiles() + "/p.rpf");
        const std::string dataDir = temp.path() + "/";
        ReportGenerator generator(fake.platform(), folder, dataDir,
                                  [this, dataDir](const profiles::RunProfile& p, StatisticsTable& t) {
                                      return runAnalysisPass(fake.platform(), folder, PassInput::from(p, dataDir), t);
                                  });
        EXPECT_EQ(generator.runReport("p").status, RunOutcome::Done);
        auto files = filesUnder(folder.reports() + "/p");
        for (auto& [name, bytes] : filesUnder(temp.path() + "/csv"))
            files["csv/" + name] = bytes;
        return files;
    }
};

} // namespace

TEST(TrafficReports, ProfilesWithoutTheNewKeysWriteTodaysReportSet)
{
    DetailRun r;
    const auto older = r.run();
    ASSERT_TRUE(older.count("LKRPages.html"));
    for (const auto& [name, bytes] : older)
        EXPECT_EQ(name.find("LKRRobots"), std::string::npos) << name;

    r.profile.setBoolean("norobots", false);
    r.profile.setBoolean("details", false);
    EXPECT_EQ(r.run(), older);

    // The details add their own section and files and change no other report.
    r.profile.setBoolean("details", true);
    const auto detailed = r.run();
    for (const char* name : {"LKRRobots.html", "LKRStatusCodes.html", "LKRNotFound.html", "LKRHours.html",
                             "LKRWeekdays.html", "LKRFileTypes.html", "LKRPagesByKB.html", "LKRStatusCodes.csv"})
        EXPECT_TRUE(detailed.count(name)) << name;
    for (const auto& [name, bytes] : older) {
        ASSERT_TRUE(detailed.count(name)) << name;
        if (name.find("index") == std::string::npos) {
            EXPECT_EQ(detailed.at(name), bytes) << name;
        }
    }
    EXPECT_NE(detailed.at("index.html").find("Traffic Details"), std::string::npos);
    EXPECT_NE(detailed.at("LKRNotFound.html").find("http://a.example/links"), std::string::npos);

    // Robots left out: the page report counts the one human view of /index.htm.
    r.profile.setBoolean("norobots", true);
    const auto apart = r.run();
    EXPECT_NE(apart.at("LKRRobots.html").find("Googlebot"), std::string::npos);
    EXPECT_NE(apart.at("LKRPages.html"), detailed.at("LKRPages.html"));
}
