#include "tracker/TrackerDatabase.h"

#include "common/Error.h"
#include "common/StagedFile.h"
#include "common/WorkerThreads.h"
#include "import/ImportJournal.h"
#include "import/LineReader.h"
#include "platform/EventPump.h"
#include "platform/Platform.h"
#include "tracker/DayTracker.h"
#include "tracker/DaysAhead.h"
#include "tracker/ParallelDays.h"
#include "tracker/TrackerFiles.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>

namespace larkspan::tracker {

namespace {

// Workers publish their line counts and test the stop flag this often.
constexpr long long kLinesBetweenChecks = 2048;
// The calling thread's builds look at the clock this often (a power of two).
constexpr long long kLinesBetweenPolls = 64;
// The day files built at once add up to at most this many bytes: a day's
// tables take about half its file's size, and each worker's allocator keeps
// what its biggest day took, so the number of workers is cut to what the
// biggest day allows.
constexpr std::uint64_t kDayBytesAtOnce = std::uint64_t{64} << 20;
// Day files are read in blocks this large: a reader's buffer is made (and
// cleared) for every day, and a smaller one also stays in the cache.
constexpr std::size_t kDayReadBlock = std::size_t{256} << 10;

// Feeds the day file's lines to a tracker; goOn() is asked after every
// line and ends the reading early when it says no. False when the file
// cannot be opened (errno kept) or reading was ended early. The tracker
// finds each line's end in the bytes read; a line of kMaxLine bytes
// without one is cut there, and the rest of it skipped, as the import's
// reading cuts it.
template <typename GoOn> bool trackDayFile(const std::string& dayFile, DayTracker& day, GoOn goOn)
{
    LineReader reader(kDayReadBlock);
    if (!reader.open(dayFile)) return false;
    std::error_code sizeUnknown;
    const auto size = std::filesystem::file_size(dayFile, sizeUnknown);
    if (!sizeUnknown) day.reserveFor(static_cast<std::size_t>(size));
    constexpr std::size_t kMaxLine = LineReader::kDefaultMaxLine;
    bool more = reader.readMore();
    bool skipping = false; // the rest of a line cut short
    for (;;) {
        const std::string_view text = reader.unread();
        if (skipping) {
            const std::size_t lineFeed = text.find('\n');
            reader.take(lineFeed == std::string_view::npos ? text.size() : lineFeed + 1);
            skipping = lineFeed == std::string_view::npos;
            if (!skipping) continue;
        } else if (std::size_t taken = day.takeLine(text, false)) {
            reader.take(taken);
            if (!goOn()) return false;
            continue;
        } else if (text.size() >= kMaxLine || (!more && !text.empty())) {
            // A line without its end: the file's last, or one cut short.
            taken = day.takeLine(text.substr(0, kMaxLine), true);
            reader.take(taken);
            skipping = text.size() >= kMaxLine;
            if (!goOn()) return false;
            continue;
        }
        if (!more) return true;
        more = reader.readMore();
    }
}

// Writes the day's tracker files beside their places, each under a name
// only this web's import run uses (what a killed run left there is
// removed then, or by the next run's recovery).
void stageDay(const std::string& dayFile, const DayTracker& day, DayOutcome& outcome)
{
    const auto stage = [](const std::string& path) {
        return StagedFile::at(path, path + ImportJournal::kStagedSuffix);
    };
    outcome.summary = stage(summaryPathFor(dayFile));
    day.writeSummary(outcome.summary);
    outcome.summary.finish();
    outcome.detail = stage(detailPathFor(dayFile));
    day.writeDetail(outcome.detail);
    outcome.detail.finish();
}

// Builds a day on a worker thread and stages its files; publishes the lines
// it reads and stops early once stop is set.
DayOutcome buildAndStage(const std::string& dayFile, DayTracker& day, const std::atomic<bool>& stop,
                         std::atomic<long long>& lines)
{
    DayOutcome outcome;
    long long unpublished = 0;
    const bool read = trackDayFile(dayFile, day, [&] {
        if (++unpublished < kLinesBetweenChecks) return true;
        lines.fetch_add(unpublished, std::memory_order_relaxed);
        unpublished = 0;
        return !stop.load(std::memory_order_relaxed);
    });
    lines.fetch_add(unpublished, std::memory_order_relaxed);
    if (stop.load(std::memory_order_relaxed)) return outcome;
    if (!read) {
        outcome.unreadable = true;
        outcome.openError = errno;
        return outcome;
    }
    stageDay(dayFile, day, outcome);
    return outcome;
}

// The same, with the tables the worker's last day left, which it leaves in
// turn to the worker's next day.
DayOutcome buildOnWorker(const BuildHostNames& hosts, const std::string& dayFile, DayTracker::Buffers& buffers,
                         const std::atomic<bool>& stop, std::atomic<long long>& lines)
{
    DayTracker day(hosts, std::move(buffers));
    DayOutcome outcome = buildAndStage(dayFile, day, stop, lines);
    buffers = day.releaseBuffers();
    return outcome;
}

// As many workers as there are threads, but no more than days of the
// biggest size fit in kDayBytesAtOnce (at least one).
unsigned workersFor(const std::vector<std::string>& dayFiles, unsigned threads)
{
    std::uint64_t biggest = 1;
    for (const std::string& file : dayFiles) {
        std::error_code unknown;
        const auto size = std::filesystem::file_size(file, unknown);
        if (!unknown) biggest = std::max<std::uint64_t>(biggest, size);
    }
    const std::uint64_t fit = std::max<std::uint64_t>(1, kDayBytesAtOnce / biggest);
    return static_cast<unsigned>(std::min<std::uint64_t>(threads, fit));
}

} // namespace

TrackerDatabase::TrackerDatabase(Platform& platform, std::string syssFolder, std::chrono::milliseconds pumpInterval,
                                 unsigned threads)
    : platform_(platform), hosts_(std::move(syssFolder)), pumpInterval_(pumpInterval),
      threads_(threads == 0 ? workerThreadCount() : threads)
{
}

TrackerDatabase::~TrackerDatabase() = default;

void TrackerDatabase::openCache(const std::string& webFolder, const std::string& web)
{
    linesRead_ = 0;
    const std::string cache = webCachePath(webFolder, web);
    // The days built ahead named their clients from the cache as it was
    // loaded then; the others do too.
    if (aheadCache_ == cache) return;
    dropAhead();
    hosts_.open(cache);
}

void TrackerDatabase::startAhead(const std::string& webFolder, const std::string& web)
{
    dropAhead();
    if (threads_ < 2) return;
    aheadCache_ = webCachePath(webFolder, web);
    hosts_.open(aheadCache_);
    ahead_ = std::make_unique<DaysAhead>(
        [this](const std::string& dayFile, DayTracker::Buffers& buffers, const std::atomic<bool>& stop,
               std::atomic<long long>& lines) { return buildOnWorker(hosts_, dayFile, buffers, stop, lines); });
}

void TrackerDatabase::buildAhead(const std::vector<std::string>& dayFiles)
{
    if (!ahead_) return;
    // A day too big to build beside the import waits for the step.
    std::vector<std::string> days;
    for (const std::string& file : dayFiles) {
        std::error_code unknown;
        const auto size = std::filesystem::file_size(file, unknown);
        if (!unknown && size <= kDayBytesAtOnce) days.push_back(file);
    }
    ahead_->add(days);
}

void TrackerDatabase::daysWritten(const std::vector<std::string>& dayFiles)
{
    if (ahead_) ahead_->written(dayFiles);
}

void TrackerDatabase::dropAhead()
{
    ahead_.reset();
    aheadCache_.clear();
}

void TrackerDatabase::unreadable(const std::string& dayFile, int code)
{
    platform_.messages.show(MessageKind::Error, "File Access Error : " + std::to_string(code));
    throw Error("The day file " + dayFile + " cannot be read.");
}

void TrackerDatabase::cannotWrite(const std::string& dayFile, const StagedFile& file)
{
    platform_.messages.show(MessageKind::Error, "Unable to create file " + file.path());
    throw Error("The session tracker files of the day file " + dayFile + " cannot be written.");
}

void TrackerDatabase::commit(const std::string& dayFile, DayOutcome& outcome)
{
    // Neither file is put in place unless both were written whole, so a
    // day's summary and detail files stay a pair.
    for (const StagedFile* file : {&outcome.summary, &outcome.detail})
        if (!file->good()) cannotWrite(dayFile, *file);
    for (StagedFile* file : {&outcome.summary, &outcome.detail})
        if (!file->commit()) cannotWrite(dayFile, *file);
}

bool TrackerDatabase::buildDay(const std::string& dayFile, const TrackerProgress& progress)
{
    if (platform_.cancel.requested()) return false;
    ThrottledPump pump(platform_.pump, pumpInterval_);
    DayTracker day(hosts_);
    bool cancelled = false;
    // The clock is read every few lines only: reading it costs more than a
    // line's tracking. A zero interval asks for every line.
    const long long pollMask = pumpInterval_ > std::chrono::milliseconds(0) ? kLinesBetweenPolls - 1 : 0;
    const bool read = trackDayFile(dayFile, day, [&] {
        ++linesRead_;
        if ((linesRead_ & pollMask) == 0 && pump.poll() && progress) progress(linesRead_);
        cancelled = platform_.cancel.requested();
        return !cancelled;
    });
    if (cancelled) return false;
    if (!read) unreadable(dayFile, errno);
    DayOutcome outcome;
    stageDay(dayFile, day, outcome);
    commit(dayFile, outcome);
    if (progress) progress(linesRead_);
    return true;
}

bool TrackerDatabase::buildDays(const std::vector<std::string>& dayFiles, const TrackerStepProgress& progress)
{
    std::unordered_map<std::string, BuiltDay> built;
    DayTracker::Buffers aheadBuffers;
    if (ahead_) {
        built = ahead_->finish();
        aheadBuffers = ahead_->takeBuffers();
    }
    ahead_.reset();
    // Workers only for the days left to build: the import's memory is
    // still held when they start.
    std::vector<std::string> left;
    for (const std::string& day : dayFiles)
        if (!built.contains(day)) left.push_back(day);
    const unsigned workers = left.size() <= 1 ? 1 : workersFor(left, threads_);
    if (workers <= 1 && built.empty()) return SessionTrackerBuilder::buildDays(dayFiles, progress);
    const long long linesBefore = linesRead_;
    std::vector<DayTracker::Buffers> buffers(workers);
    buffers[0] = std::move(aheadBuffers);
    // Each day is taken by one worker only, so the days built ahead are
    // moved out of the table without a lock.
    ParallelDays days(
        dayFiles.size(), workers,
        [&](std::size_t index, unsigned worker, const std::atomic<bool>& stop, std::atomic<long long>& lines) {
            if (const auto found = built.find(dayFiles[index]); found != built.end()) {
                lines.fetch_add(found->second.lines, std::memory_order_relaxed);
                return std::move(found->second.outcome);
            }
            return buildOnWorker(hosts_, dayFiles[index], buffers[worker], stop, lines);
        });
    ThrottledPump pump(platform_.pump, pumpInterval_);
    TrackerStep step;
    for (; step.day < dayFiles.size(); ++step.day) {
        progress(step);
        if (pump.poll()) progress(step);
        if (platform_.cancel.requested()) return false;
        while (!days.waitFor(step.day, pumpInterval_ > std::chrono::milliseconds(0) ? pumpInterval_
                                                                                    : std::chrono::milliseconds(1))) {
            step.linesRead = linesBefore + days.linesRead();
            if (pump.poll()) progress(step);
            if (platform_.cancel.requested()) return false;
        }
        DayOutcome outcome = days.take(step.day);
        if (platform_.cancel.requested()) return false;
        if (outcome.failure) std::rethrow_exception(outcome.failure);
        if (outcome.unreadable) unreadable(dayFiles[step.day], outcome.openError);
        commit(dayFiles[step.day], outcome);
        ++step.daysDone;
        step.linesRead = linesBefore + days.linesRead();
        progress(step);
    }
    linesRead_ = linesBefore + days.linesRead();
    return true;
}

void TrackerDatabase::closeCache()
{
    dropAhead();
    hosts_.close();
}

} // namespace larkspan::tracker
