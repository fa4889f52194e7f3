#pragma once

#include "analysis/AnalysisResult.h"
#include "analysis/StatisticsTable.h"
#include "common/CellTable.h"
#include "platform/EventPump.h"
#include "profiles/RunProfile.h"
#include "reports/BrowserTable.h"
#include "reports/DemographicTable.h"
#include "reports/EmailCopy.h"
#include "reports/IndexPages.h"
#include "reports/ReportContext.h"
#include "reports/ReportGrid.h"
#include "reports/ReportMail.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace larkspan {

class ProgramFolder;
struct Platform;
struct ReportEntry;
struct ReportSection;

// The analysis pass as the run calls it: fills the table for the profile's
// web and range and reports its outcome.
using AnalysisPass = std::function<analysis::AnalysisResult(const profiles::RunProfile&, analysis::StatisticsTable&)>;

// How a report run ended, for the callers that need more than the messages.
struct RunOutcome {
    enum Status { Done, ProfileFailed, NoData, ParseFailed, Cancelled, IndexFailed };
    Status status = Done;
    std::string indexPath; // set once index.html is written
};

// The report generator of one run: it owns the statistics table, the report
// grid and the tables the builders share, runs the analysis pass and the
// builders, and writes the report set.
class ReportGenerator {
  public:
    ReportGenerator(Platform& platform, const ProgramFolder& folder, std::string dataDirectory, AnalysisPass pass);

    // The whole run of a profile; every message goes through the platform.
    // Throws Error for what ends the run outside its own handling (a report
    // folder that cannot be created, a day file that cannot be read).
    RunOutcome runReport(const std::string& profileName);

    // Draws the chart and writes the CSV and HTML files of the report grid as
    // the profile asks; returns the last document text produced.
    std::string writeReportFiles(const std::string& basePath);
    enum class DocumentKind { Html, Csv };
    // Writes the grid as one HTML or CSV file beside basePath; its text,
    // empty when it could not be produced.
    std::string writeGridDocument(const std::string& basePath, DocumentKind kind);
    // The copy without help link, logo and first image, saved as "e" + name.
    EmailCopy writeEmailCopy(const std::string& path, const std::string& html);
    // Deletes the HTML and JPEG files and the mail draft of the profile's
    // report folder.
    void clearReportFolder(const std::string& profileName);
    // Draws the chart of the grid into basePath + ".jpg" when its chart row asks.
    void drawChart(const std::string& basePath);
    // index.html with the general statistics and the run's rows; false when
    // it could not be written.
    bool writeIndexPage(const std::string& indexPath, const std::string& rows);
    // eindex.html beside it, from the e-mail rows, made ready for mail.
    bool writeEmailIndexPage(const std::string& indexPath, const std::string& rows);

    // What the builders read.
    const analysis::StatisticsTable& stats() const { return stats_; }
    analysis::StatisticsTable& stats() { return stats_; }
    ReportGrid& grid() { return grid_; }
    ReportContext context() const;
    const ReportSettings& settings() const { return settings_; }
    const profiles::RunProfile& profile() const { return profile_; }
    Platform& platform() { return platform_; }
    const ProgramFolder& folder() const { return folder_; }
    // "syss/seng.lklf" and "syss/agntos.lklf", empty when they cannot be loaded.
    CellTable& searchEngines() { return searchEngines_; }
    CellTable& operatingSystems() { return operatingSystems_; }
    // "syss/browsers.lklf", empty when it cannot be loaded.
    const BrowserTable& browsers() const { return browsers_; }
    // The demographic table and the country list, read before the
    // demographic reports.
    DemographicTable& demographics() { return demographics_; }
    demographics::CodeList& countries() { return countries_; }

    // The profile's report folder (Reports/<profile>).
    std::string reportFolder(const std::string& profileName) const;

    // Runs these sections instead of the program's own table (tests).
    void useSections(const std::vector<ReportSection>& sections) { sections_ = &sections; }

  private:
    struct RunState;
    void loadSettings(const analysis::AnalysisResult& result);
    IndexInputs indexInputs() const;
    void runSections(RunState& run);
    bool runsInThisRun(const ReportSection& section) const;
    // Lets go of the statistics table's long lists that no section from
    // the first'th on reads.
    void releaseListsUnreadFrom(std::size_t first);
    bool runSection(RunState& run, const ReportSection& section);
    bool produceReport(RunState& run, const ReportEntry& entry, std::optional<std::string>& noData);
    void finishRun(RunState& run, RunOutcome& outcome);
    void caption(const std::string& text, const std::string& message = "");
    void message(const std::string& text);
    void inform(const std::string& text);

    Platform& platform_;
    const ProgramFolder& folder_;
    std::string dataDirectory_;
    AnalysisPass pass_;
    analysis::StatisticsTable stats_;
    ReportGrid grid_;
    profiles::RunProfile profile_;
    ReportSettings settings_;
    CellTable searchEngines_;
    CellTable operatingSystems_;
    BrowserTable browsers_;
    DemographicTable demographics_;
    demographics::CodeList countries_;
    std::string csvFolder_;
    std::vector<std::string> keptCsvFiles_; // existing CSV files left alone (overwriting off)
    ReportMail mail_;
    ThrottledPump throttledPump_;
    const std::vector<ReportSection>* sections_ = nullptr;
};

} // namespace larkspan
