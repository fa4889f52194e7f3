#pragma once

#include <functional>
#include <string>

namespace larkspan {

// Told the number of lines the tracker step has read so far.
using TrackerProgress = std::function<void(long long linesRead)>;

// The session tracker build at the end of an import run: the host name
// cache is opened for the web, each day file the run wrote is built in
// turn, and the cache is written back.
class SessionTrackerBuilder {
public:
    virtual ~SessionTrackerBuilder() = default;
    virtual void openCache(const std::string& webFolder, const std::string& web) = 0;
    // Builds the tracker files of one day file. Returns false when the
    // operator cancelled (the day's files are then left as they were);
    // throws Error when the day file cannot be read.
    virtual bool buildDay(const std::string& dayFile, const TrackerProgress& progress) = 0;
    virtual void closeCache() = 0;
};

}  // namespace larkspan
