#include "profiles/ProfileLists.h"

#include "common/Text.h"

namespace larkspan::profiles {

namespace {

std::string withoutScheme(const std::string& s)
{
    const auto at = s.find("://");
    return at == std::string::npos ? s : s.substr(at + 3);
}

bool hasBlankOrTab(const std::string& s) { return s.find(' ') != std::string::npos || s.find('\t') != std::string::npos; }

bool endsWithLineBreak(const std::string& s) { return !s.empty() && (s.back() == '\n' || s.back() == '\r'); }

ListAddition appendUnlessListed(std::string& listText, const std::string& entry)
{
    if (hasLine(listText, entry)) return {};
    listText = appendEntry(listText, entry);
    return {ListAddition::Added, ""};
}

}  // namespace

std::vector<std::string> cleanDomainList(const std::vector<std::string>& lines)
{
    std::vector<std::string> out;
    for (const std::string& line : lines) {
        std::string entry = text::trim(line);
        if (entry.empty() || hasBlankOrTab(entry)) continue;
        entry = withoutScheme(entry);
        const auto slash = entry.find('/');
        if (slash != std::string::npos && slash == entry.size() - 1) entry.pop_back();
        out.push_back(entry);
    }
    return out;
}

std::vector<std::string> cleanReferringDomainList(const std::vector<std::string>& lines)
{
    std::vector<std::string> out;
    for (const std::string& line : lines) {
        std::string entry = text::trim(line);
        if (entry.empty() || hasBlankOrTab(entry)) continue;
        entry = withoutScheme(entry);
        entry = entry.substr(0, entry.find('/'));
        if (!entry.empty()) out.push_back(entry);
    }
    return out;
}

std::string appendEntry(const std::string& listText, const std::string& entry)
{
    if (listText.empty() || endsWithLineBreak(listText)) return listText + entry + "\r\n";
    return listText + "\r\n" + entry;
}

bool hasLine(const std::string& listText, const std::string& entry)
{
    for (const std::string& line : text::splitLines(listText)) {
        if (text::iequals(line, entry)) return true;
    }
    return false;
}

// "10.0.0.*" cannot be read by the filter; "10.0.0.0,255" is the same range
// in the form it reads. Only the last octet can be a range.
static std::string wildcardRefusal(const std::string& entry)
{
    std::string message = "The IP filter cannot use " + entry + ": entries with \"*\" exclude nothing.\n";
    const bool lastOctetOnly =
        entry.size() > 2 && entry.find('*') == entry.size() - 1 && entry[entry.size() - 2] == '.';
    if (lastOctetOnly) {
        const std::string prefix = entry.substr(0, entry.size() - 1);
        return message + "To exclude " + prefix + "0 through " + prefix + "255, give the first address and the last " +
               "octet: " + prefix + "0,255";
    }
    return message + "Only the last octet can be a range: give the first address and the last octet, e.g. " +
           "10.0.0.0,255 for 10.0.0.0 through 10.0.0.255";
}

ListAddition addIpFilter(std::string& listText, const std::string& address, const std::string& lastOctet)
{
    if (address.empty()) return {};
    const std::string entry = lastOctet.empty() ? address : address + "," + lastOctet;
    if (entry.find('*') != std::string::npos) return {ListAddition::Refused, wildcardRefusal(entry)};
    return appendUnlessListed(listText, entry);
}

std::string ipListWildcardProblem(const std::string& listText)
{
    for (const std::string& line : text::splitLines(listText))
        if (line.find('*') != std::string::npos) return wildcardRefusal(text::trim(line));
    return {};
}

ListAddition addWebFilter(std::string& listText, const std::string& directory, bool subWeb)
{
    if (directory.empty()) return {};
    const std::string entry = directory + "," + (subWeb ? "SubDomain" : "Exclude");
    if (subWeb && !listText.empty()) {
        if (text::ifind(listText, ",SUBDOMAIN") != std::string::npos) {
            return {ListAddition::Refused,
                    "Cannot Create Subweb if other filter information exists\rThe Sub web MUST be the first entry "
                    "in the line!"};
        }
        listText = entry + "\r\n" + listText;
        return {ListAddition::Added, ""};
    }
    if (subWeb) {
        listText = appendEntry(listText, entry);
        return {ListAddition::Added, ""};
    }
    return appendUnlessListed(listText, entry);
}

static ListAddition addDomain(std::string& listText, const std::string& answer, bool advertising)
{
    std::string entry = withoutScheme(text::trim(answer));
    if (text::trim(answer).empty()) return {};
    if (advertising) {
        const auto slash = entry.find('/');
        if (slash != std::string::npos && slash == entry.size() - 1) entry.pop_back();
    } else if (!entry.empty() && entry.back() == '/') {
        entry.pop_back();
    }
    if (hasBlankOrTab(entry)) return {ListAddition::Refused, "Invalid Domain Name\nBlank space is not allowed."};
    return appendUnlessListed(listText, entry);
}

ListAddition addAdvertisingDomain(std::string& listText, const std::string& answer)
{
    return addDomain(listText, answer, true);
}

ListAddition addAffiliateDomain(std::string& listText, const std::string& answer)
{
    return addDomain(listText, answer, false);
}

ListAddition addReferringDomain(std::string& listText, const std::string& answer)
{
    std::string entry = withoutScheme(text::trim(answer));
    entry = text::trim(entry.substr(0, entry.find('/')));
    if (entry.empty()) return {ListAddition::Refused, "Cannot add a blank domain."};
    if (hasLine(listText, entry)) {
        return {ListAddition::Refused, "Domain " + entry + " cannot be added.\nDuplicates not allowed."};
    }
    listText = appendEntry(listText, entry);
    return {ListAddition::Added, ""};
}

}  // namespace larkspan::profiles
