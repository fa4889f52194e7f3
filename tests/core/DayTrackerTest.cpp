#include "tracker/DayTracker.h"
#include "common/Text.h"
#include "fakes/TempFolder.h"
#include "tracker/HostNameCache.h"
#include "tracker/TrackerLine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace larkspan;
using namespace larkspan::tracker;
using larkspan::testing::TempFolder;

namespace {

const char* const kHeader = "#FileFormat: LKLT\n#Delim: SPACEDELIMITED\n";
const char* const kFields = "#Fields: date time c-ip s-ip cs-method cs-uri-stem sc-status sc-bytes cs(Referer)\n";

class DayTrackerTest : public ::testing::Test {
  protected:
    DayTrackerTest() : hosts(folder.file("syss")) {}

    void openCache() { hosts.open(folder.file("web/web.nslc")); }

    // Feeds the lines and keeps both tables.
    void track(const std::string& text)
    {
        DayTracker day(hosts);
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find('\n', start);
            if (end == std::string::npos) end = text.size();
            day.addLine(std::string_view(text).substr(start, end - start));
            start = end + 1;
        }
        summary = day.summaryLines();
        detail = day.detailLines();
    }

    TempFolder folder;
    BuildHostNames hosts;
    std::vector<std::string> summary;
    std::vector<std::string> detail;
};

} // namespace

TEST_F(DayTrackerTest, OneVisitorWithAPageAndAnImage)
{
    openCache();
    track(std::string(kHeader) + kFields +
          "2000-10-10 13:55:36 10.0.0.1 - GET /index.html 200 2048 -\n"
          "2000-10-10 13:56:10 10.0.0.1 - GET /logo.gif 200 1000 -\n");
    EXPECT_EQ(summary, (std::vector<std::string>{
                           "2000-10-10,10.0.0.1,10.0.0.1,2,1,13:55:36,13:56:10,35,/index.html,/index.html,2.98"}));
    EXPECT_EQ(detail, (std::vector<std::string>{"2000-10-10,10.0.0.1,10.0.0.1,13:55:36,/index.html,-,-,200,2048",
                                                "2000-10-10,10.0.0.1,10.0.0.1,13:56:10,/logo.gif,-,-,200,1000"}));
}

TEST_F(DayTrackerTest, WhatCountsAsARequestAPageAndAnImage)
{
    openCache();
    track(std::string(kHeader) + kFields +
          "2000-10-10 10:00:00 10.0.0.1 1.2.3.4 POST /form.html 200 100 -\n"              // not counted
          "2000-10-10 10:00:01 10.0.0.1 1.2.3.4 head /style.css 200 512 -\n"              // hit, neither page nor image
          "2000-10-10 10:00:02 10.0.0.1 1.2.3.4 GET / 200 - -\n"                          // no extension: a page
          "2000-10-10 10:00:03 10.0.0.1 1.2.3.4 GET /download/setup.EXE?v=1 200 1024 -\n" // download: a page
          "2000-10-10 10:00:04 10.0.0.1 1.2.3.4 GET /v1.x\\y 200 x -\n" // backslash after the dot: a page
          "2000-10-10 10:00:05 10.0.0.1 1.2.3.4 GET /pic.JPG 304 - -\n" // image, URL without server
          "2000-10-10 10:00:06 10.0.0.1 1.2.3.4 GET /a.b/c 200 0 -\n"   // extension ".b/c": neither
          "2000-10-10 10:00:07 10.0.0.1 1.2.3.4 GET /short 200\n");     // wrong field count
    ASSERT_EQ(summary.size(), 1u);
    EXPECT_EQ(summary[0], "2000-10-10,10.0.0.1,10.0.0.1,6,3,10:00:01,10:00:06,6,http://1.2.3.4/,"
                          "http://1.2.3.4/v1.x\\y,1.5");
    EXPECT_EQ(detail, (std::vector<std::string>{
                          "2000-10-10,10.0.0.1,10.0.0.1,10:00:02,http://1.2.3.4/,-,1.2.3.4,200,-",
                          "2000-10-10,10.0.0.1,10.0.0.1,10:00:03,http://1.2.3.4/download/setup.EXE,-,1.2.3.4,200,1024",
                          "2000-10-10,10.0.0.1,10.0.0.1,10:00:04,http://1.2.3.4/v1.x\\y,-,1.2.3.4,200,x",
                          "2000-10-10,10.0.0.1,10.0.0.1,10:00:05,/pic.JPG,-,1.2.3.4,304,-"}));
}

