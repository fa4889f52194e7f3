#include "Arguments.h"

namespace larkspan {

Arguments::Arguments(const std::vector<std::string>& args, const std::set<std::string>& valueOptions,
                     const std::set<std::string>& flagOptions)
{
    bool onlyPositional = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (onlyPositional || arg.size() < 3 || arg.rfind("--", 0) != 0) {
            if (arg == "--") onlyPositional = true;
            else positional_.push_back(arg);
            continue;
        }
        std::string name = arg.substr(2);
        std::string inlineValue;
        const std::size_t eq = name.find('=');
        const bool hasInline = eq != std::string::npos;
        if (hasInline) {
            inlineValue = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        if (valueOptions.count(name)) {
            if (hasInline) values_.emplace(name, inlineValue);
            else if (i + 1 < args.size()) values_.emplace(name, args[++i]);
            else throw UsageError("The option --" + name + " needs a value.");
        } else if (flagOptions.count(name) && !hasInline) {
            flags_.insert(name);
        } else {
            throw UsageError("Unknown option --" + name + ".");
        }
    }
}

const std::string& Arguments::positionalAt(std::size_t index, const std::string& what) const
{
    if (index >= positional_.size()) throw UsageError("Missing " + what + ".");
    return positional_[index];
}

void Arguments::requirePositionalCount(std::size_t minimum, std::size_t maximum) const
{
    if (positional_.size() < minimum) throw UsageError("Too few arguments.");
    if (positional_.size() > maximum) throw UsageError("Unexpected argument \"" + positional_[maximum] + "\".");
}

bool Arguments::has(const std::string& option) const { return values_.count(option) > 0 || flag(option); }

std::string Arguments::value(const std::string& option, const std::string& fallback) const
{
    auto range = values_.equal_range(option);
    if (range.first == range.second) return fallback;
    return std::prev(range.second)->second;
}

std::string Arguments::required(const std::string& option) const
{
    if (!values_.count(option)) throw UsageError("The option --" + option + " is required.");
    return value(option);
}

std::vector<std::string> Arguments::values(const std::string& option) const
{
    std::vector<std::string> out;
    auto range = values_.equal_range(option);
    for (auto it = range.first; it != range.second; ++it) out.push_back(it->second);
    return out;
}

}  // namespace larkspan
