#include "commands/SampleLogsCommand.h"

#include "Arguments.h"
#include "common/Text.h"
#include "platform/Platform.h"
#include "samples/SampleLogs.h"

#include <ostream>

namespace larkspan {

namespace {

long long boundedNumber(const Arguments& arguments, const std::string& option, long long fallback, long long low,
                        long long high)
{
    if (!arguments.has(option)) return fallback;
    long long value = 0;
    if (!text::parseInteger(arguments.value(option), value) || value < low || value > high)
        throw UsageError("The option --" + option + " needs a whole number from " + std::to_string(low) + " to " +
                         std::to_string(high) + ".");
    return value;
}

} // namespace

std::string_view SampleLogsCommand::usage() const
{
    static const std::string text =
        "DIR [--layout " + samples::layoutNames() +
        "]\n"
        "       [--days N] [--lines-per-day M] [--seed S] [--start yyyy-mm-dd] [--gzip]\n"
        "Writes one access log per day, access-yyyymmdd.log (.log.gz with --gzip), into DIR.\n"
        "The same seed gives the same files. Defaults: ncsa-combined, 7 days of 1000 lines,\n"
        "seed 1, ending yesterday. Ctrl-C cancels after the file under way (exit status 3).";
    return text;
}

int SampleLogsCommand::run(CommandContext& context, const std::vector<std::string>& args)
{
    const Arguments arguments(args, {"layout", "days", "lines-per-day", "seed", "start"}, {"gzip"});
    arguments.requirePositionalCount(1, 1);
    const std::string folder = arguments.positionalAt(0, "the output folder");

    samples::SampleLogOptions options;
    const std::string layout = arguments.value("layout", "ncsa-combined");
    const auto parsed = samples::parseLayoutName(layout);
    if (!parsed) throw UsageError("Unknown layout \"" + layout + "\"; use one of " + samples::layoutNames() + ".");
    options.layout = *parsed;
    options.days = static_cast<int>(boundedNumber(arguments, "days", 7, 1, 36600));
    options.linesPerDay = static_cast<long>(boundedNumber(arguments, "lines-per-day", 1000, 0, 10000000));
    options.seed = static_cast<std::uint64_t>(boundedNumber(arguments, "seed", 1, 0, 9223372036854775807LL));
    options.gzip = arguments.flag("gzip");
    if (arguments.has("start")) {
        const auto start = dates::parseIsoDate(arguments.value("start"));
        if (!start) throw UsageError("The option --start needs a date written yyyy-mm-dd.");
        options.start = *start;
    } else {
        options.start = civilDate(context.platform.clock.todayNumber() - options.days);
    }

    const auto result = samples::writeSampleLogs(folder, options, context.platform.pump, context.platform.cancel);
    context.out << "Wrote " << result.records << " records in " << result.files.size() << " files to " << folder
                << '\n';
    return kExitDone;
}

} // namespace larkspan