TEST_F(DayTrackerTest, FirstAndLastPageFollowTheClockNotTheFileOrder)
{
    openCache();
    track(std::string(kHeader) + kFields +
          "2000-10-10 12:00:00 c - GET /b.css 200 - -\n"          // not a page: no first page yet
          "2000-10-10 12:00:00 c - GET /same.htm 200 - -\n"       // same second: fills the empty pages
          "2000-10-10 12:00:00 c - GET /later-read.htm 200 - -\n" // same second again: changes nothing
          "2000-10-10 11:00:00 c - GET /early.htm 200 - -\n"
          "2000-10-10 13:00:00 c - GET /late.gif 200 - -\n"      // image: latest time but not last page
          "2000-10-10 9:00:00 c - GET /bad-time.htm 200 - -\n"); // hour unreadable: counted, no time
    ASSERT_EQ(summary.size(), 1u);
    EXPECT_EQ(summary[0], "2000-10-10,c,c,6,4,11:00:00,13:00:00,7201,/early.htm,/same.htm,0");
}

TEST_F(DayTrackerTest, AnUnknownFirstTimeLeavesTheVisitorUntimed)
{
    // A later known time still moves the latest time and the last page.
    openCache();
    track(std::string(kHeader) + kFields + "2000-10-10 - c - GET /a.htm 200 100 -\n" +
          "2000-10-10 10:00:00 c - GET /b.htm 200 100 -\n");
    EXPECT_EQ(summary, (std::vector<std::string>{"2000-10-10,c,c,2,2,-,-,-,/a.htm,/b.htm,0.2"}));
}

// Times compare part by part, an unreadable part below every readable one:
// a first time with an unreadable minute is later than an earlier hour and
// earlier than any minute of its own hour.
TEST_F(DayTrackerTest, TimesWithAnUnreadablePartCompareBelowItsReadableValues)
{
    openCache();
    track(std::string(kHeader) + kFields + "2000-10-10 10:xx:05 c - GET /a.htm 200 - -\n" +
          "2000-10-10 10:00:00 c - GET /b.htm 200 - -\n" + "2000-10-10 09:59:59 c - GET /c.htm 200 - -\n");
    EXPECT_EQ(summary, (std::vector<std::string>{"2000-10-10,c,c,3,3,09:59:59,10:00:00,2,/c.htm,/b.htm,0"}));
}

TEST_F(DayTrackerTest, KilobytesRoundHalvesToEvenPerRequest)
{
    openCache();
    // 512 bytes are exactly 50 hundredths; 5 bytes 0.488 (0); 15.36 bytes 1.5 (2);
    // 46.08 bytes 4.5 (4).
    track(std::string(kHeader) + kFields + "2000-10-10 10:00:00 c - GET /a.css 200 512 -\n" +
          "2000-10-10 10:00:00 c - GET /a.css 200 5 -\n" + "2000-10-10 10:00:00 c - GET /a.css 200 15.36 -\n" +
          "2000-10-10 10:00:00 c - GET /a.css 200 46.08 -\n");
    ASSERT_EQ(summary.size(), 1u);
    EXPECT_EQ(summary[0].substr(summary[0].rfind(',') + 1), "0.56");
    EXPECT_EQ(kilobytesText(0), "0");
    EXPECT_EQ(kilobytesText(50), "0.5");
    EXPECT_EQ(kilobytesText(1234), "12.34");
    EXPECT_EQ(kilobytesText(1200), "12");
}

TEST_F(DayTrackerTest, DirectivesGovernTheRecordsBelowThem)
{
    openCache();
    track(std::string("2000-10-10 10:00:00 c - GET /lost.htm 200 - -\n") + // before any field list
          "#Delim:\tTABDELIMITED\n#Date:\t2000-10-11\textra\n#Fields:\ttime\tc-ip\tcs-method\tcs-uri-stem\n"
          "10:00:00\tc\tGET\t/tab.htm\n"
          "#Delim: SPACEDELIMITED\n#Fields: time c-ip cs-method\n"
          "10:00:01 c GET\n"); // no cs-uri-stem: not used
    EXPECT_EQ(summary, (std::vector<std::string>{"2000-10-11,c,c,1,1,10:00:00,10:00:00,1,/tab.htm,/tab.htm,0"}));
    EXPECT_EQ(detail, (std::vector<std::string>{"2000-10-11,c,c,10:00:00,/tab.htm,-,-,-,-"}));
}

