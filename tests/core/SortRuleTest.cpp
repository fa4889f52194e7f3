#include "common/SortRule.h"

#include "common/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <random>

using namespace larkspan;

TEST(SortRule, CountsSortNumericallyAndTiesFollowTheFirstColumn)
{
    std::vector<TextRow> rows = {{"beta", "9"}, {"Alpha", "10"}, {"gamma", "9"}, {"delta", "100"}};
    sortRows(rows, 1, true);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0][0], "delta");
    EXPECT_EQ(rows[1][0], "Alpha");
    EXPECT_EQ(rows[2][0], "gamma"); // equal counts: Z to A when descending
    EXPECT_EQ(rows[3][0], "beta");
    sortRows(rows, 1, false);
    EXPECT_EQ(rows[0][0], "beta");
    EXPECT_EQ(rows[3][0], "delta");
}

TEST(SortRule, RowsEqualIgnoringCaseAreWrittenOnce)
{
    std::vector<TextRow> rows = {{"Page", "3"}, {"page", "3"}, {"other", "3"}};
    sortRows(rows, 1, false);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0], "other");
}

TEST(SortRule, TextColumnsPadWithBlanks)
{
    std::vector<TextRow> rows = {{"b"}, {"aa"}, {"A"}};
    sortRows(rows, 0, false);
    // " b" and " A" sort before "aa" because blanks pad on the left.
    EXPECT_EQ(rows[0][0], "A");
    EXPECT_EQ(rows[1][0], "b");
    EXPECT_EQ(rows[2][0], "aa");
}

namespace {

std::vector<const TextRow*> pointersTo(const std::vector<TextRow>& rows)
{
    std::vector<const TextRow*> view;
    for (const TextRow& row : rows)
        view.push_back(&row);
    return view;
}

// The rule written out the long way: every key composed as text, sorted
// stably, equal keys dropped, reversed when descending.
std::vector<std::size_t> composedKeyOrder(const std::vector<TextRow>& rows, std::size_t column, bool descending)
{
    std::size_t width = 0;
    for (const TextRow& row : rows)
        width = std::max(width, column < row.size() ? row[column].size() : 0);
    std::vector<std::pair<std::string, std::size_t>> keyed;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string cell = column < rows[i].size() ? rows[i][column] : "";
        std::string key(width - cell.size(), text::isNumber(cell) ? '0' : ' ');
        key += cell;
        for (const std::string& value : rows[i])
            key += "\t" + value;
        keyed.emplace_back(key, i);
    }
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return text::icompare(a.first, b.first) < 0; });
    keyed.erase(std::unique(keyed.begin(), keyed.end(),
                            [](const auto& a, const auto& b) { return text::iequals(a.first, b.first); }),
                keyed.end());
    if (descending) std::reverse(keyed.begin(), keyed.end());
    std::vector<std::size_t> order;
    for (const auto& k : keyed)
        order.push_back(k.second);
    return order;
}

class ViewCells : public SortCells {
  public:
    explicit ViewCells(const std::vector<const TextRow*>& rows) : rows_(rows) {}
    std::size_t rowCount() const override { return rows_.size(); }
    std::size_t cellCount(std::size_t row) const override { return rows_[row]->size(); }
    std::string_view cell(std::size_t row, std::size_t column, std::string&) const override
    {
        return column < rows_[row]->size() ? std::string_view((*rows_[row])[column]) : std::string_view();
    }

  private:
    const std::vector<const TextRow*>& rows_;
};

} // namespace

TEST(SortRule, ReadingKeysInPlaceGivesTheComposedKeyOrderAndItsFirstRows)
{
    // Short alphabets make ties, case twins, prefixes, control bytes below
    // the tab, 8-bit bytes, signs, points and ragged rows likely.
    const std::string alphabet[] = {"a", "A", "b", "", "\x01", "\t", "\xe9", "-", "1", "10", ".", "ab", " "};
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        std::vector<TextRow> rows(random() % 40);
        for (TextRow& row : rows) {
            row.resize(random() % 5);
            for (std::string& cell : row) {
                const int pieces = static_cast<int>(random() % 4);
                for (int p = 0; p < pieces; ++p)
                    cell += alphabet[random() % std::size(alphabet)];
            }
        }
        const std::vector<const TextRow*> view = pointersTo(rows);
        const std::size_t column = random() % 4;
        for (const bool descending : {false, true}) {
            const std::vector<std::size_t> order = composedKeyOrder(rows, column, descending);
            ASSERT_EQ(sortRuleOrder(view, column, descending), order) << "round " << round << " column " << column;
            // The first rows alone, chosen without sorting them all.
            for (const std::size_t limit : {0u, 1u, 3u, 25u}) {
                std::size_t distinct = 0;
                const auto top = sortRuleTop(ViewCells(view), column, descending, limit, distinct);
                EXPECT_EQ(distinct, order.size());
                const auto prefix =
                    std::vector<std::size_t>(order.begin(), order.begin() + std::min(limit, order.size()));
                ASSERT_EQ(top, prefix) << "round " << round << " limit " << limit;
            }
        }
    }
}

