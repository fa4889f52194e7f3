#pragma once

#include "common/Dates.h"
#include "platform/Mail.h"

#include <string>

namespace larkspan {

// The name of the message file kept beside the reports.
inline constexpr const char* kMailDraftName = "LKRMail.eml";

// Where the message file goes: the message's folder, else the folder of its
// first attachment; empty when neither is known.
std::string mailDraftPath(const MailMessage& message);

// Writes the message as a MIME file ready for any mail client and returns
// its path. The sender is the local user; the date is `now` in the system's
// time zone. Throws Error when an attachment cannot be read or the file
// cannot be written.
std::string saveMailDraft(const MailMessage& message, const LocalDateTime& now);

// Minutes east of UTC of the system's local time now.
int localUtcOffsetMinutes();

}  // namespace larkspan