TEST_F(DayTrackerTest, RecordsWithoutADateAreUsedOnlyOnceTheDayIsKnown)
{
    openCache();
    track(std::string(kHeader) + "#Fields: time c-ip cs-method cs-uri-stem\n" + "10:00:00 c GET /a.htm\n");
    EXPECT_TRUE(summary.empty());
    EXPECT_TRUE(detail.empty());
}

TEST_F(DayTrackerTest, VisitorsAreSortedWithoutRegardToCaseAndNamedFromTheCache)
{
    folder.write("syss/nslcache.lklf", "10.0.0.2=Zeta.example\r\n10.0.0.3=alpha.example\r\n");
    folder.write("web/web.nslc", "10.0.0.3=Beta.example\r\n");
    openCache();
    track(std::string(kHeader) + kFields + "2000-10-10 10:00:00 10.0.0.2 - GET /a.htm 200 - -\n" +
          "2000-10-10 10:00:00 10.0.0.3 - GET /a.htm 200 - -\n" +
          "2000-10-10 10:00:00 10.0.0.1 - GET /a.htm 200 - -\n" + "2000-10-10 10:00:00 ALPHA - GET /a.htm 200 - -\n" +
          "2000-10-10 10:00:01 alpha - GET /b.htm 200 - -\n");
    ASSERT_EQ(summary.size(), 4u);
    // "10.0.0.1" < "ALPHA" (digits first) < "Beta.example" (the web's cache first) < "Zeta.example".
    EXPECT_EQ(summary[0].substr(0, 30), "2000-10-10,10.0.0.1,10.0.0.1,1");
    // Client addresses that differ only in case are one visitor, named as first met.
    EXPECT_EQ(summary[1], "2000-10-10,ALPHA,ALPHA,2,2,10:00:00,10:00:01,2,/a.htm,/b.htm,0");
    EXPECT_EQ(summary[2].substr(0, 33), "2000-10-10,Beta.example,10.0.0.3,");
    EXPECT_EQ(summary[3].substr(0, 33), "2000-10-10,Zeta.example,10.0.0.2,");
}

TEST_F(DayTrackerTest, FieldsHoldingACommaOrAQuoteAreQuoted)
{
    openCache();
    track(std::string(kHeader) + kFields + "2000-10-10 10:00:00 c - GET /a,b.htm 200 10 http://r/?q=x,\"y\"\n");
    EXPECT_EQ(summary,
              (std::vector<std::string>{"2000-10-10,c,c,1,1,10:00:00,10:00:00,1,\"/a,b.htm\",\"/a,b.htm\",0.01"}));
    EXPECT_EQ(detail,
              (std::vector<std::string>{"2000-10-10,c,c,10:00:00,\"/a,b.htm\",\"http://r/?q=x,\"\"y\"\"\",-,200,10"}));
}

// Request lines are grouped by visitor for sorting; the result must still be
// the order of the whole lines, also where one client's text begins with
// another's, clients differ only in case, or a field is quoted.
TEST_F(DayTrackerTest, RequestLinesComeInTheOrderOfTheirWholeText)
{
    folder.write("web/web.nslc", "abc=h\r\nabc!=h\r\nabc-=h\r\nQ=h\r\n");
    openCache();
    const char* const clients[] = {"abc", "abc!", "ABC", "abc-", "q", "Q", "a,b", "x\"y", "abc!x"};
    const char* const paths[] = {"/b.htm", "/A.htm", "/a.htm", "/i.gif", "/c,d.htm", "/I.GIF"};
    std::string log = std::string(kHeader) + kFields;
    unsigned state = 7;
    for (int i = 0; i < 400; ++i) {
        state = state * 1103515245u + 12345u;
        const unsigned pick = state >> 8;
        const std::string time = "10:0" + std::to_string(pick % 3) + ":0" + std::to_string((pick / 3) % 4);
        log +=
            "2000-10-10 " + time + " " + clients[(pick / 12) % 9] + " - GET " + paths[(pick / 108) % 6] + " 200 10 -\n";
    }
    track(log);
    ASSERT_EQ(detail.size(), 400u);
    for (std::size_t i = 1; i < detail.size(); ++i)
        ASSERT_LE(text::icompare(detail[i - 1], detail[i]), 0) << detail[i - 1] << "\n" << detail[i];
    for (std::size_t i = 1; i < summary.size(); ++i) {
        const auto key = [](const std::string& line) {
            const std::vector<std::string> f = splitFields(line);
            return f[0] + "," + f[1] + "," + f[2];
        };
        EXPECT_LT(text::icompare(key(summary[i - 1]), key(summary[i])), 0) << summary[i];
    }
}

