#include "common/NumberPattern.h"

#include <gtest/gtest.h>

using larkspan::countKey;
using larkspan::formatNumber;

TEST(NumberPattern, PercentagesKeepBetweenOneAndThreeDecimals)
{
    EXPECT_EQ(formatNumber(12.5, "##0.0##%"), "12.5%");
    EXPECT_EQ(formatNumber(3.14159, "##0.0##%"), "3.142%");
    EXPECT_EQ(formatNumber(100, "##0.0##%"), "100.0%");
    EXPECT_EQ(formatNumber(0, "##0.0##%"), "0.0%");
    EXPECT_EQ(formatNumber(0.0004, "##0.0##%"), "0.0%");
    EXPECT_EQ(formatNumber(1234.5, "#,##0.0##%"), "1,234.5%");
}

TEST(NumberPattern, TextAroundTheDigitsIsWrittenAsItStands)
{
    EXPECT_EQ(formatNumber(62, "##0.### % of all "), "62 % of all ");
    EXPECT_EQ(formatNumber(1234, " of #,### Unique Shown<br>"), " of 1,234 Unique Shown<br>");
    EXPECT_EQ(formatNumber(1234567.891, "#,##0.00"), "1,234,567.89");
    EXPECT_EQ(formatNumber(12.345, "##0.## Kilobytes"), "12.35 Kilobytes");
    EXPECT_EQ(formatNumber(2048, "####.## KB"), "2048 KB");
}

TEST(NumberPattern, OptionalDigitsDropLeadingAndTrailingZeros)
{
    EXPECT_EQ(formatNumber(0.5, "####.##"), ".5");
    EXPECT_EQ(formatNumber(2.0, "####.##"), "2");
    EXPECT_EQ(formatNumber(0.0001234, "###0.#####"), "0.00012");
    EXPECT_EQ(formatNumber(1.23456, "###0.###"), "1.235");
    EXPECT_EQ(formatNumber(-3.5, "##0.0"), "-3.5");
}

TEST(NumberPattern, CountKeysArePaddedToOneHundredDigits)
{
    const std::string key = countKey(42);
    ASSERT_EQ(key.size(), 100u);
    EXPECT_EQ(key.substr(98), "42");
    EXPECT_EQ(key.find_first_not_of('0'), 98u);
    EXPECT_LT(countKey(9), countKey(10));
}
