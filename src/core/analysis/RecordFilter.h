#pragma once

#include "analysis/FoldedKey.h"

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace larkspan {
class ProgramFolder;
}

namespace larkspan::analysis {

// A profile's record filter: the sub-web the report is restricted to, the
// excluded directories and the excluded client addresses. Built once per
// analysis pass from the profile's ".subd" and ".ip" lists.
class RecordFilter {
  public:
    RecordFilter() = default;

    // From the lines of the two lists (a missing list has no lines).
    static RecordFilter build(const std::vector<std::string>& ipLines, const std::vector<std::string>& subdLines);
    // From My Profiles/<profile>.ip and .subd; unreadable files are empty.
    static RecordFilter load(const ProgramFolder& folder, const std::string& profile);

    // Whether a record is kept: path is the request path (query removed),
    // clientAddress the c-ip value (empty when the field is absent).
    bool accept(std::string_view path, std::string_view clientAddress) const
    {
        return keepsEverything_ || acceptFiltered(path, clientAddress);
    }

    const std::optional<std::string>& subWeb() const { return subWeb_; }
    const std::vector<std::string>& excludedDirectories() const { return excludedDirectories_; }
    // Whether an address is on the excluded list (any case).
    bool isExcludedAddress(std::string_view clientAddress) const;

  private:
    struct NumberRange {
        long long first;
        long long last;
    };

    bool acceptFiltered(std::string_view path, std::string_view clientAddress) const;

    // No sub-web, excluded directory or address: every record is kept.
    bool keepsEverything_ = true;
    std::optional<std::string> subWeb_;
    std::vector<std::string> excludedDirectories_;
    bool addressListEmpty_ = true;
    std::unordered_set<std::string, FoldedHash, FoldedEqual> addresses_;
    // Range lines a.b.c.d,N stand for a.b.c.(d+1) .. a.b.c.N besides the
    // address itself; they are kept as number ranges under their prefix
    // "a.b.c" instead of one entry per address, so a large N costs nothing.
    std::unordered_map<std::string, std::vector<NumberRange>, FoldedHash, FoldedEqual> ranges_;
};

} // namespace larkspan::analysis
