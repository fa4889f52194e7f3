#include "analysis/AnalysisPass.h"
#include "analysis/DayFileReader.h"
#include "analysis/RecordTally.h"
#include "analysis/StatisticsTable.h"
#include "common/Dates.h"
#include "common/Error.h"
#include "common/ProgramFolder.h"
#include "common/Text.h"
#include "fakes/FakePlatform.h"
#include "fakes/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <optional>
#include <random>

using namespace larkspan;
using namespace larkspan::analysis;
using larkspan::testing::FakePlatform;
using larkspan::testing::TempFolder;

namespace {

int day(int y, int m, int d)
{
    return dayNumber({y, m, d});
}

const char* kHeader =
    "#FileFormat: LKLT\r\n#Delim: SPACEDELIMITED\r\n"
    "#Fields: date time c-ip cs-method cs-uri-stem sc-status sc-bytes s-ip cs(User-Agent) cs(Referer)\r\n";

// A line of the standard header's fields.
std::string rec(const std::string& time, const std::string& ip, const std::string& method, const std::string& uri,
                const std::string& status, const std::string& bytes = "1024", const std::string& server = "10.0.0.1",
                const std::string& agent = "Mozilla/4.0", const std::string& referrer = "-")
{
    return "2000-02-01 " + time + " " + ip + " " + method + " " + uri + " " + status + " " + bytes + " " + server +
           " " + agent + " " + referrer + "\r\n";
}

struct PassFixture {
    TempFolder temp;
    ProgramFolder folder{temp.path(), ""};
    FakePlatform fake;
    StatisticsTable table;
    PassInput input;

    PassFixture()
    {
        temp.write("wwwstats/site/site.dat", "site\r\n0\r\n");
        input.dataDirectory = temp.path() + "/";
        input.web = "site";
        input.profile = "p";
        input.preDate = 7;
        std::filesystem::create_directories(folder.myProfiles());
    }

    void dayFile(int y, int m, int d, const std::string& body, bool header = true)
    {
        char name[64];
        std::snprintf(name, sizeof name, "wwwstats/site/%04d/LKLT%02d%02d.log", y, m, d);
        temp.write(name, (header ? std::string(kHeader) : std::string()) + body);
    }

    AnalysisResult run(int first, int last, const ImportRunner& import = {})
    {
        input.firstDay = first;
        input.lastDay = last;
        return runAnalysisPass(fake.platform(), folder, input, table, import);
    }

    std::string demographics() { return temp.read("My Profiles/p.dmgrpt"); }
};

} // namespace

TEST(AnalysisPass, FileListMissingDatesAndResultCodes)
{
    PassFixture f;
    f.dayFile(2000, 2, 1, rec("09:00:00", "1.1.1.1", "GET", "/", "200"));
    f.dayFile(2000, 2, 3, rec("09:00:00", "1.1.1.1", "GET", "/", "200"));
    AnalysisResult r = f.run(day(2000, 2, 1), day(2000, 2, 3));
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.daysReported, 2);
    EXPECT_EQ(r.missingDates, "02/02/2000");
    EXPECT_EQ(r.bucketMode, BucketMode::Daily);
    EXPECT_EQ(f.table.recordsProcessed(), 2);

    EXPECT_EQ(f.run(day(2000, 2, 3), day(2000, 2, 2)).code, -1);
    f.table.reset();
    r = f.run(day(2000, 3, 1), day(2000, 3, 2));
    EXPECT_EQ(r.code, -100);
    EXPECT_EQ(r.missingDates, "03/01/2000, 03/02/2000");

    // A long gap names its first 15 dates and counts the rest.
    f.table.reset();
    r = f.run(day(2000, 2, 3), day(2000, 5, 1));
    EXPECT_EQ(r.missingDates, "02/04/2000, 02/05/2000, 02/06/2000, 02/07/2000, 02/08/2000, 02/09/2000, 02/10/2000, "
                              "02/11/2000, 02/12/2000, 02/13/2000, 02/14/2000, 02/15/2000, 02/16/2000, 02/17/2000, "
                              "02/18/2000 and 73 more");

    // Every record filtered out: -150.
    f.temp.write("My Profiles/p.ip", "1.1.1.1\r\n");
    f.table.reset();
    EXPECT_EQ(f.run(day(2000, 2, 1), day(2000, 2, 1)).code, -150);
    EXPECT_TRUE(f.table.isSetUp());
    EXPECT_EQ(f.table.counter(StatList::ErrorStatuses), -1);
}

