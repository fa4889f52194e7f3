#pragma once

#include "platform/Help.h"

#include <string>

namespace larkspan {

class Shell;

// Help topics as HTML pages: topic n is "topic<n>.html" in the help folder,
// opened with the default browser. A topic without its own page opens the
// contents page "index.html".
class PageHelp : public Help {
public:
    PageHelp(std::string helpFolder, Shell& shell) : folder_(std::move(helpFolder)), shell_(shell) {}
    bool showTopic(int topic) override;
    // The page that showTopic opens.
    std::string pageFor(int topic) const;

private:
    std::string folder_;
    Shell& shell_;
};

}  // namespace larkspan
