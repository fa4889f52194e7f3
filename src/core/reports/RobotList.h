#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/TextPatternSet.h"

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
    // Read along the agent's beginning only while it spells the start of an
    // entry, so most agents are judged after a few bytes. Copies of the list
    // (one per analysis worker) share the one table.
    std::shared_ptr<const TextPatternSet> beginnings_ = std::make_shared<TextPatternSet>();
};

} // namespace larkspan
