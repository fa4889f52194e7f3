#include "reports/ReportGenerator.h"

#include "common/Error.h"
#include "common/ProgramFolder.h"
#include "common/SafeFile.h"
#include "common/Text.h"
#include "common/TextFile.h"
#include "platform/Platform.h"
#include "reports/IndexPages.h"
#include "reports/NoDataError.h"
#include "reports/ReportSections.h"

#include <algorithm>
#include <filesystem>

namespace larkspan {

namespace fs = std::filesystem;

struct ReportGenerator::RunState {
    std::string profileName;
    std::string folder; // Reports/<profile>
    std::string indexRows;
    std::string emailRows;
    long long position = 0;
    long long total = 1;
};

namespace {

void ensureFolder(const std::string& path)
{
    std::error_code ec;
    if (fs::is_directory(path, ec)) return;
    if (!safefile::makePrivateFolderTree(path)) throw Error("Cannot create " + path);
}

// A report folder that is a link would have the run clear and fill the
// folder it points to, which may belong to anyone.
void refuseLinkedFolder(const std::string& path)
{
    if (safefile::isSymbolicLink(path))
        throw Error("The report folder " + path + " is a symbolic link.\nThe report(s) were not generated.");
}

} // namespace

ReportGenerator::ReportGenerator(Platform& platform, const ProgramFolder& folder, std::string dataDirectory,
                                 AnalysisPass pass)
    : platform_(platform), folder_(folder), dataDirectory_(std::move(dataDirectory)), pass_(std::move(pass)),
      throttledPump_(platform.pump), sections_(&reportSections())
{
    // Tables that cannot be loaded stay empty; the builders that use them
    // then find nothing to match.
    try {
        searchEngines_.load(folder_.syss() + "/seng.lklf");
    } catch (const std::exception&) {
        searchEngines_ = CellTable();
    }
    try {
        operatingSystems_.load(folder_.syss() + "/agntos.lklf");
    } catch (const std::exception&) {
        operatingSystems_ = CellTable();
    }
    browsers_.load(folder_.syss() + "/browsers.lklf");
}

ReportContext ReportGenerator::context() const
{
    return {settings_, platform_.clock};
}

std::string ReportGenerator::reportFolder(const std::string& profileName) const
{
    return folder_.reports() + "/" + profileName;
}

void ReportGenerator::caption(const std::string& text, const std::string& detail)
{
    platform_.progress.setText(0, text);
    platform_.progress.setText(1, detail);
}

void ReportGenerator::message(const std::string& text)
{
    platform_.progress.setText(1, text);
}

void ReportGenerator::inform(const std::string& text)
{
    if (!platform_.unattended) platform_.messages.show(MessageKind::Information, text);
}

void ReportGenerator::loadSettings(const analysis::AnalysisResult& result)
{
    ReportSettings s;
    s.url = profile_.url;
    s.maxrows = profile_.maxrows;
    s.preDate = profile_.preDate;
    s.hitPage = profile_.hitpage;
    s.hitDf = profile_.hitdf;
    s.hitImg = profile_.hitimg;
    s.hitOth = profile_.hitoth;
    s.trackBySessions = profile_.trackbyses;
    s.genGraph = profile_.gengraph;
    s.graph3d = profile_.g3d;
    s.firstDay = civilDate(profile_.range.first);
    s.lastDay = civilDate(profile_.range.last);
    s.daysReported = result.daysReported;
    s.missingDates = result.missingDates;
    s.bucketMode = result.bucketMode;
    settings_ = s;
}

RunOutcome ReportGenerator::runReport(const std::string& profileName)
{
    RunOutcome outcome;
    platform_.cancel.reset();
    try {
        profile_ = profiles::loadRunProfile(folder_, dataDirectory_, profileName, platform_.clock.todayNumber());
    } catch (const std::exception&) {
        platform_.messages.show(MessageKind::Error,
                                "Reports cannot be processed.\nError Loading Profile :" + profileName);
        outcome.status = RunOutcome::ProfileFailed;
        return outcome;
    }

    RunState run;
    run.profileName = profileName;
    run.folder = reportFolder(profileName);
    refuseLinkedFolder(run.folder);
    clearReportFolder(profileName);

    MailWanted wanted;
    wanted.consumer = profile_.oconsumer;
    wanted.consumerAddress = profile_.table.getText("cons-email");
    wanted.admin = profile_.oadmin;
    wanted.adminAddress = profile_.table.getText("admin-email");
    mail_.start(wanted, platform_.clock.today(), run.folder);

    ensureFolder(folder_.reports());
    ensureFolder(run.folder);
    csvFolder_ = profile_.csvpath;
    keptCsvFiles_.clear();

    stats_.reset();
    const analysis::AnalysisResult result = pass_(profile_, stats_);
    loadSettings(result);
    bool cancelled = platform_.cancel.requested() || result.cancelled;

    if (!cancelled) {
        for (const auto& section : *sections_)
            if (profile_.*section.enabled) run.total += static_cast<long long>(availableReports(section).size());
        platform_.progress.setBar(0, 0, run.total);
        if (result.code == -100 || result.code == -150) {
            inform("There was no data found to report on.\nEither the log files needed for analysis reporting are "
                   "not present, need to be imported or contain no valid data to process. \nThe report(s) were not "
                   "generated.");
            outcome.status = RunOutcome::NoData;
        } else if (result.code == -1) {
            inform("An error was encountered while attempting to parse log files for analysis reporting. The "
                   "report(s) were not generated.");
            outcome.status = RunOutcome::ParseFailed;
        } else {
            runSections(run);
        }
        cancelled = platform_.cancel.requested();
    }

    if (cancelled) {
        inform("Reporting Process Cancelled by User.");
        outcome.status = RunOutcome::Cancelled;
        return outcome;
    }
    caption("Done");
    platform_.progress.setBar(0, run.total, run.total);
    if (outcome.status != RunOutcome::Done) return outcome;
    finishRun(run, outcome);
    return outcome;
}

void ReportGenerator::runSections(RunState& run)
{
    releaseListsUnreadFrom(0);
    for (std::size_t i = 0; i < sections_->size(); ++i) {
        const ReportSection& section = (*sections_)[i];
        if (!runsInThisRun(section)) continue;
        if (!runSection(run, section)) return;
        releaseListsUnreadFrom(i + 1);
    }
}

bool ReportGenerator::runsInThisRun(const ReportSection& section) const
{
    // A section whose builders are not part of this build does not run.
    return profile_.*section.enabled && !availableReports(section).empty();
}

void ReportGenerator::releaseListsUnreadFrom(std::size_t first)
{
    // The long lists of a big run hold most of its memory; the sections
    // after them (the demographic data above all) get it back.
    using analysis::StatList;
    for (const StatList list : {StatList::UserAgents, StatList::Pages, StatList::Downloads, StatList::Referrers}) {
        bool read = false;
        for (std::size_t i = first; i < sections_->size() && !read; ++i) {
            const ReportSection& section = (*sections_)[i];
            read = runsInThisRun(section) &&
                   std::find(section.longLists.begin(), section.longLists.end(), list) != section.longLists.end();
        }
        if (!read) stats_.release(list);
    }
}

bool ReportGenerator::runSection(RunState& run, const ReportSection& section)
{
    run.indexRows += sectionRow(section.name);
    run.emailRows += sectionRow(section.name);
    mail_.addSection(section.name);

    if (section.prepare) {
        caption("Generating Reports...");
        caption("Analyzing Demographics Data...", "Reading Data...");
        try {
            section.prepare(*this);
        } catch (const NoDataError& e) {
            const std::string row =
                notGeneratedRow(std::string("Demographic Analysis Reports - Not Generated (") + e.what() + ")");
            run.indexRows += row;
            run.emailRows += row;
            return !platform_.cancel.requested();
        } catch (const std::exception&) {
            run.indexRows +=
                notGeneratedRow("Demographic Analysis Reports - Not Generated (Error occurred while Analyzing)");
            return !platform_.cancel.requested();
        }
        if (platform_.cancel.requested()) return false;
    }

    bool referralBroken = false;
    bool enginesBroken = false;
    bool enginesStarted = false;
    std::optional<std::string> enginesNoData;
    for (const ReportEntry* entry : availableReports(section)) {
        if (entry->guard == ReportGuard::Referral && referralBroken) continue;
        if (entry->guard == ReportGuard::SearchEngines) {
            if (enginesBroken) continue;
            if (enginesNoData) {
                // The keyword reports need the search-engine report's results.
                run.indexRows +=
                    notGeneratedRow(std::string(entry->title) + " - Not Generated (" + *enginesNoData + ")");
                continue;
            }
        }
        std::optional<std::string> noData;
        bool goOn = true;
        try {
            goOn = produceReport(run, *entry, noData);
        } catch (...) {
            if (entry->guard == ReportGuard::None) throw;
            inform("An error was encountered while attempting to perform Referral analysis.");
            (entry->guard == ReportGuard::Referral ? referralBroken : enginesBroken) = true;
        }
        if (entry->guard == ReportGuard::SearchEngines && !enginesStarted) {
            enginesStarted = true;
            enginesNoData = noData;
        }
        if (!goOn || platform_.cancel.requested()) return false;
    }
    return true;
}

bool ReportGenerator::produceReport(RunState& run, const ReportEntry& entry, std::optional<std::string>& noData)
{
    const std::string title = entry.title;
    const std::string base = entry.baseName;
    const std::string path = run.folder + "/" + base;
    caption(entry.caption ? entry.caption : "Analyzing " + title + "...");
    throttledPump_.force();
    try {
        entry.build(*this);
        platform_.progress.setBar(0, ++run.position, run.total);
        run.indexRows += linkRow(base + ".html", title);
        const std::string document = writeReportFiles(path);
        if (entry.listedEarly && platform_.cancel.requested()) return false;
        if (mail_.mailing()) {
            const EmailCopy copy = writeEmailCopy(path, document);
            if (!copy.text.empty()) {
                run.emailRows += linkRow(fs::path(copy.path).filename().string(), title);
                mail_.addReport(title, copy.path);
            } else {
                run.emailRows += linkRow(base + ".html", title);
                mail_.addReport(title, path + ".html");
            }
        }
    } catch (const NoDataError& e) {
        noData = e.what();
        const std::string row = notGeneratedRow(title + " - Not Generated (" + e.what() + ")");
        run.indexRows += row;
        if (entry.listedEarly) run.emailRows += row;
    } catch (const std::exception&) {
        run.indexRows += notGeneratedRow(title + " - Not Generated (Error occurred while building)");
    }
    return !platform_.cancel.requested();
}

IndexInputs ReportGenerator::indexInputs() const
{
    IndexInputs inputs;
    inputs.totals = stats_.bucketTotals();
    inputs.webName = profile_.web;
    inputs.daysReported = settings_.daysReported;
    inputs.firstDay = settings_.firstDay;
    inputs.lastDay = settings_.lastDay;
    inputs.missingDates = settings_.missingDates;
    return inputs;
}

bool ReportGenerator::writeIndexPage(const std::string& indexPath, const std::string& rows)
{
    try {
        return saveTextFile(platform_.messages, indexPath, indexPage(indexInputs(), platform_.clock, rows));
    } catch (const std::exception&) {
        return false;
    }
}

bool ReportGenerator::writeEmailIndexPage(const std::string& indexPath, const std::string& rows)
{
    try {
        return saveTextFile(platform_.messages, emailCopyPath(indexPath),
                            emailReadyHtml(indexPath, indexPage(indexInputs(), platform_.clock, rows)));
    } catch (const std::exception&) {
        return false;
    }
}

void ReportGenerator::finishRun(RunState& run, RunOutcome& outcome)
{
    if (profile_.ocsv) {
        const std::string where = csvFolder_.empty() ? run.folder + "/" : csvFolder_;
        std::string text = "Your CSV Files have been placed in :\n" + where;
        if (!keptCsvFiles_.empty())
            text += "\nThese CSV files were kept as they were, because overwriting is off: " +
                    text::join(keptCsvFiles_, ", ");
        inform(text);
    }

    const std::string indexPath = run.folder + "/index.html";
    if (!writeIndexPage(indexPath, run.indexRows)) {
        // A run whose index could not be written does not open or mail it.
        platform_.messages.show(MessageKind::Error,
                                "An error was encountered while attempting to generate report index " + indexPath);
        outcome.status = RunOutcome::IndexFailed;
        return;
    }
    outcome.indexPath = indexPath;

    // An e-mail index that cannot be written is left out of the mail.
    if (mail_.mailing() && writeEmailIndexPage(indexPath, run.emailRows)) mail_.addIndex(emailCopyPath(indexPath));

    if (profile_.obrowser && platform_.shell.hasDesktop()) platform_.shell.openDocument(indexPath);
    mail_.send(platform_);
}

} // namespace larkspan
