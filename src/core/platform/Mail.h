#pragma once

#include <string>
#include <vector>

namespace larkspan {

struct MailMessage {
    std::vector<std::string> recipients;
    std::string subject;
    std::vector<std::string> lines;
    std::vector<std::string> attachments;  // full paths
    // Where a copy of the message is kept as a .eml file (the report
    // folder); empty: the folder of the first attachment.
    std::string folder;
};

enum class MailOutcome { Sent, Cancelled, Failed, Unavailable };

struct MailResult {
    MailOutcome outcome = MailOutcome::Unavailable;
    std::string detail;  // where the message went, or why it did not
};

// Hands one message to the operator's mail client for review.
class MailClient {
public:
    virtual ~MailClient() = default;
    virtual MailResult send(const MailMessage& message) = 0;
};

}  // namespace larkspan
