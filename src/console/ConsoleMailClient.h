#pragma once

#include "platform/Mail.h"

#include <iosfwd>

namespace larkspan {

class Clock;

// The command line's mail: the message is written as a MIME file
// ("LKRMail.eml") into the report folder, ready for any mail client, and its
// path is printed. Nothing is sent from here.
class ConsoleMailClient : public MailClient {
public:
    ConsoleMailClient(std::ostream& out, const Clock& clock) : out_(out), clock_(clock) {}
    MailResult send(const MailMessage& message) override;

private:
    std::ostream& out_;
    const Clock& clock_;
};

}  // namespace larkspan
