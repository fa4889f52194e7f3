#include "analysis/StatisticsTable.h"
#include "analysis/ShortKeyIndex.h"
#include "common/Text.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

using namespace larkspan;
using namespace larkspan::analysis;

TEST(FoldedKey, AgreesWithCaseInsensitiveCompareOnEveryLengthAndByte)
{
    std::mt19937 rng(7);
    const std::string alphabet = "aAzZ@[`{09-/.\x80\xc1\xe1\xff";
    for (int n = 0; n < 4000; ++n) {
        const std::size_t len = rng() % 40;
        std::string a, b;
        for (std::size_t i = 0; i < len; ++i) {
            const char c = alphabet[rng() % alphabet.size()];
            a.push_back(c);
            // b is a case-flipped copy, sometimes with one byte changed.
            b.push_back(rng() % 2 ? text::upper(c) : text::lower(c));
        }
        if (len > 0 && rng() % 3 == 0) b[rng() % len] = alphabet[rng() % alphabet.size()];
        EXPECT_EQ(folded::equal(a, b), text::iequals(a, b)) << a << " / " << b;
        if (text::iequals(a, b)) {
            EXPECT_EQ(folded::hash(a), folded::hash(b));
        }
    }
}

TEST(StatisticsTable, ListsKeepFirstSpellingAndFirstAppearanceOrder)
{
    StatisticsTable t;
    t.setUp();
    t.countReferrer("http://B.example/");
    t.countReferrer("http://a.example/");
    t.countReferrer("HTTP://b.EXAMPLE/");
    ASSERT_EQ(t.referrers().size(), 2u);
    EXPECT_EQ(t.referrers()[0].key(), "http://B.example/");
    EXPECT_EQ(t.referrers()[0].count, 2);
    EXPECT_EQ(t.referrers()[1].key(), "http://a.example/");

    t.countPage("10.0.0.1", "/Index.htm");
    t.countPage("10.0.0.1", "/index.HTM");
    t.countPage("10.0.0.2", "/index.htm");
    ASSERT_EQ(t.pages().size(), 2u);
    EXPECT_EQ(t.pages()[0].key(), "10.0.0.1/Index.htm");
    EXPECT_EQ(t.pages()[0].path(), "/Index.htm");
    EXPECT_EQ(t.pages()[0].count, 2);
    EXPECT_EQ(t.pages()[1].key(), "10.0.0.2/index.htm");
}

TEST(StatisticsTable, CountersReadEmptyOrMinusOneAsTheGridDoes)
{
    StatisticsTable t;
    // Before the first block every counter is empty.
    EXPECT_FALSE(t.counter(StatList::ErrorStatuses));
    EXPECT_FALSE(t.counter(StatList::Referrers));
    t.setUp();
    EXPECT_EQ(t.counter(StatList::ErrorStatuses), -1);
    EXPECT_EQ(t.counter(StatList::PageErrors), -1);
    EXPECT_EQ(t.counter(StatList::DownloadErrors), -1);
    EXPECT_FALSE(t.counter(StatList::Referrers));
    EXPECT_FALSE(t.counter(StatList::Buckets));
    EXPECT_EQ(t.rowCount(StatList::ErrorStatuses), 0u);
    t.countErrorStatus("404");
    t.countErrorStatus("500");
    t.countUserAgent("Mozilla");
    EXPECT_EQ(t.counter(StatList::ErrorStatuses), 1);
    EXPECT_EQ(t.counter(StatList::UserAgents), 0);
    EXPECT_EQ(t.rowCount(StatList::ErrorStatuses), 2u);

    const CellTable g = t.toCellTable();
    EXPECT_EQ(g.cell(1, 6), "-1");
    EXPECT_EQ(g.cell(1, 8), "-1");
    EXPECT_EQ(g.cell(1, 9), "1");
    EXPECT_EQ(g.cell(1, 10), "0");
    EXPECT_EQ(g.cell(1, 4), "");
    EXPECT_EQ(g.cell(9, 1), "500");
    EXPECT_EQ(g.cell(10, 0), "1");
    t.reset();
    EXPECT_FALSE(t.isSetUp());
    EXPECT_EQ(t.gridRows(), 1);
    EXPECT_TRUE(t.errorStatuses().empty());
}

