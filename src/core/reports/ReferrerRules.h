#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "common/Text.h"

namespace larkspan::referrers {

// The text after the first "://" of a referring URL; empty without "://".
std::string_view afterScheme(std::string_view url);

// The referring host: the text after the first "://" up to the next "/",
// trimmed. Empty, "-" or a URL without "://" give "Unknown".
std::string domainOf(std::string_view url);
// The same without a copy: a piece of url, or "Unknown".
std::string_view domainView(std::string_view url);

// The path and query of a referring URL: what follows the first "/" after
// the host. Empty when the URL has no "://" or no "/" after the host.
std::string_view pathAndQuery(std::string_view url);

// A long URL cut for display: the pieces between which "<br>" goes. The
// first break starts at character 76 (counting from 1) and each further one
// 80 characters later in the grown text, while that position lies inside
// it; so a 200-character URL breaks before its characters 76 and 152. The
// caller escapes each piece and joins them with "<br>".
std::vector<std::string> displayPieces(std::string_view url);

// Advertiser rule: the text after "://" begins with the entry, ignoring case.
// A URL without "://", or whose rest is "-", never matches.
bool advertiserMatches(std::string_view url, std::string_view entry);

// Affiliate rule: as the advertiser rule, but what follows the entry may be
// nothing, "/", or one further path segment (an optional "/" and text
// without another "/").
bool affiliateMatches(std::string_view url, std::string_view entry);

// The profile's excluded referring hosts, compared without regard to case.
class ExcludedDomains {
  public:
    ExcludedDomains() = default;
    explicit ExcludedDomains(const std::vector<std::string>& hosts);
    bool contains(std::string_view host) const;
    bool empty() const { return hosts_.empty(); }

  private:
    std::unordered_set<std::string, text::CaseInsensitiveHash, text::CaseInsensitiveEqual> hosts_;
};

} // namespace larkspan::referrers
