#include "commands/AnalyseCommand.h"

#include "analysis/AnalysisPass.h"
#include "analysis/StatisticsTable.h"
#include "analysis/WebData.h"
#include "commands/OfferedImport.h"
#include "common/Dates.h"
#include "common/Error.h"
#include "common/ProgramFolder.h"
#include "platform/Platform.h"
#include "profiles/RunProfile.h"

#include <cstdio>
#include <ostream>

namespace larkspan {

using namespace analysis;

namespace {

const char* modeName(BucketMode mode)
{
    switch (mode) {
    case BucketMode::Hourly:
        return "hourly";
    case BucketMode::Daily:
        return "daily";
    case BucketMode::Monthly:
        return "monthly";
    case BucketMode::None:
        break;
    }
    return "none";
}

std::string number(double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return buffer;
}

void printCounts(std::ostream& out, const char* title, const CountRows& rows)
{
    out << title << ": " << rows.size() << '\n';
    for (const CountRow& r : rows)
        out << "  " << r.count << '\t' << r.key() << '\n';
}

void printPaths(std::ostream& out, const char* title, const PathRows& rows)
{
    out << title << ": " << rows.size() << '\n';
    for (const PathRow& r : rows)
        out << "  " << r.count << '\t' << r.key() << '\n';
}

void printVolumes(std::ostream& out, const char* title, const std::vector<analysis::VolumeRow>& rows)
{
    out << title << ": " << rows.size() << '\n';
    for (const analysis::VolumeRow& r : rows)
        out << "  " << r.hits << '\t' << number(r.kilobytes) << '\t' << r.key << '\n';
}

void printPageKilobytes(std::ostream& out, const StatisticsTable& t)
{
    out << "Page kilobytes: " << t.pages().size() << '\n';
    for (std::size_t i = 0; i < t.pages().size(); ++i)
        out << "  " << t.pages()[i].count << '\t' << number(t.pageKilobytes()[i]) << '\t' << t.pages()[i].key() << '\n';
}

void printSlots(std::ostream& out, const char* title, const analysis::TimeSlot* slots, std::size_t n)
{
    out << title << ":\n";
    for (std::size_t i = 0; i < n; ++i)
        out << "  " << i << '\t' << slots[i].hits << '\t' << number(slots[i].kilobytes) << '\t' << slots[i].sessions
            << '\n';
}

// The traffic-detail tallies; printed only when the pass kept them.
void printTraffic(std::ostream& out, const analysis::TrafficTallies& t)
{
    out << "Robot hits: " << t.robotHits() << '\n' << "Robots: " << t.robots().size() << '\n';
    for (const analysis::RobotRow& r : t.robots())
        out << "  " << r.hits << '\t' << number(r.kilobytes) << '\t' << dates::shortDate(civilDate(r.lastDay)) << ' '
            << r.lastTime << '\t' << r.key << '\n';
    printVolumes(out, "Status codes", t.statuses());
    out << "Partial downloads: " << t.partialDownloads() << '\n' << "Not found: " << t.notFound().size() << '\n';
    for (const analysis::NotFoundRow& r : t.notFound())
        out << "  " << r.hits << '\t' << r.key << '\n';
    out << "Not found by referrer: " << t.notFoundReferrers().size() << '\n';
    for (const analysis::NotFoundRow& r : t.notFoundReferrers())
        out << "  " << r.hits << '\t' << r.key << '\n';
    printSlots(out, "Hours of the day", t.hours().data(), t.hours().size());
    printSlots(out, "Days of the week (0 Sunday)", t.weekdays().data(), t.weekdays().size());
    printVolumes(out, "File types", t.extensions());
}

void printLists(std::ostream& out, const StatisticsTable& t, bool traffic)
{
    printCounts(out, "Referrers", t.referrers());
    printCounts(out, "User agents", t.userAgents());
    printPaths(out, "Pages", t.pages());
    printPaths(out, "Download files", t.downloads());
    printCounts(out, "Error statuses", t.errorStatuses());
    printCounts(out, "Page errors", t.pageErrors());
    printCounts(out, "Download errors", t.downloadErrors());
    for (const ErrorAddressList& list : t.errorAddressLists()) {
        out << "Error list " << list.name << ": " << list.keys.size() << '\n';
        for (const std::string& key : list.keys)
            out << "  " << key << '\n';
    }
    if (traffic) {
        printTraffic(out, t.traffic());
        printPageKilobytes(out, t);
    }
}

void printSummary(std::ostream& out, const profiles::RunProfile& p, const AnalysisResult& r, const StatisticsTable& t)
{
    const BucketTotals totals = t.bucketTotals();
    out << "Profile: " << p.name << '\n'
        << "Web: " << p.web << '\n'
        << "First date: " << dates::shortDate(civilDate(p.range.first)) << '\n'
        << "Last date: " << dates::shortDate(civilDate(p.range.last)) << '\n'
        << "Result: " << r.code << '\n'
        << "Days reported: " << r.daysReported << '\n'
        << "Missing dates: " << r.missingDates << '\n'
        << "Lines read: " << r.linesRead << '\n'
        << "Records processed: " << r.recordsProcessed << '\n'
        << "Bucket mode: " << modeName(r.bucketMode) << '\n'
        << "Hits: " << totals.hits << '\n'
        << "Page hits: " << totals.pages << '\n'
        << "Download file hits: " << totals.downloads << '\n'
        << "Image hits: " << totals.images << '\n'
        << "Other hits: " << totals.others << '\n'
        << "Sessions: " << totals.sessions << '\n'
        << "Kilobytes: " << number(totals.kilobytes) << '\n'
        << "Buckets: " << t.buckets().size() << '\n';
    for (const BucketRow& b : t.buckets()) {
        out << "  " << b.key << '\t' << b.label << '\t' << b.hits << '\t' << b.pages << '\t' << b.downloads << '\t'
            << b.images << '\t' << b.others << '\t' << b.sessions << '\t' << number(b.kilobytes) << '\n';
    }
}

} // namespace

std::string_view AnalyseCommand::usage() const
{
    return "PROFILE [--lists] [--grid FILE]\n"
           "  Prints the general statistics and one line per time bucket:\n"
           "  key, label, hits, pages, downloads, images, other, sessions, kilobytes.\n"
           "  --lists      also print the referrer, user-agent, page, download and error lists, and with the\n"
           "               profile's details or norobots setting the robot, status-code, not-found,\n"
           "               hour, weekday, file-type and page-kilobyte tallies\n"
           "  --grid FILE  also save the statistics table as a cell-table file\n"
           "  Ctrl-C cancels (exit status 3); a second Ctrl-C ends at once.";
}

int AnalyseCommand::run(CommandContext& c, const std::vector<std::string>& args)
{
    Arguments a(args, {"grid"}, {"lists"});
    a.requirePositionalCount(1, 1);
    const std::string& name = a.positional()[0];
    const std::string dataDir = dataDirectory(c.settings, c.folder);
    profiles::RunProfile profile;
    try {
        profile = profiles::loadRunProfile(c.folder, dataDir, name, c.platform.clock.todayNumber());
    } catch (const Error& e) {
        throw Error("Reports cannot be processed.\nError Loading Profile :" + name + "\n" + e.what());
    }
    c.platform.cancel.reset();
    StatisticsTable table;
    const ImportRunner importRun = offeredImport(c);
    const AnalysisResult result =
        runAnalysisPass(c.platform, c.folder, PassInput::from(profile, dataDir), table, importRun);
    if (result.cancelled) return kExitCancelled;
    printSummary(c.out, profile, result, table);
    if (a.flag("lists")) printLists(c.out, table, profile.details || profile.norobots);
    if (a.has("grid")) table.toCellTable().save(a.value("grid"));
    if (result.code == -100) c.err << "No imported data exists for the date range.\n";
    if (result.code == -150) c.err << "No record of the date range passed the profile's filters.\n";
    if (result.code == -1) c.err << "The date range is empty.\n";
    return result.code == 0 ? kExitDone : kExitFailed;
}

} // namespace larkspan
