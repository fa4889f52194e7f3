#include "tracker/ParallelDays.h"

#include <gtest/gtest.h>

#include <thread>

namespace larkspan::tracker {
namespace {

// Days that take different times on four threads come back in order, each
// once, with every line counted.
TEST(ParallelDays, DaysComeBackInOrderEachOnce)
{
    const std::size_t count = 40;
    std::vector<std::atomic<int>> reads(count);
    ParallelDays days(count, 4,
                      [&](std::size_t day, unsigned, const std::atomic<bool>&, std::atomic<long long>& lines) {
                          ++reads[day];
                          std::this_thread::sleep_for(std::chrono::microseconds(day % 3 == 0 ? 3000 : 100));
                          lines.fetch_add(static_cast<long long>(day));
                          DayOutcome outcome;
                          outcome.openError = static_cast<int>(day);
                          return outcome;
                      });
    for (std::size_t day = 0; day < count; ++day) {
        while (!days.waitFor(day, std::chrono::milliseconds(50))) {
        }
        EXPECT_EQ(days.take(day).openError, static_cast<int>(day));
    }
    days.stop();
    EXPECT_EQ(days.linesRead(), static_cast<long long>(count * (count - 1) / 2));
    for (std::size_t day = 0; day < count; ++day)
        EXPECT_EQ(reads[day].load(), 1) << day;
}

// Stopped with days under way and days never begun: it returns, and the
// days read ahead are dropped.
TEST(ParallelDays, StopEndsTheWorkersWhateverIsUnderWay)
{
    std::atomic<int> begun{0};
    ParallelDays days(100, 3, [&](std::size_t, unsigned, const std::atomic<bool>& stop, std::atomic<long long>&) {
        ++begun;
        while (!stop.load())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return DayOutcome{};
    });
    while (begun.load() < 3)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    days.stop();
    EXPECT_EQ(begun.load(), 3);
}

} // namespace
} // namespace larkspan::tracker
