#include "reports/AgentTallies.h"

#include "common/Text.h"
#include "common/TextPatternSet.h"
#include "reports/BrowserTable.h"
#include "reports/OperatingSystemTable.h"
#include "reports/RobotList.h"

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

// Adds up browser names, one agent at a time in list order.
class BrowserCounter {
  public:
    explicit BrowserCounter(BrowserTally& tally) : tally_(tally) {}
    void add(const BrowserIdentity& identity, long long count)
    {
        tally_.total += count;
        if (identity.robot || identity.unknown) return;
        tally_.base += count;
        addNamed(tally_.browsers, index_, identity.name, count);
    }

  private:
    BrowserTally& tally_;
    NameIndex index_;
};

// Merges the per-row counts by name, in table order.
void nameSystems(OperatingSystemTally& tally, const OperatingSystemTable& table)
{
    NameIndex index;
    for (std::size_t row = 0; row < tally.rowCounts.size(); ++row) {
        const long long count = tally.rowCounts[row];
        tally.base += count;
        if (count != 0) addNamed(tally.systems, index, table.rows()[row].name, count);
    }
}

} // namespace

BrowserIdentity identifyBrowser(std::string_view agent, const RobotList& robots, const BrowserTable* families)
{
    return AgentClassifier(robots, families).identify(agent);
}

BrowserTally tallyBrowsers(const CountedTextList& agents, const RobotList& robots, const BrowserTable* families)
{
    const AgentClassifier classifier(robots, families);
    BrowserTally tally;
    BrowserCounter counter(tally);
    for (const CountedText& agent : agents)
        counter.add(classifier.identify(agent.text), agent.count);
    return tally;
}

OperatingSystemTally tallyOperatingSystems(const CountedTextList& agents, const OperatingSystemTable& table)
{
    std::vector<std::string_view> markers;
    for (const OperatingSystemTable::Row& row : table.rows())
        markers.push_back(row.marker);
    const TextPatternSet markerSet(markers);
    OperatingSystemTally tally;
    tally.rowCounts.assign(markers.size(), 0);
    std::vector<std::size_t> rows;
    for (const CountedText& agent : agents) {
        tally.total += agent.count;
        markerSet.allFound(agent.text, rows);
        for (const std::size_t row : rows)
            tally.rowCounts[row] += agent.count;
    }
    nameSystems(tally, table);
    return tally;
}

} // namespace larkspan
