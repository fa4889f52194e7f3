#pragma once

#include "Command.h"

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace larkspan {

// What a command's usage text says about its syntax. The usage text is the
// one description of a command: the manual page and the shell completion
// are derived from it, so a new command appears in both by itself.
//
// Conventions the derivation relies on: a usage line whose first word (after
// an optional "larkspan-cli COMMAND ") is lower case names a subcommand;
// "--name" is an option, and a following word in capitals, or one holding
// "/" or "|", is its value ("--web W", "--from mm/dd/yyyy", "--layout a|b").
struct OptionSyntax {
    std::string name;        // "--web"
    std::string placeholder; // "W", empty for a switch
};

struct CommandSyntax {
    std::vector<std::string> subcommands;
    std::vector<OptionSyntax> options;
};

CommandSyntax describeSyntax(const std::string& commandName, const std::string& usage);

// The global options, before the command; also listed by --help.
struct GlobalOption {
    const char* name;
    const char* placeholder;
    const char* description;
};
const std::vector<GlobalOption>& globalOptions();

// "word<TAB>description" lines for shell completion: without a command the
// global options and the commands, with one its subcommands and options
// (an option with a value as "--name VALUE").
void writeCompletionWords(std::ostream& out, const std::vector<std::unique_ptr<Command>>& commands,
                          const std::string& commandName);

// The manual page's COMMANDS section in roff, one subsection per command.
void writeManualCommands(std::ostream& out, const std::vector<std::unique_ptr<Command>>& commands);

// Text made safe for roff: backslashes, leading control characters, hyphens.
std::string roffEscape(const std::string& text);

} // namespace larkspan