TEST(AnalysisPass, BucketModesFromThePredefinedRange)
{
    EXPECT_EQ(chooseBucketMode(0, 5, 2), BucketMode::Hourly);
    EXPECT_EQ(chooseBucketMode(4, 5, 2), BucketMode::Daily);
    EXPECT_EQ(chooseBucketMode(6, 5, 2), BucketMode::Monthly);
    EXPECT_EQ(chooseBucketMode(7, 1, 5), BucketMode::Hourly);
    EXPECT_EQ(chooseBucketMode(-1, 3, 2), BucketMode::None);
    EXPECT_EQ(chooseBucketMode(263, 3, 2), BucketMode::Daily); // low eight bits: 7

    PassFixture f;
    f.dayFile(1999, 12, 20, rec("09:00:00", "1.1.1.1", "GET", "/", "200"));
    f.dayFile(2000, 1, 10, rec("09:00:00", "1.1.1.1", "GET", "/", "200"));
    f.dayFile(1999, 11, 20, rec("09:00:00", "1.1.1.1", "GET", "/", "200"));
    AnalysisResult r = f.run(day(1999, 12, 20), day(2000, 1, 10));
    EXPECT_EQ(r.monthCount, 2);
    EXPECT_EQ(r.bucketMode, BucketMode::Daily);
    f.table.reset();
    r = f.run(day(1999, 11, 20), day(2000, 1, 10));
    EXPECT_EQ(r.monthCount, 3);
    EXPECT_EQ(r.bucketMode, BucketMode::Monthly);
    ASSERT_EQ(f.table.buckets().size(), 3u);
    EXPECT_EQ(f.table.buckets()[0].key, "1999-11");
    EXPECT_EQ(f.table.buckets()[0].label, "November, 1999");
    f.table.reset();
    EXPECT_EQ(f.run(day(1999, 12, 19), day(1999, 12, 21)).bucketMode, BucketMode::Hourly);
}

TEST(AnalysisPass, OneVisitorsHitsSessionsAndDemographics)
{
    PassFixture f;
    f.input.demographics = true;
    f.dayFile(2000, 2, 1,
              rec("09:10:00", "Host.Example", "GET", "/index.htm?x=1", "200", "1536") +
                  rec("09:11:00", "host.example", "GET", "/a.gif", "200", "512") +
                  rec("09:12:00", "host.example", "GET", "/b.GIF", "304", "2560") +
                  rec("10:00:00", "host.example", "HEAD", "/setup.exe", "200", "abc") +
                  rec("10:00:00", "2.2.2.2", "GET", "/x.css", "200", "-"));
    f.dayFile(2000, 2, 2, rec("23:59:59", "host.example", "get", "/", "200"));
    const AnalysisResult r = f.run(day(2000, 2, 1), day(2000, 2, 2));
    ASSERT_EQ(r.code, 0);
    ASSERT_EQ(f.table.buckets().size(), 2u);
    const BucketRow& b = f.table.buckets()[0];
    EXPECT_EQ(b.key, "2000-02-01");
    EXPECT_EQ(b.label, "Tue, Feb 1, 2000");
    EXPECT_EQ(b.hits, 5);
    EXPECT_EQ(b.sessions, 2);
    EXPECT_EQ(b.pages, 1);
    EXPECT_EQ(b.downloads, 1);
    EXPECT_EQ(b.images, 2);
    EXPECT_EQ(b.others, 1);
    EXPECT_EQ(b.kilobytes, 2 + 0 + 2 + 0); // 1.5 -> 2, 0.5 -> 0, 2.5 -> 2, "abc" -> 0
    EXPECT_EQ(f.table.buckets()[1].label, "Wed, Feb 2, 2000");
    EXPECT_EQ(f.table.buckets()[1].sessions, 1); // a new visitor again the next day
    EXPECT_EQ(f.table.imageHits(), 2);
    EXPECT_EQ(f.table.otherHits(), 1);
    EXPECT_EQ(f.demographics(), "2.2.2.2,0\r\nHost.Example,2\r\nhost.example,1\r\n");
    ASSERT_EQ(f.table.pages().size(), 2u);
    EXPECT_EQ(f.table.pages()[0].key(), "10.0.0.1/index.htm");
    EXPECT_EQ(f.table.downloads()[0].path(), "/setup.exe");

    // Without demographics the file is removed and not written.
    f.input.demographics = false;
    f.table.reset();
    f.run(day(2000, 2, 1), day(2000, 2, 2));
    EXPECT_FALSE(std::filesystem::exists(f.temp.file("My Profiles/p.dmgrpt")));
}

