#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace larkspan::keywords {

// The raw search value of a referring URL: in its path and query, the first
// parameter text of the list that occurs (ignoring case; empty texts never
// match) introduces it; the value runs from after that first occurrence to
// the first "&", or without "&" to the first "?". Empty when no parameter
// occurs.
std::string rawValue(std::string_view url, const std::vector<std::string>& parameters);

// Cleans a raw value: "&" deleted; each "%" escape becomes its byte (so
// UTF-8 search words keep their letters); control characters, commas and
// double quotes become blanks; a "%" not followed by two hex digits
// becomes a blank with the two characters after it (a "%" at the very end is
// dropped); blanks trimmed and collapsed, then written as "+", and runs of
// "+" reduced to one.
std::string clean(std::string_view value);

// What one referring URL yields for one search engine.
struct SearchWords {
    std::string keyword; // a single keyword (no "+")
    std::string phrase;  // words joined with "+"
    bool empty() const { return keyword.empty() && phrase.empty(); }
};

// A value that is a link ("http://..." or "https://...", as in a redirect's
// "/url?q=") yields no words.
SearchWords extract(std::string_view url, const std::vector<std::string>& parameters);

// Splits a comma text: commas and blanks separate entries, and an entry that
// begins with a double quote runs to the closing one (a doubled quote inside
// stands for one). Empty entries are left out.
std::vector<std::string> splitCommaText(std::string_view textIn);

} // namespace larkspan::keywords