TEST(StatisticsTable, ErrorAddressListsTakeNewColumnsAndTheGridsLastRow)
{
    StatisticsTable t;
    t.setUp();
    t.addErrorAddress('P', "404", "1.1.1.1/a.htm");
    t.addErrorAddress('P', "404", "1.1.1.1/A.HTM"); // already there, any case
    t.addErrorAddress('D', "500", "1.1.1.1/x.zip");
    t.addErrorAddress('P', "404", "1.1.1.1/b.htm");
    t.addErrorAddress('P', "404", "1.1.1.1/c.htm");
    ASSERT_EQ(t.errorAddressLists().size(), 2u);
    const ErrorAddressList* p404 = t.errorAddressList("p;404");
    ASSERT_NE(p404, nullptr);
    EXPECT_EQ(p404->keys, (std::vector<std::string>{"1.1.1.1/a.htm", "1.1.1.1/b.htm", "1.1.1.1/c.htm"}));
    // First key in row 1, the next in the last row (37), then a new row 38.
    EXPECT_EQ(p404->rows, (std::vector<int>{1, 37, 38}));
    EXPECT_EQ(t.gridRows(), 39);
    EXPECT_EQ(t.gridColumns(), 40);
    EXPECT_EQ(t.errorAddressList("Q;404"), nullptr);

    const CellTable g = t.toCellTable();
    EXPECT_EQ(g.cell(37, 0), "");
    EXPECT_EQ(g.cell(38, 0), "P;404");
    EXPECT_EQ(g.cell(39, 0), "D;500");
    EXPECT_EQ(g.cell(39, 1), "1.1.1.1/x.zip");
    EXPECT_EQ(g.cell(38, 38), "1.1.1.1/c.htm");
}

TEST(StatisticsTable, FieldNamesGoToTheRowOfTheirPositionWhenNew)
{
    StatisticsTable t;
    t.setUp();
    t.noteFieldNames({"date", "time", "c-ip"});
    t.noteFieldNames({"DATE", "time", "c-ip"});
    EXPECT_EQ(t.fieldNames(), (std::vector<std::string>{"date", "time", "c-ip"}));
    // A new name takes the row of its position, even over an older one.
    t.noteFieldNames({"date", "cs-method", "c-ip"});
    EXPECT_EQ(t.fieldNames(), (std::vector<std::string>{"date", "cs-method", "c-ip"}));
    // "time" left column 0, so it is new again.
    t.noteFieldNames({"date", "Time"});
    EXPECT_EQ(t.fieldNames(), (std::vector<std::string>{"date", "Time", "c-ip"}));

    // A header of very many names is taken in one pass.
    std::vector<std::string> many;
    for (int i = 0; i < 200000; ++i) {
        many.emplace_back("f");
        many.back() += std::to_string(i);
    }
    t.noteFieldNames(std::vector<std::string_view>(many.begin(), many.end()));
    EXPECT_EQ(t.fieldNames().size(), 200000u);
    EXPECT_EQ(t.fieldNames()[2], "f2");
    EXPECT_EQ(t.gridRows(), 200000);
}

TEST(StatisticsTable, BucketsRenderWithKilobytesAsGeneralNumbers)
{
    StatisticsTable t;
    t.setUp();
    bool isNew = false;
    BucketRow& b = t.bucket("2000-02-01", isNew);
    EXPECT_TRUE(isNew);
    b.label = "Tue, Feb 1, 2000";
    b.hits = 3;
    b.kilobytes = 12;
    t.bucket("2000-02-01", isNew);
    EXPECT_FALSE(isNew);
    const CellTable g = t.toCellTable();
    EXPECT_EQ(g.cell(2, 0), "2000-02-01");
    EXPECT_EQ(g.cell(4, 0), "12");
    EXPECT_EQ(g.cell(6, 0), "Tue, Feb 1, 2000");
    EXPECT_EQ(g.cell(1, 1), "0");
    EXPECT_EQ(t.bucketTotals().hits, 3);
}

TEST(KeyedRows, RepeatedKeysCountedCasesAndClearing)
{
    struct Row {
        std::string key;
        long long count = 0;
    };
    KeyedRows<Row> rows;
    for (const char* k : {"Agent", "Agent", "AGENT", "other", "agent", "other", "Agent"})
        rows.count(k);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows.rows()[0].key, "Agent");
    EXPECT_EQ(rows.rows()[0].count, 5);
    EXPECT_EQ(rows.rows()[1].count, 2);
    EXPECT_EQ(rows.find("AGENT"), 0);
    EXPECT_EQ(rows.find("none"), -1);
    rows.clear();
    EXPECT_TRUE(rows.count("Agent")); // new again after clearing
    for (int i = 0; i < 5000; ++i)
        rows.count(std::to_string(i % 1000));
    EXPECT_EQ(rows.size(), 1001u);
    EXPECT_EQ(rows.rows()[1000].count, 5);
}