TEST(AnalysisPass, ReferrerAndAgentRulesDependOnTrackingBySessions)
{
    const std::string body = rec("09:00:00", "1.1.1.1", "GET", "/a.gif", "200", "1", "s", "AgentA", "http://r1/") +
                             rec("09:01:00", "1.1.1.1", "GET", "/p.htm", "200", "1", "s", "AgentA", "http://r2/") +
                             rec("09:02:00", "1.1.1.1", "GET", "/f.zip", "200", "1", "s", "AgentB", "http://R2/") +
                             rec("09:03:00", "3.3.3.3", "POST", "/p.htm", "200", "1", "s", "AgentC", "http://r3/");
    PassFixture off;
    off.dayFile(2000, 2, 1, body);
    off.run(day(2000, 2, 1), day(2000, 2, 1));
    ASSERT_EQ(off.table.referrers().size(), 1u);
    EXPECT_EQ(off.table.referrers()[0].key(), "http://r2/");
    EXPECT_EQ(off.table.referrers()[0].count, 2);
    ASSERT_EQ(off.table.userAgents().size(), 2u);
    EXPECT_EQ(off.table.userAgents()[0].key(), "AgentA");
    EXPECT_EQ(off.table.userAgents()[0].count, 1);

    PassFixture on;
    on.input.trackBySessions = true;
    on.dayFile(2000, 2, 1, body);
    on.run(day(2000, 2, 1), day(2000, 2, 1));
    ASSERT_EQ(on.table.referrers().size(), 1u);
    EXPECT_EQ(on.table.referrers()[0].key(), "http://r1/");
    EXPECT_EQ(on.table.userAgents().size(), 1u);
    EXPECT_EQ(on.table.bucketTotals().hits, 3); // POST adds no hit
}

TEST(AnalysisPass, ErrorsCountByStatusKindAndServerAddress)
{
    PassFixture f;
    f.dayFile(2000, 2, 1,
              rec("09:00:00", "1.1.1.1", "GET", "/gone.htm", "404", "0", "10.0.0.1") +
                  rec("09:00:00", "1.1.1.1", "GET", "/GONE.htm", "404", "0", "10.0.0.1") +
                  rec("09:00:00", "1.1.1.1", "GET", "/gone.htm", "404", "0", "10.0.0.2") +
                  rec("09:00:00", "1.1.1.1", "POST", "/form.asp", "500") +
                  rec("09:00:00", "1.1.1.1", "GET", "/f.zip", "503") +
                  rec("09:00:00", "1.1.1.1", "GET", "/img.gif", "404") +
                  rec("09:00:00", "1.1.1.1", "GET", "/x", "4040"));
    f.run(day(2000, 2, 1), day(2000, 2, 1));
    ASSERT_EQ(f.table.errorStatuses().size(), 3u);
    EXPECT_EQ(f.table.errorStatuses()[0].key(), "404");
    EXPECT_EQ(f.table.errorStatuses()[0].count, 4);
    EXPECT_EQ(f.table.errorStatuses()[1].key(), "500");
    ASSERT_EQ(f.table.pageErrors().size(), 1u);
    EXPECT_EQ(f.table.pageErrors()[0].count, 3);
    EXPECT_EQ(f.table.downloadErrors()[0].key(), "503");
    const ErrorAddressList* p404 = f.table.errorAddressList("P;404");
    ASSERT_NE(p404, nullptr);
    EXPECT_EQ(p404->keys, (std::vector<std::string>{"10.0.0.1/gone.htm", "10.0.0.2/gone.htm"}));
    EXPECT_NE(f.table.errorAddressList("D;503"), nullptr);
    EXPECT_EQ(f.table.errorAddressList("P;500"), nullptr);
    EXPECT_TRUE(f.table.pages().size() == 1u && f.table.pages()[0].path() == "/x"); // 4040 is no error
}

