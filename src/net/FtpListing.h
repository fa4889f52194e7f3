#pragma once

#include "platform/Network.h"

#include <string_view>
#include <vector>

namespace larkspan::net {

// Entries of an MLSD reply (RFC 3659): "fact=value;...; name" per line.
// The folder's own entries ("cdir", "pdir") are left out; a line without
// a name is skipped.
std::vector<FtpEntry> parseMachineListing(std::string_view text);

// Entries of a LIST reply in the Unix "ls -l" form or the DOS form
// ("MM-DD-YY HH:MMAM <DIR>|size name"). Lines of neither form ("total 12")
// are skipped; a link is listed under its own name, as a file.
std::vector<FtpEntry> parseLongListing(std::string_view text);

} // namespace larkspan::net
