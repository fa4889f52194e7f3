#include "autorun/RunInterval.h"

#include <gtest/gtest.h>

using namespace larkspan;
using namespace larkspan::autorun;

// The dates: 5 March 2024 is a Tuesday, 10 March a Sunday.

namespace {

NextRun next(const char* interval, const LocalDateTime& now)
{
    const auto rule = findIntervalRule(interval);
    EXPECT_TRUE(rule.has_value()) << interval;
    return rule ? nextRun(*rule, now) : NextRun{};
}

} // namespace

TEST(AutorunInterval, MinuteAndHourRulesCarryIntoTheNextDayMonthAndYear)
{
    const NextRun quarter = next("15 Minutes", LocalDateTime{{2024, 3, 5}, 23, 50, 10, 250});
    EXPECT_EQ(quarter.timerMs, 900'000);
    EXPECT_EQ(nextRunText(quarter.at), "Larkspan - Kite\nAutorun Enabled\nNext Run: 03/06/2024 12:05:10 AM");
    EXPECT_EQ(quarter.at.millisecond, 250);

    EXPECT_EQ(nextRunText(next("Every Hour", LocalDateTime{{2024, 12, 31}, 23, 30, 0}).at),
              "Larkspan - Kite\nAutorun Enabled\nNext Run: 01/01/2025 12:30:00 AM");
    EXPECT_EQ(next("Every Hour", LocalDateTime{{2024, 3, 5}, 9, 0, 0}).timerMs, 3'600'000);
    const NextRun twelve = next("Every 12 Hours", LocalDateTime{{2024, 2, 28}, 13, 59, 59});
    EXPECT_EQ(twelve.timerMs, 43'200'000);
    EXPECT_EQ(logDate(twelve.at) + " " + logTime(twelve.at), "02/29/2024 1:59:59 AM");
    EXPECT_EQ(next("5 minutes", LocalDateTime{{2024, 3, 5}, 10, 0, 0}).timerMs, 300'000);
    EXPECT_EQ(next("10 MINUTES", LocalDateTime{{2024, 3, 5}, 10, 0, 0}).timerMs, 600'000);
    EXPECT_EQ(next("30 Minutes", LocalDateTime{{2024, 3, 5}, 10, 45, 0}).at.hour, 11);
}

TEST(AutorunInterval, DailyRunsOneSecondPastTheNextMidnight)
{
    const NextRun tuesday = next("Daily", LocalDateTime{{2024, 3, 5}, 14, 0, 0});
    EXPECT_EQ(tuesday.timerMs, 86'401'000 - 14 * 3'600'000);
    EXPECT_EQ(nextRunText(tuesday.at), "Larkspan - Kite\nAutorun Enabled\nNext Run: 03/06/2024 12:00:01 AM");

    // Within the first second of a day, that day's 00:00:01 is due.
    const NextRun justAfterMidnight = next("DAILY", LocalDateTime{{2024, 3, 5}, 0, 0, 0, 999});
    EXPECT_EQ(justAfterMidnight.timerMs, 1000);
    EXPECT_EQ(justAfterMidnight.at.date, (CivilDate{2024, 3, 5}));
    EXPECT_EQ(next("daily", LocalDateTime{{2024, 3, 5}, 0, 0, 1, 1}).at.date, (CivilDate{2024, 3, 6}));
}

TEST(AutorunInterval, WeeklyRunsOneSecondPastTheComingSunday)
{
    const NextRun tuesday = next("Weekly", LocalDateTime{{2024, 3, 5}, 14, 0, 0});
    EXPECT_EQ(tuesday.timerMs, 604'801'000 - (2 * 86'400'000 + 14 * 3'600'000));
    EXPECT_EQ(nextRunText(tuesday.at), "Larkspan - Kite\nAutorun Enabled\nNext Run: 03/10/2024 12:00:01 AM");

    // On a Sunday after its first second, the next Sunday.
    const NextRun sunday = next("WeeKly", LocalDateTime{{2024, 3, 10}, 0, 0, 2});
    EXPECT_EQ(sunday.at.date, (CivilDate{2024, 3, 17}));
    EXPECT_EQ(sunday.timerMs, 604'801'000 - 2000);
    EXPECT_EQ(next("weekly", LocalDateTime{{2024, 3, 10}, 0, 0, 1}).timerMs, 1000);
    // Saturday night: one day and one second.
    EXPECT_EQ(next("weekly", LocalDateTime{{2024, 3, 9}, 0, 0, 0}).timerMs, 86'401'000);
}

TEST(AutorunInterval, MonthlyRunsOnTheFirstOfTheNextMonth)
{
    const NextRun december = next("Monthly", LocalDateTime{{2024, 12, 31}, 23, 0, 0});
    EXPECT_EQ(december.at.date, (CivilDate{2025, 1, 1}));
    EXPECT_EQ(december.timerMs, 3'600'000 + 1000);
    const NextRun february = next("monthly", LocalDateTime{{2024, 2, 1}, 12, 0, 0});
    EXPECT_EQ(february.at.date, (CivilDate{2024, 3, 1}));
    EXPECT_EQ(february.timerMs, 28 * 86'400'000LL + 43'201'000);
    EXPECT_EQ(next("monthly", LocalDateTime{{2024, 2, 1}, 0, 0, 0, 500}).timerMs, 1000);
}

TEST(AutorunInterval, OnlyTheKnownTextsHaveRules)
{
    EXPECT_TRUE(findIntervalRule(" Daily\r\n"));
    for (const char* offered : kOfferedIntervals)
        EXPECT_TRUE(findIntervalRule(offered)) << offered;
    for (const char* unknown : {"", "13 Minutes", "Dailyy", "every  hour", "5"})
        EXPECT_FALSE(findIntervalRule(unknown)) << unknown;
}
