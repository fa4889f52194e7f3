#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "reports/CountedText.h"

namespace larkspan {

class BrowserTable;
class RobotList;
class OperatingSystemTable;

// What a stored user-agent text (blanks written as "+") says about its
// client: a robot, an unknown client, or a browser name.
struct BrowserIdentity {
    bool robot = false;
    bool unknown = false;
    std::string name;
};

// Robots: "SPIDER", "CRAWLER" or "ROBOT" anywhere (any case), or a beginning
// listed in the robot list. Then the first row of the browser table the text
// matches names its family (or marks it a robot). Failing that, the older
// rule: the text before the first "+" names
// the browser: a "mozilla" beginning gives "Netscape" unless the rest says
// "compatible", then "Microsoft Internet Explorer" with "MSIE" in it and
// "Other Netscape Compatible" without; any other text gives its first token
// and the rest up to "(" with "+" shown as blanks. "null;", "-" and empty
// names are unknown.
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
// user-agent text contains the row's text (ignoring case).
OperatingSystemTally tallyOperatingSystems(const CountedTextList& agents, const OperatingSystemTable& table);

} // namespace larkspan