TEST(AnalysisPass, HourlyBucketsAndRecordsWithoutTime)
{
    PassFixture f;
    f.input.preDate = 1;
    f.fake.clock.set({{2000, 2, 1}, 12, 0, 0});
    f.dayFile(2000, 2, 1,
              rec("09:10:00", "1.1.1.1", "GET", "/", "200") + rec("9:20:00", "1.1.1.1", "GET", "/", "200") +
                  rec("-", "2.2.2.2", "GET", "/", "200") + rec("0930", "1.1.1.1", "GET", "/", "200"));
    const AnalysisResult r = f.run(day(2000, 2, 1), day(2000, 2, 1));
    EXPECT_EQ(r.bucketMode, BucketMode::Hourly);
    EXPECT_EQ(f.table.recordsProcessed(), 4);
    ASSERT_EQ(f.table.buckets().size(), 3u);
    EXPECT_EQ(f.table.buckets()[0].key, "09:00 to 09:59");
    EXPECT_EQ(f.table.buckets()[0].label, "09:00 to 09:59");
    EXPECT_EQ(f.table.buckets()[1].key, "9:00 to 9:59");
    EXPECT_EQ(f.table.buckets()[2].key, "-:00 to -:59");
    EXPECT_EQ(f.table.buckets()[2].sessions, 1);
    EXPECT_EQ(f.table.bucketTotals().hits, 3); // "0930" has no bucket
}

TEST(AnalysisPass, HeadersColumnZeroAndTabDelimitedFiles)
{
    PassFixture f;
    f.dayFile(2000, 2, 1, rec("09:00:00", "1.1.1.1", "GET", "/", "200"));
    f.dayFile(2000, 2, 2, rec("09:00:00", "1.1.1.1", "GET", "/", "200"));
    f.dayFile(2000, 2, 3,
              "#FileFormat:\tLKLT\r\n#Delim:\tTABDELIMITED\r\n#Fields: date\ttime\tc-ip\tcs-method\tcs-uri-stem\tsc-"
              "status\tcs(User-Agent)\r\n2000-02-03\t10:00:00\t5.5.5.5\tGET\t/t.htm\t200\tMozilla/5.0 (X11; Linux)\r\n",
              false);
    // A TAB-delimited W3C day whose server address the import appended
    // after a blank.
    f.dayFile(
        2000, 2, 4,
        "#FileFormat:\tLKLT\r\n#Delim:\tTABDELIMITED\r\n#Fields: c-ip\tcs-method\tcs-uri-stem\tcs(User-Agent) s-ip\r\n"
        "6.6.6.6\tGET\t/w.htm\tMozilla/4.0 (compatible; MSIE 6.0) -\r\n",
        false);
    f.run(day(2000, 2, 1), day(2000, 2, 4));
    ASSERT_EQ(f.table.pages().size(), 3u);
    EXPECT_EQ(f.table.pages()[2].key(), "-/w.htm");
    EXPECT_EQ(f.table.userAgents()[2].key(), "Mozilla/4.0 (compatible; MSIE 6.0)");
    f.table.reset();
    f.run(day(2000, 2, 1), day(2000, 2, 3));
    EXPECT_EQ(f.table.fieldNames(),
              (std::vector<std::string>{"date", "time", "c-ip", "cs-method", "cs-uri-stem", "sc-status", "sc-bytes",
                                        "s-ip", "cs(User-Agent)", "cs(Referer)"}));
    EXPECT_EQ(f.table.recordsProcessed(), 3);
    ASSERT_EQ(f.table.userAgents().size(), 2u);
    EXPECT_EQ(f.table.userAgents()[1].key(), "Mozilla/5.0 (X11; Linux)");
    EXPECT_EQ(f.table.pages()[1].key(), "/t.htm"); // no s-ip: empty text before the path
}

