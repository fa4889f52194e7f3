#pragma once

#include "platform/Mail.h"

#include <string>
#include <vector>

namespace larkspan {

// The command line that hands a message to the desktop's mail client with
// xdg-email: subject, body (the lines joined by line breaks), each attached
// file, then the addresses. Texts go as UTF-8 (8-bit text is read as
// Latin-1); an address that would read as an option is left out.
std::vector<std::string> xdgEmailArguments(const MailMessage& message);

}  // namespace larkspan