// Extensions near the listed ones: longer, shorter, with a ";", a NUL, or in
// any case; a page or an image makes a request line, anything else not.
TEST_F(DayTrackerTest, ExtensionsAreMatchedWholeWithoutRegardToCase)
{
    openCache();
    const std::vector<std::pair<std::string, bool>> paths = {
        {"/a.htm", true},
        {"/a.HTMLS", true},
        {"/a.htmlss", false},
        {"/a.ht", false},
        {"/a.shtml", true},
        {"/a.Z", true},
        {"/a.gz", true},
        {"/a.JPEG", true},
        {"/a.jpe", false},
        {"/a.pcx", true},
        {"/a.htm;", false},
        {"/a.;htm", false},
        {"/a.css", false},
        {"/a.", false},
        {"/a.b/c", false},
        {"/x.abcdefgh", false},
        {"/x.abcdefghijklmnopq", false},
        {"/a.h:m", true},
    };
    std::string log = std::string(kHeader) + kFields;
    for (const auto& [path, _] : paths)
        log += "2000-10-10 10:00:00 c - GET " + path + " 200 1 -\n";
    log += "2000-10-10 10:00:00 c - GET /a.htm" + std::string(1, '\0') + " 200 1 -\n";
    track(log);
    std::vector<std::string> expected;
    for (const auto& [path, requested] : paths)
        if (requested) expected.push_back("2000-10-10,c,c,10:00:00," + path + ",-,-,200,1");
    std::sort(expected.begin(), expected.end(),
              [](const std::string& a, const std::string& b) { return text::icompare(a, b) < 0; });
    EXPECT_EQ(detail, expected);
}

// A client's visitor, host and request-line prefix are looked up once per
// spelling and date: a later "#Date:" makes the same spelling a new visitor
// of that date, and a spelling that differs only in case keeps its own
// spelling in its lines while it counts for the first spelling's visitor.
TEST_F(DayTrackerTest, AClientIsResolvedAfreshForEachSpellingAndDate)
{
    folder.write("web/web.nslc", "abc=Host,A\r\n");
    openCache();
    track(std::string(kHeader) + "#Date: 2000-10-10\n#Fields: time c-ip cs-method cs-uri-stem\n" +
          "10:00:00 abc GET /a.htm\n" + "10:00:01 x GET /a.htm\n" + "10:00:02 ABC GET /b.htm\n" +
          "10:00:03 abc GET /c.htm\n" + "#Date: 2000-10-11\n" + "11:00:00 abc GET /d.htm\n" +
          "11:00:01 x GET /e.htm\n" + "11:00:02 abc GET /f.htm\n");
    EXPECT_EQ(summary, (std::vector<std::string>{
                           "2000-10-10,\"Host,A\",abc,3,3,10:00:00,10:00:03,4,/a.htm,/c.htm,0",
                           "2000-10-10,x,x,1,1,10:00:01,10:00:01,1,/a.htm,/a.htm,0",
                           "2000-10-11,\"Host,A\",abc,2,2,11:00:00,11:00:02,3,/d.htm,/f.htm,0",
                           "2000-10-11,x,x,1,1,11:00:01,11:00:01,1,/e.htm,/e.htm,0",
                       }));
    EXPECT_EQ(detail, (std::vector<std::string>{
                          "2000-10-10,\"Host,A\",abc,10:00:00,/a.htm,-,-,-,-",
                          "2000-10-10,\"Host,A\",ABC,10:00:02,/b.htm,-,-,-,-",
                          "2000-10-10,\"Host,A\",abc,10:00:03,/c.htm,-,-,-,-",
                          "2000-10-10,x,x,10:00:01,/a.htm,-,-,-,-",
                          "2000-10-11,\"Host,A\",abc,11:00:00,/d.htm,-,-,-,-",
                          "2000-10-11,\"Host,A\",abc,11:00:02,/f.htm,-,-,-,-",
                          "2000-10-11,x,x,11:00:01,/e.htm,-,-,-,-",
                      }));
}

