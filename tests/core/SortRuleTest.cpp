#include "common/SortRule.h"

#include <gtest/gtest.h>

using namespace larkspan;

TEST(SortRule, CountsSortNumericallyAndTiesFollowTheFirstColumn)
{
    std::vector<TextRow> rows = {{"beta", "9"}, {"Alpha", "10"}, {"gamma", "9"}, {"delta", "100"}};
    sortRows(rows, 1, true);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0][0], "delta");
    EXPECT_EQ(rows[1][0], "Alpha");
    EXPECT_EQ(rows[2][0], "gamma");  // equal counts: Z to A when descending
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
