#include "samples/SampleLogs.h"
#include "common/Error.h"
#include "common/Text.h"
#include "common/TextFile.h"
#include "fakes/FakePlatform.h"
#include "fakes/TempFolder.h"
#include "samples/SampleRandom.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

using namespace larkspan;
using namespace larkspan::samples;
using larkspan::testing::FakePlatform;
using larkspan::testing::TempFolder;

namespace {

SampleLogOptions optionsFor(SampleLayout layout, int days, long lines, std::uint64_t seed = 42)
{
    SampleLogOptions options;
    options.layout = layout;
    options.days = days;
    options.linesPerDay = lines;
    options.seed = seed;
    options.start = CivilDate{2024, 2, 28};
    return options;
}

SampleLogResult generate(const std::string& folder, const SampleLogOptions& options)
{
    FakePlatform fake;
    return writeSampleLogs(folder, options, fake.pump, fake.cancel);
}

std::string read(const std::string& path)
{
    std::string content;
    EXPECT_TRUE(readWholeFile(path, content)) << path;
    return content;
}

// Splits at "\n", removing one "\r" before it when the layout ends lines with CR LF.
std::vector<std::string> lines(const std::string& content, bool crlf)
{
    std::vector<std::string> result;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        std::string line = content.substr(start, end - start);
        if (crlf) {
            EXPECT_TRUE(!line.empty() && line.back() == '\r') << "line without CR LF: " << line;
            if (!line.empty() && line.back() == '\r') line.pop_back();
        }
        EXPECT_EQ(line.find('\r'), std::string::npos) << "stray CR: " << line;
        result.push_back(line);
        start = end + 1;
    }
    return result;
}

bool isHeaderLine(const std::string& line)
{
    return line.rfind("#", 0) == 0 || line.rfind("format=", 0) == 0;
}

std::vector<std::string> records(const std::vector<std::string>& all)
{
    std::vector<std::string> result;
    for (const auto& line : all)
        if (!isHeaderLine(line)) result.push_back(line);
    return result;
}

bool allDigits(const std::string& s)
{
    return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
}

// The Apache record shape shared by common, combined, site and Netscape:
// fieldsBeforeDate fields, "[dd/Mon/yyyy:HH:MM:SS +0000]", a quoted request of
// three parts, status, bytes, then `quoted` quoted fields, none of them empty.
void expectApacheRecord(const std::string& line, int fieldsBeforeDate, int quoted, const std::string& clfDay)
{
    SCOPED_TRACE(line);
    const std::size_t open = line.find('[');
    ASSERT_NE(open, std::string::npos);
    ASSERT_LT(open, line.find('"'));
    EXPECT_EQ(text::split(line.substr(0, open - 1), ' ').size(), static_cast<std::size_t>(fieldsBeforeDate));
    const std::size_t close = line.find("] \"", open);
    ASSERT_NE(close, std::string::npos);
    const std::string stamp = line.substr(open + 1, close - open - 1);
    ASSERT_EQ(stamp.size(), 26u);
    EXPECT_EQ(stamp.substr(0, 12), clfDay);
    EXPECT_EQ(stamp.substr(14, 1) + stamp.substr(17, 1), "::");
    EXPECT_EQ(stamp.substr(20), " +0000");

    const std::size_t requestEnd = line.find("\" ", close + 3);
    ASSERT_NE(requestEnd, std::string::npos);
    const auto request = text::split(line.substr(close + 3, requestEnd - close - 3), ' ');
    ASSERT_EQ(request.size(), 3u);
    EXPECT_TRUE(request[0] == "GET" || request[0] == "HEAD" || request[0] == "POST");
    EXPECT_EQ(request[1].front(), '/');
    EXPECT_EQ(request[2].rfind("HTTP/", 0), 0u);

    std::string rest = line.substr(requestEnd + 2);
    const auto statusEnd = rest.find(' ');
    ASSERT_NE(statusEnd, std::string::npos);
    EXPECT_TRUE(allDigits(rest.substr(0, statusEnd)));
    rest = rest.substr(statusEnd + 1);
    const auto bytesEnd = rest.find(' ');
    const std::string bytes = rest.substr(0, bytesEnd);
    EXPECT_TRUE(bytes == "-" || allDigits(bytes)) << bytes;
    rest = bytesEnd == std::string::npos ? "" : rest.substr(bytesEnd);
    for (int i = 0; i < quoted; ++i) {
        ASSERT_EQ(rest.rfind(" \"", 0), 0u) << rest;
        const std::size_t end = rest.find('"', 2);
        ASSERT_NE(end, std::string::npos);
        EXPECT_GT(end, 2u) << "empty quoted field";
        rest = rest.substr(end + 1);
    }
    EXPECT_EQ(rest, "");
}

} // namespace

