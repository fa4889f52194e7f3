#pragma once

#include <cstdint>
#include <cstring>

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

} // namespace larkspan::text::words
