#include "common/Text.h"

#include "common/FoldedWords.h"

#include <bit>
#include <charconv>
#include <cstdint>

namespace larkspan::text {

char upper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

std::string toLower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = lower(c);
    return out;
}

std::string toUpper(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = upper(c);
    return out;
}

bool iequals(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

bool istartsWith(std::string_view s, std::string_view prefix)
{
    return s.size() >= prefix.size() && iequals(s.substr(0, prefix.size()), prefix);
}

bool iendsWith(std::string_view s, std::string_view suffix)
{
    return s.size() >= suffix.size() && iequals(s.substr(s.size() - suffix.size()), suffix);
}

std::size_t ifind(std::string_view haystack, std::string_view needle, std::size_t from)
{
    if (needle.empty()) return from <= haystack.size() ? from : std::string_view::npos;
    if (haystack.size() < needle.size()) return std::string_view::npos;
    const char first = lower(needle[0]);
    for (std::size_t i = from; i + needle.size() <= haystack.size(); ++i) {
        if (lower(haystack[i]) != first) continue;
        if (iequals(haystack.substr(i, needle.size()), needle)) return i;
    }
    return std::string_view::npos;
}

int icompare(std::string_view a, std::string_view b)
{
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    std::size_t i = 0;
    if constexpr (std::endian::native == std::endian::little) {
        // Eight bytes at a time up to the first word that differs.
        for (; i + 8 <= n; i += 8) {
            const std::uint64_t x = words::lowerWord(words::load8(a.data() + i));
            const std::uint64_t y = words::lowerWord(words::load8(b.data() + i));
            if (x == y) continue;
            const int shift = std::countr_zero(x ^ y) & ~7;
            return ((x >> shift) & 0xff) < ((y >> shift) & 0xff) ? -1 : 1;
        }
    }
    for (; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(lower(a[i]));
        const auto cb = static_cast<unsigned char>(lower(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

std::size_t CaseInsensitiveHash::operator()(std::string_view s) const noexcept
{
    // FNV-1a over the folded bytes.
    std::size_t h = 14695981039346656037ull;
    for (char c : s) {
        h ^= static_cast<unsigned char>(lower(c));
        h *= 1099511628211ull;
    }
    return h;
}

static bool isBlank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

std::string trimLeft(std::string_view s)
{
    std::size_t b = 0;
    while (b < s.size() && isBlank(s[b]))
        ++b;
    return std::string(s.substr(b));
}

std::string trimRight(std::string_view s)
{
    std::size_t e = s.size();
    while (e > 0 && isBlank(s[e - 1]))
        --e;
    return std::string(s.substr(0, e));
}

std::string_view trimView(std::string_view s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

std::string trim(std::string_view s)
{
    return std::string(trimView(s));
}

std::vector<std::string> splitLines(std::string_view s)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\r' && s[i] != '\n') continue;
        lines.emplace_back(s.substr(start, i - start));
        if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < s.size()) lines.emplace_back(s.substr(start));
    return lines;
}

std::vector<std::string> split(std::string_view s, char separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t pos = s.find(separator, start);
        if (pos == std::string_view::npos) {
            parts.emplace_back(s.substr(start));
            return parts;
        }
        parts.emplace_back(s.substr(start, pos - start));
        start = pos + 1;
    }
}

std::string join(const std::vector<std::string>& parts, std::string_view separator)
{
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i) out += separator;
        out += parts[i];
    }
    return out;
}

// One left-to-right pass; returns whether anything was replaced.
static bool replaceOnce(std::string& s, std::string_view pattern, std::string_view replacement)
{
    std::size_t pos = s.find(pattern);
    if (pos == std::string::npos) return false;
    std::string out;
    out.reserve(s.size());
    std::size_t start = 0;
    while (pos != std::string::npos) {
        out.append(s, start, pos - start);
        out += replacement;
        start = pos + pattern.size();
        pos = s.find(pattern, start);
    }
    out.append(s, start, std::string::npos);
    s.swap(out);
    return true;
}

static void replaceUntilGone(std::string& s, std::string_view pattern, std::string_view replacement)
{
    while (replaceOnce(s, pattern, replacement)) {
    }
}

std::string replaceAll(std::string_view textIn, std::string_view pattern, std::string_view replacement)
{
    std::string s(textIn);
    if (pattern.empty()) return s;
    if (replacement.find(pattern) == std::string_view::npos) {
        replaceUntilGone(s, pattern, replacement);
        return s;
    }
    // Rescanning would never end; a single left-to-right pass gives the
    // result a temporary placeholder would, without a placeholder that could
    // collide with the text around it.
    replaceOnce(s, pattern, replacement);
    return s;
}

std::string cutAtLessThan(std::string_view s)
{
    const std::size_t pos = s.find('<');
    if (pos == std::string_view::npos || pos + 1 == s.size()) return std::string(s);
    return std::string(s.substr(0, pos));
}

std::string htmlToText(std::string_view html)
{
    std::string s = replaceAll(html, "&amp;", "&");
    s = replaceAll(s, "&nbsp;", " ");
    s = replaceAll(s, "\r\n", " ");
    std::string untagged;
    untagged.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '<') {
            const std::size_t close = s.find('>', i + 1);
            if (close != std::string::npos) {
                untagged += ' ';
                i = close;
                continue;
            }
        }
        untagged += s[i];
    }
    std::string collapsed;
    collapsed.reserve(untagged.size());
    for (char c : untagged) {
        if (c == ' ' && !collapsed.empty() && collapsed.back() == ' ') continue;
        collapsed += c;
    }
    if (!collapsed.empty() && collapsed.front() == ' ') collapsed.erase(0, 1);
    return collapsed;
}

