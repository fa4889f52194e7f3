#pragma once

#include "analysis/StatisticsTable.h"
#include "common/Dates.h"

#include <string>

namespace larkspan {

class Clock;

// What the index pages show besides the run's report rows.
struct IndexInputs {
    analysis::BucketTotals totals;
    std::string webName;
    int daysReported = 0;
    CivilDate firstDay;
    CivilDate lastDay;
    std::string missingDates;
};

// The three forms of index row, each followed by LF CR.
std::string sectionRow(const std::string& name);
std::string linkRow(const std::string& file, const std::string& title);
std::string notGeneratedRow(const std::string& text);

// "1024 KB (1 MB)": kilobytes in "####.## KB" and megabytes in the pattern given.
std::string kilobyteValue(double kilobytes, const char* megabytePattern);

// The "General Web Statistics" block: its section row and thirteen rows.
std::string statisticsBlock(const IndexInputs& inputs, const Clock& clock);

// The whole index page with the run's rows (index.html or, from the e-mail
// rows, the text that becomes eindex.html). Throws Error when the skeleton
// has no start marker.
std::string indexPage(const IndexInputs& inputs, const Clock& clock, const std::string& rows);

} // namespace larkspan
