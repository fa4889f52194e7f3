#include "analysis/KeyedRows.h"
#include "analysis/RecordTally.h"
#include "analysis/RobotSpotter.h"
#include "analysis/StatisticsTable.h"
#include "common/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace larkspan;
using namespace larkspan::analysis;

namespace {

// Random keys over a small alphabet with capitals, a NUL and high bytes, so
// that many keys differ only in case and many share their hash tag's slot.
std::string randomKey(std::mt19937& rng, std::size_t maxLength)
{
    static const char bytes[] = "aAbBzZ0/.\0\x80\xff";
    const std::string alphabet(bytes, sizeof bytes - 1);
    std::string key;
    const std::size_t length = rng() % (maxLength + 1);
    for (std::size_t i = 0; i < length; ++i)
        key.push_back(alphabet[rng() % alphabet.size()]);
    return key;
}

// Records of an address, a method, a path and a time.
FieldPositions addressRequestTime()
{
    FieldPositions at;
    at.clientAddress = 0;
    at.method = 1;
    at.uriStem = 2;
    at.time = 3;
    return at;
}

} // namespace

TEST(KeyedRows, AgreesWithAFoldedMapThroughManyGrowths)
{
    // Every count, every first spelling and every row number as a map keyed
    // by the lower-cased text gives them, across many doublings of the index.
    std::mt19937 rng(5);
    KeyedRows<CountRow> rows;
    std::map<std::string, std::size_t> rowOf; // folded key -> row
    std::vector<std::string> firstSpelling;
    std::vector<long long> counts;
    for (int n = 0; n < 60000; ++n) {
        const std::string key = randomKey(rng, n % 3 == 0 ? 3 : 12);
        const auto [at, added] = rowOf.try_emplace(text::toLower(key), firstSpelling.size());
        if (added) {
            firstSpelling.push_back(key);
            counts.push_back(0);
        }
        const long long amount = n % 5 + 1;
        counts[at->second] += amount;
        bool isNew = false;
        ASSERT_EQ(rows.addCount(key, amount, isNew), at->second) << n;
        ASSERT_EQ(isNew, added) << n;
    }
    ASSERT_EQ(rows.size(), firstSpelling.size());
    ASSERT_GT(rows.size(), 20000u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        ASSERT_EQ(rows.rows()[i].key(), firstSpelling[i]) << i;
        ASSERT_EQ(rows.rows()[i].count, counts[i]) << i;
        ASSERT_EQ(rows.find(text::toUpper(firstSpelling[i])), static_cast<long>(i)) << i;
    }
    EXPECT_EQ(rows.find("no such key, longer than any made"), -1);

    // Past the size where the rows grow by half: views and counts hold.
    const std::size_t before = rows.size();
    for (int i = 0; i < 100000; ++i)
        rows.count("/distinct/" + std::to_string(i));
    ASSERT_EQ(rows.size(), before + 100000);
    EXPECT_EQ(rows.rows()[before].key(), "/distinct/0");
    EXPECT_EQ(rows.rows()[before + 99999].key(), "/distinct/99999");
    EXPECT_EQ(rows.find("/DISTINCT/54321"), static_cast<long>(before + 54321));
    EXPECT_EQ(rows.rows()[0].key(), firstSpelling[0]);

    // Past a million rows they grow by a quarter: never more than a quarter
    // of the room unused, and every earlier view and count still holds.
    const std::size_t middle = rows.size();
    for (int i = 0; i < 1000000; ++i) {
        rows.count("/m/" + std::to_string(i));
        if (rows.size() > (std::size_t{1} << 20)) {
            ASSERT_LE(rows.rows().capacity(), rows.size() + rows.size() / 4 + 1) << i;
        }
    }
    ASSERT_EQ(rows.size(), middle + 1000000);
    EXPECT_EQ(rows.rows()[middle + 999999].key(), "/m/999999");
    EXPECT_EQ(rows.find("/M/777777"), static_cast<long>(middle + 777777));
    EXPECT_EQ(rows.rows()[before + 99999].key(), "/distinct/99999");
    EXPECT_EQ(rows.rows()[0].key(), firstSpelling[0]);
    EXPECT_EQ(rows.rows()[0].count, counts[0]);
}