TEST(SampleLogs, SameSeedGivesTheSameBytesAndDaysDoNotDependOnTheRunLength)
{
    TempFolder a, b, c;
    const auto first = generate(a.path(), optionsFor(SampleLayout::NcsaCombined, 3, 2000));
    const auto second = generate(b.path(), optionsFor(SampleLayout::NcsaCombined, 5, 2000));
    const auto other = generate(c.path(), optionsFor(SampleLayout::NcsaCombined, 3, 2000, 43));
    ASSERT_EQ(first.files.size(), 3u);
    ASSERT_EQ(second.files.size(), 5u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(read(first.files[i]), read(second.files[i])) << i;
        EXPECT_NE(read(first.files[i]), read(other.files[i])) << i;
    }
    EXPECT_NE(read(first.files[0]), read(first.files[1])) << "every day has its own traffic";
}

TEST(SampleLogs, OneFilePerDayWithExactlyTheRecordsAsked)
{
    TempFolder temp;
    const auto result = generate(temp.file("out/logs"), optionsFor(SampleLayout::W3c, 3, 777));
    ASSERT_EQ(result.files.size(), 3u);
    EXPECT_EQ(result.records, 3 * 777);
    // 2024-02-28 .. 2024-03-01 crosses a leap day.
    EXPECT_EQ(std::filesystem::path(result.files[0]).filename(), "access-20240228.log");
    EXPECT_EQ(std::filesystem::path(result.files[1]).filename(), "access-20240229.log");
    EXPECT_EQ(std::filesystem::path(result.files[2]).filename(), "access-20240301.log");
    for (const auto& file : result.files)
        EXPECT_EQ(records(lines(read(file), true)).size(), 777u);

    TempFolder empty;
    const auto none = generate(empty.path(), optionsFor(SampleLayout::NcsaCommon, 2, 0));
    EXPECT_EQ(none.records, 0);
    ASSERT_EQ(none.files.size(), 2u);
    EXPECT_EQ(read(none.files[0]), "");
}

TEST(SampleLogs, ApacheLayoutsHaveTheirFieldsAndLfLineEnds)
{
    struct Case {
        SampleLayout layout;
        int fieldsBeforeDate;
        int quoted;
    };
    for (const Case c : {Case{SampleLayout::NcsaCommon, 3, 0}, Case{SampleLayout::NcsaCombined, 3, 2},
                         Case{SampleLayout::NcsaSite, 4, 2}, Case{SampleLayout::Netscape, 3, 2}}) {
        SCOPED_TRACE(std::string(layoutName(c.layout)));
        TempFolder temp;
        const auto result = generate(temp.path(), optionsFor(c.layout, 1, 3000));
        const auto all = lines(read(result.files[0]), false);
        if (c.layout == SampleLayout::Netscape) {
            ASSERT_FALSE(all.empty());
            EXPECT_EQ(all[0].rfind("format=%Ses->client.ip% - %Req->vars.auth-user% [%SYSDATE%]", 0), 0u);
        }
        const auto recs = records(all);
        ASSERT_EQ(recs.size(), 3000u);
        for (const auto& record : recs)
            expectApacheRecord(record, c.fieldsBeforeDate, c.quoted, "28/Feb/2024:");
    }
}

TEST(SampleLogs, W3cFilesOpenWithDirectivesAndRecordsMatchTheFieldsLine)
{
    TempFolder temp;
    const auto result = generate(temp.path(), optionsFor(SampleLayout::W3c, 1, 2000));
    const auto all = lines(read(result.files[0]), true);
    ASSERT_GT(all.size(), 4u);
    EXPECT_EQ(all[0], "#Software: Microsoft Internet Information Services 10.0");
    EXPECT_EQ(all[1], "#Version: 1.0");
    EXPECT_EQ(all[2].rfind("#Date: 2024-02-28 ", 0), 0u);
    ASSERT_EQ(all[3].rfind("#Fields: date time ", 0), 0u);
    EXPECT_NE(all[3].find(" s-ip "), std::string::npos);
    const std::size_t fields = text::split(all[3], ' ').size() - 1;
    const auto recs = records(all);
    ASSERT_EQ(recs.size(), 2000u);
    for (const auto& record : recs) {
        EXPECT_EQ(record.rfind("2024-02-28 ", 0), 0u) << record;
        EXPECT_EQ(record.find('\t'), std::string::npos);
        EXPECT_EQ(text::split(record, ' ').size(), fields) << record;
    }
}