TEST(SortRule, CountColumnsOfDigitsRankLikeTheirComposedKeys)
{
    // Counts of every width, first cells that share long prefixes and differ
    // in case only, twins that are equal ignoring case, rows that repeat.
    const std::string stems[] = {
        "/section-1/page-000",       "/SECTION-1/page-000",      "/section-1/page-00", "10.0.0.", "",
        "/Caf\xc9-\xe9t\xe9/Page-0", "/caf\xc9-\xe9T\xe9/page-0"};
    const std::string counts[] = {"1", "9", "10", "100", "0", "007", "1234567890123456789", "99999999999999999999"};
    std::mt19937 random(11);
    for (int round = 0; round < 300; ++round) {
        std::vector<TextRow> rows(1 + random() % 60);
        const bool wide = round % 5 == 0; // a count too long for an integer
        for (TextRow& row : rows) {
            const std::size_t countChoice = random() % (wide ? 8 : 6);
            row = {stems[random() % std::size(stems)] + std::to_string(random() % 12), counts[countChoice],
                   random() % 2 ? "12.5%" : "7.0%"};
        }
        const std::vector<const TextRow*> view = pointersTo(rows);
        for (const bool descending : {true, false}) {
            const std::vector<std::size_t> order = composedKeyOrder(rows, 1, descending);
            ASSERT_EQ(sortRuleOrder(view, 1, descending), order) << "round " << round;
            for (const std::size_t limit : {1u, 5u, 100u}) {
                std::size_t distinct = 0;
                const auto top = sortRuleTop(ViewCells(view), 1, descending, limit, distinct);
                EXPECT_EQ(distinct, order.size());
                ASSERT_EQ(top, std::vector<std::size_t>(order.begin(), order.begin() + std::min(limit, order.size())))
                    << "round " << round << " limit " << limit;
            }
        }
    }
}

TEST(SortRule, EqualCountsKeepFirstAppearanceAmongCaseTwins)
{
    // "Page" and "page" are one key: the first of them is the row kept,
    // whichever order the ranking meets them in.
    const std::vector<TextRow> rows = {{"b", "2"}, {"page", "2"}, {"Page", "2"}, {"a", "10"}, {"PAGE", "2"}};
    const std::vector<const TextRow*> view = pointersTo(rows);
    EXPECT_EQ(sortRuleOrder(view, 1, true), (std::vector<std::size_t>{3, 1, 0}));
    std::size_t distinct = 0;
    EXPECT_EQ(sortRuleTop(ViewCells(view), 1, true, 2, distinct), (std::vector<std::size_t>{3, 1}));
    EXPECT_EQ(distinct, 3u);
}

TEST(SortRule, KeysEqualAcrossDifferentCellSplitsAreOneRow)
{
    // Tabs inside cells let two rows compose the same long key from
    // differently split cells; they are one row, the first of them.
    const std::vector<TextRow> rows = {{"abcdefghijklmnop\tABCDEFGHIJKLMNOPQ", "rest of the row", "5"},
                                       {"other", "x", "5"},
                                       {"ABCDEFGHIJKLMNOP", "abcdefghijklmnopq\tREST OF THE ROW", "5"}};
    const std::vector<const TextRow*> view = pointersTo(rows);
    EXPECT_EQ(sortRuleOrder(view, 2, true), (std::vector<std::size_t>{1, 0}));
    std::size_t distinct = 0;
    EXPECT_EQ(sortRuleTop(ViewCells(view), 2, true, 1, distinct), (std::vector<std::size_t>{1}));
    EXPECT_EQ(distinct, 2u);
}

TEST(SortRule, LongAndNulPaddedKeysCountAsDistinctOnlyWhenTheyDiffer)
{
    // Keys alike for many bytes, keys that differ only by a trailing NUL
    // byte, and true case twins far longer than any prefix kept.
    const std::string stem(45, 'q');
    // The count comes first, so a key ends with the text.
    std::vector<TextRow> rows = {{"3", stem + "a"},
                                 {"3", stem + "A"},
                                 {"3", stem + "b"},
                                 {"3", std::string("x")},
                                 {"3", std::string("x\0", 2)},
                                 {"3", std::string("X")},
                                 {"3", stem},
                                 {"3", stem + std::string("\0", 1)}};
    const std::vector<const TextRow*> view = pointersTo(rows);
    const std::vector<std::size_t> order = composedKeyOrder(rows, 0, true);
    EXPECT_EQ(order.size(), 6u);
    EXPECT_EQ(sortRuleOrder(view, 0, true), order);
    for (const std::size_t limit : {1u, 4u}) {
        std::size_t distinct = 0;
        EXPECT_EQ(sortRuleTop(ViewCells(view), 0, true, limit, distinct),
                  std::vector<std::size_t>(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(limit)));
        EXPECT_EQ(distinct, 6u);
    }
}

