#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/Text.h"

namespace larkspan::demographics {

// A "code=name" list of the syss folder (countries, domain types). Codes
// are the text before the first "=" (a line without "=" gives an empty
// code) and compare without regard to case.
class CodeList {
  public:
    CodeList() = default;
    explicit CodeList(const std::vector<std::string>& lines);

    // Throws Error("Cannot open file <path>") when the file cannot be read.
    static CodeList load(const std::string& path);

    bool contains(std::string_view code) const;
    // The name given for the code; empty when the code is not listed.
    std::string nameOf(std::string_view code) const;

  private:
    std::unordered_map<std::string, std::string, text::CaseInsensitiveHash, text::CaseInsensitiveEqual> names_;
};

// A numeric address: at most 15 characters of digits and ".", empty
// included; also an IPv6 literal (hex digits, ":" and ".", with a ":").
bool isNumericAddress(std::string_view address);

struct DomainParts {
    std::string domain;  // "n/a" for a numeric address
    std::string country; // the last label when it is a country code, else "Unk"
    std::string type;    // a domain-type code, else "oth"
};

// Derives domain, country code and domain type from a client's host name.
// The last label T is the country when listed. When T is a domain type the
// suffix is T; otherwise the label L before it joins, giving the suffix L.T
// and the type L (when listed, else "oth"). The domain is the label before
// the suffix joined with it: a.b.com gives b.com; a.b.co.uk gives b.co.uk.
DomainParts deriveDomainParts(std::string_view host, const CodeList& countries, const CodeList& types);

} // namespace larkspan::demographics
