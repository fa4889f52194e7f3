#pragma once

#include "Arguments.h"

#include <iosfwd>
#include <string>
#include <string_view>

namespace larkspan {

class ProgramFolder;
class SettingsStore;
struct Platform;

enum ExitCode { kExitDone = 0, kExitFailed = 1, kExitUsage = 2, kExitCancelled = 3 };

// What a command works with: the platform services, the program folder, the
// settings store and the streams.
struct CommandContext {
    Platform& platform;
    const ProgramFolder& folder;
    SettingsStore& settings;
    std::ostream& out;
    std::ostream& err;
    std::istream& in;
    bool interactive = false; // standard input is a terminal
};

// One command-line subcommand. run() returns an ExitCode; core failures
// (Error, Cancelled) and UsageError propagate to the application, which
// turns them into messages and exit codes.
class Command {
public:
    virtual ~Command() = default;
    virtual std::string_view name() const = 0;
    virtual std::string_view summary() const = 0;
    // Lines shown by "larkspan-cli help COMMAND", after the name.
    virtual std::string_view usage() const = 0;
    virtual int run(CommandContext& context, const std::vector<std::string>& args) = 0;
    // Whether Ctrl-C and SIGTERM press the Cancel of the command's work
    // rather than end the program: for long work that looks for a cancel
    // request, so that it ends as a Cancel ends it, its files tidied up.
    virtual bool interruptCancels() const { return false; }
};

}  // namespace larkspan
