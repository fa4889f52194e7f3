#pragma once

#include "common/Dates.h"
#include "platform/Mail.h"

#include <string>

namespace larkspan {

struct Platform;

// Who gets the report set by mail, from the profile's outputs.
struct MailWanted {
    bool consumer = false;         // oconsumer
    std::string consumerAddress;   // cons-email
    bool admin = false;            // oadmin
    std::string adminAddress;      // admin-email
};

// The one message of a report run for the customer and the administrator:
// its recipients, subject, text lines and attachments, built up as the run
// goes, and its hand-off to the mail client at the end.
class ReportMail {
public:
    // Resets the message. When mailing: the recipients (customer first, then
    // administrator), the subject with today's long date, and the first two
    // text lines (the subject and "Report Listing:"). The message file is
    // kept in reportFolder.
    void start(const MailWanted& wanted, const CivilDate& today, const std::string& reportFolder);

    // At least one copy is wanted (an address that is empty once trimmed wants none).
    bool mailing() const { return mailing_; }

    // " " + the section name.
    void addSection(const std::string& section);
    // " - " + title + " (" + file name + ")", and the file attached.
    void addReport(const std::string& title, const std::string& filePath);
    // " General Web Statistics and Report Index (eindex.html)" as the third
    // line, and the e-mail index page attached.
    void addIndex(const std::string& eindexPath);

    const MailMessage& message() const { return message_; }

    // Hands the message to the mail client when mailing and at least one
    // file is attached; shows "Operation cancelled, the mail was not sent."
    // when the operator cancels the review, and the failure with the
    // recipients otherwise.
    void send(Platform& platform) const;

private:
    MailMessage message_;
    bool mailing_ = false;
};

// The error text for mail that could not be handed over.
std::string mailFailureText(const MailMessage& message, const std::string& detail);

}  // namespace larkspan
