#include "autorun/RunnerLock.h"

namespace larkspan::autorun {

// The lock dies with the runner that holds it, however long it ran.
RunnerLock::RunnerLock(const std::string& dataDirectory)
    : dataDirectory_(dataDirectory), path_(dataDirectory + "Schedule.lock"), lock_(path_, 0)
{
}

std::string RunnerLock::refusal() const
{
    return "Autorun is already running for the data directory " + dataDirectory_ + " (lock file " + path_ +
           "). Quit that autorun first.";
}

} // namespace larkspan::autorun
