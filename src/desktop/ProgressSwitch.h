#pragma once

#include "platform/Progress.h"

namespace larkspan {

// The session's progress service: forwards to the display of the window
// that runs long work now (the progress dialog of a report run, the import
// window), else shows nothing. A Use object installs a display for its scope.
class ProgressSwitch : public Progress {
public:
    void setCaption(const std::string& caption) override { target().setCaption(caption); }
    void setText(int line, const std::string& text) override { target().setText(line, text); }
    void setBar(int bar, long long position, long long maximum) override { target().setBar(bar, position, maximum); }

    class Use {
    public:
        Use(ProgressSwitch& owner, Progress& display) : owner_(owner), previous_(owner.current_)
        {
            owner_.current_ = &display;
        }
        ~Use() { owner_.current_ = previous_; }
        Use(const Use&) = delete;
        Use& operator=(const Use&) = delete;

    private:
        ProgressSwitch& owner_;
        Progress* previous_;
    };

private:
    Progress& target() { return current_ ? *current_ : silent_; }

    SilentProgress silent_;
    Progress* current_ = nullptr;
};

}  // namespace larkspan
