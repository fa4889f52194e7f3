#include "common/FieldSplit.h"

#include <bit>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace larkspan::text {

namespace {

// The delimiters among the 64 bytes at p: bit i stands for p[i].
std::uint64_t delimiterBits(const char* p, char delimiter)
{
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi8(delimiter);
    const auto sixteen = [p, wanted](int at) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at));
        return static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, wanted))))
               << at;
    };
    return sixteen(0) | sixteen(16) | sixteen(32) | sixteen(48);
#else
    std::uint64_t bits = 0;
    for (int i = 0; i < 64; ++i)
        if (p[i] == delimiter) bits |= std::uint64_t{1} << i;
    return bits;
#endif
}

// The same for the n bytes (fewer than 64) of a short line.
std::uint64_t shortLineBits(const char* p, std::size_t n, char delimiter)
{
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < n; ++i)
        if (p[i] == delimiter) bits |= std::uint64_t{1} << i;
    return bits;
}

} // namespace

std::size_t splitValues(std::string_view line, char delimiter, std::span<std::string_view> values,
                        AdjacentDelimiters adjacent)
{
    const std::size_t room = values.size();
    if (room == 0) return kSplitFailed;
    const bool rejectAdjacent = adjacent == AdjacentDelimiters::Rejected;
    const char* const begin = line.data();
    const std::size_t size = line.size();
    std::size_t count = 0;
    std::size_t valueStart = 0;
    std::uint64_t lastWasDelimiter = 0;
    for (std::size_t at = 0; at < size; at += 64) {
        const std::size_t n = size - at < 64 ? size - at : 64;
        // A short last stretch of a long line is looked at as the line's
        // last 64 bytes, less those already seen.
        std::uint64_t bits = n == 64     ? delimiterBits(begin + at, delimiter)
                             : size < 64 ? shortLineBits(begin, size, delimiter)
                                         : delimiterBits(begin + size - 64, delimiter) >> (64 - n);
        if (rejectAdjacent && (bits & ((bits << 1) | lastWasDelimiter)) != 0) return kSplitFailed;
        lastWasDelimiter = bits >> 63;
        for (; bits != 0; bits &= bits - 1) {
            if (count + 1 >= room) return kSplitFailed;
            const std::size_t end = at + static_cast<std::size_t>(std::countr_zero(bits));
            values[count++] = std::string_view(begin + valueStart, end - valueStart);
            valueStart = end + 1;
        }
    }
    values[count] = std::string_view(begin + valueStart, size - valueStart);
    return count + 1;
}

} // namespace larkspan::text
