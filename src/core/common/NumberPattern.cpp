#include "common/NumberPattern.h"

#include "common/Dates.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <iterator>

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

bool isPatternChar(char c)
{
    return c == '#' || c == '0';
}

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
        if (c == '.')
            afterPoint = true;
        else if (c == ',' && !afterPoint)
            parts.grouping = true;
        else if (isPatternChar(c) && afterPoint) {
            ++parts.maxDecimals;
            if (c == '0') parts.minDecimals = parts.maxDecimals;
        } else if (c == '0')
            ++parts.minIntegerDigits;
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

} // namespace

namespace {

double powerOfTen(int exponent)
{
    static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                         1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    if (exponent >= 0 && exponent < static_cast<int>(std::size(kPowers))) return kPowers[exponent];
    return std::pow(10.0, exponent);
}

// Below 2^52 the quotient scaled / 10^d lies closer to its d-decimal value
// than half a unit of the last decimal, so printing it with d decimals gives
// scaled's own digits with the point d places from the right.
constexpr double kExactScaled = 4503599627370496.0;

// The digits of scaled / 10^decimals as "%.*f" writes them: the integer
// part and the decimals, split at the point.
void splitScaled(double scaled, double rounded, int decimals, std::string& integerPart, std::string& decimalPart)
{
    if (scaled < kExactScaled) {
        char digits[24];
        const auto [end, error] = std::to_chars(digits, digits + sizeof digits, static_cast<std::uint64_t>(scaled));
        const std::string_view all(digits, static_cast<std::size_t>(end - digits));
        const std::size_t d = static_cast<std::size_t>(decimals);
        if (all.size() > d) {
            integerPart.assign(all.substr(0, all.size() - d));
            decimalPart.assign(all.substr(all.size() - d));
        } else {
            integerPart = "0";
            decimalPart.assign(d - all.size(), '0');
            decimalPart += all;
        }
        return;
    }
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, rounded);
    const std::string_view fixed = buffer;
    const std::size_t point = fixed.find('.');
    integerPart.assign(fixed.substr(0, point));
    decimalPart.assign(point == std::string_view::npos ? std::string_view() : fixed.substr(point + 1));
}

} // namespace

std::string formatNumber(double value, std::string_view pattern)
{
    const PatternParts parts = parsePattern(pattern);
    if (!std::isfinite(value)) value = 0;
    const double scale = powerOfTen(parts.maxDecimals);
    const double scaled = std::round(std::fabs(value) * scale * (1 + 1e-15));
    const double rounded = scaled / scale;
    const bool negative = value < 0 && rounded != 0;

    std::string integerPart;
    std::string decimals;
    splitScaled(scaled, rounded, parts.maxDecimals, integerPart, decimals);
    while (static_cast<int>(decimals.size()) > parts.minDecimals && decimals.back() == '0')
        decimals.pop_back();
    if (integerPart == "0" && parts.minIntegerDigits == 0) integerPart.clear();
    if (static_cast<int>(integerPart.size()) < parts.minIntegerDigits)
        integerPart.insert(0, static_cast<std::size_t>(parts.minIntegerDigits) - integerPart.size(), '0');
    if (integerPart.empty() && decimals.empty()) integerPart = "0";
    if (parts.grouping) integerPart = groupThousands(integerPart);

    std::string out;
    out.reserve(parts.prefix.size() + integerPart.size() + decimals.size() + parts.suffix.size() + 2);
    out += parts.prefix;
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

} // namespace larkspan
