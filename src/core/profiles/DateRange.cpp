#include "profiles/DateRange.h"

#include "common/Dates.h"

namespace larkspan::profiles {

std::optional<DayRange> computeRange(int preDate, int today)
{
    const CivilDate date = civilDate(today);
    switch (preDate) {
    case 0: return DayRange{today - 1, today - 1};
    case 1: return DayRange{today, today};
    case 2: {
        const int sunday = today - weekday(today) - 7;
        return DayRange{sunday, sunday + 6};
    }
    case 3: return DayRange{today - weekday(today), today};
    case 4: {
        const int firstOfThisMonth = dayNumber({date.year, date.month, 1});
        const CivilDate previous = date.month == 1 ? CivilDate{date.year - 1, 12, 1} : CivilDate{date.year, date.month - 1, 1};
        return DayRange{dayNumber(previous), firstOfThisMonth - 1};
    }
    case 5: return DayRange{dayNumber({date.year, date.month, 1}), today};
    case 6: return DayRange{dayNumber({date.year, 1, 1}), today};
    default: return std::nullopt;
    }
}

std::string rangeEntryText(int preDate)
{
    static const char* entries[] = {
        "Run the report for yesterday",         "Run the report for today",
        "Run the report for last week",         "Run the report for this week to date",
        "Run the report for last month",        "Run the report for this month to date",
        "Run the year to date report",          "Run the report for the specified date range",
    };
    return preDate >= 0 && preDate <= 7 ? entries[preDate] : "";
}

std::string periodName(int preDate)
{
    static const char* names[] = {"Daily",   "Daily",                   "Weekly",       "Weekly (Week To Date)",
                                  "Monthly", "Monthly(Month To Date)", "Year To Date", "Date Range"};
    return preDate >= 0 && preDate <= 7 ? names[preDate] : "";
}

}  // namespace larkspan::profiles
