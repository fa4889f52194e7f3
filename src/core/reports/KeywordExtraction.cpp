#include "reports/KeywordExtraction.h"

#include "common/Text.h"
#include "reports/ReferrerRules.h"

namespace larkspan::keywords {

std::string rawValue(std::string_view url, const std::vector<std::string>& parameters)
{
    const std::string_view path = referrers::pathAndQuery(url);
    if (path.empty()) return {};
    for (const std::string& parameter : parameters) {
        if (parameter.empty()) continue;
        const std::size_t at = text::ifind(path, parameter);
        if (at == std::string_view::npos) continue;
        std::string_view value = path.substr(at + parameter.size());
        std::size_t end = value.find('&');
        if (end == std::string_view::npos) end = value.find('?');
        if (end != std::string_view::npos) value = value.substr(0, end);
        return std::string(value);
    }
    return {};
}

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A byte of the value as the word lists can hold it: the lists are joined
// with commas and read with quotes, and a word has no control characters.
char wordByte(char c)
{
    return static_cast<unsigned char>(c) < ' ' || c == 0x7F || c == ',' || c == '"' ? ' ' : c;
}

// The target of a redirect link ("/url?q=https://..."), not something searched for.
bool isLinkTarget(std::string_view words)
{
    return text::istartsWith(words, "http://") || text::istartsWith(words, "https://");
}

} // namespace

std::string clean(std::string_view value)
{
    std::string withoutAmpersands;
    withoutAmpersands.reserve(value.size());
    for (char c : value)
        if (c != '&') withoutAmpersands += c;

    std::string decoded;
    decoded.reserve(withoutAmpersands.size());
    for (std::size_t i = 0; i < withoutAmpersands.size(); ++i) {
        if (withoutAmpersands[i] != '%') {
            decoded += wordByte(withoutAmpersands[i]);
            continue;
        }
        // An escape gives its byte (search words arrive as UTF-8 bytes, so
        // "caf%C3%A9" is "café"); one that is not two hex digits becomes a
        // blank, and a "%" that ends the text goes alone.
        const int high = i + 1 < withoutAmpersands.size() ? hexValue(withoutAmpersands[i + 1]) : -1;
        const int low = i + 2 < withoutAmpersands.size() ? hexValue(withoutAmpersands[i + 2]) : -1;
        if (high >= 0 && low >= 0)
            decoded += wordByte(static_cast<char>(high * 16 + low));
        else if (i + 1 < withoutAmpersands.size())
            decoded += ' ';
        i += 2;
    }

    const std::size_t first = decoded.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    const std::size_t last = decoded.find_last_not_of(' ');
    std::string out;
    out.reserve(last - first + 1);
    for (std::size_t i = first; i <= last; ++i) {
        const char c = decoded[i] == ' ' ? '+' : decoded[i];
        if (c == '+' && !out.empty() && out.back() == '+') continue;
        out += c;
    }
    return out;
}

SearchWords extract(std::string_view url, const std::vector<std::string>& parameters)
{
    SearchWords words;
    const std::string value = rawValue(url, parameters);
    if (value.empty()) return words;
    std::string cleaned = clean(value);
    if (isLinkTarget(cleaned)) return words;
    if (cleaned.find('+') == std::string::npos)
        words.keyword = std::move(cleaned);
    else
        words.phrase = std::move(cleaned);
    return words;
}

std::vector<std::string> splitCommaText(std::string_view textIn)
{
    std::vector<std::string> entries;
    std::size_t i = 0;
    const std::size_t n = textIn.size();
    auto isSpace = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (i < n && isSpace(textIn[i]))
        ++i;
    while (i < n) {
        std::string entry;
        if (textIn[i] == '"') {
            ++i;
            while (i < n) {
                if (textIn[i] == '"') {
                    if (i + 1 < n && textIn[i + 1] == '"') {
                        entry += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                entry += textIn[i++];
            }
        } else {
            while (i < n && !isSpace(textIn[i]) && textIn[i] != ',')
                entry += textIn[i++];
        }
        if (!entry.empty()) entries.push_back(std::move(entry));
        while (i < n && isSpace(textIn[i]))
            ++i;
        if (i < n && textIn[i] == ',') {
            ++i;
            while (i < n && isSpace(textIn[i]))
                ++i;
        }
    }
    return entries;
}

} // namespace larkspan::keywords
