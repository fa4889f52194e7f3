#include "common/FieldSplitAvx2.h"

// The standard headers the splitting loop uses come first, built for the
// common target; only the code below is built for AVX2.
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define LARKSPAN_AVX2_SPLIT 1
#include <immintrin.h>
#endif

#if LARKSPAN_AVX2_SPLIT
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2,popcnt,bmi"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2,popcnt,bmi")
#endif

#include "common/FieldSplitCore.h"

namespace larkspan::text {
namespace {

struct Avx2Scan {
    template <bool FindLineBreaks> static Stretch stretch(const char* p, char delimiter)
    {
        const __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        const __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
        const auto mask = [](__m256i block, __m256i wanted) {
            return static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(block, wanted)));
        };
        const __m256i d = _mm256_set1_epi8(delimiter);
        Stretch s;
        s.delimiters = mask(low, d) | std::uint64_t{mask(high, d)} << 32;
        if (FindLineBreaks) {
            const __m256i n = _mm256_set1_epi8('\n');
            s.lineBreaks = mask(low, n) | std::uint64_t{mask(high, n)} << 32;
        }
        return s;
    }
};

} // namespace

namespace avx2 {

SplitLine splitValues(std::string_view line, char delimiter, std::span<std::string_view> values, bool rejectAdjacent)
{
    return splitWith<Avx2Scan, false>(line, delimiter, values, rejectAdjacent);
}

SplitLine splitLine(std::string_view text, char delimiter, std::span<std::string_view> values, bool rejectAdjacent)
{
    return splitWith<Avx2Scan, true>(text, delimiter, values, rejectAdjacent);
}

} // namespace avx2
} // namespace larkspan::text

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

namespace larkspan::text::avx2 {

bool hasAvx2()
{
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt") && __builtin_cpu_supports("bmi");
}

} // namespace larkspan::text::avx2

#else

namespace larkspan::text::avx2 {

bool hasAvx2()
{
    return false;
}

SplitLine splitValues(std::string_view, char, std::span<std::string_view>, bool)
{
    return SplitLine{std::string_view::npos, kSplitFailed};
}

SplitLine splitLine(std::string_view, char, std::span<std::string_view>, bool)
{
    return SplitLine{std::string_view::npos, kSplitFailed};
}

} // namespace larkspan::text::avx2

#endif
