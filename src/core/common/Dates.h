#pragma once

#include <optional>
#include <string>

namespace larkspan {

struct CivilDate {
    int year = 1899;
    int month = 12;
    int day = 30;
    friend bool operator==(const CivilDate&, const CivilDate&) = default;
};

struct LocalDateTime {
    CivilDate date;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

bool isLeapYear(int year);
int daysInMonth(int year, int month);
bool isValidDate(int year, int month, int day);

// Day numbers count days since 30 December 1899 (1 January 2000 is 36526).
int dayNumber(const CivilDate& date);
CivilDate civilDate(int dayNumber);
// Sunday 0 .. Saturday 6.
int weekday(int dayNumber);

// The program's date and time formats, defined once (US English conventions).
namespace dates {
inline constexpr char kDateSeparator = '/';
inline constexpr char kDecimalSeparator = '.';
inline constexpr char kThousandsSeparator = ',';

// "mm/dd/yyyy"
std::string shortDate(const CivilDate& date);
// "Wednesday, December 09, 2026"
std::string longDate(const CivilDate& date);
// "2:05:09 PM"
std::string longTime(int hour, int minute, int second);
// "yyyy-mm-dd", the canonical store's date form.
std::string isoDate(const CivilDate& date);
// Accepts month/day/year with non-zero numbers; std::nullopt otherwise.
std::optional<CivilDate> parseShortDate(const std::string& text);
// Accepts yyyy-mm-dd.
std::optional<CivilDate> parseIsoDate(const std::string& text);
const char* monthName(int month);
const char* dayName(int weekday);
}  // namespace dates

}  // namespace larkspan
