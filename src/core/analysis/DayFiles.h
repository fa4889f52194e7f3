#pragma once

#include <string>
#include <vector>

namespace larkspan::analysis {

// The missing dates named in messages and reports; the rest are counted.
inline constexpr int kListedMissingDates = 15;

// One existing canonical day file of a range.
struct DayFile {
    std::string path;
    int day = 0;
};

// The day files of a range and what is missing.
struct DayFileList {
    std::vector<DayFile> files;   // ascending date order
    // "mm/dd/yyyy, mm/dd/yyyy, ...": the first 15, then " and N more".
    std::string missingDates;
    int missingCount = 0;
    int monthCount = 0;
};

// Walks the days first..last of the web folder. The month count starts at
// 1 and adds 1 for every day whose month number exceeds that of the day
// before it (the first day being compared with month 0).
DayFileList listDayFiles(const std::string& webFolder, int firstDay, int lastDay);

}  // namespace larkspan::analysis