void appendHtmlEscaped(std::string& out, std::string_view s)
{
    for (std::size_t at = 0; at < s.size();) {
        const std::size_t special = s.find_first_of("&<>\"'", at);
        out.append(s.substr(at, special - at));
        if (special == std::string_view::npos) return;
        switch (s[special]) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += "&#39;";
            break;
        }
        at = special + 1;
    }
}

std::string htmlEscape(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    appendHtmlEscaped(out, s);
    return out;
}

bool parseInteger(std::string_view s, long long& value)
{
    if (s.empty()) return false;
    std::size_t i = 0;
    bool negative = false;
    if (s[0] == '+' || s[0] == '-') {
        negative = s[0] == '-';
        i = 1;
    }
    if (i >= s.size()) return false;
    unsigned long long magnitude = 0;
    const auto* begin = s.data() + i;
    const auto* end = s.data() + s.size();
    auto [ptr, ec] = std::from_chars(begin, end, magnitude);
    if (ec != std::errc() || ptr != end) return false;
    if (negative) {
        if (magnitude > 9223372036854775808ull) return false;
        value = magnitude == 9223372036854775808ull ? static_cast<long long>(-9223372036854775807ll - 1)
                                                    : -static_cast<long long>(magnitude);
    } else {
        if (magnitude > 9223372036854775807ull) return false;
        value = static_cast<long long>(magnitude);
    }
    return true;
}

bool isInteger(std::string_view s)
{
    long long ignored = 0;
    return parseInteger(s, ignored);
}

bool isNumber(std::string_view s)
{
    std::size_t i = 0;
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) i = 1;
    bool digits = false;
    bool point = false;
    for (; i < s.size(); ++i) {
        if (s[i] >= '0' && s[i] <= '9')
            digits = true;
        else if (s[i] == '.' && !point)
            point = true;
        else
            return false;
    }
    return digits;
}

std::string toCrLf(std::string_view s)
{
    std::string out;
    out.reserve(s.size() + s.size() / 32);
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r') {
            out += "\r\n";
            if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
        } else if (s[i] == '\n') {
            out += "\r\n";
        } else {
            out += s[i];
        }
    }
    return out;
}

} // namespace larkspan::text