TEST(AnalysisPass, MalformedLinesAreDroppedWithoutHarm)
{
    PassFixture f;
    std::string huge(20u << 20, 'x');
    f.dayFile(2000, 2, 1,
              "2000-02-01 09:00:00 1.1.1.1 GET / 200\r\n"                                     // before any header
                  + std::string(kHeader) + rec("09:00:00", "1.1.1.1", "GET", "/a b", "200") + // one word too many
                  "2000-02-01  09:00:00 1.1.1.1 GET / 200 1 s a r\r\n" +                      // two spaces
                  huge + "\r\n" + rec("09:00:00", "\xe9\xff", "GET", "/\x80.htm", "200") + "\r\n\r\n" +
                  "2000-02-01 09:00:00 1.1.1.1 GET /last.htm 200 1 s a r", // no final line break
              false);
    const AnalysisResult r = f.run(day(2000, 2, 1), day(2000, 2, 1));
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.linesRead, 6);
    EXPECT_EQ(f.table.recordsProcessed(), 2);
    EXPECT_EQ(f.table.pages().back().path(), "/last.htm");
}

TEST(AnalysisPass, FtpWebOffersTheImportOnceAndCancelStops)
{
    PassFixture f;
    f.temp.write("wwwstats/site/site.dat", "site\r\n1\r\n");
    f.input.ftpWeb = true;
    f.dayFile(2000, 1, 1, rec("09:00:00", "1.1.1.1", "GET", "/", "200"));
    // 16 missing days: the short question.
    f.fake.messages.scriptAnswer(Answer::No);
    AnalysisResult r = f.run(day(2000, 1, 1), day(2000, 1, 17));
    EXPECT_EQ(r.code, 0);
    ASSERT_EQ(f.fake.messages.recorded.size(), 1u);
    EXPECT_EQ(f.fake.messages.recorded[0].text,
              "The date range you have selected is missing more than 15 days of reporting.\nWould you like to run "
              "the import before continuing with the reports?");
    EXPECT_EQ(f.fake.messages.recorded[0].buttons, Buttons::YesNoCancel);

    // 15 missing: listed. Yes imports (here: writes one day), then no second question.
    f.fake.messages.recorded.clear();
    f.fake.messages.scriptAnswer(Answer::Yes);
    int imports = 0;
    f.table.reset();
    r = f.run(day(2000, 1, 1), day(2000, 1, 16), [&](const std::string& web) {
        EXPECT_EQ(web, "site");
        ++imports;
        f.dayFile(2000, 1, 2, rec("09:00:00", "1.1.1.1", "GET", "/", "200"));
    });
    EXPECT_EQ(imports, 1);
    EXPECT_EQ(r.daysReported, 2);
    ASSERT_EQ(f.fake.messages.recorded.size(), 1u);
    EXPECT_EQ(f.fake.messages.recorded[0].text.substr(0, 88),
              "The date range you have selected is missing the following dates to report on:\n01/02/2000");

    f.fake.messages.recorded.clear();
    f.fake.messages.scriptAnswer(Answer::Cancel);
    f.table.reset();
    r = f.run(day(2000, 1, 5), day(2000, 1, 6));
    EXPECT_EQ(r.code, -1);
    EXPECT_TRUE(r.cancelled);
    EXPECT_TRUE(f.fake.cancel.requested());
    EXPECT_EQ(f.fake.messages.recorded[0].text.substr(0, 61),
              "The date range you have selected has no data imported for it.");
}

TEST(AnalysisPass, CancelBetweenFilesAndUnreadableFiles)
{
    PassFixture f;
    f.dayFile(2000, 2, 1, rec("09:00:00", "1.1.1.1", "GET", "/", "200"));
    f.dayFile(2000, 2, 2, rec("09:00:00", "1.1.1.1", "GET", "/", "200"));
    f.fake.pump.cancel = &f.fake.cancel;
    f.fake.pump.cancelOnCall = 2;
    AnalysisResult r = f.run(day(2000, 2, 1), day(2000, 2, 2));
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.recordsProcessed, 1);

    PassFixture g;
    std::filesystem::create_directories(g.temp.file("wwwstats/site/2000"));
    std::filesystem::create_symlink(g.temp.file("nowhere"), g.temp.file("wwwstats/site/2000/LKLT0201.log"));
    EXPECT_THROW(g.run(day(2000, 2, 1), day(2000, 2, 1)), Error);
    EXPECT_EQ(g.fake.messages.texts(), (std::vector<std::string>{"File Access Error : 2"}));
}

