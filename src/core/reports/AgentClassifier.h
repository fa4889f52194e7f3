#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/TextPatternSet.h"
#include "reports/BrowserTable.h"
#include "reports/RobotList.h"

namespace larkspan {

// What a stored user-agent text (blanks written as "+") says about its
// client: a robot, an unknown client, or a browser name.
struct BrowserIdentity {
    bool robot = false;
    bool unknown = false;
    std::string name;
};

// Judges user-agent texts for the browser report and the robot spotting of
// the analysis, reading each text once: the robot words and the browser
// table's markers are one pattern set. The classifier keeps copies of what
// it needs of the tables.
//
// Robots: "SPIDER", "CRAWLER" or "ROBOT" anywhere (any case), or a beginning
// listed in the robot list. Then the first row of the browser table the text
// matches names its family (or marks it a robot). Failing that, the older
// rule: the text before the first "+" names the browser: a "mozilla"
// beginning gives "Netscape" unless the rest says "compatible", then
// "Microsoft Internet Explorer" with "MSIE" in it and "Other Netscape
// Compatible" without; any other text gives its first token and the rest up
// to "(" with "+" shown as blanks. "null;", "-" and empty names are unknown.
class AgentClassifier {
  public:
    AgentClassifier(RobotList robots, const BrowserTable* families);

    bool isRobot(std::string_view agent) const;
    BrowserIdentity identify(std::string_view agent) const;

  private:
    // The browser table's row when firstMarker (the lowest marker an agent
    // contains, or npos) is one of its markers, else null.
    const BrowserTable::Row* familyOf(std::size_t firstMarker) const;

    RobotList robots_;
    std::vector<BrowserTable::Row> families_;
    // The robot words, then the browser rows' markers.
    std::shared_ptr<const TextPatternSet> markers_;
};

} // namespace larkspan
