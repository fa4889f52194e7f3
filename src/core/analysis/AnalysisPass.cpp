#include "analysis/AnalysisPass.h"

#include "analysis/DayFileReader.h"
#include "analysis/DayFiles.h"
#include "analysis/DayWorkers.h"
#include "analysis/RecordFilter.h"
#include "analysis/RecordTally.h"
#include "analysis/RobotSpotter.h"
#include "analysis/SideTally.h"
#include "analysis/StatisticsTable.h"
#include "analysis/WebData.h"
#include "common/ProgramFolder.h"
#include "common/SafeFile.h"
#include "common/WorkerThreads.h"
#include "platform/Platform.h"
#include "profiles/DateRange.h"
#include "profiles/ProfileFiles.h"
#include "profiles/RunProfile.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace larkspan::analysis {

namespace {

// The missing-days dialogue of an FTP web: lists the files, asks whether to
// import, and runs the import once on Yes. Returns false on Cancel.
bool listWithImportOffer(Platform& platform, const PassInput& input, const std::string& webFolder,
                         const ImportRunner& importRun, DayFileList& list)
{
    bool imported = false;
    for (;;) {
        list = listDayFiles(webFolder, input.firstDay, input.lastDay);
        if (list.missingCount == 0 || imported) return true;
        std::string question;
        if (list.files.empty()) {
            question = "The date range you have selected has no data imported for it.";
        } else if (list.missingCount > kListedMissingDates) {
            question = "The date range you have selected is missing more than 15 days of reporting.";
        } else {
            question =
                "The date range you have selected is missing the following dates to report on:\n" + list.missingDates;
        }
        question += "\nWould you like to run the import before continuing with the reports?";
        const Answer answer = platform.messages.ask(MessageKind::Warning, question, Buttons::YesNoCancel);
        if (answer == Answer::Cancel) {
            platform.cancel.request();
            return false;
        }
        if (answer != Answer::Yes) return true;
        if (importRun) importRun(input.web);
        imported = true;
    }
}

// Whether the days of a single run hold enough bytes to repay a side tally.
bool worthSideTally(const std::vector<DayFile>& files, std::size_t end, std::uintmax_t from)
{
    std::uintmax_t total = 0;
    for (std::size_t i = 0; i < end; ++i) {
        std::error_code ec;
        const std::uintmax_t size = std::filesystem::file_size(files[i].path, ec);
        if (!ec) total += size;
    }
    return total >= from;
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// Appends one day's demographic lines to the demographic data file;
// failures are reported in the progress message and the pass goes on.
void writeDemographics(Platform& platform, const std::string& path, const std::string& text)
{
    platform.progress.setCaption("Analyzing Log Data...");
    platform.progress.setText(0, "Saving demographic data...");
    // Log-derived data: private, and never appended through a link.
    const int fd = safefile::openForWriting(path, true);
    std::unique_ptr<std::FILE, FileCloser> file(fd < 0 ? nullptr : ::fdopen(fd, "ab"));
    if (!file) {
        if (fd >= 0) ::close(fd);
        platform.progress.setText(0, "Error saving demographic data...");
        return;
    }
    const bool written =
        std::fwrite(text.data(), 1, text.size(), file.get()) == text.size() && std::fflush(file.get()) == 0;
    platform.progress.setText(0, written ? "Writing demographic data..." : "Error writing demographic data...");
    if (std::fclose(file.release()) != 0) platform.progress.setText(0, "Error saving demographic data...");
}

} // namespace

PassInput PassInput::from(const profiles::RunProfile& profile, const std::string& dataDirectory)
{
    PassInput in;
    in.dataDirectory = dataDirectory;
    in.web = profile.web;
    in.profile = profile.name;
    in.firstDay = profile.range.first;
    in.lastDay = profile.range.last;
    in.ftpWeb = profile.ftpWeb;
    in.preDate = profile.storedPreDate;
    in.demographics = profile.demogs;
    in.trackBySessions = profile.trackbyses;
    in.noRobots = profile.norobots;
    in.details = profile.details;
    return in;
}

BucketMode chooseBucketMode(long long preDate, int fileCount, int monthCount)
{
    switch (profiles::runPreDate(preDate)) {
    case 0:
    case 1:
        return BucketMode::Hourly;
    case 2:
    case 3:
    case 4:
    case 5:
        return BucketMode::Daily;
    case 6:
        return BucketMode::Monthly;
    case 7:
        if (fileCount == 1) return BucketMode::Hourly;
        return monthCount <= 2 ? BucketMode::Daily : BucketMode::Monthly;
    default:
        return BucketMode::None;
    }
}

namespace {

AnalysisResult tallyDays(Platform& platform, const ProgramFolder& folder, const PassInput& input,
                         StatisticsTable& table, const ImportRunner& importRun)
{
    AnalysisResult result;
    const profiles::ProfileFiles files = profiles::ProfileFiles::of(folder, input.profile);
    std::error_code ec;
    std::filesystem::remove(files.demographics, ec);

    if (static_cast<long long>(input.lastDay) - input.firstDay + 1 <= 0) return result;

    DayFileList list;
    try {
        const std::string webFolder = analysis::webFolder(input.dataDirectory, input.web);
        if (input.ftpWeb) {
            if (!listWithImportOffer(platform, input, webFolder, importRun, list)) {
                result.cancelled = true;
                return result;
            }
        } else {
            list = listDayFiles(webFolder, input.firstDay, input.lastDay);
        }
    } catch (const std::exception&) {
        return result; // the file list could not be made
    }
    result.missingDates = list.missingDates;
    result.monthCount = list.monthCount;
    if (list.files.empty()) {
        result.code = -100;
        return result;
    }

    const int fileCount = static_cast<int>(list.files.size());
    result.daysReported = fileCount;
    result.bucketMode = chooseBucketMode(input.preDate, fileCount, list.monthCount);
    platform.progress.setBar(0, 0, fileCount);

    const RecordFilter filter = RecordFilter::load(folder, input.profile);
    RecordTally tally(table, filter, result.bucketMode, input.trackBySessions);
    std::optional<RobotSpotter> robots;
    if (input.noRobots || input.details) robots.emplace(RobotSpotter::load(folder.syss()));
    tally.keepTrafficDetails(robots ? &*robots : nullptr, input.noRobots, input.details);
    ThrottledPump pump(platform.pump);
    DayFileReader reader(platform, pump, table, tally);

    // The first run of days is read here, the others on worker threads.
    const TallySettings settings{filter,         result.bucketMode, input.trackBySessions, robots ? &*robots : nullptr,
                                 input.noRobots, input.details,     input.demographics};
    const unsigned threads = input.threads != 0 ? input.threads : workerThreadCount();
    const std::vector<std::size_t> starts = splitDays(list.files, threads);
    std::optional<DayWorkers> workers;
    if (starts.size() > 1) workers.emplace(settings, list.files, starts);
    const std::size_t firstRunEnd = starts.size() > 1 ? starts[1] : list.files.size();
    // Days no worker shares: a second thread takes some of their lists.
    std::optional<SideTally> side;
    if (!workers && threads > 1 && worthSideTally(list.files, firstRunEnd, input.sideTallyFrom)) {
        try {
            side.emplace();
            tally.handListsTo(&*side);
        } catch (const std::system_error&) {
            // No thread to be had: the calling thread counts everything.
        }
    }
    // At the end of the run every key handed over is counted; on Cancel
    // the side thread stops at once (a cancelled pass's table is not read).
    const auto finishSide = [&](bool cancelled) {
        if (!side) return;
        tally.handListsTo(nullptr);
        if (cancelled) {
            side->stopInto(table);
        } else {
            side->finishInto(table);
        }
        side.reset();
    };

    int position = 0;
    for (std::size_t i = 0; i < firstRunEnd; ++i) {
        const DayFile& file = list.files[i];
        // One pump per file at least, so Cancel is seen between files.
        pump.force();
        tally.startDay(file.day);
        const bool completed = !platform.cancel.requested() && reader.read(file.path);
        result.linesRead = reader.linesRead();
        result.recordsProcessed = tally.recordsProcessed();
        if (!completed) {
            finishSide(true);
            result.cancelled = true;
            return result;
        }
        // After the last day the lists take no more keys: their indexes go
        // before the day's visitors are sorted, the pass's fullest moment.
        if (!workers && i + 1 == firstRunEnd) {
            finishSide(false);
            table.dropIndexes();
        }
        if (input.demographics && tally.hasVisitors()) {
            writeDemographics(platform, files.demographics, tally.demographicLines());
        }
        tally.clearVisitors();
        ++position;
        platform.progress.setBar(0, position + (workers ? workers->filesDone() : 0), fileCount);
    }
    if (workers) {
        const auto writeDay = [&](const std::string& text) { writeDemographics(platform, files.demographics, text); };
        if (!workers->finish(platform, pump, table, reader.fieldNames(), writeDay, result, position)) {
            result.cancelled = true;
            return result;
        }
    }
    platform.progress.setCaption("Analyzing Log Data...");
    platform.progress.setText(0, "");
    platform.progress.setBar(0, fileCount, fileCount);
    result.code = result.recordsProcessed == 0 ? -150 : 0;
    return result;
}

} // namespace

AnalysisResult runAnalysisPass(Platform& platform, const ProgramFolder& folder, const PassInput& input,
                               StatisticsTable& table, const ImportRunner& importRun)
{
    const AnalysisResult result = tallyDays(platform, folder, input, table, importRun);
    // The reports only read the table now; what the pass needed besides it
    // (the visitors, the robot verdicts) is gone by here.
    table.compact();
    return result;
}
} // namespace larkspan::analysis