// A request line's values are looked at for commas and quotes as one
// stretch of the record; marks in fields the line does not take (a user
// name between them, the agent after them) change nothing, and marks in
// each taken field, wherever it lies, are quoted.
TEST_F(DayTrackerTest, OnlyTheFieldsARequestLineTakesDecideItsQuotes)
{
    openCache();
    const std::string fields =
        "#Fields: cs(Referer) c-ip cs-username date time cs-method cs-uri-stem sc-status sc-bytes cs(User-Agent)\n";
    track(std::string(kHeader) + fields + "- c a,\"b 2000-10-10 10:00:00 GET /a.htm 200 10 x,\"y\n" +
          "r,1 c - 2000-10-10 10:00:01 GET /b.htm 200 10 -\n" + "- c - 2000-10-10 10:00:02 GET /c.htm 2,0 \"1 -\n" +
          "- c - 2000-10-10 1,:00:03 GET /d.htm?x,y 200 - -\n" + "- c - 2000-10-10 10:00:04 GET /e,f.htm 200 - -\n");
    EXPECT_EQ(detail, (std::vector<std::string>{
                          "2000-10-10,c,c,\"1,:00:03\",/d.htm,-,-,200,-",
                          "2000-10-10,c,c,10:00:00,/a.htm,-,-,200,10",
                          "2000-10-10,c,c,10:00:01,/b.htm,\"r,1\",-,200,10",
                          "2000-10-10,c,c,10:00:02,/c.htm,-,-,\"2,0\",\"\"\"1\"",
                          "2000-10-10,c,c,10:00:04,\"/e,f.htm\",-,-,200,-",
                      }));
}

// Request lines are the stable case-blind sort of the lines in reading
// order, and visitors are in case-blind key order, also when the keys share
// a long beginning, are prefixes of each other, differ only in case or hold
// 8-bit, NUL and other bytes that sort below the comma.
TEST_F(DayTrackerTest, SortingMatchesAStableCaseBlindSortOfTheWholeLines)
{
    openCache();
    const std::string pieces[] = {"a", "A", "b", "B", "\xe9", "\xc9", std::string(1, '\0'), "!", "+", "-", "0"};
    const char* const paths[] = {"/p.htm", "/P.HTM", "/p.html", "/i.gif", "/q.htm", "/p"};
    std::mt19937 random(11);
    const auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    std::vector<std::string> clients;
    for (int i = 0; i < 40; ++i) {
        std::string client = i % 2 == 0 ? "host-with-a-long-shared-name." : "";
        for (std::size_t n = pick(12); n > 0; --n)
            client += pieces[pick(std::size(pieces))];
        clients.push_back(client.empty() ? "c" : client);
    }
    std::string log = std::string(kHeader) + "#Fields: date time c-ip cs-method cs-uri-stem sc-status\n";
    std::vector<std::string> expected;
    for (int i = 0; i < 600; ++i) {
        const std::string& client = clients[pick(clients.size())];
        const std::string time = "10:0" + std::to_string(pick(2)) + ":0" + std::to_string(pick(3));
        const std::string path = paths[pick(std::size(paths))];
        log += "2000-10-10 " + time + " " + client + " GET " + path + " 200\n";
        expected.push_back("2000-10-10," + client + "," + client + "," + time + "," + path + ",-,-,200,-");
    }
    track(log);
    std::stable_sort(expected.begin(), expected.end(),
                     [](const std::string& a, const std::string& b) { return text::icompare(a, b) < 0; });
    EXPECT_EQ(detail, expected);
    for (std::size_t i = 1; i < summary.size(); ++i) {
        const std::string_view before = summary[i - 1];
        const std::string_view after = summary[i];
        const auto key = [](std::string_view line) {
            // date, host and client: the host is the client here, and no field is quoted.
            const std::size_t hostEnd = line.find(',', 11);
            return line.substr(0, 2 * hostEnd - 10);
        };
        EXPECT_LT(text::icompare(key(before), key(after)), 0) << i;
    }
}