TEST(RecordTally, KilobytesRoundHalvesToEven)
{
    EXPECT_EQ(kilobytesOf("512"), 0);
    EXPECT_EQ(kilobytesOf("1536"), 2);
    EXPECT_EQ(kilobytesOf("2560"), 2);
    EXPECT_EQ(kilobytesOf("1537"), 2);
    EXPECT_EQ(kilobytesOf("-"), 0);
    EXPECT_EQ(kilobytesOf("1e5"), 0);
    EXPECT_EQ(kilobytesOf("3072.0"), 3);
    EXPECT_EQ(kilobytesOf("0000001536"), 2);
    EXPECT_EQ(kilobytesOf("15 36"), 0);
    EXPECT_EQ(kilobytesOf("15/36"), 0);
    // Every byte count rounds as the division in floating point does, on
    // both sides of each half and at every length of digits (a count of
    // more digits than a double holds exactly is read digit by digit).
    const auto inFloatingPoint = [](const std::string& digits) {
        double value = 0;
        for (char c : digits)
            value = value * 10 + (c - '0');
        return std::nearbyint(value / 1024.0);
    };
    std::mt19937_64 random(11);
    for (int round = 0; round < 200000; ++round) {
        const int digits = 1 + round % 20;
        std::uint64_t limit = 1;
        for (int i = 0; i < digits && limit < UINT64_MAX / 10; ++i)
            limit *= 10;
        std::uint64_t count = random() % limit;
        if (round % 3 == 0) count = (count & ~std::uint64_t{1023}) + 511 + round % 3;
        const std::string text = std::to_string(count);
        EXPECT_EQ(kilobytesOf(text), inFloatingPoint(text)) << text;
    }
}

TEST(AnalysisPass, FieldListHoldsAcrossBlocksAndDelimiterResetsPerFile)
{
    PassFixture f;
    // A long first file whose header differs from nothing before it, then a
    // TAB file with a doubled TAB, then a file without a header of its own.
    std::string body;
    for (int i = 0; i < 9000; ++i)
        body += "2000-02-01 09:00:00 1.1.1.1 GET /a.htm 200\r\n";
    f.dayFile(2000, 2, 1, "#Fields: date time c-ip cs-method cs-uri-stem sc-status\r\n" + body, false);
    f.dayFile(2000, 2, 2,
              "#Delim:\tTABDELIMITED\r\n#Fields:\tdate\ttime\tc-ip\tcs-method\tcs-uri-stem\tsc-status\r\n"
              "2000-02-02\t10:00:00\t2.2.2.2\tGET\t/b b.htm\t200\r\n"
              "2000-02-02\t10:00:00\t\t2.2.2.2\tGET\t/c.htm\r\n",
              false);
    f.dayFile(2000, 2, 3, "2000-02-03 11:00:00 3.3.3.3 GET /d.htm 200\r\n", false);
    const AnalysisResult r = f.run(day(2000, 2, 1), day(2000, 2, 3));
    EXPECT_EQ(r.linesRead, 9003);
    EXPECT_EQ(f.table.recordsProcessed(), 9002);
    ASSERT_EQ(f.table.pages().size(), 3u);
    EXPECT_EQ(f.table.pages()[0].count, 9000);
    EXPECT_EQ(f.table.pages()[1].path(), "/b b.htm");
    EXPECT_EQ(f.table.pages()[2].path(), "/d.htm");
}

