#pragma once

#include "analysis/StatisticsTable.h"
#include "profiles/RunProfile.h"

#include <string>
#include <vector>

namespace larkspan {

class ReportGenerator;

// Fills the generator's report grid with one report, or raises
// NoDataError when there is nothing to report.
using ReportBuilder = void (*)(ReportGenerator&);

enum class ReportGuard {
    None,
    Referral,      // the domain, advertising and affiliate reports
    SearchEngines, // the search-engine report and the two keyword reports after it
};

struct ReportEntry {
    const char* title;    // in the index and the mail text
    const char* baseName; // LKR<name>: the report's files
    const char* caption;  // progress caption while building; nullptr: "Analyzing " + title + "..."
    ReportBuilder build;  // nullptr: not available in this build, left out
    ReportGuard guard = ReportGuard::None;
    // The cancel check follows the files, before the e-mail copy, and a
    // report without data is listed in the e-mail index too.
    bool listedEarly = false;
};

struct ReportSection {
    const char* name;
    bool profiles::RunProfile::*enabled;
    std::vector<ReportEntry> reports;
    // Runs before the section's reports (the demographic data); raises
    // NoDataError when the section has nothing to report. May be nullptr.
    ReportBuilder prepare = nullptr;
    // The long lists of the statistics table its reports read: a run lets go
    // of each list once no section left to run reads it.
    std::vector<analysis::StatList> longLists = {};
};

// The sections of a report run in run order, each with its reports in order.
const std::vector<ReportSection>& reportSections();

// The reports of a section that this build can produce.
std::vector<const ReportEntry*> availableReports(const ReportSection& section);

} // namespace larkspan
