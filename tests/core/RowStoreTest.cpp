#include "analysis/RowStore.h"
#include "analysis/CountCarries.h"
#include "analysis/KeyedRows.h"
#include "analysis/RecordTally.h"
#include "analysis/StatisticsTable.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace larkspan::analysis;

namespace {

struct Wide {
    std::uint64_t a = 7;
    std::uint32_t b = 0;
    char c[13] = {};
};

bool sameRows(const RowStore<Wide>& store, const std::vector<Wide>& expected)
{
    if (store.size() != expected.size()) return false;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const Wide& x = store[i];
        const Wide& y = expected[i];
        if (x.a != y.a || x.b != y.b || std::string(x.c, sizeof x.c) != std::string(y.c, sizeof y.c)) return false;
    }
    return true;
}

} // namespace

TEST(RowStore, KeepsEveryRowThroughGrowthCopiesMovesAndShrinking)
{
    // Random appends, reservations, shrinks and clears against a vector;
    // rows cross many block sizes, and copies and moves keep them.
    std::mt19937 rng(3);
    RowStore<Wide> store;
    std::vector<Wide> expected;
    for (int n = 0; n < 200000; ++n) {
        const unsigned pick = rng() % 1000;
        if (pick == 0) {
            store.shrink_to_fit();
            ASSERT_EQ(store.capacity(), store.size());
        } else if (pick == 1) {
            store.reserve(store.size() + rng() % 5000);
        } else if (pick == 2 && n % 7 == 0) {
            store.clear();
            expected.clear();
        } else {
            Wide& row = store.emplace_back();
            ASSERT_EQ(row.a, 7u); // made as Wide{} makes it
            row.a = rng();
            row.b = static_cast<std::uint32_t>(n);
            row.c[n % 13] = static_cast<char>(n);
            expected.push_back(row);
        }
        ASSERT_GE(store.capacity(), store.size());
    }
    ASSERT_GT(store.size(), 1000u);
    ASSERT_TRUE(sameRows(store, expected));

    const RowStore<Wide> copy(store);
    RowStore<Wide> assigned;
    assigned.emplace_back();
    assigned = store;
    ASSERT_TRUE(sameRows(copy, expected));
    ASSERT_TRUE(sameRows(assigned, expected));
    RowStore<Wide> moved(std::move(assigned));
    ASSERT_TRUE(sameRows(moved, expected));
    EXPECT_TRUE(assigned.empty());
    assigned = std::move(moved);
    ASSERT_TRUE(sameRows(assigned, expected));
    std::size_t visited = 0;
    for (const Wide& row : assigned)
        visited += row.b == expected[visited].b ? 1 : 0;
    EXPECT_EQ(visited, expected.size());

    RowStore<Wide> emptied(copy);
    emptied.clear();
    emptied.shrink_to_fit();
    EXPECT_EQ(emptied.capacity(), 0u);
    emptied.push_back(expected.front());
    EXPECT_EQ(emptied.back().b, expected.front().b);
}

TEST(RowStore, LongListsKeepTheirRowsAndKeysWhileTheyGrowInPlace)
{
    // The long lists of the statistics table grow past a million rows by
    // small steps; every key still reads as counted.
    StatisticsTable table;
    const int n = 1200000;
    for (int i = 0; i < n; ++i)
        table.countReferrer("http://r" + std::to_string(i) + ".example/");
    table.countReferrer("HTTP://R0.EXAMPLE/");
    const CountRows& rows = table.referrers();
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(n));
    EXPECT_LT(rows.capacity(), rows.size() + rows.size() / 7);
    for (int i = 0; i < n; i += 9973)
        ASSERT_EQ(rows[i].key(), "http://r" + std::to_string(i) + ".example/") << i;
    EXPECT_EQ(rows[0].count, 2);
    table.compact();
    EXPECT_EQ(table.referrers().capacity(), static_cast<std::size_t>(n));
    EXPECT_EQ(table.referrers()[n - 1].key(), "http://r" + std::to_string(n - 1) + ".example/");
}

TEST(RowStore, PathRowsGiveTheirKeyAndPathThroughCopiesAndMerges)
{
    // Pages with empty, short and long server addresses and paths, counted
    // by one table, a copy of it and a journaled part merged into another:
    // each row's key is server + path and its path the path alone.
    std::mt19937 rng(8);
    std::vector<std::pair<std::string, std::string>> pages;
    StatisticsTable whole;
    StatisticsTable first;
    StatisticsTable second;
    second.keepJournal();
    for (int i = 0; i < 3000; ++i) {
        // Every key distinct: an empty path comes with a server of its own.
        const std::string server =
            i % 5 == 0 ? ""
                       : std::string(rng() % 3 == 0 ? 300 : 8, static_cast<char>('a' + i % 26)) + std::to_string(i);
        const std::string path =
            i % 7 == 0 && !server.empty() ? "" : "/p" + std::to_string(i) + std::string(rng() % 40, 'x');
        pages.emplace_back(server, path);
        whole.countPage(server, path, 1);
        (i < 1500 ? first : second).countPage(server, path, 1);
    }
    first.mergeFrom(second);
    const StatisticsTable copy(whole);
    for (const StatisticsTable* table : std::vector<const StatisticsTable*>{&whole, &first, &copy}) {
        const PathRows& rows = table->pages();
        ASSERT_EQ(rows.size(), pages.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            ASSERT_EQ(rows[i].key(), pages[i].first + pages[i].second) << i;
            ASSERT_EQ(rows[i].path(), pages[i].second) << i;
            ASSERT_EQ(rows[i].count, 1);
        }
    }
    static_assert(sizeof(PathRow) == 24);
}

TEST(RowStore, CountsCarriedPastThirtyTwoBitsStayExact)
{
    // A row's 32-bit count wraps; the carry keeps the whole count, for that
    // row only, until the table is cleared.
    CountCarries carries;
    std::uint32_t low = UINT32_MAX - 1;
    std::uint32_t other = 5;
    EXPECT_EQ(carries.total(3, low), UINT32_MAX - 1u);
    for (int i = 0; i < 3; ++i)
        carries.increment(3, low);
    carries.increment(4, other);
    EXPECT_EQ(carries.total(3, low), (std::uint64_t{1} << 32) + 1);
    EXPECT_EQ(carries.total(4, other), 6u);
    low = UINT32_MAX;
    carries.increment(3, low);
    EXPECT_EQ(carries.total(3, low), std::uint64_t{2} << 32);
    carries.clear();
    EXPECT_EQ(carries.total(3, low), 0u);
    static_assert(sizeof(Visitor) == 16);
}