TEST(KeyedRows, EmptyAndHugeKeysAmongSmallBlocks)
{
    // The arena starts with a small block and doubles it: an empty key, a
    // key longer than the largest block and keys spilling over block ends
    // keep their text, also in a copy made after the original changed.
    KeyedRows<CountRow> rows;
    EXPECT_TRUE(rows.count(""));
    const std::string huge((1u << 20) + 3, 'x');
    std::vector<std::string> keys;
    for (int i = 0; i < 3000; ++i) {
        keys.push_back(std::string(static_cast<std::size_t>(i % 700), 'k') + std::to_string(i));
        rows.count(keys.back());
        if (i == 1500) rows.count(huge);
    }
    EXPECT_FALSE(rows.count(""));
    KeyedRows<CountRow> copy = rows;
    rows.clear();
    EXPECT_TRUE(rows.count(keys[7])); // new again after clearing
    ASSERT_EQ(copy.size(), 3002u);
    EXPECT_EQ(copy.rows()[0].count, 2);
    EXPECT_EQ(copy.rows()[1502].key(), huge);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const std::size_t row = i < 1501 ? i + 1 : i + 2;
        ASSERT_EQ(copy.rows()[row].key(), keys[i]) << i;
        ASSERT_EQ(copy.find(keys[i]), static_cast<long>(row)) << i;
    }
}

TEST(KeyedRows, CountRowsKeepTheLongestKeyAndCountsPastFourBillion)
{
    // A count row packs its key's length and its count into one word: the
    // longest key the analysis pass can meet keeps every byte, counts pass
    // 32 bits exactly, and neither spills into its neighbour.
    KeyedRows<CountRow> rows;
    std::string longest(CountRow::kLongestKey, 'L');
    longest.back() = 'z';
    bool isNew = false;
    rows.addCount("before", 1, isNew);
    rows.addCount(longest, (std::int64_t{1} << 32) + 5, isNew);
    EXPECT_TRUE(isNew);
    rows.addCount("after", 2, isNew);
    rows.addCount(longest, std::int64_t{1} << 33, isNew);
    EXPECT_FALSE(isNew);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows.rows()[1].key(), longest);
    EXPECT_EQ(rows.rows()[1].count, (std::int64_t{1} << 32) + (std::int64_t{1} << 33) + 5);
    EXPECT_EQ(rows.find(longest), 1);
    EXPECT_EQ(rows.rows()[0].key(), "before");
    EXPECT_EQ(rows.rows()[0].count, 1);
    EXPECT_EQ(rows.rows()[2].key(), "after");
    EXPECT_EQ(rows.rows()[2].count, 2);
    EXPECT_THROW(rows.count(std::string(CountRow::kLongestKey + 1, 'x')), std::length_error);
}

TEST(KeyedRows, CallersMayChangeCountsThroughTheRows)
{
    // Counts live in the rows themselves: a count changed through rows() is
    // the one later look-ups add to, also right after the same key.
    KeyedRows<CountRow> rows;
    rows.count("Agent");
    rows.rows()[0].count = 10;
    rows.count("agent");
    rows.count("Agent");
    EXPECT_EQ(rows.rows()[0].count, 12);
}

TEST(KeyedRows, HintedLookUpsMatchPlainOnesEvenAfterTheIndexGrew)
{
    // A hint is taken, then other keys are added (the index grows and the
    // slot fetched is elsewhere) before the hinted key is counted: the row
    // is the one a plain look-up finds, a new key is added once.
    KeyedRows<CountRow> rows;
    for (int i = 0; i < 40000; ++i)
        rows.count("http://site-" + std::to_string(i) + ".example/");
    ASSERT_TRUE(rows.largeIndex());
    int added = 0;
    for (int i = 0; i < 60000; i += 3) {
        const std::string key = "HTTP://SITE-" + std::to_string(i) + ".EXAMPLE/";
        const KeyHint hint = rows.prefetch(key);
        EXPECT_TRUE(hint.hashed);
        rows.count("http://new-" + std::to_string(++added) + ".example/");
        bool isNew = false;
        const std::size_t row = rows.countRow(key, isNew, hint);
        ASSERT_EQ(isNew, i >= 40000) << i;
        ASSERT_EQ(rows.find(key), static_cast<long>(row)) << i;
        // The last key needs no hash when spelled as stored, not in another case.
        EXPECT_EQ(rows.prefetch(key).hashed, i < 40000) << i;
    }
    EXPECT_EQ(rows.rows()[39998].count, 1);
    EXPECT_EQ(rows.rows()[39996].count, 2);
    KeyedRows<CountRow> small;
    small.count("a");
    EXPECT_FALSE(small.prefetch("b").hashed); // a small index is in the caches anyway
}

