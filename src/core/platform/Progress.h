#pragma once

#include <string>

namespace larkspan {

// A progress display: a caption, numbered text lines and numbered bars.
// The report run's dialog, the import window and the terminal each show
// what they have room for.
class Progress {
public:
    virtual ~Progress() = default;
    virtual void setCaption(const std::string& caption) = 0;
    virtual void setText(int line, const std::string& text) = 0;
    virtual void setBar(int bar, long long position, long long maximum) = 0;
};

class SilentProgress : public Progress {
public:
    void setCaption(const std::string&) override {}
    void setText(int, const std::string&) override {}
    void setBar(int, long long, long long) override {}
};

}  // namespace larkspan
