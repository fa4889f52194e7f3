#include "common/Utf8.h"

#include <cstdint>

namespace larkspan::text {

namespace {

// The length of the well-formed sequence starting at s[i], or 0.
std::size_t sequenceLength(std::string_view s, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF; // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;  // overlong
        if (lead == 0xED) high = 0x9F; // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;  // overlong
        if (lead == 0xF4) high = 0x8F; // above U+10FFFF
    } else {
        return 0;
    }
    if (i + length > s.size()) return 0;
    if (byte(1) < low || byte(1) > high) return 0;
    for (std::size_t k = 2; k < length; ++k)
        if ((byte(k) & 0xC0) != 0x80) return 0;
    return length;
}

// windows-1252 bytes 0x80 to 0x9F; 0 where the code page defines none.
constexpr std::uint16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

void appendCodePoint(std::string& out, std::uint32_t cp)
{
    if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    }
    out += static_cast<char>(0x80 | (cp & 0x3F));
}

} // namespace

bool isValidUtf8(std::string_view s)
{
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t length = sequenceLength(s, i);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

std::string toValidUtf8Owned(std::string s)
{
    if (isValidUtf8(s)) return s;
    return toValidUtf8(std::string_view(s));
}

std::string toValidUtf8(std::string_view s)
{
    if (isValidUtf8(s)) return std::string(s);
    std::string out;
    out.reserve(s.size() + s.size() / 8);
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t length = sequenceLength(s, i);
        if (length > 0) {
            out.append(s, i, length);
            i += length;
            continue;
        }
        const auto byte = static_cast<unsigned char>(s[i++]);
        const std::uint32_t cp = byte >= 0xA0 ? byte : kHighControls[byte - 0x80];
        appendCodePoint(out, cp == 0 ? 0xFFFD : cp);
    }
    return out;
}

} // namespace larkspan::text
