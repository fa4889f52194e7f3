#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "common/Text.h"

namespace larkspan {

// The robot list ("syss/rasags.lklf"): beginnings of robots' user-agent
// texts, one a line, compared ignoring case. Empty lines match nothing.
class RobotList {
  public:
    RobotList() = default;
    explicit RobotList(const std::vector<std::string>& entries);

    // A file that cannot be read gives an empty list.
    static RobotList load(const std::string& path);

    // True when the agent begins with an entry, ignoring case.
    bool matches(std::string_view agent) const;

  private:
    // Entries by length and by a hash that grows a byte at a time, so a test
    // reads the agent's beginning once, checking a hash at each entry length
    // (ascending), and compares text only when a hash is met.
    std::vector<std::size_t> lengths_;
    std::unordered_set<std::uint64_t> hashes_;
    std::unordered_set<std::string, text::CaseInsensitiveHash, text::CaseInsensitiveEqual> prefixes_;
};

} // namespace larkspan