TEST(SampleLogs, CommaSeparatedRecordsEndWithACommaAndCarryAFourDigitYear)
{
    TempFolder temp;
    const auto result = generate(temp.path(), optionsFor(SampleLayout::Csv, 1, 2000));
    const auto recs = records(lines(read(result.files[0]), true));
    ASSERT_EQ(recs.size(), 2000u);
    for (const auto& record : recs) {
        SCOPED_TRACE(record);
        ASSERT_EQ(record.back(), ',');
        const auto fields = text::split(record.substr(0, record.size() - 1), ',');
        ASSERT_EQ(fields.size(), 15u);
        EXPECT_EQ(fields[2], " 2/28/2024");
        EXPECT_EQ(fields[6], " 192.0.2.10");
        for (std::size_t i = 1; i < fields.size(); ++i)
            EXPECT_EQ(fields[i].rfind(' ', 0), 0u);
        EXPECT_EQ(record.find("  "), std::string::npos);
    }
}

TEST(SampleLogs, TrafficHasTheVarietyReportsNeed)
{
    TempFolder temp;
    const auto result = generate(temp.path(), optionsFor(SampleLayout::NcsaCombined, 1, 20000));
    const auto recs = records(lines(read(result.files[0]), false));
    std::set<std::string> statuses, methods, hours;
    std::map<std::string, int> requestsPerClient;
    bool hostNames = false, addresses = false, robots = false, downloads = false, images = false;
    std::string previousTime;
    for (const auto& record : recs) {
        const auto open = record.find('[');
        const std::string client = record.substr(0, record.find(' '));
        const std::string time = record.substr(open + 13, 8);
        EXPECT_LE(previousTime, time) << "records are in time order";
        previousTime = time;
        hours.insert(time.substr(0, 2));
        const auto request = record.find("] \"") + 3;
        methods.insert(record.substr(request, record.find(' ', request) - request));
        const auto status = record.find("\" ", request) + 2;
        statuses.insert(record.substr(status, 3));
        ++requestsPerClient[client];
        const bool numeric =
            client.find_first_not_of("0123456789.") == std::string::npos || client.find(':') != std::string::npos;
        (numeric ? addresses : hostNames) = true;
        robots = robots || record.find("Googlebot") != std::string::npos;
        downloads = downloads || record.find("/downloads/") != std::string::npos;
        images = images || record.find(".jpg ") != std::string::npos || record.find(".png ") != std::string::npos;
    }
    for (const char* status : {"200", "301", "302", "304", "401", "403", "404", "500"})
        EXPECT_TRUE(statuses.count(status)) << status;
    for (const char* method : {"GET", "HEAD", "POST"})
        EXPECT_TRUE(methods.count(method)) << method;
    EXPECT_GE(hours.size(), 20u);
    EXPECT_LE(previousTime, "23:59:59");
    EXPECT_TRUE(hostNames && addresses && robots && downloads && images);

    const std::string all = read(result.files[0]);
    for (const char* engine : {"google.com/search?q=", "bing.com/search?q=", "search.yahoo.com/search?p=",
                               "duckduckgo.com/?q=", "yandex.ru/search/?text=", "baidu.com/s?wd="})
        EXPECT_NE(all.find(engine), std::string::npos) << engine;
    for (const char* agent : {"Firefox/", "Edg/", "Version/18.1 Safari", "Android", "iPhone", "Windows NT", "Linux"})
        EXPECT_NE(all.find(agent), std::string::npos) << agent;

    int returning = 0;
    for (const auto& [client, count] : requestsPerClient)
        if (count >= 3) ++returning;
    EXPECT_GT(returning, 100) << "visitors make several requests, so sessions exist";
}

TEST(SampleLogs, CompressedOutputIsGzip)
{
    TempFolder plain, packed;
    auto options = optionsFor(SampleLayout::NcsaCombined, 1, 5000);
    const auto expected = generate(plain.path(), options);
    options.gzip = true;
    const auto result = generate(packed.path(), options);
    ASSERT_EQ(std::filesystem::path(result.files[0]).filename(), "access-20240228.log.gz");
    const std::string bytes = read(result.files[0]);
    ASSERT_GT(bytes.size(), 2u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0x1f);
    EXPECT_EQ(static_cast<unsigned char>(bytes[1]), 0x8b);
    EXPECT_LT(bytes.size(), read(expected.files[0]).size() / 3);
}