TEST(AnalysisPass, LinesAcrossReadChunksSplitExactlyAsShortOnes)
{
    PassFixture f;
    constexpr std::size_t chunk = DayFileReader::kReadChunk;
    const std::string header = kHeader;
    const std::string before = rec("09:00:00", "1.1.1.1", "GET", "/x.htm", "200", "1024", "10.0.0.1", "");
    // A record whose agent makes its line (with its "\r\n") `length` bytes.
    const auto recordOf = [&](std::size_t length, char fill) {
        const std::string agent(length - before.size(), fill);
        return rec("09:00:00", "1.1.1.1", "GET", "/x.htm", "200", "1024", "10.0.0.1", agent);
    };
    std::vector<std::size_t> agentLengths;
    // Day 1: the first record's "\r\n" at every place around the end of the
    // first read, then records of exactly one read and one byte either side.
    std::string body;
    const std::size_t lengths[] = {chunk - header.size() - 2, chunk - header.size() - 1, chunk - header.size(),
                                   chunk - header.size() + 1};
    char fill = 'a';
    for (std::size_t length : lengths) {
        f.dayFile(2000, 2, 1 + static_cast<int>(fill - 'a'),
                  recordOf(length, fill) + rec("10:00:00", "2.2.2.2", "GET", "/y.htm", "200"));
        agentLengths.push_back(length - before.size());
        ++fill;
    }
    for (std::size_t length : {chunk - 1, chunk, chunk + 1, std::size_t{300}}) {
        body += recordOf(length, fill++);
        agentLengths.push_back(length - before.size());
    }
    // NUL, 8-bit bytes and a lone "\r" inside a value are text like any other.
    body += rec("09:00:00", "1.1.1.1", "GET", "/x.htm", "200", "1024", "10.0.0.1", std::string("N\0\xff\r\xe9", 5));
    f.dayFile(2000, 2, 5, body);
    // A TAB-delimited day whose server address follows the agent after a
    // blank, its first record's line break on the read's edge.
    const std::string tabHeader =
        "#Delim:\tTABDELIMITED\r\n#Fields:\tc-ip\tcs-method\tcs-uri-stem\tcs(User-Agent) s-ip\r\n";
    const std::string tabAgent = "T (x) " + std::string(chunk - tabHeader.size() - 30, 't');
    f.dayFile(2000, 2, 6, tabHeader + "7.7.7.7\tGET\t/t.htm\t" + tabAgent + " 9.9.9.9\r\n", false);

    const AnalysisResult r = f.run(day(2000, 2, 1), day(2000, 2, 6));
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(f.table.recordsProcessed(), 4 * 2 + 4 + 1 + 1);
    const auto& agents = f.table.userAgents();
    ASSERT_EQ(agents.size(), agentLengths.size() + 1 + 1 + 1); // and "Mozilla/4.0"
    std::size_t next = 0;
    for (const auto& row : agents) {
        if (row.key() == "Mozilla/4.0") continue;
        if (next < agentLengths.size()) {
            EXPECT_EQ(row.key().size(), agentLengths[next]) << "record " << next;
            EXPECT_EQ(row.key().find_first_not_of(static_cast<char>('a' + next)), std::string_view::npos);
            ++next;
        } else if (next++ == agentLengths.size()) {
            EXPECT_EQ(row.key(), std::string_view("N\0\xff\r\xe9", 5));
        } else {
            EXPECT_EQ(row.key(), tabAgent);
        }
    }
    EXPECT_EQ(f.table.pages().back().key(), "9.9.9.9/t.htm");
}

TEST(AnalysisPass, UserAgentListIsTheSameWhetherTheRobotSpotterJudgesAgentsOrNot)
{
    // More distinct agents than the spotter remembers recently, each in
    // several letter cases, interleaved over two days; images count no agent.
    std::string days[2];
    for (int i = 0; i < 600; ++i) {
        std::string agent = "Agent/" + std::to_string(i % 40) + "+(" + std::string(60, 'x') + ")";
        if (i % 3 == 1) agent[0] = 'a';
        if (i % 5 == 2) agent = text::toUpper(agent);
        const std::string uri = i % 7 == 3 ? "/p.gif" : "/p" + std::to_string(i % 7) + ".htm";
        days[i % 2] += rec("09:00:00", "1.1.1." + std::to_string(i % 9), "GET", uri, "200", "1024", "10.0.0.1", agent);
    }
    const auto agentList = [&](bool details, unsigned threads) {
        PassFixture f;
        f.dayFile(2000, 2, 1, days[0]);
        f.dayFile(2000, 2, 2, days[1]);
        f.input.details = details;
        f.input.threads = threads;
        f.run(day(2000, 2, 1), day(2000, 2, 2));
        std::vector<std::pair<std::string, long long>> rows;
        for (const auto& row : f.table.userAgents())
            rows.emplace_back(std::string(row.key()), row.count);
        return rows;
    };
    const auto plain = agentList(false, 1);
    ASSERT_EQ(plain.size(), 40u);
    EXPECT_EQ(plain[0].first, "Agent/0+(" + std::string(60, 'x') + ")");
    EXPECT_EQ(agentList(true, 1), plain);
    EXPECT_EQ(agentList(true, 2), plain);
}

