#include "common/NumberPattern.h"

#include "common/Dates.h"

#include <cmath>
#include <cstdio>

namespace larkspan {

namespace {

struct PatternParts {
    std::string_view prefix;
    std::string_view suffix;
    int minIntegerDigits = 0;
    int minDecimals = 0;
    int maxDecimals = 0;
    bool grouping = false;
};

bool isPatternChar(char c) { return c == '#' || c == '0'; }

PatternParts parsePattern(std::string_view pattern)
{
    PatternParts parts;
    const std::size_t first = pattern.find_first_of("#0");
    if (first == std::string_view::npos) {
        parts.prefix = pattern;
        return parts;
    }
    std::size_t last = pattern.find_last_of("#0");
    std::size_t begin = first;
    // A leading decimal point (".##") belongs to the digits.
    if (begin > 0 && pattern[begin - 1] == '.') --begin;
    parts.prefix = pattern.substr(0, begin);
    parts.suffix = pattern.substr(last + 1);
    bool afterPoint = false;
    for (std::size_t i = begin; i <= last; ++i) {
        const char c = pattern[i];
        if (c == '.') afterPoint = true;
        else if (c == ',' && !afterPoint) parts.grouping = true;
        else if (isPatternChar(c) && afterPoint) {
            ++parts.maxDecimals;
            if (c == '0') parts.minDecimals = parts.maxDecimals;
        } else if (c == '0') ++parts.minIntegerDigits;
    }
    return parts;
}

std::string groupThousands(const std::string& digits)
{
    std::string out;
    const std::size_t n = digits.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) out += dates::kThousandsSeparator;
        out += digits[i];
    }
    return out;
}

}  // namespace

std::string formatNumber(double value, std::string_view pattern)
{
    const PatternParts parts = parsePattern(pattern);
    if (!std::isfinite(value)) value = 0;
    const double scale = std::pow(10.0, parts.maxDecimals);
    double rounded = std::round(std::fabs(value) * scale * (1 + 1e-15)) / scale;
    const bool negative = value < 0 && rounded != 0;

    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.*f", parts.maxDecimals, rounded);
    std::string fixed = buffer;
    std::string integerPart = fixed;
    std::string decimals;
    const std::size_t point = fixed.find('.');
    if (point != std::string::npos) {
        integerPart = fixed.substr(0, point);
        decimals = fixed.substr(point + 1);
    }
    while (static_cast<int>(decimals.size()) > parts.minDecimals && decimals.back() == '0') decimals.pop_back();
    if (integerPart == "0" && parts.minIntegerDigits == 0) integerPart.clear();
    while (static_cast<int>(integerPart.size()) < parts.minIntegerDigits) integerPart.insert(0, "0");
    if (integerPart.empty() && decimals.empty()) integerPart = "0";
    if (parts.grouping) integerPart = groupThousands(integerPart);

    std::string out(parts.prefix);
    if (negative) out += '-';
    out += integerPart;
    if (!decimals.empty()) {
        out += dates::kDecimalSeparator;
        out += decimals;
    }
    out += parts.suffix;
    return out;
}

std::string countKey(long long count)
{
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, "%100.100lld", count);
    return buffer;
}

}  // namespace larkspan