TEST(ShortKeyIndex, TellsEveryShortKeyApartAndFoldsOnlyAsciiCapitals)
{
    // Random keys of up to eight bytes, indexed as KeyedRows numbers them:
    // both must agree on every look-up, whatever the case or the bytes.
    struct Row {
        std::string key;
    };
    std::mt19937 rng(11);
    static const char bytes[] = "aAbB0\0.\x80\xc1\xe1\xff";
    const std::string alphabet(bytes, sizeof bytes - 1); // with a NUL byte
    KeyedRows<Row> rows;
    ShortKeyIndex index;
    for (int n = 0; n < 20000; ++n) {
        std::string key;
        const std::size_t len = rng() % (ShortKeyIndex::kMaxLength + 1);
        for (std::size_t i = 0; i < len; ++i)
            key.push_back(alphabet[rng() % alphabet.size()]);
        ASSERT_TRUE(ShortKeyIndex::fits(key));
        const long expected = rows.find(key);
        ASSERT_EQ(index.find(key), expected) << n;
        if (expected < 0) {
            bool isNew = false;
            rows.findOrAdd(key, isNew);
            index.add(key, rows.size() - 1);
        }
    }
    EXPECT_GT(rows.size(), 1000u); // the index grew many times
    // Same bytes in another order or length are other keys; capitals fold.
    EXPECT_NE(index.find("ab"), index.find("abb"));
    EXPECT_EQ(index.find("AB"), index.find("ab"));
    EXPECT_EQ(index.find("\xc1"), rows.find("\xc1"));
    EXPECT_FALSE(ShortKeyIndex::fits("123456789"));
    index.clear();
    EXPECT_EQ(index.find("ab"), -1);
}

TEST(KeyedRows, ViewedKeysStayWholeAcrossBlocksCopiesAndMoves)
{
    KeyedRows<CountRow> rows;
    // Keys in several arena blocks, one longer than a block, and a table
    // that grows many times: every view must still read its key.
    const std::string huge(3u << 20, 'h');
    rows.count(huge);
    for (int i = 0; i < 60000; ++i)
        rows.count("http://referrer.example/page-" + std::to_string(i));
    rows.count("HTTP://REFERRER.EXAMPLE/PAGE-7");
    ASSERT_EQ(rows.size(), 60001u);
    EXPECT_EQ(rows.rows()[0].key(), huge);
    EXPECT_EQ(rows.rows()[60000].key(), "http://referrer.example/page-59999");
    EXPECT_EQ(rows.rows()[8].count, 2);

    KeyedRows<CountRow> copy = rows;
    rows.count("http://referrer.example/page-1");
    rows = KeyedRows<CountRow>(); // the original's blocks are gone
    EXPECT_EQ(copy.rows()[2].key(), "http://referrer.example/page-1");
    EXPECT_EQ(copy.rows()[2].count, 1);
    EXPECT_FALSE(copy.count("http://referrer.example/PAGE-1"));
    EXPECT_EQ(copy.rows()[2].count, 2);

    KeyedRows<CountRow> moved = std::move(copy);
    EXPECT_EQ(moved.rows()[8].key(), "http://referrer.example/page-7");
    // Its index came along and finds every key, old and new.
    EXPECT_FALSE(moved.count("HTTP://REFERRER.EXAMPLE/PAGE-59999"));
    EXPECT_EQ(moved.find("http://referrer.example/page-31415"), 31416);
    EXPECT_TRUE(moved.count("http://referrer.example/page-60000"));
    EXPECT_EQ(moved.find("http://referrer.example/page-60000"), 60001);
    // A moved-from table is empty and usable, even for the key last looked up.
    EXPECT_TRUE(copy.count("http://referrer.example/PAGE-1"));
    EXPECT_EQ(copy.size(), 1u);
}

TEST(StatisticsTable, CopiedTablesKeepTheirOwnKeysAndPaths)
{
    auto copy = std::make_unique<StatisticsTable>();
    {
        StatisticsTable t;
        t.setUp();
        t.countPage("10.0.0.1", "/Index.html", 4);
        t.countPage("10.0.0.1", "/index.HTML");
        t.countPage("", "/other.html");
        t.countUserAgent("Mozilla/5.0 (X11; Linux x86_64) Gecko/20100101 Firefox/133.0");
        *copy = t;
        t.countPage("10.0.0.2", "/late.html");
    }
    const StatisticsTable& c = *copy;
    ASSERT_EQ(c.pages().size(), 2u);
    EXPECT_EQ(c.pages()[0].key(), "10.0.0.1/Index.html");
    EXPECT_EQ(c.pages()[0].path(), "/Index.html");
    EXPECT_EQ(c.pages()[0].count, 2);
    EXPECT_EQ(c.pages()[1].path(), "/other.html");
    EXPECT_EQ(c.pageKilobytes()[0], 4);
    EXPECT_EQ(c.userAgents()[0].key(), "Mozilla/5.0 (X11; Linux x86_64) Gecko/20100101 Firefox/133.0");
    EXPECT_EQ(c.toCellTable().cell(15, 0), "/Index.html");
}
