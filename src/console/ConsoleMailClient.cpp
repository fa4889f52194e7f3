#include "ConsoleMailClient.h"

#include "mail/MailDraft.h"
#include "platform/Clock.h"

#include <ostream>

namespace larkspan {

MailResult ConsoleMailClient::send(const MailMessage& message)
{
    try {
        const std::string path = saveMailDraft(message, clock_.now());
        out_ << "Mail message saved as " << path << '\n';
        return {MailOutcome::Sent, path};
    } catch (const std::exception& e) {
        return {MailOutcome::Failed, e.what()};
    }
}

}  // namespace larkspan
