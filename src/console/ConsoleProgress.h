#pragma once

#include "platform/Progress.h"

#include <chrono>
#include <iosfwd>

namespace larkspan {

// Shows the first progress line on the terminal, rewritten in place at most
// a few times a second, and only when the terminal is interactive.
class ConsoleProgress : public Progress {
public:
    ConsoleProgress(std::ostream& err, bool interactive);
    ~ConsoleProgress() override;

    void setCaption(const std::string&) override {}
    void setText(int line, const std::string& text) override;
    void setBar(int, long long, long long) override {}

private:
    std::ostream& err_;
    bool interactive_;
    bool dirty_ = false;
    std::chrono::steady_clock::time_point last_{};
};

}  // namespace larkspan
