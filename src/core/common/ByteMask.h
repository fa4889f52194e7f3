#pragma once

#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Where a byte occurs among sixteen, as a bit mask: the scans of log lines
// (field separators, brackets, quotes) look at a block of bytes with one
// instruction where the machine has it, and byte by byte elsewhere.
namespace larkspan::text::bytes {

inline constexpr std::size_t kBlock = 16;

// Bit i is set when p[i] == c, for the kBlock bytes at p.
inline std::uint32_t matchMask(const char* p, char c)
{
#if defined(__SSE2__)
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    return static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, _mm_set1_epi8(c))));
#else
    std::uint32_t mask = 0;
    for (std::size_t i = 0; i < kBlock; ++i)
        if (p[i] == c) mask |= std::uint32_t{1} << i;
    return mask;
#endif
}

// The same for the 64 bytes at p, bit i for p[i].
inline std::uint64_t matchMask64(const char* p, char c)
{
    std::uint64_t mask = 0;
    for (std::size_t i = 0; i < 64; i += kBlock)
        mask |= std::uint64_t{matchMask(p + i, c)} << i;
    return mask;
}

} // namespace larkspan::text::bytes
