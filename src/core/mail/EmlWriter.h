#pragma once

#include "common/Dates.h"
#include "platform/Mail.h"

#include <string>
#include <string_view>
#include <vector>

namespace larkspan {

// The envelope fields a message needs beyond its content.
struct EmlHeaders {
    std::string from;       // "Larkspan <user@localhost>"
    std::string date;       // RFC 5322 date-time, see rfc5322Date
    std::string messageId;  // "<id@host>"
};

// Writes one message as a standard MIME file (RFC 5322, RFC 2045-2047,
// RFC 2231): To with every recipient in order, Subject, a text part with the
// lines in order, and every attachment base64-encoded under its file name,
// all in a multipart/mixed body. Lines end in CR LF and stay within 78
// characters except the text part's own lines (at most 998; longer text is
// quoted-printable). It carries "X-Unsent: 1" so mail clients open it as a
// draft ready to send. Throws Error when an attachment cannot be read.
std::string writeEml(const MailMessage& message, const EmlHeaders& headers);

// "Fri, 01 Mar 2024 12:00:00 +0100".
std::string rfc5322Date(const LocalDateTime& at, int utcOffsetMinutes);

// The addresses of the recipients in order: each entry may hold several,
// separated by "," or ";"; blanks around them and line breaks or other
// control characters (which could forge header lines) are removed.
std::vector<std::string> mailAddresses(const std::vector<std::string>& recipients);

// Base64 in lines of 76 characters, each ended by CR LF.
std::string base64Lines(std::string_view bytes);

// The MIME type written for an attachment, by its extension.
std::string attachmentType(const std::string& fileName);

}  // namespace larkspan
