#pragma once

#include "analysis/AnalysisResult.h"
#include "analysis/DayFiles.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace larkspan {
struct Platform;
class ThrottledPump;
} // namespace larkspan

namespace larkspan::analysis {

class RecordFilter;
class RobotSpotter;
class StatisticsTable;

// How every thread of a pass tallies a record.
struct TallySettings {
    const RecordFilter& filter;
    BucketMode mode;
    bool trackBySessions = false;
    const RobotSpotter* robots = nullptr; // each worker judges agents with its own copy
    bool noRobots = false;
    bool details = false;
    bool demographics = false;
};

// Where each run of consecutive days starts in a pass's file list: as many
// runs as threads (at most one per file), of about equal bytes. The first
// starts at 0.
std::vector<std::size_t> splitDays(const std::vector<DayFile>& files, unsigned threads);

// Tallies every run of days but the first on a worker thread of its own
// while the calling thread reads the first run; finish() then adds the runs
// to the pass's table in day order, exactly as one reading of every day
// would have filled it. Destroying it stops and joins the workers.
class DayWorkers {
  public:
    DayWorkers(const TallySettings& settings, const std::vector<DayFile>& files,
               const std::vector<std::size_t>& starts);
    ~DayWorkers();
    DayWorkers(const DayWorkers&) = delete;
    DayWorkers& operator=(const DayWorkers&) = delete;

    // Files the workers have finished, for the progress bar.
    long long filesDone() const;

    // Waits for each run in order, pumping events and keeping the progress
    // up to date, and merges it into table; writeDay gets each day's
    // demographic lines in order. fieldNames is the field list in force
    // after the first run. Returns false when the operator cancelled.
    // A day file a worker could not open is reported as the single reading
    // would have reported it (after the days before it were written).
    bool finish(Platform& platform, ThrottledPump& pump, StatisticsTable& table,
                const std::vector<std::string>& fieldNames, const std::function<void(const std::string&)>& writeDay,
                AnalysisResult& result, long long firstRunFiles);

  private:
    struct Run;

    void work(Run& run);
    bool waitFor(Run& run, Platform& platform, ThrottledPump& pump, const AnalysisResult& result,
                 long long firstRunFiles);
    void stopAll();

    const TallySettings& settings_;
    long long totalFiles_ = 0;
    std::vector<std::unique_ptr<Run>> runs_;
    std::vector<std::thread> threads_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::condition_variable finished_;
};

} // namespace larkspan::analysis
