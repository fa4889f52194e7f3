#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace larkspan {

// The address a web's "Server URL" stands for: it fills the s-ip field of
// records whose log does not name the server, and links are built as
// "http://" + address + path. So what was typed loses the blanks around
// it, a leading "http://" or "https://" (links add their own) and any
// slashes at its end (paths bring their own).
std::string serverAddressOf(std::string_view typed);

// Why an address cannot stand in a record, or nullopt when it can: records
// are split at blanks, and the settings file holds it on one line.
std::optional<std::string> serverAddressProblem(std::string_view address);

}  // namespace larkspan
