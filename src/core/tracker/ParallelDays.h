#pragma once

#include "common/StagedFile.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace larkspan::tracker {

// What reading one day file gave: its two files, written and waiting to be
// put in place, or why it failed.
struct DayOutcome {
    StagedFile summary;
    StagedFile detail;
    bool unreadable = false;    // the file could not be opened
    int openError = 0;          // and errno then
    std::exception_ptr failure; // anything else that went wrong
};

// Reads days on worker threads and hands them back in order. At most a
// window of days past the one the caller waits for is read ahead, so the
// files waiting stay few whatever the number of days. Workers test the stop
// flag every few thousand lines.
class ParallelDays {
  public:
    // readDay(index, worker, stop, linesRead) reads one day on the worker
    // numbered worker (from 0: what a worker keeps between its days is its
    // own); it must stop early (with any outcome) once stop is set, and add
    // the lines it reads to linesRead as it goes.
    using ReadDay = std::function<DayOutcome(std::size_t, unsigned, const std::atomic<bool>&, std::atomic<long long>&)>;

    ParallelDays(std::size_t days, unsigned threads, ReadDay readDay);
    ~ParallelDays();
    ParallelDays(const ParallelDays&) = delete;
    ParallelDays& operator=(const ParallelDays&) = delete;

    // Waits at most `wait` for the day's outcome; true when it is ready.
    // Days are taken in order, each once.
    bool waitFor(std::size_t day, std::chrono::milliseconds wait);
    DayOutcome take(std::size_t day);
    long long linesRead() const { return linesRead_.load(std::memory_order_relaxed); }
    // Stops the workers and waits for them; days not taken are dropped.
    void stop();

  private:
    void work(unsigned worker);

    std::size_t days_;
    std::size_t window_;
    ReadDay readDay_;
    std::vector<DayOutcome> outcomes_;
    std::vector<bool> ready_;
    std::size_t next_ = 0;  // the next day a worker starts
    std::size_t taken_ = 0; // days handed back
    std::atomic<bool> stop_{false};
    std::atomic<long long> linesRead_{0};
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::thread> workers_;
};

} // namespace larkspan::tracker
