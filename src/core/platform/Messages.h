#pragma once

#include <string>

namespace larkspan {

enum class MessageKind { Error, Warning, Information, Confirmation };
enum class Buttons { Ok, YesNo, YesNoCancel };
enum class Answer { Ok, Yes, No, Cancel };

const char* messageKindName(MessageKind kind);

// Message boxes and questions. Texts use "\n" as a line break and are shown
// exactly as given. The desktop shows modal dialogs, the command line writes
// to the terminal, tests record them.
class Messages {
public:
    virtual ~Messages() = default;
    virtual void show(MessageKind kind, const std::string& text) = 0;
    virtual Answer ask(MessageKind kind, const std::string& text, Buttons buttons) = 0;
};

}  // namespace larkspan
