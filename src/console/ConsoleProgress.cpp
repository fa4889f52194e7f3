#include "ConsoleProgress.h"

#include <ostream>

namespace larkspan {

ConsoleProgress::ConsoleProgress(std::ostream& err, bool interactive) : err_(err), interactive_(interactive) {}

ConsoleProgress::~ConsoleProgress()
{
    if (dirty_) err_ << "\r\033[K" << std::flush;
}

void ConsoleProgress::setText(int line, const std::string& text)
{
    if (!interactive_ || line != 0) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ < std::chrono::milliseconds(200)) return;
    last_ = now;
    err_ << "\r\033[K" << text.substr(0, 78) << std::flush;
    dirty_ = true;
}

}  // namespace larkspan
