#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace larkspan::text {

// ASCII-only case folding: file, key and value names compare this way.
inline char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}
char upper(char c);
std::string toLower(std::string_view s);
std::string toUpper(std::string_view s);
bool iequals(std::string_view a, std::string_view b);
bool istartsWith(std::string_view s, std::string_view prefix);
bool iendsWith(std::string_view s, std::string_view suffix);
// Position of the first case-insensitive occurrence, or npos.
std::size_t ifind(std::string_view haystack, std::string_view needle, std::size_t from = 0);
// <0, 0, >0 like strcmp, ignoring ASCII case.
int icompare(std::string_view a, std::string_view b);

// Hash and equality for unordered containers keyed without regard to case.
struct CaseInsensitiveHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const noexcept;
};
struct CaseInsensitiveEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const noexcept { return iequals(a, b); }
};
struct CaseInsensitiveLess {
    bool operator()(std::string_view a, std::string_view b) const noexcept { return icompare(a, b) < 0; }
};

// Blanks and control characters (<= ' ') removed from both ends.
std::string trim(std::string_view s);
// The same without a copy: the part of s between them.
std::string_view trimView(std::string_view s);
std::string trimLeft(std::string_view s);
std::string trimRight(std::string_view s);

// Splits at CR, LF or CR LF; a final line break adds no empty line.
std::vector<std::string> splitLines(std::string_view s);
std::vector<std::string> split(std::string_view s, char separator);
std::string join(const std::vector<std::string>& parts, std::string_view separator);

// Replaces every occurrence, scanning again from the start until none is
// left. A replacement that contains the pattern is applied in one pass,
// so the operation always ends.
std::string replaceAll(std::string_view textIn, std::string_view pattern, std::string_view replacement);

// The text before its first "<"; unchanged without "<" or when the only "<"
// is the last character.
std::string cutAtLessThan(std::string_view s);

// Entities &amp; and &nbsp;, CR LF and tags become blanks; runs of blanks
// collapse to one and one leading blank is dropped.
std::string htmlToText(std::string_view html);

// Escapes &, <, >, " and ' so that log text can be placed in HTML.
std::string htmlEscape(std::string_view s);
// The same, appended to out.
void appendHtmlEscaped(std::string& out, std::string_view s);

// Whole text is a decimal integer with an optional sign.
bool isInteger(std::string_view s);
// Parses a decimal integer; false when the text is not one (or overflows).
bool parseInteger(std::string_view s, long long& value);
// Whole text is a number (optional sign, digits, optional fraction).
bool isNumber(std::string_view s);

// Every LF not preceded by CR becomes CR LF and a lone CR becomes CR LF.
std::string toCrLf(std::string_view s);

} // namespace larkspan::text
