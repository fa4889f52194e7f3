#pragma once

#include "platform/Network.h"
#include "tracker/HostNameList.h"

#include <string>
#include <string_view>

namespace larkspan::tracker {

// The program-wide cache and failure list as the viewer or the lookup
// command holds them: loaded once, saved (merged under their locks) at the
// end.
struct ProgramHostNames {
    HostNameList cache;
    HostNameList failures;

    void load(const std::string& syssFolder);
    // False when either file could not be written.
    bool save(const std::string& syssFolder);
};

// Whether the text names an address rather than a host: every character
// is a digit or "." (an empty text counts), or the text is an IPv6 address
// (hexadecimal digits and at least two colons, dots allowed for an IPv4
// tail).
bool isAddressText(std::string_view text);

// Whether a resolver's answer may be kept: a host name of letters, digits,
// ".", "-" and "_" at most 253 characters long; an address of digits,
// hexadecimal letters, "." and ":" at most 45 long.
bool isSaneHostName(std::string_view name);
bool isSaneAddress(std::string_view address);

struct LookupOutcome {
    bool found = false;
    bool fromCache = false;
    std::string message; // the information text to show
};

// The cached answer for an address text: "Client IP Address:\t" + text +
// "\nClient Hostname:  \t" + name. found is false when the text is not an
// address or has no entry.
LookupOutcome cachedLookup(const ProgramHostNames& names, const std::string& text);

// Records a resolver's answer: a success (with a sane name and address) is
// added to the cache under its address; a failure of a known address, or
// an answer that is not sane, is added to the failure list. Returns the
// message to show.
LookupOutcome recordAnswer(ProgramHostNames& names, const DnsAnswer& answer);

// The whole lookup of a client text: a cached answer first, else a reverse
// lookup of an address or a forward lookup of a name, recorded as above.
LookupOutcome lookupClient(ProgramHostNames& names, DnsResolver& resolver, const std::string& text);

} // namespace larkspan::tracker
