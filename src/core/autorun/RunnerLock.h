#pragma once

#include "settings/FileLock.h"

#include <string>

namespace larkspan::autorun {

// One runner per data directory, whichever program runs it: the lock file
// "Schedule.lock" in the data directory, held while autorun is on.
class RunnerLock {
  public:
    explicit RunnerLock(const std::string& dataDirectory);

    // True when this runner now holds the lock; never waits.
    bool acquire() { return lock_.acquire(); }
    void release() { lock_.release(); }
    const std::string& path() const { return path_; }
    // Why a second runner does not start.
    std::string refusal() const;

  private:
    std::string dataDirectory_;
    std::string path_;
    FileLock lock_;
};

} // namespace larkspan::autorun
