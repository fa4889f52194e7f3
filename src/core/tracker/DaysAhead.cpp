#include "tracker/DaysAhead.h"

#include <optional>

namespace larkspan::tracker {

DaysAhead::DaysAhead(Build build) : build_(std::move(build))
{
    worker_ = std::thread([this] { work(); });
}

DaysAhead::~DaysAhead()
{
    stop_ = true;
    stopWorker();
}

void DaysAhead::add(const std::vector<std::string>& dayFiles)
{
    {
        std::lock_guard lock(mutex_);
        for (const std::string& day : dayFiles)
            if (queued_.insert(day).second) queue_.push_back(day);
    }
    changed_.notify_all();
}

void DaysAhead::written(const std::vector<std::string>& dayFiles)
{
    std::lock_guard lock(mutex_);
    ++writes_;
    for (const std::string& day : dayFiles)
        lastWrite_[day] = writes_;
}

void DaysAhead::stopWorker()
{
    {
        std::lock_guard lock(mutex_);
        finishing_ = true;
    }
    changed_.notify_all();
    if (worker_.joinable()) worker_.join();
}

std::unordered_map<std::string, BuiltDay> DaysAhead::finish()
{
    stopWorker();
    std::unordered_map<std::string, BuiltDay> usable;
    for (auto& [day, attempt] : built_) {
        const auto lastWrite = lastWrite_.find(day);
        const bool current = lastWrite == lastWrite_.end() || lastWrite->second <= attempt.writesBefore;
        const DayOutcome& outcome = attempt.day.outcome;
        const bool whole = !outcome.failure && !outcome.unreadable && outcome.summary.good() && outcome.detail.good();
        if (current && whole) usable.emplace(day, std::move(attempt.day));
    }
    built_.clear();
    return usable;
}

void DaysAhead::work()
{
    for (;;) {
        std::string day;
        Attempt attempt;
        std::optional<Attempt> earlier;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return finishing_ || !queue_.empty(); });
            if (finishing_) return;
            day = std::move(queue_.front());
            queue_.pop_front();
            queued_.erase(day);
            if (const auto found = built_.find(day); found != built_.end()) {
                earlier = std::move(found->second);
                built_.erase(found);
            }
            attempt.writesBefore = writes_;
        }
        // The earlier build's staged files go before the day is staged again.
        earlier.reset();
        std::atomic<long long> lines{0};
        try {
            attempt.day.outcome = build_(day, buffers_, stop_, lines);
        } catch (...) {
            attempt.day.outcome.failure = std::current_exception();
        }
        attempt.day.lines = lines.load(std::memory_order_relaxed);
        std::lock_guard lock(mutex_);
        if (stop_) return;
        built_.emplace(std::move(day), std::move(attempt));
    }
}

} // namespace larkspan::tracker
