#include "tracker/ClientLookup.h"

#include "tracker/HostNameCache.h"

#include <algorithm>

namespace larkspan::tracker {

namespace {

constexpr std::size_t kMaxHostName = 253;
constexpr std::size_t kMaxAddress = 45;
constexpr std::size_t kMaxFailureText = 200;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}
bool isHex(char c)
{
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// A failure description kept on one line of printable text.
std::string failureText(std::string_view description)
{
    std::string out;
    for (const char c : description.substr(0, kMaxFailureText))
        out += static_cast<unsigned char>(c) < 0x20 || c == 0x7f ? ' ' : c;
    return out.empty() ? std::string("Unknown error") : out;
}

} // namespace

void ProgramHostNames::load(const std::string& syssFolder)
{
    cache.load(programCachePath(syssFolder));
    failures.load(failureListPath(syssFolder));
}

bool ProgramHostNames::save(const std::string& syssFolder)
{
    const bool cacheSaved = cache.saveMerged(programCachePath(syssFolder));
    const bool failuresSaved = failures.saveMerged(failureListPath(syssFolder));
    return cacheSaved && failuresSaved;
}

bool isAddressText(std::string_view text)
{
    if (std::all_of(text.begin(), text.end(), [](char c) { return isDigit(c) || c == '.'; })) return true;
    const auto colons = std::count(text.begin(), text.end(), ':');
    return colons >= 2 && text.size() <= kMaxAddress &&
           std::all_of(text.begin(), text.end(), [](char c) { return isHex(c) || c == ':' || c == '.'; });
}

bool isSaneHostName(std::string_view name)
{
    return !name.empty() && name.size() <= kMaxHostName && std::all_of(name.begin(), name.end(), [](char c) {
        return isLetter(c) || isDigit(c) || c == '.' || c == '-' || c == '_';
    });
}

bool isSaneAddress(std::string_view address)
{
    return !address.empty() && address.size() <= kMaxAddress &&
           std::all_of(address.begin(), address.end(), [](char c) { return isHex(c) || c == '.' || c == ':'; });
}

LookupOutcome cachedLookup(const ProgramHostNames& names, const std::string& text)
{
    if (!isAddressText(text)) return {};
    const auto name = names.cache.find(text);
    if (!name) return {};
    return {true, true, "Client IP Address:\t" + text + "\nClient Hostname:  \t" + std::string(*name)};
}

LookupOutcome recordAnswer(ProgramHostNames& names, const DnsAnswer& answer)
{
    const bool addressKnown = isSaneAddress(answer.address) && answer.address != "0.0.0.0";
    if (answer.found && addressKnown && isSaneHostName(answer.hostName)) {
        names.cache.add(answer.address, answer.hostName);
        return {true, false, "Client IP:\t" + answer.address + "\nhas Hostname:\t" + answer.hostName};
    }
    if (!addressKnown) return {false, false, "Could not resolve hostname."};
    const std::string why = answer.found ? "The answer is not a valid host name" : failureText(answer.failure);
    names.failures.add(answer.address, why);
    return {false, false, "Could not resolve hostname for " + answer.address};
}

LookupOutcome lookupClient(ProgramHostNames& names, DnsResolver& resolver, const std::string& text)
{
    LookupOutcome cached = cachedLookup(names, text);
    if (cached.found) return cached;
    return recordAnswer(names, isAddressText(text) ? resolver.reverse(text) : resolver.forward(text));
}

} // namespace larkspan::tracker