// Request lines of records whose fields hold commas, quotes, 8-bit bytes and
// case twins, in the fields a line takes and in those it leaves out, are
// those the field-by-field join writes, in a stable case-blind order.
TEST_F(DayTrackerTest, HostileRecordsGiveTheLinesAFieldByFieldJoinGives)
{
    openCache();
    const std::string marks[] = {"", ",", "\"", "a", "A", "\xe9", "\xc9", "-", "x,\"y", "\"\""};
    std::mt19937 random(23);
    const auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    const auto hostile = [&](std::string base) {
        for (std::size_t n = pick(4); n > 0; --n)
            base.insert(pick(base.size() + 1), marks[pick(std::size(marks))]);
        return base;
    };
    std::string log = std::string(kHeader) +
                      "#Fields: c-ip cs-username date time cs-method cs-uri-stem sc-status cs(Referer) "
                      "s-ip sc-bytes cs(User-Agent)\n";
    std::vector<std::string> expected;
    for (int i = 0; i < 800; ++i) {
        const std::string client = hostile(pick(2) == 0 ? "c1" : "C1");
        const std::string time = "10:00:0" + std::to_string(pick(4));
        const std::string path = hostile("/p") + (pick(3) == 0 ? ".gif" : ".htm");
        const std::string status = pick(5) == 0 ? hostile("200") : "200";
        const std::string referrer = hostile("http://r/");
        const std::string server = pick(2) == 0 ? "-" : hostile("s");
        const std::string bytes = pick(5) == 0 ? hostile("10") : "10";
        const std::vector<std::string> values = {client, hostile("user"), "2000-10-10", time,  "GET",           path,
                                                 status, referrer,        server,       bytes, hostile("agent")};
        std::string line;
        for (const std::string& value : values)
            line += (line.empty() ? "" : " ") + value;
        log += line + "\n";
        const std::string url = (!path.ends_with(".gif") && server != "-" ? "http://" + server : "") + path;
        expected.push_back(joinFields({"2000-10-10", client, client, time, url, referrer, server, status, bytes}));
    }
    track(log);
    std::stable_sort(expected.begin(), expected.end(),
                     [](const std::string& a, const std::string& b) { return text::icompare(a, b) < 0; });
    EXPECT_EQ(detail, expected);
}

// Visitors' keys and clients' request-line prefixes are kept as views of
// stored texts: many of them, and a client longer than a storage block,
// keep their own texts while the tables and the store grow.
TEST_F(DayTrackerTest, ManyVisitorsKeepTheirOwnTexts)
{
    openCache();
    const std::string huge(100000, 'h');
    std::string log = std::string(kHeader) + "#Fields: date time c-ip cs-method cs-uri-stem\n";
    std::vector<std::string> expected;
    for (int i = 0; i < 6000; ++i) {
        const std::string client = (i == 3000 ? huge : "client-number-") + std::to_string(100000 + i);
        log += "2000-10-10 10:00:00 " + client + " GET /a.htm\n";
        expected.push_back("2000-10-10," + client + "," + client + ",1,1,10:00:00,10:00:00,1,/a.htm,/a.htm,0");
    }
    track(log);
    std::sort(expected.begin(), expected.end(),
              [](const std::string& a, const std::string& b) { return text::icompare(a, b) < 0; });
    EXPECT_EQ(summary, expected);
    ASSERT_EQ(detail.size(), 6000u);
    EXPECT_EQ(detail[0], "2000-10-10,client-number-100000,client-number-100000,10:00:00,/a.htm,-,-,-,-");
}

// The table of spellings is emptied when a day brings more clients than
// it keeps: a client met again after that still counts for its visitor and
// writes its own spelling.
TEST_F(DayTrackerTest, AClientMetAgainAfterTheSpellingsWereDroppedIsTheSameVisitor)
{
    openCache();
    std::string log = std::string(kHeader) + "#Fields: date time c-ip cs-method cs-uri-stem\n";
    const std::size_t clients = ClientSpellings::kMostSpellings + 5000;
    for (std::size_t i = 0; i < clients; ++i)
        log += "2000-10-10 10:00:00 c" + std::to_string(i) + " GET /a.htm\n";
    log += "2000-10-10 11:00:00 c1 GET /b.htm\n2000-10-10 12:00:00 C1 GET /c.htm\n";
    track(log);
    ASSERT_EQ(summary.size(), clients);
    const auto visitor = std::find_if(summary.begin(), summary.end(),
                                      [](const std::string& line) { return line.starts_with("2000-10-10,c1,c1,"); });
    ASSERT_NE(visitor, summary.end());
    EXPECT_EQ(*visitor, "2000-10-10,c1,c1,3,3,10:00:00,12:00:00,7201,/a.htm,/c.htm,0");
    const auto lines = std::find(detail.begin(), detail.end(), "2000-10-10,c1,c1,10:00:00,/a.htm,-,-,-,-");
    ASSERT_LT(lines + 2, detail.end());
    EXPECT_EQ(lines[1], "2000-10-10,c1,c1,11:00:00,/b.htm,-,-,-,-");
    EXPECT_EQ(lines[2], "2000-10-10,C1,C1,12:00:00,/c.htm,-,-,-,-");
}