TEST(KeyedRows, CompactedTablesStillFindAndCount)
{
    KeyedRows<CountRow> rows;
    for (int i = 0; i < 1000; ++i)
        rows.count("/page-" + std::to_string(i % 300) + ".html");
    rows.compact();
    EXPECT_EQ(rows.find("/PAGE-17.HTML"), 17);
    EXPECT_EQ(rows.find("/page-300.html"), -1);
    // Counting again builds the index for every row, old and new.
    EXPECT_FALSE(rows.count("/Page-299.html"));
    EXPECT_TRUE(rows.count("/page-300.html"));
    for (int i = 0; i < 301; ++i)
        ASSERT_EQ(rows.find("/page-" + std::to_string(i) + ".HTML"), i);

    // An index dropped alone: the rows stay, a count rebuilds it.
    rows.dropIndex();
    EXPECT_EQ(rows.find("/PAGE-300.HTML"), 300);
    EXPECT_FALSE(rows.count("/page-0.html"));
    EXPECT_TRUE(rows.count("/page-301.html"));
    EXPECT_EQ(rows.size(), 302u);
    EXPECT_EQ(rows.rows()[0].count, 5);
    for (int i = 0; i < 302; ++i)
        ASSERT_EQ(rows.find("/page-" + std::to_string(i) + ".html"), i);
    EXPECT_EQ(rows.rows()[299].count, 4);
    EXPECT_EQ(rows.rows()[299].key(), "/page-299.html");
}

TEST(KeyedRows, RowsAddedUnsearchedAreFoundLikeCountedOnes)
{
    // Keys known to be new go in without a look-up, while the table has an
    // index (kept up, through its growth) and while it has none (built by
    // the next look-up): every key is found at its row afterwards.
    std::mt19937 rng(12);
    KeyedRows<CountRow> rows;
    std::map<std::string, std::size_t> rowOf;
    for (int n = 0; n < 30000; ++n) {
        const std::string key = randomKey(rng, 10);
        const std::string folded = text::toLower(key);
        if (n == 20000) rows.dropIndex();
        const auto known = rowOf.find(folded);
        bool isNew = false;
        if (known == rowOf.end()) {
            const std::size_t row = n % 2 ? rows.addNew(key) : rows.countRow(key, isNew);
            if (n % 2) rows.countAt(row);
            ASSERT_EQ(row, rowOf.size()) << n;
            rowOf.emplace(folded, row);
        } else if (n % 3 == 0) {
            ASSERT_EQ(rows.countRow(text::toUpper(key), isNew), known->second) << n;
            ASSERT_FALSE(isNew);
        }
    }
    ASSERT_EQ(rows.size(), rowOf.size());
    for (const auto& [folded, row] : rowOf)
        ASSERT_EQ(rows.find(folded), static_cast<long>(row)) << folded;
    EXPECT_EQ(rows.find("not/there/at/all/"), -1);
}

TEST(RobotSpotter, ACopyHasCountedNoAgent)
{
    // A verdict knows its agent's row in one tally's list; a worker's copy
    // of the spotter serves another list, which starts without rows.
    RobotSpotter spotter(RobotList({"curl"}), BrowserTable());
    spotter.robotName("Mozilla/5.0+(A)");
    EXPECT_EQ(spotter.lastAgentRow(), 0u);
    spotter.setLastAgentRow(6);
    spotter.robotName("Other/1.0");
    spotter.robotName("MOZILLA/5.0+(a)");
    EXPECT_EQ(spotter.lastAgentRow(), 7u);
    EXPECT_EQ(spotter.lastAgent(), "Mozilla/5.0+(A)");
    RobotSpotter copy(spotter);
    copy.robotName("Mozilla/5.0+(A)");
    EXPECT_EQ(copy.lastAgentRow(), 0u);
    spotter.robotName("Mozilla/5.0+(A)");
    EXPECT_EQ(spotter.lastAgentRow(), 7u);
}

