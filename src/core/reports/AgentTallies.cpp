#include "reports/AgentTallies.h"

#include "common/Text.h"
#include "common/TextPatternSet.h"
#include "common/WorkerThreads.h"
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

// Agents from which a tally is split over two threads.
constexpr std::size_t kTwoThreadTallyFrom = std::size_t{1} << 15;

// tally(first, last) of the agents' first and second halves, the second on
// a thread of its own when the list is long. Each half's part is what one
// reading of it gives.
template <class Part, class Tally> std::pair<Part, Part> tallyHalves(std::size_t count, const Tally& tally)
{
    std::pair<Part, Part> parts;
    const std::size_t middle = count / 2;
    splitInTwo(count, count >= kTwoThreadTallyFrom, [&](std::size_t first, std::size_t last) {
        (first == 0 && last == middle ? parts.first : parts.second) = tally(first, last);
    });
    return parts;
}

} // namespace

BrowserIdentity identifyBrowser(std::string_view agent, const RobotList& robots, const BrowserTable* families)
{
    return AgentClassifier(robots, families).identify(agent);
}

BrowserTally tallyBrowsers(const CountedTextList& agents, const RobotList& robots, const BrowserTable* families)
{
    const AgentClassifier classifier(robots, families);
    const auto tallyRange = [&](std::size_t first, std::size_t last) {
        BrowserTally part;
        BrowserCounter counter(part);
        for (std::size_t i = first; i < last; ++i)
            counter.add(classifier.identify(agents[i].text), agents[i].count);
        return part;
    };
    auto [tally, second] = tallyHalves<BrowserTally>(agents.size(), tallyRange);
    // The second half's names after the first's, each in its order of first
    // appearance: the order of one reading of the whole list.
    NameIndex index;
    for (std::size_t i = 0; i < tally.browsers.size(); ++i)
        index.emplace(tally.browsers[i].name, i);
    tally.total += second.total;
    tally.base += second.base;
    for (const NamedCount& named : second.browsers)
        addNamed(tally.browsers, index, named.name, named.count);
    return tally;
}

OperatingSystemTally tallyOperatingSystems(const CountedTextList& agents, const OperatingSystemTable& table)
{
    std::vector<std::string_view> markers;
    for (const OperatingSystemTable::Row& row : table.rows())
        markers.push_back(row.marker);
    const TextPatternSet markerSet(markers);
    const auto tallyRange = [&](std::size_t first, std::size_t last) {
        OperatingSystemTally part;
        part.rowCounts.assign(markers.size(), 0);
        std::vector<std::size_t> rows;
        for (std::size_t i = first; i < last; ++i) {
            part.total += agents[i].count;
            markerSet.allFound(agents[i].text, rows);
            for (const std::size_t row : rows)
                part.rowCounts[row] += agents[i].count;
        }
        return part;
    };
    auto [tally, second] = tallyHalves<OperatingSystemTally>(agents.size(), tallyRange);
    tally.total += second.total;
    for (std::size_t row = 0; row < tally.rowCounts.size(); ++row)
        tally.rowCounts[row] += second.rowCounts[row];
    nameSystems(tally, table);
    return tally;
}

} // namespace larkspan