// Lines taken from the bytes read, split as their ends are looked for, give
// what the same lines fed one by one give: with CR LF and LF breaks, a last
// line without one, directives that change the delimiter and fields between
// records, records with too few or too many values, a CR ending the last
// value, and any cut of the text into the pieces a reading sees.
TEST_F(DayTrackerTest, LinesTakenFromReadTextGiveWhatLinesFedOneByOneGive)
{
    openCache();
    std::mt19937 random(5);
    const auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    const char* const fieldLists[] = {"date time c-ip cs-method cs-uri-stem sc-status sc-bytes",
                                      "c-ip time cs-method cs-uri-stem sc-bytes date",
                                      "time c-ip cs-method cs-uri-stem"};
    const auto valueOf = [&](std::string_view field) -> std::string {
        if (field == "date") return "2000-10-1" + std::to_string(pick(2));
        if (field == "time") return "10:0" + std::to_string(pick(3)) + ":0" + std::to_string(pick(9));
        if (field == "c-ip") return pick(2) == 0 ? "c" + std::to_string(pick(6)) : "C" + std::to_string(pick(6));
        if (field == "cs-method") return pick(8) == 0 ? "POST" : "GET";
        if (field == "cs-uri-stem")
            return std::string("/p") + std::to_string(pick(5)) + (pick(2) == 0 ? ".htm" : ".gif");
        return std::to_string(pick(3000));
    };
    std::string text = kHeader;
    char delimiter = ' ';
    std::size_t fields = 0;
    std::vector<std::string> names;
    for (int i = 0; i < 900; ++i) {
        const std::size_t what = pick(40);
        std::string line;
        if (what == 0) {
            delimiter = pick(2) == 0 ? ' ' : '\t';
            line = delimiter == ' ' ? "#Delim: SPACEDELIMITED" : "#Delim:\t";
        } else if (what == 1 || fields == 0) {
            const std::size_t list = pick(std::size(fieldLists));
            line = std::string("#Fields: ") + fieldLists[list];
            names = text::split(fieldLists[list], ' ');
            if (delimiter != ' ') std::replace(line.begin() + 9, line.end(), ' ', delimiter);
            line[8] = delimiter;
            fields = static_cast<std::size_t>(std::count(line.begin(), line.end(), delimiter));
        } else if (what == 2) {
            line = "#Date: 2000-10-1" + std::to_string(pick(3));
        } else if (what == 3) {
            line = "";
        } else {
            const std::size_t count = what == 4 ? fields + 1 : what == 5 ? fields - 1 : fields;
            for (std::size_t v = 0; v < count; ++v) {
                if (v > 0) line += delimiter;
                line += valueOf(v < names.size() ? names[v] : "extra");
            }
        }
        text += line + (pick(3) == 0 ? "\n" : "\r\n");
    }
    text += "2000-10-10 10:00:00 c1 GET /last.htm 200 5\r";

    // The lines as a reading of the file gives them: without their breaks.
    DayTracker fed(hosts);
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string_view line = std::string_view(text).substr(start, end - start);
        if (line.ends_with('\r')) line.remove_suffix(1);
        fed.addLine(line);
        start = end + 1;
    }
    summary = fed.summaryLines();
    detail = fed.detailLines();
    for (const std::size_t piece : {std::size_t{1}, std::size_t{7}, std::size_t{64}, std::size_t{100000}}) {
        DayTracker day(hosts);
        std::size_t from = 0;
        std::size_t window = piece;
        while (from < text.size()) {
            const bool last = from + window >= text.size();
            const std::size_t taken = day.takeLine(std::string_view(text).substr(from, window), last);
            if (taken == 0) {
                ASSERT_FALSE(last);
                window += piece;
                continue;
            }
            from += taken;
            window = piece;
        }
        EXPECT_EQ(day.summaryLines(), summary) << piece;
        EXPECT_EQ(day.detailLines(), detail) << piece;
    }
    EXPECT_GT(detail.size(), 100u);
}
