#include "CommandReference.h"

#include <algorithm>
#include <cctype>
#include <ostream>
#include <sstream>

namespace larkspan {

namespace {

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        result.push_back(line);
    return result;
}

std::string firstWord(const std::string& text)
{
    const auto begin = text.find_first_not_of(' ');
    if (begin == std::string::npos) return {};
    const auto end = text.find(' ', begin);
    return text.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

bool isSubcommandWord(const std::string& word)
{
    if (word.empty() || !std::islower(static_cast<unsigned char>(word.front()))) return false;
    return std::all_of(word.begin(), word.end(),
                       [](unsigned char c) { return std::islower(c) || std::isdigit(c) || c == '-'; });
}

// The line without its indentation and a leading "larkspan-cli NAME ".
std::string withoutProgramAndCommand(const std::string& line, const std::string& commandName, bool& named)
{
    std::string rest = line.substr(std::min(line.size(), line.find_first_not_of(' ')));
    if (rest.rfind("larkspan-cli ", 0) == 0) rest = rest.substr(13);
    named = rest.rfind(commandName + " ", 0) == 0;
    if (named) rest = rest.substr(commandName.size() + 1);
    return rest;
}

std::vector<std::string> subcommandsIn(const std::string& commandName, const std::string& usage)
{
    std::vector<std::string> found;
    const auto all = lines(usage);
    for (std::size_t i = 0; i < all.size(); ++i) {
        bool named = false;
        const std::string rest = withoutProgramAndCommand(all[i], commandName, named);
        if (i > 0 && !named) continue; // a description line, not a synopsis
        const std::string word = firstWord(rest);
        if (isSubcommandWord(word) && std::find(found.begin(), found.end(), word) == found.end()) found.push_back(word);
    }
    return found;
}

bool isOptionChar(char c)
{
    return std::islower(static_cast<unsigned char>(c)) || std::isdigit(static_cast<unsigned char>(c)) || c == '-';
}

std::string placeholderAfter(const std::string& usage, std::size_t end)
{
    if (end >= usage.size() || usage[end] != ' ') return {};
    const std::size_t begin = end + 1;
    const std::size_t stop = usage.find_first_of(" \n", begin);
    std::string word = usage.substr(begin, stop == std::string::npos ? std::string::npos : stop - begin);
    const auto trimmed = [&word](std::string_view marks) {
        while (!word.empty() && marks.find(word.front()) != std::string_view::npos)
            word.erase(0, 1);
        while (!word.empty() && marks.find(word.back()) != std::string_view::npos)
            word.pop_back();
    };
    trimmed("[(\":,.)");
    while (word.ends_with(']') && std::count(word.begin(), word.end(), ']') > std::count(word.begin(), word.end(), '['))
        word.pop_back();
    if (word.empty() || word.front() == '-') return {};
    const bool capitals = std::any_of(word.begin(), word.end(), [](unsigned char c) { return std::isupper(c); });
    const bool shaped = word.find_first_of("/|-") != std::string::npos;
    return capitals || shaped ? word : std::string();
}

std::vector<OptionSyntax> optionsIn(const std::string& usage)
{
    std::vector<OptionSyntax> found;
    for (std::size_t at = usage.find("--"); at != std::string::npos; at = usage.find("--", at + 2)) {
        if (at > 0 && isOptionChar(usage[at - 1])) continue;
        std::size_t end = at + 2;
        while (end < usage.size() && isOptionChar(usage[end]))
            ++end;
        if (end == at + 2) continue;
        const std::string name = usage.substr(at, end - at);
        const auto known = std::find_if(found.begin(), found.end(), [&](const auto& o) { return o.name == name; });
        const std::string placeholder = placeholderAfter(usage, end);
        if (known == found.end()) {
            found.push_back({name, placeholder});
        } else if (known->placeholder.empty()) {
            known->placeholder = placeholder;
        }
        at = end - 2;
    }
    return found;
}

const Command* find(const std::vector<std::unique_ptr<Command>>& commands, const std::string& name)
{
    for (const auto& command : commands)
        if (command->name() == name) return command.get();
    return nullptr;
}

} // namespace

CommandSyntax describeSyntax(const std::string& commandName, const std::string& usage)
{
    return {subcommandsIn(commandName, usage), optionsIn(usage)};
}

const std::vector<GlobalOption>& globalOptions()
{
    static const std::vector<GlobalOption> options = {
        {"--home", "DIR", "program folder (default $LARKSPAN_HOME, else ~/.local/share/larkspan)"},
        {"--yes", "", "answer Yes to every question"},
        {"--no", "", "answer No to every question"},
        {"--help", "", "show this help; \"help COMMAND\" shows a command's usage"},
        {"--version", "", "show the version"},
    };
    return options;
}

void writeCompletionWords(std::ostream& out, const std::vector<std::unique_ptr<Command>>& commands,
                          const std::string& commandName)
{
    if (commandName.empty()) {
        for (const auto& option : globalOptions())
            out << option.name << (*option.placeholder ? std::string(" ") + option.placeholder : "") << '\t'
                << option.description << '\n';
        for (const auto& command : commands)
            out << command->name() << '\t' << command->summary() << '\n';
        out << "help\tshow the usage of a command\n";
        return;
    }
    if (commandName == "help") {
        for (const auto& command : commands)
            out << command->name() << '\t' << command->summary() << '\n';
        return;
    }
    const Command* command = find(commands, commandName);
    if (!command) return;
    const CommandSyntax syntax = describeSyntax(commandName, std::string(command->usage()));
    for (const auto& subcommand : syntax.subcommands)
        out << subcommand << '\t' << commandName << ' ' << subcommand << '\n';
    for (const auto& option : syntax.options)
        out << option.name << (option.placeholder.empty() ? "" : " " + option.placeholder) << "\toption\n";
}

std::string roffEscape(const std::string& text)
{
    std::string result;
    bool lineStart = true;
    for (char c : text) {
        if (lineStart && (c == '.' || c == '\'')) result += "\\&";
        if (c == '\\') {
            result += "\\e";
        } else if (c == '-') {
            result += "\\-";
        } else {
            result += c;
        }
        lineStart = c == '\n';
    }
    return result;
}

namespace {

// The usage as "larkspan-cli help" prints it, without its "Usage: " prefix:
// the synopsis lines below the first lose that prefix's width of indentation.
std::string usageBlock(const std::string& name, const std::string& usage)
{
    std::string block;
    const auto all = lines(usage);
    for (std::size_t i = 0; i < all.size(); ++i) {
        std::string line = all[i];
        const std::size_t indent = std::min(line.size(), line.find_first_not_of(' '));
        const std::string_view text = std::string_view(line).substr(indent);
        const bool synopsis =
            text.starts_with("larkspan-cli ") || text.starts_with(name + " ") || text.starts_with("[");
        if (i > 0 && synopsis && indent >= 7) line.erase(0, 7);
        block += (i > 0 ? "\n" : "") + line;
    }
    return block;
}

} // namespace

void writeManualCommands(std::ostream& out, const std::vector<std::unique_ptr<Command>>& commands)
{
    for (const auto& command : commands) {
        const std::string name(command->name());
        std::string summary(command->summary());
        if (!summary.empty())
            summary.front() = static_cast<char>(std::toupper(static_cast<unsigned char>(summary.front())));
        out << ".SS " << roffEscape(name) << '\n'
            << roffEscape(summary) << ".\n"
            << ".PP\n.nf\n.RS 4\n"
            << "\\fBlarkspan\\-cli " << roffEscape(name) << "\\fR "
            << roffEscape(usageBlock(name, std::string(command->usage()))) << "\n.RE\n.fi\n";
    }
    out << ".SS help\nShow the usage of a command.\n.PP\n.nf\n.RS 4\n\\fBlarkspan\\-cli help\\fR [COMMAND]\n.RE\n.fi\n";
}

} // namespace larkspan
