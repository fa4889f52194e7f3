#include "reports/AgentTallies.h"

#include "common/Text.h"
#include "reports/BrowserTable.h"
#include "reports/OperatingSystemTable.h"
#include "reports/RobotList.h"

#include <algorithm>
#include <unordered_map>

namespace larkspan {

namespace {

using NameIndex = std::unordered_map<std::string, std::size_t, text::CaseInsensitiveHash, text::CaseInsensitiveEqual>;

void addNamed(std::vector<NamedCount>& list, NameIndex& index, const std::string& name, long long count)
{
    auto [it, added] = index.try_emplace(name, list.size());
    if (added) list.push_back({name, 0});
    list[it->second].count += count;
}

std::string browserName(std::string_view agent)
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

BrowserIdentity identifyBrowser(std::string_view agent, const RobotList& robots, const BrowserTable* families)
{
    BrowserIdentity identity;
    const std::string lowered = text::toLower(agent);
    if (lowered.find("spider") != std::string::npos || lowered.find("crawler") != std::string::npos ||
        lowered.find("robot") != std::string::npos || robots.matches(agent)) {
        identity.robot = true;
        return identity;
    }
    if (const BrowserTable::Row* family = families ? families->match(agent) : nullptr) {
        identity.robot = family->robot;
        if (!identity.robot) identity.name = family->family;
        return identity;
    }
    identity.name = text::trim(browserName(agent));
    identity.unknown = identity.name.empty() || identity.name == "-" || identity.name == "Unknown";
    return identity;
}

BrowserTally tallyBrowsers(const CountedTextList& agents, const RobotList& robots, const BrowserTable* families)
{
    BrowserTally tally;
    NameIndex index;
    for (const CountedText& agent : agents) {
        tally.total += agent.count;
        const BrowserIdentity identity = identifyBrowser(agent.text, robots, families);
        if (identity.robot || identity.unknown) continue;
        tally.base += agent.count;
        addNamed(tally.browsers, index, identity.name, agent.count);
    }
    return tally;
}

OperatingSystemTally tallyOperatingSystems(const CountedTextList& agents, const OperatingSystemTable& table)
{
    OperatingSystemTally tally;
    std::vector<std::string> lowered;
    lowered.reserve(agents.size());
    for (const CountedText& agent : agents) {
        tally.total += agent.count;
        lowered.push_back(text::toLower(agent.text));
    }
    NameIndex index;
    for (const OperatingSystemTable::Row& row : table.rows()) {
        long long count = 0;
        if (!row.marker.empty()) {
            const std::string marker = text::toLower(row.marker);
            for (std::size_t i = 0; i < agents.size(); ++i)
                if (lowered[i].find(marker) != std::string::npos) count += agents[i].count;
        }
        tally.rowCounts.push_back(count);
        tally.base += count;
        if (count != 0) addNamed(tally.systems, index, row.name, count);
    }
    return tally;
}

} // namespace larkspan
