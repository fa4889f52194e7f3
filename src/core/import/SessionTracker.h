#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace larkspan {

// Told the number of lines the tracker step has read so far.
using TrackerProgress = std::function<void(long long linesRead)>;

// Where a build of several days stands: the day under way (an index into
// the day files), how many are done and the lines read so far.
struct TrackerStep {
    std::size_t day = 0;
    std::size_t daysDone = 0;
    long long linesRead = 0;
};
using TrackerStepProgress = std::function<void(const TrackerStep&)>;

// The session tracker build at the end of an import run: the host name
// cache is opened for the web, each day file the run wrote is built in
// turn, and the cache is written back.
class SessionTrackerBuilder {
  public:
    virtual ~SessionTrackerBuilder() = default;
    virtual void openCache(const std::string& webFolder, const std::string& web) = 0;
    // Builds the tracker files of one day file. Returns false when the
    // operator cancelled (the day's files are then left as they were);
    // throws Error when the day file cannot be read or its tracker files
    // cannot be written.
    virtual bool buildDay(const std::string& dayFile, const TrackerProgress& progress) = 0;
    // Builds the day files in their order, as buildDay would one by one;
    // false when the operator cancelled (days not yet done keep their
    // files). A builder may read several days at once, but it writes them
    // in order and reports progress on the calling thread.
    virtual bool buildDays(const std::vector<std::string>& dayFiles, const TrackerStepProgress& progress)
    {
        TrackerStep step;
        for (; step.day < dayFiles.size(); ++step.day) {
            progress(step);
            const bool built = buildDay(dayFiles[step.day], [&](long long lines) {
                step.linesRead = lines;
                progress(step);
            });
            if (!built) return false;
            ++step.daysDone;
        }
        return true;
    }
    virtual void closeCache() = 0;

    // While the import goes on, days may be built ahead of the step, for
    // buildDays to take over. startAhead opens the web's cache for that
    // (openCache then keeps it as loaded); buildAhead hands over days no
    // source file is likely to write to again; daysWritten names the days
    // a source file wrote to, committed or rolled back, so that a build
    // begun before the write ended is not used; dropAhead drops whatever
    // was built and not used. A builder may build nothing ahead.
    virtual void startAhead(const std::string& webFolder, const std::string& web)
    {
        (void)webFolder;
        (void)web;
    }
    virtual void buildAhead(const std::vector<std::string>& dayFiles) { (void)dayFiles; }
    virtual void daysWritten(const std::vector<std::string>& dayFiles) { (void)dayFiles; }
    virtual void dropAhead() {}
};

} // namespace larkspan
