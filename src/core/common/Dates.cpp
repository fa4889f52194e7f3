#include "common/Dates.h"

#include "common/Text.h"

#include <cstdio>

namespace larkspan {

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

bool isValidDate(int year, int month, int day)
{
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= daysInMonth(year, month);
}

// Days from 1970-01-01 (H. Hinnant's civil calendar algorithm).
static long long daysFromCivil(long long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

static constexpr long long kEpochOffset = 25569;  // 1970-01-01 as a day number

int dayNumber(const CivilDate& date)
{
    return static_cast<int>(daysFromCivil(date.year, static_cast<unsigned>(date.month), static_cast<unsigned>(date.day)) +
                            kEpochOffset);
}

CivilDate civilDate(int number)
{
    long long z = static_cast<long long>(number) - kEpochOffset + 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long y = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return CivilDate{static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

int weekday(int number)
{
    // Day 0 (30 December 1899) was a Saturday.
    const int w = (number + 6) % 7;
    return w < 0 ? w + 7 : w;
}

namespace dates {

const char* monthName(int month)
{
    static const char* names[] = {"January", "February", "March",     "April",   "May",      "June",
                                  "July",    "August",   "September", "October", "November", "December"};
    return month >= 1 && month <= 12 ? names[month - 1] : "";
}

const char* dayName(int day)
{
    static const char* names[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    return day >= 0 && day <= 6 ? names[day] : "";
}

std::string shortDate(const CivilDate& date)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02d%c%02d%c%04d", date.month, kDateSeparator, date.day, kDateSeparator,
                  date.year);
    return buffer;
}

std::string longDate(const CivilDate& date)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s, %s %02d, %04d", dayName(weekday(dayNumber(date))), monthName(date.month),
                  date.day, date.year);
    return buffer;
}

std::string longTime(int hour, int minute, int second)
{
    const int h12 = hour % 12 == 0 ? 12 : hour % 12;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%d:%02d:%02d %s", h12, minute, second, hour < 12 ? "AM" : "PM");
    return buffer;
}

std::string isoDate(const CivilDate& date)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", date.year, date.month, date.day);
    return buffer;
}

static std::optional<CivilDate> fromParts(const std::vector<std::string>& parts, int yi, int mi, int di)
{
    if (parts.size() != 3) return std::nullopt;
    long long v[3];
    for (int i = 0; i < 3; ++i)
        if (!text::parseInteger(text::trim(parts[static_cast<std::size_t>(i)]), v[i]) || v[i] <= 0 || v[i] > 9999)
            return std::nullopt;
    const int y = static_cast<int>(v[yi]), m = static_cast<int>(v[mi]), d = static_cast<int>(v[di]);
    if (!isValidDate(y, m, d)) return std::nullopt;
    return CivilDate{y, m, d};
}

std::optional<CivilDate> parseShortDate(const std::string& value)
{
    return fromParts(text::split(value, kDateSeparator), 2, 0, 1);
}

std::optional<CivilDate> parseIsoDate(const std::string& value)
{
    if (value.size() != 10 || value[4] != '-' || value[7] != '-') return std::nullopt;
    return fromParts(text::split(value, '-'), 0, 1, 2);
}

}  // namespace dates
}  // namespace larkspan
