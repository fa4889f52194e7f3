#include "analysis/DayWorkers.h"

#include "analysis/DayFileReader.h"
#include "analysis/RecordTally.h"
#include "analysis/RobotSpotter.h"
#include "analysis/StatisticsTable.h"
#include "platform/Platform.h"

#include <chrono>
#include <exception>
#include <filesystem>
#include <optional>
#include <system_error>

namespace larkspan::analysis {

std::vector<std::size_t> splitDays(const std::vector<DayFile>& files, unsigned threads)
{
    std::vector<std::size_t> starts{0};
    const std::size_t runs = std::min<std::size_t>(threads, files.size());
    if (runs < 2) return starts;
    std::vector<std::uintmax_t> sizes;
    std::uintmax_t total = 0;
    for (const DayFile& file : files) {
        std::error_code ec;
        const std::uintmax_t size = std::filesystem::file_size(file.path, ec);
        sizes.push_back(ec ? 0 : size);
        total += sizes.back();
    }
    // A run ends once it holds its share of the bytes, leaving at least one
    // file for each run after it.
    std::uintmax_t sum = 0;
    for (std::size_t i = 0; i + 1 < files.size() && starts.size() < runs; ++i) {
        sum += sizes[i];
        const std::size_t runsLeft = runs - starts.size();
        const bool share =
            total > 0 ? sum * runs >= total * starts.size() : (i + 1) * runs >= files.size() * starts.size();
        if (share || files.size() - (i + 1) <= runsLeft) starts.push_back(i + 1);
    }
    return starts;
}

// One run of consecutive days and what its worker made of it.
struct DayWorkers::Run {
    std::vector<DayFile> files;
    StatisticsTable table;
    std::optional<RobotSpotter> robots;
    std::unique_ptr<RecordTally> tally;
    std::unique_ptr<DayFileReader> reader;
    std::vector<std::string> days; // each finished day's demographic lines
    std::atomic<long long> filesDone{0};
    std::atomic<long long> linesRead{0};
    std::atomic<long long> records{0};
    bool started = false;
    bool done = false; // guarded by the workers' mutex
    bool needsEarlierFields = false;
    std::optional<UnreadableDayFile> unreadable;
    std::exception_ptr failure;

