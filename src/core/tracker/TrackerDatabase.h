#pragma once

#include "import/SessionTracker.h"
#include "tracker/HostNameCache.h"

#include <chrono>
#include <memory>
#include <string>

namespace larkspan {

struct Platform;
class StagedFile;

namespace tracker {

struct DayOutcome;
class DaysAhead;

// The session tracker step of an import run: for each day file the run
// wrote, reads it once and replaces its ".lkmus" and ".lkdus" files
// (TrackerFiles.h), naming clients from the host name cache. Several days
// are read and their new files written beside the old ones at once on
// worker threads; the files are put in place, messages shown and the pump
// run on the calling thread, day by day in order, so the outcome is the
// same as building the days one after another. A day's tables are dropped
// as soon as its files are written, so memory holds one day per thread.
// With two threads or more, days are also built ahead on one worker while
// the import goes on (DaysAhead), and the step puts in place those whose
// files the import has not written to since.
class TrackerDatabase : public SessionTrackerBuilder {
  public:
    // threads: 1 builds every day on the calling thread.
    TrackerDatabase(Platform& platform, std::string syssFolder,
                    std::chrono::milliseconds pumpInterval = std::chrono::milliseconds(50), unsigned threads = 0);
    ~TrackerDatabase() override;

    void openCache(const std::string& webFolder, const std::string& web) override;
    bool buildDay(const std::string& dayFile, const TrackerProgress& progress) override;
    bool buildDays(const std::vector<std::string>& dayFiles, const TrackerStepProgress& progress) override;
    void closeCache() override;
    void startAhead(const std::string& webFolder, const std::string& web) override;
    void buildAhead(const std::vector<std::string>& dayFiles) override;
    void daysWritten(const std::vector<std::string>& dayFiles) override;
    void dropAhead() override;

  private:
    [[noreturn]] void unreadable(const std::string& dayFile, int code);
    // Puts a day's staged files in place. A file that could not be written
    // or put in place is named, and the run ends with a failure.
    void commit(const std::string& dayFile, DayOutcome& outcome);
    [[noreturn]] void cannotWrite(const std::string& dayFile, const StagedFile& file);

    Platform& platform_;
    BuildHostNames hosts_;
    std::chrono::milliseconds pumpInterval_;
    unsigned threads_;
    long long linesRead_ = 0;
    std::unique_ptr<DaysAhead> ahead_;
    std::string aheadCache_; // the web cache startAhead loaded, kept by openCache
};

} // namespace tracker
} // namespace larkspan
