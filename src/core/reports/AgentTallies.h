#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "reports/AgentClassifier.h"
#include "reports/CountedText.h"

namespace larkspan {

class BrowserTable;
class RobotList;
class OperatingSystemTable;

// The identity of one agent by AgentClassifier's rules. Builds the
// classifier for the one call: judging many agents, make one and keep it.
BrowserIdentity identifyBrowser(std::string_view agent, const RobotList& robots,
                                const BrowserTable* families = nullptr);

// One line of the browser or operating-system report before ranking.
struct NamedCount {
    std::string name;
    long long count = 0;
};

struct BrowserTally {
    long long total = 0;              // every request of the list
    long long base = 0;               // total less robots and unknown clients
    std::vector<NamedCount> browsers; // in order of first appearance
};

// Adds up the user-agent list by browser name (names merged ignoring case,
// the first spelling kept); robots and unknown clients are left out.
BrowserTally tallyBrowsers(const CountedTextList& agents, const RobotList& robots,
                           const BrowserTable* families = nullptr);

struct OperatingSystemTally {
    long long total = 0;              // every request of the list
    long long base = 0;               // sum of the per-row counts (a text matching two rows counts twice)
    std::vector<long long> rowCounts; // per table row, in table order
    std::vector<NamedCount> systems;  // non-zero rows merged by name, in table order
};

// Counts, per row of the operating-system table, the requests whose
// user-agent text contains the row's text (ignoring case); each text is read
// once for all rows.
OperatingSystemTally tallyOperatingSystems(const CountedTextList& agents, const OperatingSystemTable& table);

} // namespace larkspan
