#include "reports/AgentClassifier.h"

#include "common/Text.h"
#include "reports/BrowserTable.h"

#include <algorithm>
#include <array>

namespace larkspan {

namespace {

// Any of them anywhere (any case) marks a robot.
constexpr std::array<std::string_view, 3> kRobotWords{"spider", "crawler", "robot"};

std::string browserNameOf(std::string_view agent)
{
    const std::size_t plus = agent.find('+');
    const std::string_view head = plus == std::string_view::npos ? agent : agent.substr(0, plus);
    const std::string_view rest = plus == std::string_view::npos ? std::string_view{} : agent.substr(plus + 1);
    if (text::istartsWith(head, "mozilla")) {
        if (text::ifind(rest, "compatible") == std::string_view::npos) return "Netscape";
        if (text::ifind(rest, "MSIE") != std::string_view::npos) return "Microsoft Internet Explorer";
        return "Other Netscape Compatible";
    }
    if (text::iequals(text::trim(head), "null;")) return "Unknown";
    const std::size_t paren = rest.find('(');
    const std::string_view version = paren == std::string_view::npos ? rest : rest.substr(0, paren);
    std::string name = std::string(head) + " " + std::string(version);
    std::replace(name.begin(), name.end(), '+', ' ');
    return text::trim(name);
}

} // namespace

AgentClassifier::AgentClassifier(RobotList robots, const BrowserTable* families) : robots_(std::move(robots))
{
    if (families) families_ = families->rows();
    std::vector<std::string_view> markers(kRobotWords.begin(), kRobotWords.end());
    for (const BrowserTable::Row& row : families_)
        markers.push_back(row.marker);
    markers_ = std::make_shared<TextPatternSet>(markers);
}

bool AgentClassifier::isRobot(std::string_view agent) const
{
    const std::size_t first = markers_->firstFound(agent);
    if (first < kRobotWords.size() || robots_.matches(agent)) return true;
    const BrowserTable::Row* family = familyOf(first);
    return family && family->robot;
}

BrowserIdentity AgentClassifier::identify(std::string_view agent) const
{
    const std::size_t firstMarker = markers_->firstFound(agent);
    BrowserIdentity identity;
    if (firstMarker < kRobotWords.size() || robots_.matches(agent)) {
        identity.robot = true;
        return identity;
    }
    if (const BrowserTable::Row* family = familyOf(firstMarker)) {
        identity.robot = family->robot;
        if (!identity.robot) identity.name = family->family;
        return identity;
    }
    identity.name = text::trim(browserNameOf(agent));
    identity.unknown = identity.name.empty() || identity.name == "-" || identity.name == "Unknown";
    return identity;
}

const BrowserTable::Row* AgentClassifier::familyOf(std::size_t firstMarker) const
{
    if (firstMarker == TextPatternSet::npos || firstMarker < kRobotWords.size()) return nullptr;
    const std::size_t row = firstMarker - kRobotWords.size();
    return row < families_.size() ? &families_[row] : nullptr;
}

} // namespace larkspan
