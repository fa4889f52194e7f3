#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace larkspan::analysis {

// Case-insensitive hash and equality for the statistics table's indexes.
// They fold ASCII letters exactly as text::iequals does, but work on eight
// bytes at a time: user agents and referrers are long and are looked up for
// almost every record.
namespace folded {

// Lower-cases the ASCII capitals of eight packed bytes; other bytes
// (including 8-bit ones) are left as they are.
inline std::uint64_t lowerWord(std::uint64_t w) noexcept
{
    constexpr std::uint64_t ones = 0x0101010101010101ull;
    constexpr std::uint64_t high = 0x8080808080808080ull;
    const std::uint64_t ascii = ~w & high;                      // bytes below 0x80
    const std::uint64_t low7 = w & ~high;
    const std::uint64_t geA = (low7 + ones * (0x80 - 'A')) & high;  // >= 'A'
    const std::uint64_t gtZ = (low7 + ones * (0x7f - 'Z')) & high;  // >  'Z'
    const std::uint64_t capital = geA & ~gtZ & ascii;
    return w | (capital >> 2);  // 0x80 >> 2 == 0x20
}

inline std::uint64_t load(const char* p, std::size_t n) noexcept
{
    std::uint64_t w = 0;
    std::memcpy(&w, p, n);
    return w;
}

inline std::size_t hash(std::string_view s) noexcept
{
    std::uint64_t h = 0x9E3779B97F4A7C15ull ^ s.size();
    const char* p = s.data();
    std::size_t n = s.size();
    while (n >= 8) {
        h = (h ^ lowerWord(load(p, 8))) * 0xBF58476D1CE4E5B9ull;
        h ^= h >> 29;
        p += 8;
        n -= 8;
    }
    if (n > 0) {
        h = (h ^ lowerWord(load(p, n))) * 0x94D049BB133111EBull;
        h ^= h >> 31;
    }
    h *= 0xBF58476D1CE4E5B9ull;
    return static_cast<std::size_t>(h ^ (h >> 32));
}

inline bool equal(std::string_view a, std::string_view b) noexcept
{
    if (a.size() != b.size()) return false;
    const char* p = a.data();
    const char* q = b.data();
    std::size_t n = a.size();
    while (n >= 8) {
        if (lowerWord(load(p, 8)) != lowerWord(load(q, 8))) return false;
        p += 8;
        q += 8;
        n -= 8;
    }
    return n == 0 || lowerWord(load(p, n)) == lowerWord(load(q, n));
}

}  // namespace folded

struct FoldedHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const noexcept { return folded::hash(s); }
};

struct FoldedEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const noexcept { return folded::equal(a, b); }
};

}  // namespace larkspan::analysis
