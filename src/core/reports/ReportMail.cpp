#include "reports/ReportMail.h"

#include "common/Text.h"
#include "platform/Platform.h"

#include <filesystem>

namespace larkspan {

void ReportMail::start(const MailWanted& wanted, const CivilDate& today, const std::string& reportFolder)
{
    message_ = MailMessage{};
    message_.folder = reportFolder;
    const std::string consumer = text::trim(wanted.consumerAddress);
    const std::string admin = text::trim(wanted.adminAddress);
    const bool consumerWanted = wanted.consumer && !consumer.empty();
    const bool adminWanted = wanted.admin && !admin.empty();
    mailing_ = consumerWanted || adminWanted;
    if (!mailing_) return;
    if (consumerWanted) message_.recipients.push_back(consumer);
    if (adminWanted) message_.recipients.push_back(admin);
    message_.subject = "Here are your Web Site reports generated on " + dates::longDate(today);
    message_.lines = {message_.subject, "Report Listing:"};
}

void ReportMail::addSection(const std::string& section)
{
    if (mailing_) message_.lines.push_back(" " + section);
}

void ReportMail::addReport(const std::string& title, const std::string& filePath)
{
    if (!mailing_) return;
    message_.lines.push_back(" - " + title + " (" + std::filesystem::path(filePath).filename().string() + ")");
    message_.attachments.push_back(filePath);
}

void ReportMail::addIndex(const std::string& eindexPath)
{
    if (!mailing_) return;
    const std::string line = " General Web Statistics and Report Index (eindex.html)";
    const auto at = message_.lines.size() < 2 ? message_.lines.end() : message_.lines.begin() + 2;
    message_.lines.insert(at, line);
    message_.attachments.push_back(eindexPath);
}

std::string mailFailureText(const MailMessage& message, const std::string& detail)
{
    std::string text = "An error was encountered while attempting to mail reports to the following recipients: \n";
    for (const std::string& recipient : message.recipients) text += recipient + "\n";
    return text + " The mail was not sent.\n" + detail;
}

void ReportMail::send(Platform& platform) const
{
    if (!mailing_ || message_.attachments.empty()) return;
    MailResult result;
    try {
        result = platform.mail.send(message_);
    } catch (const std::exception& e) {
        result = {MailOutcome::Failed, e.what()};
    }
    switch (result.outcome) {
    case MailOutcome::Sent:
        break;
    case MailOutcome::Cancelled:
        platform.messages.show(MessageKind::Information, "Operation cancelled, the mail was not sent.");
        break;
    case MailOutcome::Failed:
    case MailOutcome::Unavailable:
        platform.messages.show(MessageKind::Error, mailFailureText(message_, result.detail));
        break;
    }
}

}  // namespace larkspan
