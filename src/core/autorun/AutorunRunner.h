#pragma once

#include "autorun/RunInterval.h"
#include "autorun/ScheduleLog.h"
#include "import/ImportRun.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace larkspan {
struct Platform;
}

namespace larkspan::autorun {

struct RunResult {
    int webs = 0;         // webs whose import was started
    int failed = 0;       // of those, the ones logged as "Failed."
    bool stopped = false; // the run ended early because a stop was asked for
};

// The autorun runner: reads the schedule, keeps the log and imports each
// scheduled web in turn. It owns no timer: the front end waits nextRun()
// ->timerMs and calls run(), so the desktop, the command line and the
// tests drive the same rules on their own clocks.
class AutorunRunner {
  public:
    // Imports one web unattended and tells how it ended.
    using WebImport = std::function<ImportOutcome(const std::string& web)>;

    AutorunRunner(Platform& platform, std::string dataDirectory, WebImport import);

    // Runner start: moves an oversized log to the trash, reads the interval
    // and the web list (each on its own: a missing file leaves that part
    // empty), logs the header and works out the next run. Throws Error when
    // the log cannot be written; nothing is scheduled then.
    void start();

    // One run: every scheduled web in order, each logged and saved; a failed
    // import is logged and the run goes on. stopRequested is asked after
    // each web; when it answers true the run ends there and says so in the
    // log. Afterwards the next run is worked out afresh. Throws Error when
    // the log cannot be written; nothing is scheduled then.
    RunResult run(const std::function<bool()>& stopRequested = {});

    const std::string& interval() const { return interval_; }
    const std::vector<std::string>& webs() const { return webs_; }
    // The next run; nullopt when the interval names no rule.
    const std::optional<NextRun>& next() const { return next_; }
    // The tray hint: the next run, or that no import is scheduled.
    const std::string& nextRunText() const { return nextRunText_; }
    const ScheduleLog& log() const { return log_; }

  private:
    void addHeader();
    void importOne(const std::string& web, RunResult& result);
    void scheduleNext();

    Platform& platform_;
    std::string dataDirectory_;
    WebImport import_;
    ScheduleLog log_;
    std::string interval_;
    std::vector<std::string> webs_;
    LocalDateTime startedAt_;
    std::optional<NextRun> next_;
    std::string nextRunText_ = kNotScheduledText;
};

// "H Hour(s) M Minute(s) S Second(s) MS Millisecond(s) " for the time
// between two clock readings (a later day counts its whole days).
std::string elapsedText(const LocalDateTime& from, const LocalDateTime& to);

} // namespace larkspan::autorun
