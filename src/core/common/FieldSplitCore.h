// The splitting loop behind text::splitValues and text::splitLine, shared by
// every way of scanning bytes. No include guard and an unnamed namespace on
// purpose: each source file that includes it (after its own target options,
// such as AVX2) gets its own copy compiled for that target, so no function
// built for a wider instruction set can be merged into another's code.
// Include it only from the FieldSplit sources.

#include "common/FieldSplit.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

namespace larkspan::text {
namespace {

// The delimiters and line breaks among 64 bytes (or fewer, at the end of a
// short text): bit i stands for byte i.
struct Stretch {
    std::uint64_t delimiters = 0;
    std::uint64_t lineBreaks = 0;
};

// The same for the n bytes (fewer than 64) of a short text.
template <bool FindLineBreaks> Stretch shortStretch(const char* p, std::size_t n, char delimiter)
{
    Stretch s;
    for (std::size_t i = 0; i < n; ++i) {
        if (p[i] == delimiter) s.delimiters |= std::uint64_t{1} << i;
        if (FindLineBreaks && p[i] == '\n') s.lineBreaks |= std::uint64_t{1} << i;
    }
    return s;
}

// Splits text, or with ToLineEnd the line at its start (up to its first
// line break), 64 bytes at a time. Scan::stretch<FindLineBreaks>(p, d) gives
// the Stretch of the 64 bytes at p. The length is npos when ToLineEnd finds
// no line break.
template <class Scan, bool ToLineEnd>
SplitLine splitWith(std::string_view text, char delimiter, std::span<std::string_view> values, bool rejectAdjacent)
{
    const char* const begin = text.data();
    const std::size_t size = text.size();
    const std::size_t room = values.size();
    std::size_t lineEnd = std::string_view::npos;
    // On failure, the line's length is still wanted: the line break at or
    // after the stretch at `from`.
    const auto failed = [&](std::size_t from) {
        if (ToLineEnd && lineEnd == std::string_view::npos) {
            const void* lineBreak = std::memchr(begin + from, '\n', size - from);
            if (lineBreak) lineEnd = static_cast<std::size_t>(static_cast<const char*>(lineBreak) - begin);
        }
        return SplitLine{lineEnd, kSplitFailed};
    };
    if (room == 0) return failed(0);
    std::size_t count = 0;
    std::size_t valueStart = 0;
    std::uint64_t lastWasDelimiter = 0;
    for (std::size_t at = 0; at < size; at += 64) {
        const std::size_t n = size - at < 64 ? size - at : 64;
        // A short last stretch of a long text is looked at as the text's
        // last 64 bytes, less those already seen.
        Stretch s;
        if (n == 64) {
            s = Scan::template stretch<ToLineEnd>(begin + at, delimiter);
        } else if (size < 64) {
            s = shortStretch<ToLineEnd>(begin, size, delimiter);
        } else {
            s = Scan::template stretch<ToLineEnd>(begin + size - 64, delimiter);
            s.delimiters >>= 64 - n;
            s.lineBreaks >>= 64 - n;
        }
        std::uint64_t bits = s.delimiters;
        if (ToLineEnd && s.lineBreaks != 0) {
            const int lineBreak = std::countr_zero(s.lineBreaks);
            bits &= (std::uint64_t{1} << lineBreak) - 1;
            lineEnd = at + static_cast<std::size_t>(lineBreak);
        }
        if (rejectAdjacent && (bits & ((bits << 1) | lastWasDelimiter)) != 0) return failed(at);
        lastWasDelimiter = bits >> 63;
        // Each delimiter adds a value, and the last value needs a slot too.
        if (count + static_cast<std::size_t>(std::popcount(bits)) >= room) return failed(at);
        for (; bits != 0; bits &= bits - 1) {
            const std::size_t end = at + static_cast<std::size_t>(std::countr_zero(bits));
            values[count++] = std::string_view(begin + valueStart, end - valueStart);
            valueStart = end + 1;
        }
        if (ToLineEnd && lineEnd != std::string_view::npos) break;
    }
    const std::size_t end = lineEnd == std::string_view::npos ? size : lineEnd;
    values[count] = std::string_view(begin + valueStart, end - valueStart);
    return SplitLine{lineEnd, count + 1};
}

} // namespace
} // namespace larkspan::text
