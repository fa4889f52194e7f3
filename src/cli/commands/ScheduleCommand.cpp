#include "commands/ScheduleCommand.h"

#include "autorun/RunInterval.h"
#include "autorun/ScheduleEditing.h"
#include "autorun/ScheduleFiles.h"
#include "common/Error.h"
#include "common/ProgramFolder.h"
#include "common/Text.h"
#include "platform/Platform.h"
#include "webs/WebStore.h"

#include <ostream>

namespace larkspan {

std::string_view ScheduleCommand::usage() const
{
    return "show | set [--interval TEXT] [--webs A,B,...]\n"
           "show: the scheduled webs, the interval, when a run would come and the log file.\n"
           "set: replaces the interval and/or the scheduled webs (existing webs only; --webs \"\"\n"
           "empties the schedule). Intervals: 5 Minutes, 10 Minutes, 15 Minutes, 30 Minutes,\n"
           "Every Hour, Every 12 Hours, Daily, Weekly, Monthly (any case).";
}

namespace {

int show(CommandContext& context, const std::string& data, const std::vector<std::string>& existing)
{
    const std::string interval = autorun::readInterval(data).value_or("");
    std::ostream& out = context.out;
    out << "Data directory: " << data << '\n';
    out << "Interval: " << (interval.empty() ? "(none)" : interval) << '\n';
    if (const auto rule = autorun::findIntervalRule(interval)) {
        const auto next = autorun::nextRun(*rule, context.platform.clock.now());
        out << "First run if autorun starts now: " << autorun::logDate(next.at) << ' ' << autorun::logTime(next.at)
            << '\n';
    } else {
        out << "Nothing is scheduled: the interval is none of " << autorun::acceptedIntervals() << ".\n";
    }
    out << "Scheduled webs:\n";
    const auto webs = autorun::readScheduledWebs(data).value_or(std::vector<std::string>{});
    for (const std::string& web : webs) {
        if (web.empty()) continue;
        out << "  " << web << (autorun::containsWeb(existing, web) ? "" : " (no longer available)") << '\n';
    }
    out << "Log: " << autorun::logFile(data) << '\n';
    return kExitDone;
}

int set(CommandContext& context, const std::string& data, const std::vector<std::string>& existing, const Arguments& a)
{
    if (!a.has("interval") && !a.has("webs")) throw UsageError("Give --interval, --webs or both.");
    autorun::ScheduleEditing editing(context.platform.messages, data, existing);
    editing.open(!a.has("webs"));
    if (a.has("interval")) {
        const std::string interval = a.value("interval");
        if (!autorun::findIntervalRule(interval))
            throw UsageError("The interval \"" + interval + "\" is none of " + autorun::acceptedIntervals() + ".");
        editing.interval = interval;
    }
    if (a.has("webs")) {
        editing.clear();
        for (const std::string& part : text::split(a.value("webs"), ',')) {
            const std::string web = text::trim(part);
            if (web.empty()) continue;
            if (!autorun::containsWeb(existing, web)) throw Error("There is no web named " + web + ".");
            for (const std::string& name : existing)
                if (text::iequals(name, web)) editing.schedule(name);
        }
    }
    return editing.save() ? kExitDone : kExitFailed;
}

} // namespace

int ScheduleCommand::run(CommandContext& context, const std::vector<std::string>& args)
{
    const Arguments a(args, {"interval", "webs"}, {});
    a.requirePositionalCount(1, 1);
    const std::string& action = a.positionalAt(0, "show or set");
    const WebStore webs(context.settings, context.folder.homeWithSeparator());
    const std::string data = webs.dataDirectory();
    const std::vector<std::string> existing = webs.folderNames();
    if (action == "show") return show(context, data, existing);
    if (action == "set") return set(context, data, existing, a);
    throw UsageError("Unknown schedule action \"" + action + "\".");
}

} // namespace larkspan
