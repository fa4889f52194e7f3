#include "ConsoleMessages.h"

#include "common/Text.h"

#include <istream>
#include <ostream>
#include <string>

namespace larkspan {

ConsoleMessages::ConsoleMessages(std::ostream& err, std::istream& in, AnswerPolicy policy, bool interactive)
    : err_(err), in_(in), policy_(policy), interactive_(interactive)
{
}

void ConsoleMessages::show(MessageKind kind, const std::string& message)
{
    if (quiet_ && kind == MessageKind::Information) return;
    err_ << messageKindName(kind) << ": " << message << '\n' << std::flush;
}

static const char* choices(Buttons buttons)
{
    switch (buttons) {
    case Buttons::Ok: return "";
    case Buttons::YesNo: return " [y/n]";
    case Buttons::YesNoCancel: return " [y/n/c]";
    }
    return "";
}

Answer ConsoleMessages::ask(MessageKind kind, const std::string& message, Buttons buttons)
{
    if (buttons == Buttons::Ok) {
        show(kind, message);
        return Answer::Ok;
    }
    const char* label = kind == MessageKind::Confirmation ? "Confirm" : messageKindName(kind);
    err_ << label << ": " << message << choices(buttons);
    Answer answer = Answer::No;
    if (policy_ == AnswerPolicy::AlwaysYes) answer = Answer::Yes;
    else if (policy_ == AnswerPolicy::AlwaysNo || !interactive_) answer = Answer::No;
    else {
        err_ << ' ' << std::flush;
        std::string reply;
        while (std::getline(in_, reply)) {
            const std::string r = text::toLower(text::trim(reply));
            if (r == "y" || r == "yes") return Answer::Yes;
            if (r == "n" || r == "no") return Answer::No;
            if (buttons == Buttons::YesNoCancel && (r == "c" || r == "cancel")) return Answer::Cancel;
            err_ << choices(buttons) << ' ' << std::flush;
        }
        return buttons == Buttons::YesNoCancel ? Answer::Cancel : Answer::No;
    }
    err_ << ' ' << (answer == Answer::Yes ? "yes" : "no") << '\n' << std::flush;
    return answer;
}

}  // namespace larkspan
