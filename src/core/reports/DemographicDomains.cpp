#include "reports/DemographicDomains.h"

#include "common/Error.h"
#include "common/TextFile.h"

#include <cctype>

namespace larkspan::demographics {

CodeList::CodeList(const std::vector<std::string>& lines)
{
    for (const std::string& line : lines) {
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) {
            names_.try_emplace(std::string(), std::string());
            continue;
        }
        names_.try_emplace(line.substr(0, equals), line.substr(equals + 1));
    }
}

CodeList CodeList::load(const std::string& path)
{
    std::string content;
    if (!readWholeFile(path, content)) throw Error("Cannot open file " + path);
    return CodeList(text::splitLines(content));
}

bool CodeList::contains(std::string_view code) const
{
    return names_.find(code) != names_.end();
}

std::string CodeList::nameOf(std::string_view code) const
{
    const auto it = names_.find(code);
    return it == names_.end() ? std::string() : it->second;
}

bool isNumericAddress(std::string_view address)
{
    if (address.size() <= 15 && address.find_first_not_of("0123456789.") == std::string_view::npos) return true;
    // IPv6 literals carry no names either; without this they would be taken
    // for host names with a made-up domain.
    return address.find(':') != std::string_view::npos &&
           address.find_first_not_of("0123456789abcdefABCDEF:.") == std::string_view::npos;
}

namespace {
// Removes and returns the last label (the text after the last "."), taking
// the "." with it; the whole text when there is no ".".
std::string popLabel(std::string& host)
{
    const std::size_t dot = host.rfind('.');
    if (dot == std::string::npos) {
        std::string label = std::move(host);
        host.clear();
        return label;
    }
    std::string label = host.substr(dot + 1);
    host.erase(dot);
    return label;
}

std::string lastLabel(const std::string& host)
{
    const std::size_t dot = host.rfind('.');
    return dot == std::string::npos ? host : host.substr(dot + 1);
}

std::string joinLabels(const std::string& left, const std::string& right)
{
    if (left.empty()) return right;
    if (right.empty()) return left;
    return left + "." + right;
}
} // namespace

DomainParts deriveDomainParts(std::string_view hostIn, const CodeList& countries, const CodeList& types)
{
    DomainParts parts;
    if (isNumericAddress(hostIn)) {
        parts.domain = parts.country = parts.type = "n/a";
        return parts;
    }
    std::string host(hostIn);
    const std::string top = popLabel(host);
    parts.country = countries.contains(top) ? top : "Unk";
    // A generic top label (com, net, org) is a domain type whether or not it
    // is also a country code; otherwise every host under it would count as a
    // domain of its own.
    const bool topIsType = types.contains(top);
    std::string suffix;
    if (topIsType) {
        parts.type = top;
        suffix = top;
    } else {
        // Without a listed type at the top, the domain takes the label before
        // it as part of its suffix (co.uk, com.au); short names simply run out
        // of labels.
        const std::string second = lastLabel(host);
        suffix = joinLabels(second, top);
        parts.type = !second.empty() && types.contains(second) ? second : "oth";
        popLabel(host);
    }
    parts.domain = joinLabels(lastLabel(host), suffix);
    return parts;
}

} // namespace larkspan::demographics
