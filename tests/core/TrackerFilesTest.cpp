#include "tracker/TrackerFiles.h"
#include "common/Error.h"
#include "fakes/TempFolder.h"
#include "tracker/TrackerLine.h"

#include <gtest/gtest.h>

using namespace larkspan;
using namespace larkspan::tracker;
using larkspan::testing::TempFolder;

TEST(TrackerLine, QuotesOnlyFieldsHoldingACommaOrAQuote)
{
    EXPECT_EQ(joinFields({"2000-10-10", "h", "/a b", "-"}), "2000-10-10,h,/a b,-");
    EXPECT_EQ(joinFields({"x", "http://r/?q=a,b", "say \"hi\"", ""}), "x,\"http://r/?q=a,b\",\"say \"\"hi\"\"\",");
}

TEST(TrackerLine, QuotingIsFoundAtEveryPlaceInFieldsOfEveryLength)
{
    for (std::size_t length = 0; length <= 70; ++length) {
        const std::string plain(length, 'x');
        EXPECT_FALSE(needsQuotes(plain)) << length;
        for (std::size_t at = 0; at < length; ++at) {
            for (const char c : {',', '"'}) {
                std::string field = plain;
                field[at] = c;
                EXPECT_TRUE(needsQuotes(field)) << length << " " << at;
            }
        }
    }
    // Bytes next to the two in value, and high bytes, need no quotes.
    EXPECT_FALSE(needsQuotes(std::string("+-!#\xac\xa2\xff\x00 abcdefghijklmnop", 25)));
}

TEST(TrackerLine, SplitReadsBackWhatJoinWrote)
{
    const std::vector<std::vector<std::string>> cases = {
        {"a", "b,c", "\"", "", "\"\"", ",", "d"}, {""}, {"", ""}, {"only"}, {"tail,"}};
    for (const auto& fields : cases)
        EXPECT_EQ(splitFields(joinFields(fields)), fields);
}

TEST(TrackerLine, SplitToleratesLooseQuotes)
{
    // Text after a closing quote stays with its field; an unclosed quote runs to the end.
    EXPECT_EQ(splitFields("\"a,b\"x,c"), (std::vector<std::string>{"a,bx", "c"}));
    EXPECT_EQ(splitFields("a,\"b,c"), (std::vector<std::string>{"a", "b,c"}));
    EXPECT_EQ(splitFields("a\"b,c"), (std::vector<std::string>{"a\"b", "c"}));
}

TEST(TrackerFiles, PathsReplaceTheDayFilesExtension)
{
    EXPECT_EQ(summaryPathFor("/w/site/2000/LKLT1010.log"), "/w/site/2000/LKLT1010.lkmus");
    EXPECT_EQ(detailPathFor("/w/site/2000/LKLT1010.lkmus"), "/w/site/2000/LKLT1010.lkdus");
}

TEST(TrackerFiles, ListsYearsAndTrackedDays)
{
    TempFolder web;
    web.write("2000/LKLT1010.lkmus", "");
    web.write("2000/LKLT1009.lkmus", "");
    web.write("2000/LKLT1009.log", "");
    web.write("2000/LKLT0230.lkmus", ""); // no such date
    web.write("2000/LKLT101.lkmus", "");  // seven characters
    web.write("2000/ABCD0229.lkmus", ""); // any prefix, leap day
    web.write("2000/LKLT1011.lkdus", ""); // no summary
    web.write("2001/LKLT0101.log", "");   // day file only
    web.write("200x/LKLT0101.lkmus", ""); // not a year folder
    web.write("20001/LKLT0101.lkmus", "");

    EXPECT_EQ(yearFolders(web.path()), (std::vector<int>{2000, 2001}));
    EXPECT_EQ(trackedYears(web.path()), (std::vector<int>{2000}));
    const auto days = trackedDays(web.path(), 2000);
    ASSERT_EQ(days.size(), 3u);
    EXPECT_EQ(days[0].month * 100 + days[0].day, 229);
    EXPECT_EQ(days[1].month * 100 + days[1].day, 1009);
    EXPECT_EQ(days[2].month * 100 + days[2].day, 1010);
    EXPECT_EQ(days[2].summaryPath, web.file("2000/LKLT1010.lkmus"));
    EXPECT_TRUE(trackedDays(web.path(), 1999).empty());
    EXPECT_TRUE(yearFolders(web.file("missing")).empty());
}

TEST(TrackerFiles, LoadsADayAndSelectsRequestsByHostOrVisitor)
{
    TempFolder web;
    web.write("2000/LKLT1010.lkmus",
              "2000-10-10,host1,10.0.0.1,2,1,13:55:36,13:56:10,35,/index.html,/index.html,2.98\r\n"
              "2000-10-10,host1,10.0.0.2,1,1,-,-,-,\"/a,b\",\"/a,b\",0\r\n");
    web.write("2000/LKLT1010.lkdus", "2000-10-10,host1,10.0.0.1,13:55:36,/index.html,-,-,200,2048\r\n"
                                     "2000-10-10,host1,10.0.0.1,13:56:10,/logo.gif,-,-,200,1000\r\n"
                                     "2000-10-10,HOST1,10.0.0.2,14:00:00,\"/a,b\",\"http://r/?x=1,2\",-,200,-\n");
    const TrackerDay day = loadTrackerDay(web.file("2000/LKLT1010.lkmus"));
    ASSERT_EQ(day.visitors.size(), 2u);
    EXPECT_EQ(day.visitors[0].host, "host1");
    EXPECT_EQ(day.visitors[0].hits, 2);
    EXPECT_EQ(day.visitors[0].duration, "35");
    EXPECT_EQ(day.visitors[0].kilobytes, "2.98");
    EXPECT_EQ(day.visitors[1].firstPage, "/a,b");
    EXPECT_EQ(day.visitors[1].firstTime, "-");
    ASSERT_EQ(day.requests.size(), 3u);
    EXPECT_EQ(day.requests[2].referrer, "http://r/?x=1,2");
    EXPECT_EQ(day.requests[2].status, "200");

    EXPECT_EQ(requestsOf(day, "host1", "").size(), 3u);
    const auto one = requestsOf(day, "host1", "10.0.0.1");
    ASSERT_EQ(one.size(), 2u);
    EXPECT_EQ(one[1]->url, "/logo.gif");
    EXPECT_EQ(summaryFields(day.visitors[1])[8], "/a,b");
    EXPECT_EQ(joinFields(detailFields(day.requests[0])), "2000-10-10,host1,10.0.0.1,13:55:36,/index.html,-,-,200,2048");
}

TEST(TrackerFiles, MissingSummaryFailsAndMissingDetailGivesNoRequests)
{
    TempFolder web;
    EXPECT_THROW(loadTrackerDay(web.file("2000/LKLT1010.lkmus")), Error);
    web.write("2000/LKLT1010.lkmus", "2000-10-10,a,a,1,0,-,-,-,-,-,0\r\n");
    const TrackerDay day = loadTrackerDay(web.file("2000/LKLT1010.lkmus"));
    EXPECT_EQ(day.visitors.size(), 1u);
    EXPECT_TRUE(day.requests.empty());
    // A short line leaves the fields it lacks empty.
    EXPECT_EQ(parseSummaryLine("d,h").client, "");
    EXPECT_EQ(parseDetailLine("d,h,c,t").bytes, "");
}
