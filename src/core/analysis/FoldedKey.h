#pragma once

#include "common/FoldedWords.h"

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

using text::words::load8;
using text::words::lowerWord;

// The bytes of a key shorter than 8 packed into one word (a function of
// the bytes and n only; pieces may overlap).
inline std::uint64_t loadShort(const char* p, std::size_t n) noexcept
{
    if (n >= 4) {
        std::uint32_t a;
        std::uint32_t b;
        std::memcpy(&a, p, 4);
        std::memcpy(&b, p + n - 4, 4);
        return (std::uint64_t{a} << 32) | b;
    }
    if (n == 0) return 0;
    const auto byte = [p](std::size_t i) { return std::uint64_t{static_cast<unsigned char>(p[i])}; };
    return (byte(0) << 16) | (byte(n / 2) << 8) | byte(n - 1);
}

inline std::uint64_t mix(std::uint64_t x) noexcept
{
    x *= 0xBF58476D1CE4E5B9ull;
    return x ^ (x >> 31);
}

// Two independent lanes of eight bytes each; the last word of a key of 8
// bytes or more is read overlapping the one before it.
inline std::size_t hash(std::string_view s) noexcept
{
    const char* p = s.data();
    std::size_t n = s.size();
    std::uint64_t a = 0x9E3779B97F4A7C15ull ^ n;
    std::uint64_t b = 0x94D049BB133111EBull;
    if (n < 8) {
        a = mix(a ^ lowerWord(loadShort(p, n)));
    } else {
        const char* last = p + n - 8;
        while (n >= 16) {
            a = mix(a ^ lowerWord(load8(p)));
            b = mix(b ^ lowerWord(load8(p + 8)));
            p += 16;
            n -= 16;
        }
        if (n >= 8) {
            a = mix(a ^ lowerWord(load8(p)));
            n -= 8;
        }
        if (n > 0) b = mix(b ^ lowerWord(load8(last)));
    }
    const std::uint64_t h = mix(a ^ (b * 0x9E3779B97F4A7C15ull));
    return static_cast<std::size_t>(h ^ (h >> 29));
}

inline bool equal(std::string_view a, std::string_view b) noexcept
{
    const std::size_t n = a.size();
    if (n != b.size()) return false;
    const char* p = a.data();
    const char* q = b.data();
    if (n < 8) return lowerWord(loadShort(p, n)) == lowerWord(loadShort(q, n));
    for (std::size_t i = 0; i + 8 <= n; i += 8) {
        if (lowerWord(load8(p + i)) != lowerWord(load8(q + i))) return false;
    }
    return lowerWord(load8(p + n - 8)) == lowerWord(load8(q + n - 8));
}

} // namespace folded

struct FoldedHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const noexcept { return folded::hash(s); }
};

struct FoldedEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const noexcept { return folded::equal(a, b); }
};

} // namespace larkspan::analysis
