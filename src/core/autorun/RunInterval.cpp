#include "autorun/RunInterval.h"

#include "common/Text.h"

namespace larkspan::autorun {

namespace {

constexpr long long kDayMs = 86'400'000;

struct NamedRule {
    const char* text;
    IntervalRule rule;
};

// Every 12 Hours and Monthly are rules of ours: the editor offers the
// first and an operator may type the second.
constexpr NamedRule kRules[] = {
    {"5 Minutes", {IntervalKind::Minutes, 5}},   {"10 Minutes", {IntervalKind::Minutes, 10}},
    {"15 Minutes", {IntervalKind::Minutes, 15}}, {"30 Minutes", {IntervalKind::Minutes, 30}},
    {"Every Hour", {IntervalKind::Minutes, 60}}, {"Every 12 Hours", {IntervalKind::Minutes, 720}},
    {"Daily", {IntervalKind::Daily, 0}},         {"Weekly", {IntervalKind::Weekly, 0}},
    {"Monthly", {IntervalKind::Monthly, 0}},
};

long long msOfDay(const LocalDateTime& at)
{
    return ((at.hour * 60LL + at.minute) * 60 + at.second) * 1000 + at.millisecond;
}

LocalDateTime oneSecondPastMidnight(const CivilDate& date)
{
    LocalDateTime at;
    at.date = date;
    at.second = 1;
    return at;
}

// Waits until 00:00:01 of the day `days` after today, counting the wait
// from the start of the period (elapsed ms ago); within its first second
// the period's own start is due in one second.
NextRun untilPeriodStart(const LocalDateTime& now, long long periodMs, long long elapsedMs, int daysToNext)
{
    const int today = dayNumber(now.date);
    if (elapsedMs <= 1000) return {1000, oneSecondPastMidnight(now.date)};
    return {periodMs + 1000 - elapsedMs, oneSecondPastMidnight(civilDate(today + daysToNext))};
}

NextRun untilNextMonth(const LocalDateTime& now)
{
    const long long elapsed = (now.date.day - 1) * kDayMs + msOfDay(now);
    if (elapsed <= 1000) return {1000, oneSecondPastMidnight(now.date)};
    const CivilDate first =
        now.date.month == 12 ? CivilDate{now.date.year + 1, 1, 1} : CivilDate{now.date.year, now.date.month + 1, 1};
    const long long days = dayNumber(first) - dayNumber(now.date);
    return {days * kDayMs + 1000 - msOfDay(now), oneSecondPastMidnight(first)};
}

} // namespace

std::optional<IntervalRule> findIntervalRule(std::string_view text)
{
    const std::string wanted = text::trim(text);
    for (const NamedRule& named : kRules)
        if (text::iequals(wanted, named.text)) return named.rule;
    return std::nullopt;
}

std::string acceptedIntervals()
{
    std::string list;
    for (const NamedRule& named : kRules)
        list += (list.empty() ? "" : ", ") + std::string(named.text);
    return list;
}

LocalDateTime plusMinutes(const LocalDateTime& at, int minutes)
{
    LocalDateTime next = at;
    next.minute += minutes;
    while (next.minute > 59) {
        next.minute -= 60;
        ++next.hour;
    }
    int days = 0;
    while (next.hour > 23) {
        next.hour -= 24;
        ++days;
    }
    if (days > 0) next.date = civilDate(dayNumber(at.date) + days);
    return next;
}

NextRun nextRun(const IntervalRule& rule, const LocalDateTime& now)
{
    switch (rule.kind) {
    case IntervalKind::Minutes:
        return {rule.minutes * 60'000LL, plusMinutes(now, rule.minutes)};
    case IntervalKind::Daily:
        return untilPeriodStart(now, kDayMs, msOfDay(now), 1);
    case IntervalKind::Weekly: {
        // Weekday numbers count Sunday as 1.
        const int weekdayNumber = weekday(dayNumber(now.date)) + 1;
        const long long elapsed = (weekdayNumber - 1) * kDayMs + msOfDay(now);
        return untilPeriodStart(now, 7 * kDayMs, elapsed, 8 - weekdayNumber);
    }
    case IntervalKind::Monthly:
        return untilNextMonth(now);
    }
    return {};
}

std::string logDate(const LocalDateTime& at)
{
    return dates::shortDate(at.date);
}

std::string logTime(const LocalDateTime& at)
{
    return dates::longTime(at.hour, at.minute, at.second);
}

std::string nextRunText(const LocalDateTime& at)
{
    return "Larkspan - Kite\nAutorun Enabled\nNext Run: " + logDate(at) + " " + logTime(at);
}

} // namespace larkspan::autorun