TEST(KeyedRows, SharedTextsStoredOnceAndOutliveTheirFirstOwner)
{
    auto judged = std::make_unique<KeyedRows<CountRow>>();
    KeyedRows<CountRow> listed;
    listed.count("Kept/1.0"); // stored before the sharing began
    listed.storeTextsIn(judged->texts());
    const std::string agent = "Mozilla/5.0 (X11; Linux x86_64; rv:1.1) Gecko/20100101 Firefox/133.0";
    judged->count(agent);
    judged->count("Other/2.0");
    const std::string_view stored = judged->rows()[0].key();
    const std::string_view other = judged->rows()[1].key();
    bool isNew = false;
    // The same bytes in the shared arena: viewed, not copied.
    listed.countRow(agent, isNew, stored, judged->texts().get());
    EXPECT_EQ(listed.rows()[1].key().data(), stored.data());
    // Another spelling, or a text of some other arena: copied.
    listed.countRow("OTHER/2.0", isNew, other, judged->texts().get());
    EXPECT_NE(listed.rows()[2].key().data(), other.data());
    KeyedRows<CountRow> elsewhere;
    elsewhere.count("Third/3.0");
    listed.countRow("Third/3.0", isNew, elsewhere.rows()[0].key(), elsewhere.texts().get());
    EXPECT_NE(listed.rows()[3].key().data(), elsewhere.rows()[0].key().data());

    // The first owner gone and its memory used again: every key still reads.
    judged.reset();
    elsewhere = KeyedRows<CountRow>();
    std::vector<std::string> scribbles;
    for (std::size_t size = 16; size <= (1u << 20); size *= 2)
        scribbles.emplace_back(size, 'Z');
    const std::vector<std::string> expected = {"Kept/1.0", agent, "OTHER/2.0", "Third/3.0"};
    ASSERT_EQ(listed.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(listed.rows()[i].key(), expected[i]);
}

TEST(RecordTally, AgentListOutlivesTheRobotSpotter)
{
    // The agent list shares the spotter's copies of the agents: the table is
    // read after the pass, when the spotter (and the one it was copied from)
    // is gone.
    StatisticsTable table;
    RecordFilter filter;
    std::vector<std::string> agents;
    {
        // A worker's spotter is a copy of one that judged agents before.
        auto original = std::make_unique<RobotSpotter>(RobotList({"curl"}), BrowserTable());
        original->robotName("Mozilla/5.0+(Agent+0)");
        RobotSpotter spotter(*original);
        original.reset();
        RecordTally tally(table, filter, BucketMode::Hourly, false);
        tally.keepTrafficDetails(&spotter, true, true);
        FieldPositions at;
        at.clientAddress = 0;
        at.method = 1;
        at.uriStem = 2;
        at.userAgent = 3;
        for (int i = 0; i < 2000; ++i) {
            agents.push_back("Mozilla/5.0+(Agent+" + std::to_string(i) + ")");
            const std::string spelt = i % 3 == 0 ? text::toUpper(agents.back()) : agents.back();
            tally.add({"10.0.0." + std::to_string(i), "GET", "/index.html", spelt}, at);
            tally.add({"10.0.0.1", "GET", "/index.html", "curl/8.0"}, at); // a robot: listed nowhere
            tally.add({"10.0.0.2", "GET", "/index.html", agents.back()}, at);
        }
    }
    std::vector<std::string> scribbles;
    for (std::size_t size = 16; size <= (1u << 20); size *= 2)
        scribbles.emplace_back(size, 'Z');
    const CountRows& rows = table.userAgents();
    ASSERT_EQ(rows.size(), agents.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        ASSERT_EQ(rows[i].key(), i % 3 == 0 ? text::toUpper(agents[i]) : agents[i]) << i;
        ASSERT_EQ(rows[i].count, 2) << i;
    }
}

TEST(RecordTally, VisitorsSortedByFoldedAddressWithoutCopies)
{
    // The day's visitors come out in the order of text::icompare, also for
    // addresses sharing their first eight bytes, differing in case only
    // from others' prefixes, holding NUL or high bytes, or ending early.
    StatisticsTable table;
    RecordFilter filter;
    RecordTally tally(table, filter, BucketMode::Hourly, false);
    const FieldPositions at = addressRequestTime();
    std::mt19937 rng(9);
    std::vector<std::string> addresses = {"10.0.0.1",    "10.0.0.10", "10.0.0.1A",
                                          "10.0.0.1b",   "10.0.0",    "2001:DB8::1",
                                          "2001:db8::2", "",          std::string("a\0b", 3),
                                          "\xff"};
    for (int i = 0; i < 3000; ++i)
        addresses.push_back((i % 2 ? "2001:DB8:" : "2001:db8:") + randomKey(rng, 6));
    for (const std::string& address : addresses)
        tally.add({address, "GET", "/index.html", "10:00:00"}, at);

    const std::vector<const Visitor*> sorted = tally.sortedVisitors();
    ASSERT_FALSE(sorted.empty());
    for (std::size_t i = 1; i < sorted.size(); ++i)
        ASSERT_LT(text::icompare(sorted[i - 1]->key(), sorted[i]->key()), 0) << i;
    std::vector<std::string> folded;
    for (const std::string& address : addresses)
        folded.push_back(text::toLower(address));
    std::sort(folded.begin(), folded.end());
    folded.erase(std::unique(folded.begin(), folded.end()), folded.end());
    ASSERT_EQ(sorted.size(), folded.size());
    for (std::size_t i = 0; i < sorted.size(); ++i)
        ASSERT_EQ(text::toLower(sorted[i]->key()), folded[i]) << i;
}

TEST(RobotSpotter, NamesEachRobotAmongManyAgentsAsItsFirstSpellingSays)
{
    // Thousands of agents, a few robots among them, in several cases and
    // judged again later: each verdict is the one its first spelling got.
    RobotSpotter spotter(RobotList({"curl"}), BrowserTable());
    std::map<std::string, std::string> expected; // folded agent -> robot name or ""
    std::mt19937 rng(4);
    for (int n = 0; n < 20000; ++n) {
        const int i = static_cast<int>(rng() % 5000);
        std::string agent = i % 9 == 0    ? "Fetch" + std::to_string(i) + "Spider/2.1+(+http://x.example)"
                            : i % 13 == 0 ? "curl/7." + std::to_string(i)
                                          : "Mozilla/5.0+(Agent+" + std::to_string(i) + ")";
        if (rng() % 3 == 0) agent = text::toUpper(agent);
        const std::string* name = spotter.robotName(agent);
        const auto [at, added] = expected.try_emplace(text::toLower(agent));
        if (added && (i % 9 == 0 || i % 13 == 0)) at->second = robotNameOf(agent, BrowserTable());
        ASSERT_EQ(name ? *name : std::string(), at->second) << agent;
        ASSERT_EQ(spotter.lastAgent().size(), agent.size());
    }
}

TEST(RecordTally, DemographicLinesListEachVisitorsPagesAndDownloadsInAddressOrder)
{
    // Only pages and downloads count; a visitor of images alone is listed
    // with 0; case twins are one visitor, spelt as first seen.
    StatisticsTable table;
    RecordFilter filter;
    RecordTally tally(table, filter, BucketMode::Hourly, false);
    const FieldPositions at = addressRequestTime();
    tally.add({"b.example", "GET", "/a.htm", "10:00:00"}, at);
    tally.add({"A.example", "GET", "/x.gif", "10:00:00"}, at);
    tally.add({"B.EXAMPLE", "GET", "/setup.exe", "10:00:01"}, at);
    tally.add({"c.example", "GET", "/", "10:00:02"}, at);
    EXPECT_EQ(tally.demographicLines(), "A.example,0\r\nb.example,2\r\nc.example,1\r\n");
    tally.clearVisitors();
    EXPECT_FALSE(tally.hasVisitors());
    tally.add({"b.example", "GET", "/a.htm", "11:00:00"}, at);
    EXPECT_EQ(tally.demographicLines(), "b.example,1\r\n");
}
