#include "reports/ReferrerRules.h"

namespace larkspan::referrers {

std::string_view afterScheme(std::string_view url)
{
    const std::size_t scheme = url.find("://");
    if (scheme == std::string_view::npos) return {};
    return url.substr(scheme + 3);
}

std::string_view domainView(std::string_view url)
{
    if (url.find("://") == std::string_view::npos) return "Unknown";
    std::string_view rest = afterScheme(url);
    const std::size_t slash = rest.find('/');
    if (slash != std::string_view::npos) rest = rest.substr(0, slash);
    const std::string_view host = text::trimView(rest);
    if (host.empty() || host == "-") return "Unknown";
    return host;
}

std::string domainOf(std::string_view url)
{
    return std::string(domainView(url));
}

std::string_view pathAndQuery(std::string_view url)
{
    if (url.find("://") == std::string_view::npos) return {};
    const std::string_view rest = afterScheme(url);
    const std::size_t slash = rest.find('/');
    if (slash == std::string_view::npos) return {};
    return rest.substr(slash + 1);
}

std::vector<std::string> displayPieces(std::string_view url)
{
    // In the grown text each break adds four characters, so 80 characters
    // of grown text are 76 characters of the URL.
    std::vector<std::string> pieces;
    std::size_t start = 0;
    std::size_t grownLength = url.size();
    for (std::size_t position = 76; position < grownLength; position += 80) {
        const std::size_t cut = position - 1 - 4 * pieces.size();
        pieces.emplace_back(url.substr(start, cut - start));
        start = cut;
        grownLength += 4;
    }
    pieces.emplace_back(url.substr(start));
    return pieces;
}

bool advertiserMatches(std::string_view url, std::string_view entry)
{
    if (url.find("://") == std::string_view::npos) return false;
    const std::string_view rest = afterScheme(url);
    if (rest == "-") return false;
    return text::istartsWith(rest, entry);
}

bool affiliateMatches(std::string_view url, std::string_view entry)
{
    if (!advertiserMatches(url, entry)) return false;
    const std::string_view rest = afterScheme(url);
    if (text::iequals(rest, entry)) return true;
    std::string_view tail = rest.substr(entry.size());
    if (tail.empty() || tail == "/") return true;
    if (tail.front() == '/') tail.remove_prefix(1);
    return tail.find('/') == std::string_view::npos;
}

ExcludedDomains::ExcludedDomains(const std::vector<std::string>& hosts)
{
    for (const std::string& host : hosts)
        if (!host.empty()) hosts_.insert(host);
}

bool ExcludedDomains::contains(std::string_view host) const
{
    return hosts_.find(host) != hosts_.end();
}

} // namespace larkspan::referrers
