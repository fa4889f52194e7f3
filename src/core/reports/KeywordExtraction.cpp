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
            decoded += withoutAmpersands[i];
            continue;
        }
        // The escape's two characters go; a "%" that ends the text goes alone.
        if (i + 1 < withoutAmpersands.size()) decoded += ' ';
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
