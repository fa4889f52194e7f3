#pragma once

#include "tracker/DayTracker.h"
#include "tracker/ParallelDays.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace larkspan::tracker {

// A day built ahead of the tracker step: its staged files and the lines read.
struct BuiltDay {
    DayOutcome outcome;
    long long lines = 0;
};

// Builds days on a worker thread while the import that writes them goes on,
// so that the tracker step at the end of the run finds most of them done.
// Days are built in the order handed over, once each unless handed over
// again, and staged beside their places, never put there. The import tells
// every day a source file wrote to (written); a day's build that began
// before such a write ended may have read the file part-way through it and
// is dropped.
class DaysAhead {
  public:
    // build(dayFile, buffers, stop, lines) builds one day as a worker of the
    // tracker step does, with the tables the last day left.
    using Build = std::function<DayOutcome(const std::string&, DayTracker::Buffers&, const std::atomic<bool>&,
                                           std::atomic<long long>&)>;

    explicit DaysAhead(Build build);
    // Stops the build under way; whatever was built is dropped.
    ~DaysAhead();
    DaysAhead(const DaysAhead&) = delete;
    DaysAhead& operator=(const DaysAhead&) = delete;

    void add(const std::vector<std::string>& dayFiles);
    void written(const std::vector<std::string>& dayFiles);
    // Lets the build under way end and stops the worker. Returns, by day
    // file, the days built whole and not written to since their build
    // began; the others' staged files are removed. Days not begun are left.
    std::unordered_map<std::string, BuiltDay> finish();
    // After finish: the tables the worker's last day left, for another
    // build to reuse.
    DayTracker::Buffers takeBuffers() { return std::move(buffers_); }

  private:
    struct Attempt {
        BuiltDay day;
        std::uint64_t writesBefore = 0; // written() calls ended when the build began
    };
    void work();
    void stopWorker();

    Build build_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::string> queue_;
    std::unordered_set<std::string> queued_;
    std::unordered_map<std::string, Attempt> built_;
    std::unordered_map<std::string, std::uint64_t> lastWrite_; // by day: the written() call that last named it
    std::uint64_t writes_ = 0;
    bool finishing_ = false;
    std::atomic<bool> stop_{false};
    DayTracker::Buffers buffers_; // the worker's
    std::thread worker_;
};

} // namespace larkspan::tracker