    // A fresh start, knowing the field list or not.
    void prepare(const TallySettings& settings, const std::atomic<bool>& stop,
                 const std::vector<std::string>* fieldNames)
    {
        reader.reset();
        tally.reset();
        table.reset();
        table.keepJournal();
        robots.reset();
        if (settings.robots) robots.emplace(*settings.robots);
        tally = std::make_unique<RecordTally>(table, settings.filter, settings.mode, settings.trackBySessions);
        tally->keepTrafficDetails(robots ? &*robots : nullptr, settings.noRobots, settings.details);
        reader = std::make_unique<DayFileReader>(table, *tally, stop);
        if (fieldNames) reader->inheritFields(*fieldNames);
        days.clear();
        filesDone = 0;
        linesRead = 0;
        records = 0;
        done = false;
        needsEarlierFields = false;
    }
};

DayWorkers::DayWorkers(const TallySettings& settings, const std::vector<DayFile>& files,
                       const std::vector<std::size_t>& starts)
    : settings_(settings), totalFiles_(static_cast<long long>(files.size()))
{
    for (std::size_t i = 1; i < starts.size(); ++i) {
        auto run = std::make_unique<Run>();
        const std::size_t end = i + 1 < starts.size() ? starts[i + 1] : files.size();
        run->files.assign(files.begin() + static_cast<std::ptrdiff_t>(starts[i]),
                          files.begin() + static_cast<std::ptrdiff_t>(end));
        run->prepare(settings_, stop_, nullptr);
        runs_.push_back(std::move(run));
    }
    for (const auto& run : runs_) {
        try {
            threads_.emplace_back(&DayWorkers::work, this, std::ref(*run));
            run->started = true;
        } catch (const std::system_error&) {
            break; // no more threads: finish() reads the rest itself
        }
    }
}

DayWorkers::~DayWorkers()
{
    stopAll();
}

void DayWorkers::stopAll()
{
    stop_ = true;
    for (std::thread& thread : threads_)
        if (thread.joinable()) thread.join();
}

long long DayWorkers::filesDone() const
{
    long long n = 0;
    for (const auto& run : runs_)
        n += run->filesDone.load(std::memory_order_relaxed);
    return n;
}

void DayWorkers::work(Run& run)
{
    try {
        for (const DayFile& file : run.files) {
            if (stop_.load(std::memory_order_relaxed)) break;
            run.tally->startDay(file.day);
            if (!run.reader->read(file.path)) {
                run.needsEarlierFields = run.reader->needsEarlierFields();
                break;
            }
            const bool visitors = settings_.demographics && run.tally->hasVisitors();
            run.days.push_back(visitors ? run.tally->demographicLines() : std::string());
            run.tally->clearVisitors();
            run.linesRead.store(run.reader->linesRead(), std::memory_order_relaxed);
            run.records.store(run.tally->recordsProcessed(), std::memory_order_relaxed);
            run.filesDone.fetch_add(1, std::memory_order_relaxed);
        }
    } catch (const UnreadableDayFile& file) {
        run.unreadable = file;
    } catch (...) {
        run.failure = std::current_exception();
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        run.done = true;
    }
    finished_.notify_all();
}

bool DayWorkers::waitFor(Run& run, Platform& platform, ThrottledPump& pump, const AnalysisResult& result,
                         long long firstRunFiles)
{
    std::unique_lock<std::mutex> lock(mutex_);
    while (!run.done) {
        finished_.wait_for(lock, std::chrono::milliseconds(20));
        lock.unlock();
        if (pump.poll()) {
            if (platform.cancel.requested()) return false;
            long long lines = result.linesRead;
            long long records = result.recordsProcessed;
            for (const auto& other : runs_) {
                lines += other->linesRead.load(std::memory_order_relaxed);
                records += other->records.load(std::memory_order_relaxed);
            }
            platform.progress.setText(0, std::to_string(lines) + " Records read.  " + std::to_string(records) +
                                             " Records processed...");
            platform.progress.setBar(0, firstRunFiles + filesDone(), totalFiles_);
        }
        lock.lock();
    }
    return true;
}

bool DayWorkers::finish(Platform& platform, ThrottledPump& pump, StatisticsTable& table,
                        const std::vector<std::string>& fieldNames,
                        const std::function<void(const std::string&)>& writeDay, AnalysisResult& result,
                        long long firstRunFiles)
{
    // Progress counts the first run and every worker's run as it goes.
    const AnalysisResult firstRun = result;
    std::vector<std::string> fields = fieldNames;
    long long position = firstRunFiles;
    for (const auto& pointer : runs_) {
        Run& run = *pointer;
        if (!run.started) {
            work(run);
        } else if (!waitFor(run, platform, pump, firstRun, firstRunFiles)) {
            stopAll();
            return false;
        }
        // One pump per run at least, as the first run pumps once per file.
        pump.force();
        if (platform.cancel.requested()) {
            stopAll();
            return false;
        }
        if (run.needsEarlierFields) {
            // Its first day file begins with data lines that the field list
            // of the days before governs: read the run again knowing it.
            run.prepare(settings_, stop_, &fields);
            work(run);
        }
        for (const std::string& day : run.days)
            if (!day.empty()) writeDay(day);
        if (run.unreadable) {
            stopAll();
            DayFileReader::reportUnreadable(platform, *run.unreadable);
        }
        if (run.failure) {
            stopAll();
            std::rethrow_exception(run.failure);
        }
        table.mergeFrom(run.table);
        result.linesRead += run.reader->linesRead();
        result.recordsProcessed = table.recordsProcessed();
        fields = run.reader->fieldNames();
        position += static_cast<long long>(run.files.size());
        platform.progress.setBar(0, position, totalFiles_);
    }
    return true;
}

} // namespace larkspan::analysis
