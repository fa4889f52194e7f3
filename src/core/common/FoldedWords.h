#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace larkspan::text::words {

// Case folding eight bytes at a time, for the hot comparisons and hashes of
// long texts (user agents, referrers, tracker lines).

// Lower-cases the ASCII capitals of eight packed bytes; other bytes
// (including 8-bit ones) are left as they are.
inline std::uint64_t lowerWord(std::uint64_t w) noexcept
{
    constexpr std::uint64_t ones = 0x0101010101010101ull;
    constexpr std::uint64_t high = 0x8080808080808080ull;
    const std::uint64_t ascii = ~w & high; // bytes below 0x80
    const std::uint64_t low7 = w & ~high;
    const std::uint64_t geA = (low7 + ones * (0x80 - 'A')) & high; // >= 'A'
    const std::uint64_t gtZ = (low7 + ones * (0x7f - 'Z')) & high; // >  'Z'
    const std::uint64_t capital = geA & ~gtZ & ascii;
    return w | (capital >> 2); // 0x80 >> 2 == 0x20
}

inline std::uint64_t load8(const char* p) noexcept
{
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    return w;
}

// The first eight bytes of text lower-cased and packed high byte first,
// zero bytes after a shorter text: comparing two of them as integers orders
// the texts' beginnings as a case-folded byte comparison would.
inline std::uint64_t foldedPrefix(std::string_view text) noexcept
{
    if constexpr (std::endian::native == std::endian::little) {
        if (text.size() >= 8) return __builtin_bswap64(lowerWord(load8(text.data())));
    }
    std::uint64_t prefix = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        const unsigned char byte = i < text.size() ? static_cast<unsigned char>(text[i]) : 0;
        prefix = (prefix << 8) | (byte >= 'A' && byte <= 'Z' ? byte + ('a' - 'A') : byte);
    }
    return prefix;
}

} // namespace larkspan::text::words
