#include "CliApp.h"

#include "Command.h"
#include "CommandReference.h"
#include "CommandTable.h"
#include "ConsoleMailClient.h"
#include "ConsoleMessages.h"
#include "ConsoleProgress.h"
#include "ConsoleShell.h"
#include "CurlFtpClient.h"
#include "InterruptCancel.h"
#include "SystemDnsResolver.h"
#include "common/Error.h"
#include "common/ProgramFolder.h"
#include "platform/Platform.h"
#include "platform/Unavailable.h"
#include "settings/SettingsStore.h"

#include <iomanip>
#include <istream>
#include <new>
#include <optional>
#include <ostream>

namespace larkspan {

namespace {

class NoPump : public EventPump {
  public:
    void processEvents() override {}
};

struct GlobalOptions {
    std::string home;
    AnswerPolicy policy = AnswerPolicy::Ask;
    bool help = false;
    bool version = false;
    std::vector<std::string> rest; // the command and its arguments
};

GlobalOptions parseGlobals(const std::vector<std::string>& args)
{
    GlobalOptions options;
    std::size_t i = 0;
    for (; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--home") {
            if (i + 1 >= args.size()) throw UsageError("The option --home needs a folder.");
            options.home = args[++i];
        } else if (arg.rfind("--home=", 0) == 0) {
            options.home = arg.substr(7);
        } else if (arg == "--yes") {
            options.policy = AnswerPolicy::AlwaysYes;
        } else if (arg == "--no") {
            options.policy = AnswerPolicy::AlwaysNo;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg.rfind("--", 0) == 0) {
            throw UsageError("Unknown option " + arg + ".");
        } else {
            break;
        }
    }
    options.rest.assign(args.begin() + static_cast<long>(i), args.end());
    return options;
}

void printOverview(std::ostream& out, const std::vector<std::unique_ptr<Command>>& commands)
{
    out << "Usage: larkspan-cli [--home DIR] [--yes|--no] COMMAND [ARGS...]\n\n"
           "Larkspan analyses web-server access logs: it imports the logs of each web\n"
           "into a per-day store and runs report profiles over a range of days.\n\n"
           "Global options:\n";
    for (const auto& option : globalOptions()) {
        const std::string shown = std::string(option.name) + (*option.placeholder ? " " : "") + option.placeholder;
        out << "  " << std::left << std::setw(13) << shown << option.description << '\n';
    }
    out << "\nCommands:\n";
    for (const auto& command : commands)
        out << "  " << std::left << std::setw(14) << command->name() << command->summary() << '\n';
    out << "  " << std::left << std::setw(14) << "help"
        << "show the usage of a command" << '\n';
}

// Options for the installation's manual page and shell completion; not
// listed by --help. Returns true when the arguments asked for one.
bool printReference(const std::vector<std::string>& args, std::ostream& out,
                    const std::vector<std::unique_ptr<Command>>& commands)
{
    if (args.empty()) return false;
    if (args.front() == "--manual-commands") {
        writeManualCommands(out, commands);
        return true;
    }
    if (args.front() == "--completion") {
        writeCompletionWords(out, commands, args.size() > 1 ? args[1] : std::string());
        return true;
    }
    return false;
}

const Command* findCommand(const std::vector<std::unique_ptr<Command>>& commands, const std::string& name)
{
    for (const auto& command : commands)
        if (command->name() == name) return command.get();
    return nullptr;
}

void printUsage(std::ostream& stream, const Command& command)
{
    stream << "Usage: larkspan-cli " << command.name() << ' ' << command.usage() << '\n';
}

} // namespace

int runCli(const std::string& executablePath, const std::vector<std::string>& args, CliStreams streams,
           CliServices services)
{
    const auto commands = makeCommands();
    if (printReference(args, streams.out, commands)) return kExitDone;
    GlobalOptions options;
    try {
        options = parseGlobals(args);
    } catch (const UsageError& e) {
        streams.err << "Error: " << e.what() << '\n';
        return kExitUsage;
    }
    if (options.version) {
        streams.out << "larkspan-cli " << LARKSPAN_VERSION << '\n';
        return kExitDone;
    }
    if (options.help || options.rest.empty()) {
        printOverview(options.help ? streams.out : streams.err, commands);
        return options.help ? kExitDone : kExitUsage;
    }
    const std::string& name = options.rest.front();
    if (name == "help") {
        if (options.rest.size() < 2) {
            printOverview(streams.out, commands);
            return kExitDone;
        }
        const Command* command = findCommand(commands, options.rest[1]);
        if (!command) {
            streams.err << "Error: Unknown command \"" << options.rest[1] << "\".\n";
            return kExitUsage;
        }
        printUsage(streams.out, *command);
        return kExitDone;
    }
    Command* command = const_cast<Command*>(findCommand(commands, name));
    if (!command) {
        streams.err << "Error: Unknown command \"" << name << "\". Run larkspan-cli --help for the list.\n";
        return kExitUsage;
    }

    try {
        ProgramFolder folder(ProgramFolder::resolveHome(options.home),
                             ProgramFolder::shippedDataBeside(executablePath));
        folder.install();
        SettingsStore settings(folder.settingsFile());

        ConsoleMessages messages(streams.err, streams.in, options.policy, streams.interactive);
        ConsoleProgress progress(streams.err, streams.interactive);
        NoPump noPump;
        CancelRequest cancel;
        std::optional<InterruptCancel> interrupt;
        if (command->interruptCancels()) interrupt.emplace(noPump, cancel);
        EventPump& pump = interrupt ? static_cast<EventPump&>(*interrupt) : noPump;
        SystemClock systemClock;
        ConsoleShell consoleShell;
        const Clock& clock = services.clock ? *services.clock : static_cast<const Clock&>(systemClock);
        ConsoleMailClient consoleMail(streams.out, clock);
        NoChartRenderer noCharts;
        net::CurlFtpClient curlFtp;
        SystemDnsResolver systemDns;
        NoHelp noHelp;
        Platform platform{messages,
                          pump,
                          progress,
                          cancel,
                          services.clock ? *services.clock : systemClock,
                          services.shell ? *services.shell : consoleShell,
                          services.mail ? *services.mail : consoleMail,
                          services.charts ? *services.charts : noCharts,
                          services.ftp ? *services.ftp : curlFtp,
                          services.dns ? *services.dns : systemDns,
                          noHelp};
        CommandContext context{platform, folder, settings, streams.out, streams.err, streams.in, streams.interactive};
        const std::vector<std::string> commandArgs(options.rest.begin() + 1, options.rest.end());
        try {
            return command->run(context, commandArgs);
        } catch (const UsageError& e) {
            streams.err << "Error: " << e.what() << '\n';
            printUsage(streams.err, *command);
            return kExitUsage;
        }
    } catch (const Cancelled&) {
        streams.err << "Cancelled.\n";
        return kExitCancelled;
    } catch (const std::bad_alloc&) {
        streams.err << "Error: Out of memory: the command stopped before it finished.\n";
        return kExitFailed;
    } catch (const std::exception& e) {
        streams.err << "Error: " << e.what() << '\n';
        return kExitFailed;
    }
}

} // namespace larkspan
