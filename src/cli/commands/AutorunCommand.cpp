#include "commands/AutorunCommand.h"

#include "autorun/AutorunRunner.h"
#include "autorun/RunnerLock.h"
#include "commands/OfferedImport.h"
#include "common/Error.h"
#include "common/ProgramFolder.h"
#include "platform/Platform.h"
#include "webs/WebStore.h"

#include <chrono>
#include <csignal>
#include <ostream>
#include <thread>

namespace larkspan {

std::string_view AutorunCommand::usage() const
{
    return "[--once]\n"
           "Imports every web of the autorun schedule (see \"schedule\") unattended and logs each run in\n"
           "Schedule.log in the data directory. --once: one run now, then exit with status 1 when any\n"
           "web failed (for cron or a systemd timer). Without it the runner stays in the foreground and\n"
           "runs on the schedule's interval until interrupted (Ctrl-C or SIGTERM ends it after the\n"
           "current web). Only one runner per data directory runs at a time.";
}

namespace {

volatile std::sig_atomic_t stopSignal = 0;

extern "C" void requestStop(int)
{
    stopSignal = 1;
}

// SIGINT and SIGTERM ask the runner to stop between webs while it lives.
class StopOnSignals {
  public:
    StopOnSignals()
    {
        stopSignal = 0;
        previousInt_ = std::signal(SIGINT, requestStop);
        previousTerm_ = std::signal(SIGTERM, requestStop);
    }
    ~StopOnSignals()
    {
        std::signal(SIGINT, previousInt_);
        std::signal(SIGTERM, previousTerm_);
    }
    bool requested() const { return stopSignal != 0; }

  private:
    void (*previousInt_)(int);
    void (*previousTerm_)(int);
};

// Sleeps until the run is due; false when a stop came first.
bool waitFor(long long ms, const StopOnSignals& signals)
{
    const auto due = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!signals.requested()) {
        const auto left = due - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero()) return true;
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(left, std::chrono::milliseconds(200)));
    }
    return false;
}

std::string lastLine(const std::string& text)
{
    return text.substr(text.rfind('\n') + 1);
}

void report(std::ostream& out, const autorun::RunResult& result)
{
    out << "Imported " << result.webs - result.failed << " of " << result.webs << " scheduled web(s)";
    if (result.failed > 0) out << "; " << result.failed << " failed (see the log)";
    out << ".\n";
}

} // namespace

int AutorunCommand::run(CommandContext& context, const std::vector<std::string>& args)
{
    const Arguments a(args, {}, {"once"});
    a.requirePositionalCount(0, 0);
    const std::string data = WebStore(context.settings, context.folder.homeWithSeparator()).dataDirectory();
    autorun::RunnerLock lock(data);
    if (!lock.acquire()) throw Error(lock.refusal());

    // Imports run unattended: no "Import Complete", no "no files" notices.
    context.platform.unattended = true;
    StopOnSignals signals;
    autorun::AutorunRunner runner(context.platform, data,
                                  [&context](const std::string& web) { return importWithoutWindow(context, web); });
    runner.start();
    const auto stop = [&signals] { return signals.requested(); };
    if (a.flag("once")) {
        const autorun::RunResult result = runner.run(stop);
        report(context.out, result);
        if (result.stopped) return kExitCancelled;
        return result.failed > 0 ? kExitFailed : kExitDone;
    }
    if (!runner.next())
        throw Error("Nothing is scheduled: the interval \"" + runner.interval() + "\" is none of " +
                    autorun::acceptedIntervals() + ". Set one with \"larkspan-cli schedule set --interval\".");
    int failedRuns = 0;
    while (runner.next()) {
        context.out << lastLine(runner.nextRunText()) << '\n' << std::flush;
        if (!waitFor(runner.next()->timerMs, signals)) break;
        const autorun::RunResult result = runner.run(stop);
        report(context.out, result);
        if (result.failed > 0) ++failedRuns;
        if (result.stopped) break;
    }
    context.out << "Autorun stopped.\n";
    return failedRuns > 0 ? kExitFailed : kExitDone;
}

} // namespace larkspan
