#include "tracker/ParallelDays.h"

namespace larkspan::tracker {

ParallelDays::ParallelDays(std::size_t days, unsigned threads, ReadDay readDay)
    : days_(days), window_(2 * static_cast<std::size_t>(threads)), readDay_(std::move(readDay)), outcomes_(days),
      ready_(days, false)
{
    workers_.reserve(threads);
    for (unsigned i = 0; i < threads; ++i)
        workers_.emplace_back([this, i] { work(i); });
}

ParallelDays::~ParallelDays()
{
    stop();
}

void ParallelDays::work(unsigned worker)
{
    for (;;) {
        std::size_t day = 0;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return stop_ || next_ >= days_ || next_ < taken_ + window_; });
            if (stop_ || next_ >= days_) return;
            day = next_++;
        }
        DayOutcome outcome;
        try {
            outcome = readDay_(day, worker, stop_, linesRead_);
        } catch (...) {
            outcome.failure = std::current_exception();
        }
        {
            std::lock_guard lock(mutex_);
            outcomes_[day] = std::move(outcome);
            ready_[day] = true;
        }
        changed_.notify_all();
    }
}

bool ParallelDays::waitFor(std::size_t day, std::chrono::milliseconds wait)
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, wait, [&] { return static_cast<bool>(ready_[day]); });
}

DayOutcome ParallelDays::take(std::size_t day)
{
    DayOutcome outcome;
    {
        std::lock_guard lock(mutex_);
        outcome = std::move(outcomes_[day]);
        outcomes_[day] = DayOutcome{};
        taken_ = day + 1;
    }
    changed_.notify_all();
    return outcome;
}

void ParallelDays::stop()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    for (std::thread& worker : workers_)
        if (worker.joinable()) worker.join();
}

} // namespace larkspan::tracker