namespace {

// The reading rules spelt out for one data line of a file whose fields are
// c-ip, cs-method, cs-uri-stem (and s-ip after a blank in TAB files): the
// page key the line counts under, or nothing when the line is dropped.
std::optional<std::string> plainPageKey(std::string_view line, char delimiter, std::size_t fieldCount)
{
    std::vector<std::string_view> values;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= line.size(); ++i) {
        if (i < line.size() && line[i] != delimiter) continue;
        if (i > 0 && i < line.size() && line[i - 1] == delimiter) return std::nullopt; // two in a row
        values.push_back(line.substr(start, i - start));
        start = i + 1;
    }
    if (values.size() > fieldCount) return std::nullopt;
    if (delimiter == '\t' && values.size() + 1 == fieldCount) {
        const std::size_t blank = values.back().rfind(' ');
        if (blank == std::string_view::npos) return std::nullopt;
        const std::string_view last = values.back();
        values.back() = last.substr(0, blank);
        values.push_back(last.substr(blank + 1));
    } else if (values.size() != fieldCount) {
        return std::nullopt;
    }
    const std::string_view server = fieldCount == 4 ? values[3] : std::string_view();
    return std::string(server) + std::string(values[2].substr(0, values[2].find('?')));
}

} // namespace

TEST(AnalysisPass, RandomDamagedLinesCountExactlyAsThePlainRulesSay)
{
    // Days of space- and TAB-delimited lines, over a megabyte each so that
    // lines cross the reads' edges, damaged at random: delimiters doubled,
    // leading or trailing, values missing or one too many, CR alone or
    // before the line break, NUL and 8-bit bytes, empty and remark lines.
    std::mt19937 random(20261210);
    PassFixture f;
    long long expectedLines = 0;
    long long expectedRecords = 0;
    // Only paths ending in ".htm" are pages (an s-ip value left in the
    // path by a TAB line with one value too many makes it something else).
    std::vector<std::pair<std::string, long long>> expectedPages;
    for (int d = 1; d <= 4; ++d) {
        const bool tab = d % 2 == 0;
        const char delimiter = tab ? '\t' : ' ';
        std::string text = tab ? "#Delim: TABDELIMITED\r\n#Fields: c-ip\tcs-method\tcs-uri-stem s-ip\r\n"
                               : "#Delim: SPACEDELIMITED\r\n#Fields: c-ip cs-method cs-uri-stem\r\n";
        const std::size_t fieldCount = tab ? 4 : 3;
        while (text.size() < (1u << 20) + 5000) {
            std::string client(1 + random() % 90, 'c');
            for (char& c : client)
                if (random() % 8 == 0) c = "\0\x80\xff\r.-x"[random() % 7];
            std::string line = client + delimiter + "GET" + delimiter + "/p" + std::to_string(random() % 50) + ".htm";
            if (tab) line += random() % 4 ? " 9.9.9." + std::to_string(random() % 3) : "";
            switch (random() % 12) {
            case 0:
                line.insert(line.find(delimiter), 1, delimiter);
                break;
            case 1:
                line += delimiter + std::string("extra");
                break;
            case 2:
                line = line.substr(0, line.rfind(delimiter));
                break;
            case 3:
                line = delimiter + line;
                break;
            case 4:
                line += delimiter;
                break;
            case 5:
                line = random() % 2 ? std::string() : "#Remark: " + line;
                break;
            default:
                break;
            }
            text += line + (random() % 3 ? "\r\n" : "\n");
            if (line.empty() || line.front() == '#') continue;
            ++expectedLines;
            const auto key = plainPageKey(line, delimiter, fieldCount);
            if (key) ++expectedRecords;
            if (key && key->ends_with(".htm")) {
                auto at = std::find_if(expectedPages.begin(), expectedPages.end(),
                                       [&](const auto& page) { return page.first == *key; });
                if (at == expectedPages.end())
                    expectedPages.emplace_back(*key, 1);
                else
                    ++at->second;
            }
        }
        f.dayFile(2000, 2, d, text, false);
    }
    const AnalysisResult r = f.run(day(2000, 2, 1), day(2000, 2, 4));
    EXPECT_EQ(r.linesRead, expectedLines);
    EXPECT_EQ(f.table.recordsProcessed(), expectedRecords);
    ASSERT_EQ(f.table.pages().size(), expectedPages.size());
    for (std::size_t i = 0; i < expectedPages.size(); ++i) {
        EXPECT_EQ(f.table.pages()[i].key(), expectedPages[i].first);
        EXPECT_EQ(f.table.pages()[i].count, expectedPages[i].second) << expectedPages[i].first;
    }
}
