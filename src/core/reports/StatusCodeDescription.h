#pragma once

#include <string>

namespace larkspan {

// "404 - Client - Not Found": the code, its class (" - Client - " for 4xx,
// " - Server - " for 5xx, " - " otherwise) and the HTTP/1.1 reason phrase,
// "Unknown" for a code the table lacks or a code that is not a number.
std::string statusCodeDescription(const std::string& code);

} // namespace larkspan
