#include "platform/Messages.h"

namespace larkspan {

const char* messageKindName(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Error: return "Error";
    case MessageKind::Warning: return "Warning";
    case MessageKind::Information: return "Information";
    case MessageKind::Confirmation: return "Confirm";
    }
    return "";
}

}  // namespace larkspan
