#include "autorun/AutorunRunner.h"

#include "autorun/ScheduleFiles.h"
#include "common/Error.h"
#include "platform/Platform.h"

namespace larkspan::autorun {

namespace {

std::string on(const LocalDateTime& at)
{
    return logDate(at) + " at " + logTime(at);
}

long long msBetween(const LocalDateTime& from, const LocalDateTime& to)
{
    auto ms = [](const LocalDateTime& at) {
        return ((dayNumber(at.date) * 24LL + at.hour) * 3600LL + at.minute * 60LL + at.second) * 1000LL +
               at.millisecond;
    };
    return std::max(0LL, ms(to) - ms(from));
}

} // namespace

std::string elapsedText(const LocalDateTime& from, const LocalDateTime& to)
{
    const long long total = msBetween(from, to);
    const long long hours = total / 3'600'000;
    const long long minutes = total / 60'000 % 60;
    const long long seconds = total / 1000 % 60;
    const long long ms = total % 1000;
    return std::to_string(hours) + " Hour(s) " + std::to_string(minutes) + " Minute(s) " + std::to_string(seconds) +
           " Second(s) " + std::to_string(ms) + " Millisecond(s) ";
}

AutorunRunner::AutorunRunner(Platform& platform, std::string dataDirectory, WebImport import)
    : platform_(platform), dataDirectory_(std::move(dataDirectory)), import_(std::move(import)),
      log_(logFile(dataDirectory_))
{
}

void AutorunRunner::start()
{
    log_.rotateIfOversized(platform_.shell);
    interval_ = readInterval(dataDirectory_).value_or("");
    webs_ = readScheduledWebs(dataDirectory_).value_or(std::vector<std::string>{});
    startedAt_ = platform_.clock.now();
    addHeader();
    next_.reset();
    nextRunText_ = kNotScheduledText;
    log_.save();
    scheduleNext();
}

void AutorunRunner::addHeader()
{
    log_.add("");
    log_.add(ScheduleLog::kRule);
    log_.add("Larkspan Kite - Autorun Log");
    log_.add(ScheduleLog::kRule);
    log_.add("Scheduled Run Interval : " + interval_);
    log_.add("Scheduled Web List : ");
    for (const std::string& web : webs_)
        log_.add(web);
    log_.add(ScheduleLog::kRule);
    log_.add("Autorun Started on " + on(startedAt_));
    log_.add("");
}

void AutorunRunner::scheduleNext()
{
    next_.reset();
    nextRunText_ = kNotScheduledText;
    if (const auto rule = findIntervalRule(interval_)) {
        next_ = nextRun(*rule, platform_.clock.now());
        nextRunText_ = autorun::nextRunText(next_->at);
    }
}

RunResult AutorunRunner::run(const std::function<bool()>& stopRequested)
{
    next_.reset();
    nextRunText_ = kNotScheduledText;
    // A runner that stays up for weeks keeps its log bounded too; the
    // fresh log starts with the header.
    if (log_.rotateIfOversized(platform_.shell)) addHeader();
    RunResult result;
    const LocalDateTime started = platform_.clock.now();
    log_.add("Autorun Import Started on " + on(started));
    log_.add("");
    for (const std::string& web : webs_) {
        if (web.empty()) continue;
        importOne(web, result);
        log_.save();
        if (stopRequested && stopRequested()) {
            result.stopped = true;
            break;
        }
    }
    const LocalDateTime ended = platform_.clock.now();
    log_.add("Total Elapsed Time : " + elapsedText(started, ended));
    log_.add((result.stopped ? "Autorun Import Stopped on " : "Autorun Import Completed on ") + on(ended));
    log_.add(ScheduleLog::kRule);
    log_.add("");
    log_.save();
    if (!result.stopped) scheduleNext();
    return result;
}

void AutorunRunner::importOne(const std::string& web, RunResult& result)
{
    ++result.webs;
    const LocalDateTime started = platform_.clock.now();
    log_.add("  Import of Web: " + web + " started at: " + logTime(started));
    ImportOutcome outcome = ImportOutcome::Failed;
    try {
        outcome = import_(web);
    } catch (const Cancelled&) {
        outcome = ImportOutcome::Cancelled;
    } catch (const std::exception&) {
        outcome = ImportOutcome::Failed;
    }
    if (outcome == ImportOutcome::Failed) {
        ++result.failed;
        log_.add("  **Import of Web: " + web + " Failed.");
    }
    const LocalDateTime ended = platform_.clock.now();
    log_.add("  Elapsed Time: " + elapsedText(started, ended));
    log_.add("  Import of Web: " + web + " completed at: " + logTime(ended));
    log_.add("");
}

} // namespace larkspan::autorun
