#pragma once

#include <optional>
#include <string>

namespace larkspan::profiles {

// A range of whole days as day numbers; empty when last < first.
struct DayRange {
    int first = 0;
    int last = -1;
    bool empty() const { return last < first; }
    int days() const { return empty() ? 0 : last - first + 1; }
};

// The range of a predefined choice 0 to 6 seen from today (a day number);
// std::nullopt for any other choice, which takes the stored start and end.
// Weeks run from Sunday to Saturday.
std::optional<DayRange> computeRange(int preDate, int today);

// The range list entry of a choice 0 to 7 ("Run the report for ..."), else "".
std::string rangeEntryText(int preDate);

// The period name report headings give a choice 0 to 7, else "".
std::string periodName(int preDate);

// The report run keeps the low eight bits of pre-date as an unsigned number.
inline int runPreDate(long long preDate) { return static_cast<int>(static_cast<unsigned long long>(preDate) & 0xFFu); }

}  // namespace larkspan::profiles
