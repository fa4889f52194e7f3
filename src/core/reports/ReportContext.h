#pragma once

#include "analysis/AnalysisResult.h"
#include "common/Dates.h"

#include <string>

namespace larkspan {

class Clock;

// The profile settings and the results of the analysis pass that every
// report builder reads.
struct ReportSettings {
    std::string url;
    std::string maxrows = "ALL";
    int preDate = 0;
    bool hitPage = true;
    bool hitDf = true;
    bool hitImg = false;
    bool hitOth = false;
    bool trackBySessions = false;
    bool genGraph = false;
    bool graph3d = false;

    CivilDate firstDay;
    CivilDate lastDay;
    int daysReported = 0;
    // The dates of the range without data, joined by ", ".
    std::string missingDates;
    analysis::BucketMode bucketMode = analysis::BucketMode::None;
};

struct ReportContext {
    const ReportSettings& settings;
    const Clock& clock;
};

} // namespace larkspan
