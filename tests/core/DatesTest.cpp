#include "common/Dates.h"

#include <gtest/gtest.h>

using namespace larkspan;

TEST(DayNumber, KnownDays)
{
    EXPECT_EQ(dayNumber({2000, 1, 1}), 36526);
    EXPECT_EQ(dayNumber({1899, 12, 30}), 0);
    EXPECT_EQ(dayNumber({1900, 3, 1}), 61);
    EXPECT_EQ(civilDate(36526), (CivilDate{2000, 1, 1}));
    for (int n = 30000; n < 60000; n += 97) EXPECT_EQ(dayNumber(civilDate(n)), n);
}

TEST(DayNumber, WeekdaysRunFromSunday)
{
    EXPECT_EQ(weekday(dayNumber({2000, 1, 1})), 6);   // Saturday
    EXPECT_EQ(weekday(dayNumber({2026, 12, 6})), 0);  // Sunday
    EXPECT_EQ(weekday(dayNumber({2026, 12, 9})), 3);  // Wednesday
}

TEST(Calendar, LeapYearsAndMonthLengths)
{
    EXPECT_EQ(daysInMonth(2024, 2), 29);
    EXPECT_EQ(daysInMonth(1900, 2), 28);
    EXPECT_EQ(daysInMonth(2000, 2), 29);
    EXPECT_FALSE(isValidDate(2023, 2, 29));
    EXPECT_FALSE(isValidDate(2023, 13, 1));
}

TEST(DateFormats, ShortLongAndIso)
{
    EXPECT_EQ(dates::shortDate({2026, 3, 7}), "03/07/2026");
    EXPECT_EQ(dates::longDate({2026, 12, 9}), "Wednesday, December 09, 2026");
    EXPECT_EQ(dates::longTime(0, 5, 9), "12:05:09 AM");
    EXPECT_EQ(dates::longTime(23, 50, 10), "11:50:10 PM");
    EXPECT_EQ(dates::isoDate({2026, 1, 2}), "2026-01-02");
}

TEST(DateFormats, ParsingRejectsImpossibleDates)
{
    EXPECT_EQ(dates::parseShortDate("2/29/2024"), (CivilDate{2024, 2, 29}));
    EXPECT_FALSE(dates::parseShortDate("2/29/2023"));
    EXPECT_FALSE(dates::parseShortDate("0/1/2023"));
    EXPECT_FALSE(dates::parseShortDate("1/2"));
    EXPECT_EQ(dates::parseIsoDate("2026-12-09"), (CivilDate{2026, 12, 9}));
    EXPECT_FALSE(dates::parseIsoDate("2026-12-32"));
    EXPECT_FALSE(dates::parseIsoDate("26-12-09"));
}
