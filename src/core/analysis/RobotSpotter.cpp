#include "analysis/RobotSpotter.h"

#include "common/Text.h"

#include <cstring>
#include <utility>

namespace larkspan::analysis {

namespace {

bool namesRobot(std::string_view token)
{
    return text::ifind(token, "bot") != std::string_view::npos ||
           text::ifind(token, "spider") != std::string_view::npos ||
           text::ifind(token, "crawler") != std::string_view::npos;
}

std::string_view withoutVersion(std::string_view token)
{
    const std::size_t slash = token.find('/');
    return slash == std::string_view::npos ? token : token.substr(0, slash);
}

} // namespace

RobotSpotter::RobotSpotter(RobotList robots, BrowserTable families)
    : classifier_(std::move(robots), &families), families_(std::move(families))
{
}

RobotSpotter::RobotSpotter(const RobotSpotter& other)
    : classifier_(other.classifier_), families_(other.families_), verdicts_(other.verdicts_),
      robotNames_(other.robotNames_), robotNumbers_(other.robotNumbers_), robotOfVerdict_(other.robotOfVerdict_),
      recent_(other.recent_), nextRecent_(other.nextRecent_), lastHit_(other.lastHit_), lastVerdict_(other.lastVerdict_)
{
    for (Verdict& verdict : verdicts_.rows())
        verdict.listRow = 0;
}

RobotSpotter RobotSpotter::load(const std::string& syssFolder)
{
    BrowserTable families;
    families.load(syssFolder + "/browsers.lklf");
    return RobotSpotter(RobotList::load(syssFolder + "/rasags.lklf"), std::move(families));
}

const RobotSpotter::Verdict* RobotSpotter::recentVerdict(std::string_view agent)
{
    const auto& rows = verdicts_.rows();
    const auto matches = [&](const Recent& recent) {
        return recent.length == agent.size() &&
               std::memcmp(rows[recent.row].key().data(), agent.data(), agent.size()) == 0;
    };
    // The agent of the record before is the likeliest.
    if (matches(recent_[lastHit_])) return &rows[recent_[lastHit_].row];
    for (std::size_t i = 0; i < recent_.size(); ++i) {
        if (matches(recent_[i])) {
            lastHit_ = i;
            return &rows[recent_[i].row];
        }
    }
    return nullptr;
}

void RobotSpotter::remember(std::string_view agent, const Verdict& verdict)
{
    // Only the first spelling can be matched byte for byte.
    if (verdict.key() != agent) return;
    recent_[nextRecent_] = Recent{static_cast<std::uint32_t>(&verdict - verdicts_.rows().data()),
                                  static_cast<std::uint32_t>(agent.size())};
    lastHit_ = nextRecent_;
    nextRecent_ = (nextRecent_ + 1) % recent_.size();
}

const std::string* RobotSpotter::robotName(std::string_view agent, const KeyHint& hint)
{
    const Verdict* known = recentVerdict(agent);
    if (!known) {
        bool isNew = false;
        Verdict& verdict = verdicts_.findOrAdd(agent, isNew, hint);
        if (isNew && classifier_.isRobot(agent)) {
            verdict.markRobot();
            robotOfVerdict_.emplace(static_cast<std::uint32_t>(verdicts_.size() - 1), robotNumber(agent));
        }
        remember(agent, verdict);
        known = &verdict;
    }
    lastVerdict_ = static_cast<std::size_t>(known - verdicts_.rows().data()) + 1;
    return known->robot() ? &robotNames_[robotOfVerdict_.at(static_cast<std::uint32_t>(lastVerdict_ - 1)) - 1]
                          : nullptr;
}

std::uint32_t RobotSpotter::robotNumber(std::string_view agent)
{
    std::string name = robotNameOf(agent, families_);
    const auto [at, added] = robotNumbers_.try_emplace(name, static_cast<std::uint32_t>(robotNames_.size() + 1));
    if (added) robotNames_.push_back(std::move(name));
    return at->second;
}

std::string robotNameOf(std::string_view agent, const BrowserTable& families)
{
    if (const BrowserTable::Row* row = families.match(agent); row && row->robot) return row->family;
    std::string_view first;
    std::size_t start = 0;
    while (start < agent.size()) {
        const std::size_t end = agent.find_first_of("+;()", start);
        const std::string_view token =
            withoutVersion(agent.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (!token.empty()) {
            if (first.empty()) first = token;
            if (namesRobot(token) && text::ifind(token, "http") == std::string_view::npos &&
                token.find('.') == std::string_view::npos)
                return std::string(token);
        }
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return first.empty() ? std::string("Unknown robot") : std::string(first);
}

} // namespace larkspan::analysis
