#pragma once

#include "common/Dates.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace larkspan::autorun {

// The intervals the schedule editor offers, in its order, and its default.
inline constexpr std::array<const char*, 8> kOfferedIntervals = {
    "5 Minutes", "10 Minutes", "15 Minutes", "30 Minutes", "Every Hour", "Every 12 Hours", "Daily", "Weekly"};
inline constexpr const char* kDefaultInterval = "15 Minutes";

enum class IntervalKind { Minutes, Daily, Weekly, Monthly };

// A rule of the runner: a fixed number of minutes between runs, or a run
// at 00:00:01 of the next day, the coming Sunday or the next month's first day.
struct IntervalRule {
    IntervalKind kind = IntervalKind::Minutes;
    int minutes = 0;
};

// The rule for an interval text, compared without regard to case (blanks
// and line breaks around it do not count); nullopt when no rule matches,
// which means nothing is scheduled.
std::optional<IntervalRule> findIntervalRule(std::string_view text);

// The texts the runner accepts, for messages ("5 Minutes, ... Weekly, Monthly").
std::string acceptedIntervals();

struct NextRun {
    long long timerMs = 0; // how long the run timer waits
    LocalDateTime at;      // when the run is due, as the hint shows it
};

// The next run after now. Minute rules wait their fixed interval;
// day, week and month rules wait until 00:00:01 of the next day, the
// coming Sunday or the first of the next month (of today when at most one
// second of it has passed, with a 1-second wait).
NextRun nextRun(const IntervalRule& rule, const LocalDateTime& now);

// The clock arithmetic of the hint: minutes added with carries into the
// hour and the date; seconds and milliseconds stay.
LocalDateTime plusMinutes(const LocalDateTime& at, int minutes);

// The hint texts of the runner.
inline constexpr const char* kNotScheduledText = "Larkspan - Kite\nAutorun Enabled\nNext Import Not Scheduled";
std::string nextRunText(const LocalDateTime& at);

// "mm/dd/yyyy" and "h:mm:ss AM" as the log and the hint write them.
std::string logDate(const LocalDateTime& at);
std::string logTime(const LocalDateTime& at);

} // namespace larkspan::autorun
