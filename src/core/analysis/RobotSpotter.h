#pragma once

#include "analysis/KeyedRows.h"
#include "reports/AgentClassifier.h"
#include "reports/BrowserTable.h"
#include "reports/RobotList.h"

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>

namespace larkspan::analysis {

// Tells robots' user-agent texts (blanks written as "+") from the rest by
// the browser report's own rule (the robot list, the browser table's robot
// rows and the "spider", "crawler" and "robot" words), and names them. Each
// distinct agent is judged once.
class RobotSpotter {
  public:
    RobotSpotter(RobotList robots, BrowserTable families);
    // A copy judges as the original did but has counted no agent: each
    // tally marks the rows of its own agent list (see lastAgentRow).
    RobotSpotter(const RobotSpotter& other);
    RobotSpotter& operator=(const RobotSpotter&) = delete;
    // Reads "rasags.lklf" and "browsers.lklf" from the syss folder; a file
    // that cannot be read lists nothing.
    static RobotSpotter load(const std::string& syssFolder);

    // The robot's name, or nullptr when the agent is no robot. A hint is
    // prefetch(agent)'s.
    const std::string* robotName(std::string_view agent, const KeyHint& hint = {});
    // The agent's hash worked out ahead and its verdict's index slot fetched
    // from memory meanwhile, once there are so many agents that the index
    // outgrows the caches (see KeyedRows::prefetch).
    KeyHint prefetch(std::string_view agent) const { return verdicts_.prefetch(agent); }

    // The spotter's own copy of the agent last judged, as first spelt, and
    // the arena it lies in: a table of agents sharing that arena needs no
    // copy of its own (see StatisticsTable::shareUserAgentTexts).
    std::string_view lastAgent() const
    {
        return lastVerdict_ == 0 ? std::string_view() : verdicts_.rows()[lastVerdict_ - 1].key();
    }
    const std::shared_ptr<TextArena>& agentTexts() { return verdicts_.texts(); }

    // The row of the agent last judged in the agent list of the tally this
    // spotter serves, plus one; 0 while that list has no row for it. The
    // verdict carries it, so the list is never searched for a judged agent
    // and needs no index of its own.
    std::uint32_t lastAgentRow() const { return lastVerdict_ == 0 ? 0 : verdicts_.rows()[lastVerdict_ - 1].listRow; }
    void setLastAgentRow(std::size_t row)
    {
        if (lastVerdict_ != 0) verdicts_.rows()[lastVerdict_ - 1].listRow = static_cast<std::uint32_t>(row + 1);
    }

  private:
    // One per distinct agent, in 16 bytes: the agent as a pointer and a
    // length whose top bit marks a robot. Most agents are no robots: a
    // robot's name is found by its verdict's row in robotOfVerdict_.
    class Verdict {
      public:
        using Growth = GrowsInPlace;
        std::string_view key() const { return std::string_view(text_, size_ & ~kRobot); }
        void setKey(std::string_view key)
        {
            if (key.size() >= kRobot) throw std::length_error("agent too long");
            text_ = key.data();
            size_ = static_cast<std::uint32_t>(key.size()) | (size_ & kRobot);
        }
        bool robot() const { return (size_ & kRobot) != 0; }
        void markRobot() { size_ |= kRobot; }

      private:
        static constexpr std::uint32_t kRobot = std::uint32_t{1} << 31;
        const char* text_ = nullptr;
        std::uint32_t size_ = 0;

      public:
        std::uint32_t listRow = 0; // see lastAgentRow()
    };
    // A verdict's row and its agent's length.
    struct Recent {
        std::uint32_t row = 0;
        std::uint32_t length = UINT32_MAX; // none yet
    };
    const Verdict* recentVerdict(std::string_view agent);
    void remember(std::string_view agent, const Verdict& verdict);
    // The number of the name agent's robot is reported under.
    std::uint32_t robotNumber(std::string_view agent);

    AgentClassifier classifier_;
    BrowserTable families_;
    KeyedRows<Verdict> verdicts_;
    // Each name once; a deque, so the names handed out stay where they are.
    std::deque<std::string> robotNames_;
    std::unordered_map<std::string, std::uint32_t> robotNumbers_;
    // A robot verdict's row -> its name's number in robotNames_ plus one.
    std::unordered_map<std::uint32_t, std::uint32_t> robotOfVerdict_;
    // The last agents judged, spelt as first seen: a log's records come in
    // runs per visit and a few visits interleave, so most look-ups end here
    // without hashing the long agent text.
    std::array<Recent, 16> recent_{};
    std::size_t nextRecent_ = 0;
    std::size_t lastHit_ = 0;
    // The row of the verdict last given, plus one (a copy's own row, unlike
    // a view).
    std::size_t lastVerdict_ = 0;
};

// The name a robot's agent text is reported under: the browser table's
// family when a robot row matches, else the token naming the robot (the
// one holding "bot", "spider" or "crawler", or the first), without its
// version.
std::string robotNameOf(std::string_view agent, const BrowserTable& families);

} // namespace larkspan::analysis