TEST(SortRule, RowsAlikeForManyRoundsOfKeyBytesSortInPlaceLikeTheirComposedKeys)
{
    // Hundreds of rows that share prefixes of 20 to 90 bytes, in runs nested
    // inside runs, with case twins and exact repeats: every order and count
    // of distinct rows must be the composed one.
    const std::string stems[] = {std::string(20, 'p'), std::string(47, 'p'), std::string(48, 'P'),
                                 std::string(90, 'p') + "/x", std::string(71, 'p') + "\xe9"};
    std::mt19937 random(23);
    for (int round = 0; round < 40; ++round) {
        std::vector<TextRow> rows(50 + random() % 400);
        for (TextRow& row : rows) {
            std::string tail = std::to_string(random() % 30);
            if (random() % 3 == 0) tail += std::string(random() % 30, random() % 2 ? 'q' : 'Q');
            row = {stems[random() % std::size(stems)] + tail, std::to_string(random() % 3), "50.0%"};
        }
        const std::vector<const TextRow*> view = pointersTo(rows);
        for (const std::size_t column : {0u, 1u}) {
            for (const bool descending : {true, false}) {
                const std::vector<std::size_t> order = composedKeyOrder(rows, column, descending);
                ASSERT_EQ(sortRuleOrder(view, column, descending), order) << "round " << round;
                for (const std::size_t limit : {1u, 10u, 1000u}) {
                    std::size_t distinct = 0;
                    const auto top = sortRuleTop(ViewCells(view), column, descending, limit, distinct);
                    EXPECT_EQ(distinct, order.size());
                    ASSERT_EQ(top,
                              std::vector<std::size_t>(order.begin(), order.begin() + std::min(limit, order.size())))
                        << "round " << round << " limit " << limit;
                }
            }
        }
    }
}

TEST(SortRule, LongRankingsSplitOverTwoThreadsGiveTheOneThreadOrder)
{
    // Enough rows for the sort to be split: counts with many ties, first
    // cells alike for their first 24 bytes, case twins and whole repeats.
    std::mt19937 random(21);
    std::vector<TextRow> rows(80000);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        std::string page = "https://site.example.org/p/" + std::to_string(random() % 30000);
        if (random() % 4 == 0) page = text::toUpper(page);
        rows[i] = {page, std::to_string(random() % 5 == 0 ? random() % 1000 : random() % 3)};
    }
    const std::vector<const TextRow*> view = pointersTo(rows);
    const auto rank = [&](const char* threads, bool descending, std::size_t& distinct) {
        ::setenv("LARKSPAN_THREADS", threads, 1);
        auto order = sortRuleTop(ViewCells(view), 1, descending, 100, distinct);
        const auto whole = sortRuleOrder(view, 1, descending);
        order.insert(order.end(), whole.begin(), whole.end());
        ::unsetenv("LARKSPAN_THREADS");
        return order;
    };
    for (const bool descending : {false, true}) {
        std::size_t oneDistinct = 0;
        std::size_t twoDistinct = 0;
        const auto one = rank("1", descending, oneDistinct);
        EXPECT_EQ(rank("2", descending, twoDistinct), one);
        EXPECT_EQ(twoDistinct, oneDistinct);
        const std::vector<std::size_t> expected = composedKeyOrder(rows, 1, descending);
        EXPECT_EQ(oneDistinct, expected.size());
        ASSERT_EQ(std::vector<std::size_t>(one.begin() + 100, one.end()), expected);
    }
}

namespace {

// Cells whose first column is unique ignoring case, as a keyed list's keys are.
class DistinctKeyCells : public ViewCells {
  public:
    using ViewCells::ViewCells;
    bool keysDistinct() const override { return true; }
};

} // namespace

TEST(SortRule, RowsOfDistinctKeysRankOnlyTheLeadersYetInTheWholeOrder)
{
    // Keys that share 40 bytes and more, so the leaders' first key bytes tie
    // with many rows outside the first limit; counts with many ties and of
    // every width; ranked by count and by key, both ways.
    const std::string stems[] = {"https://site.example.org/from/a-long-shared-part/", "/section-1/PAGE-", "10.0.0."};
    std::mt19937 random(31);
    for (int round = 0; round < 60; ++round) {
        std::vector<TextRow> rows(200 + random() % 1500);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            std::string key = stems[random() % std::size(stems)] + std::to_string(i);
            if (random() % 3 == 0) key = text::toUpper(key);
            const std::size_t count = random() % 4 == 0 ? random() % 100000 : 1 + random() % 2;
            rows[i] = {key, std::to_string(count), "1.5%"};
        }
        const std::vector<const TextRow*> view = pointersTo(rows);
        for (const std::size_t column : {0u, 1u}) {
            for (const bool descending : {true, false}) {
                const std::vector<std::size_t> order = composedKeyOrder(rows, column, descending);
                for (const std::size_t limit : {1u, 7u, 49u}) {
                    std::size_t distinct = 0;
                    const auto top = sortRuleTop(DistinctKeyCells(view), column, descending, limit, distinct);
                    EXPECT_EQ(distinct, rows.size());
                    ASSERT_EQ(top, std::vector<std::size_t>(order.begin(), order.begin() + limit))
                        << "round " << round << " column " << column << " limit " << limit;
                }
            }
        }
    }
}
