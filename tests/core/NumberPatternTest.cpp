#include "common/NumberPattern.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>

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

namespace {

// The digits of a rounded value the way printf writes them, for checking
// the formatter's own digit writing: "%.*f" of the value rounded half away
// from zero, the point and the decimals split off.
std::pair<std::string, std::string> printfDigits(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    const double rounded = std::round(std::fabs(value) * scale * (1 + 1e-15)) / scale;
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, rounded);
    const std::string fixed = buffer;
    const std::size_t point = fixed.find('.');
    if (point == std::string::npos) return {fixed, ""};
    return {fixed.substr(0, point), fixed.substr(point + 1)};
}

// What "0.<d zeros>" patterns write, from printf's digits: every decimal
// kept, the integer part as printed.
std::string printfFormatted(double value, int decimals)
{
    const auto [integer, fraction] = printfDigits(value, decimals);
    const bool negative = value < 0 && (integer != "0" || fraction.find_first_not_of('0') != std::string::npos);
    return (negative ? "-" : "") + integer + (fraction.empty() ? "" : "." + fraction);
}

} // namespace

TEST(NumberPattern, DigitsMatchPrintfAtRoundingBoundariesAndLargeValues)
{
    // Values that sit on a rounding boundary, just beside one, or are too
    // large for exact integer digits, with zero to six decimals.
    std::vector<double> values = {0,
                                  0.5,
                                  1.5,
                                  2.5,
                                  0.0005,
                                  0.00049999,
                                  12.3455,
                                  12.3445,
                                  99.9995,
                                  99.99949,
                                  100,
                                  1.0 / 3,
                                  2.0 / 3,
                                  1e15,
                                  4503599627370495.0,
                                  4503599627370497.0,
                                  9007199254740993.0,
                                  1e20,
                                  1.7e308,
                                  -0.0004,
                                  -2.5,
                                  -1e16,
                                  0.125,
                                  1234567.891,
                                  5e-324};
    std::mt19937_64 random(3);
    std::uniform_real_distribution<double> percent(0, 100);
    for (int i = 0; i < 2000; ++i)
        values.push_back(percent(random));
    for (int i = 0; i < 200; ++i)
        values.push_back(static_cast<double>(random() % 100000) / 1000.0 + 0.0005); // x.xxx5
    for (int i = 0; i < 200; ++i)
        values.push_back(static_cast<double>(random() >> static_cast<int>(random() % 64)));
    for (const double value : values) {
        for (int decimals = 0; decimals <= 6; ++decimals) {
            const std::string pattern =
                decimals == 0 ? "0" : "0." + std::string(static_cast<std::size_t>(decimals), '0');
            ASSERT_EQ(formatNumber(value, pattern), printfFormatted(value, decimals))
                << "value " << value << " pattern " << pattern;
        }
    }
}

TEST(NumberPattern, PercentBoundariesRoundHalfAwayFromZero)
{
    EXPECT_EQ(formatNumber(12.3455, "##0.0##%"), "12.346%");
    EXPECT_EQ(formatNumber(0.0005, "##0.0##%"), "0.001%");
    EXPECT_EQ(formatNumber(99.9995, "##0.0##%"), "100.0%");
    EXPECT_EQ(formatNumber(100.0 / 3, "#,##0.0##%"), "33.333%");
    EXPECT_EQ(formatNumber(2.5, "#,###"), "3");
    EXPECT_EQ(formatNumber(1e12, "#,###"), "1,000,000,000,000");
    EXPECT_EQ(formatNumber(-0.0004, "##0.0##"), "0.0");
    EXPECT_EQ(formatNumber(62.5, "##0.##"), "62.5");
}