TEST(SampleLogs, CancelStopsAfterACompleteFile)
{
    TempFolder temp;
    FakePlatform fake;
    fake.cancel.request();
    EXPECT_THROW(writeSampleLogs(temp.path(), optionsFor(SampleLayout::NcsaCommon, 5, 1500), fake.pump, fake.cancel),
                 Cancelled);
    const std::string first = temp.file("access-20240228.log");
    ASSERT_TRUE(std::filesystem::exists(first));
    EXPECT_EQ(records(lines(read(first), false)).size(), 1500u);
    EXPECT_FALSE(std::filesystem::exists(temp.file("access-20240229.log")));
}

TEST(SampleLogs, AFolderThatCannotBeMadeIsAnError)
{
    TempFolder temp;
    const std::string blocker = temp.write("file", "x");
    try {
        generate(blocker + "/logs", optionsFor(SampleLayout::NcsaCommon, 1, 10));
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to create folder " + blocker + "/logs");
    }
}

TEST(SampleLayoutNames, RoundTrip)
{
    for (const auto layout : {SampleLayout::NcsaCommon, SampleLayout::NcsaCombined, SampleLayout::NcsaSite,
                              SampleLayout::W3c, SampleLayout::Csv, SampleLayout::Netscape})
        EXPECT_EQ(parseLayoutName(layoutName(layout)), layout);
    EXPECT_FALSE(parseLayoutName("apache"));
    EXPECT_EQ(layoutNames(), "ncsa-combined|ncsa-common|ncsa-site|w3c|csv|netscape");
}

TEST(SampleRandom, IsTheStandardSplitMix64Sequence)
{
    // Fixed reference values: the same seed must give the same logs with any
    // compiler or standard library.
    SampleRandom random(0);
    EXPECT_EQ(random.next(), 0xE220A8397B1DCDAFULL);
    EXPECT_EQ(random.next(), 0x6E789E6AA1B965F4ULL);
    EXPECT_EQ(random.next(), 0x06C45D188009454FULL);
    SampleRandom bounded(7);
    for (int i = 0; i < 10000; ++i) {
        EXPECT_LT(bounded.below(13), 13u);
        const int value = bounded.between(-2, 2);
        EXPECT_TRUE(value >= -2 && value <= 2);
    }
    EXPECT_EQ(bounded.below(0), 0u);
}

TEST(SampleDay, EveryRequestFallsInsideTheDay)
{
    // Seeds whose late sessions pull embedded files past midnight.
    for (const std::uint64_t seed : {3u, 4u, 7u, 10u}) {
        const SampleDay day = generateSampleDay(seed, 100000);
        ASSERT_EQ(day.requests.size(), 100000u);
        for (const Request& request : day.requests) {
            ASSERT_GE(request.second, 0);
            ASSERT_LT(request.second, 86400) << seed;
            ASSERT_LT(request.visitor, day.visitors.size());
        }
        EXPECT_GT(day.requests.back().second, 86000);
    }
}

TEST(SampleLogs, AW3cServerRestartRepeatsTheDirectivesMidFile)
{
    TempFolder temp;
    const auto result = generate(temp.path(), optionsFor(SampleLayout::W3c, 5, 3000));
    std::vector<int> blocks;
    for (const auto& file : result.files) {
        const auto all = lines(read(file), true);
        int count = 0;
        std::string before;
        for (std::size_t i = 0; i < all.size(); ++i) {
            if (all[i].rfind("#Software: ", 0) != 0) continue;
            ++count;
            if (i > 0) {
                ASSERT_LT(i + 4, all.size());
                EXPECT_LT(all[i - 1].substr(11, 8), "12:00:00");
                EXPECT_EQ(all[i + 2], "#Date: 2024-03-02 " + all[i + 4].substr(11, 8));
                EXPECT_GE(all[i + 4].substr(11, 8), "12:00:00");
            }
        }
        EXPECT_EQ(records(all).size(), 3000u);
        blocks.push_back(count);
    }
    EXPECT_EQ(blocks, (std::vector<int>{1, 1, 1, 2, 1}));

    TempFolder apache;
    const auto combined = generate(apache.path(), optionsFor(SampleLayout::NcsaCombined, 4, 500));
    EXPECT_EQ(lines(read(combined.files[3]), false).size(), 500u);
}
