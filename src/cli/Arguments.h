#pragma once

#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace larkspan {

// A command line the user got wrong; the application prints the message
// and the command's usage and exits with status 2.
class UsageError : public std::runtime_error {
public:
    explicit UsageError(const std::string& message) : std::runtime_error(message) {}
};

// Options of the forms --name VALUE, --name=VALUE and --flag, in any order
// among positional arguments. An option named twice keeps every value.
class Arguments {
public:
    // Throws UsageError for an unknown option or a missing value.
    Arguments(const std::vector<std::string>& args, const std::set<std::string>& valueOptions,
              const std::set<std::string>& flagOptions);

    const std::vector<std::string>& positional() const { return positional_; }
    // The positional argument at index, or UsageError naming what is missing.
    const std::string& positionalAt(std::size_t index, const std::string& what) const;
    void requirePositionalCount(std::size_t minimum, std::size_t maximum) const;

    bool has(const std::string& option) const;
    // The last value given, or fallback.
    std::string value(const std::string& option, const std::string& fallback = {}) const;
    // UsageError when the option is missing.
    std::string required(const std::string& option) const;
    std::vector<std::string> values(const std::string& option) const;
    bool flag(const std::string& option) const { return flags_.count(option) > 0; }

private:
    std::vector<std::string> positional_;
    std::multimap<std::string, std::string> values_;
    std::set<std::string> flags_;
};

}  // namespace larkspan
