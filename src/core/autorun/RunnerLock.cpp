#include "autorun/RunnerLock.h"

#include <limits>

namespace larkspan::autorun {

namespace {
// A runner holds its lock for days: the lock never counts as left over
// by age.
constexpr int kNeverStale = std::numeric_limits<int>::max() / 2;
} // namespace

RunnerLock::RunnerLock(const std::string& dataDirectory)
    : dataDirectory_(dataDirectory), path_(dataDirectory + "Schedule.lock"), lock_(path_, 0, kNeverStale)
{
}

std::string RunnerLock::refusal() const
{
    return "Autorun is already running for the data directory " + dataDirectory_ + " (lock file " + path_ +
           "). Quit that autorun first; if none is running, remove the lock file.";
}

} // namespace larkspan::autorun
