#pragma once

#include "platform/Messages.h"

#include <iosfwd>

namespace larkspan {

enum class AnswerPolicy { Ask, AlwaysYes, AlwaysNo };

// Messages on the terminal: "Error: ...", "Warning: ...", "Information: ...",
// "Confirm: ...". Questions take the policy's answer, or are asked on the
// terminal when standard input is one, otherwise answered No.
class ConsoleMessages : public Messages {
public:
    ConsoleMessages(std::ostream& err, std::istream& in, AnswerPolicy policy, bool interactive);

    void show(MessageKind kind, const std::string& text) override;
    Answer ask(MessageKind kind, const std::string& text, Buttons buttons) override;
    // Unattended runs hide information messages.
    void setQuiet(bool quiet) { quiet_ = quiet; }

private:
    std::ostream& err_;
    std::istream& in_;
    AnswerPolicy policy_;
    bool interactive_;
    bool quiet_ = false;
};

}  // namespace larkspan
