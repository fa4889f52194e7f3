#pragma once

#include <string>

namespace larkspan::analysis {

// How the time-bucket list is keyed for a run.
enum class BucketMode { None, Hourly, Daily, Monthly };

// What an analysis pass leaves besides the statistics table. It holds until
// the next pass.
struct AnalysisResult {
    // 0 the table is filled; -100 no day file exists for the range; -150
    // day files exist but no record was processed; -1 empty range, a failure
    // while listing the files, or Cancel at the missing-dates question.
    int code = -1;
    // True when the operator cancelled (at the question or while reading).
    bool cancelled = false;
    // The missing dates, "mm/dd/yyyy" joined by ", "; empty when none.
    std::string missingDates;
    // Number of day files found for the range.
    int daysReported = 0;
    int monthCount = 0;
    BucketMode bucketMode = BucketMode::None;
    long long linesRead = 0;
    long long recordsProcessed = 0;
};

}  // namespace larkspan::analysis
