#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace larkspan::text {

// What two delimiters in a row (an empty value between them) do to a split.
enum class AdjacentDelimiters { Allowed, Rejected };

// The result of splitValues when the line does not split as asked.
inline constexpr std::size_t kSplitFailed = static_cast<std::size_t>(-1);

// Splits line at every delimiter into values, which then view line, and
// returns how many values it gave. A delimiter at either end gives an empty
// first or last value. Returns kSplitFailed as soon as the line would give
// more values than values has room for, or, when adjacent delimiters are
// rejected, as soon as two follow each other; what values then hold is
// unspecified. The delimiters of 64 bytes at a time are found as one bit
// mask, with the widest byte scan the machine has (see ByteScan).
std::size_t splitValues(std::string_view line, char delimiter, std::span<std::string_view> values,
                        AdjacentDelimiters adjacent = AdjacentDelimiters::Allowed);

// A line split at the start of a longer text.
struct SplitLine {
    std::size_t length = 0; // up to its line break; npos when the text holds none
    std::size_t count = 0;  // as splitValues's result
};

// Splits the line at the start of text, which ends before text's first "\n"
// (or with text when there is none), as splitValues does, finding its end in
// the same pass. A "\r" before the line break stays in the last value.
SplitLine splitLine(std::string_view text, char delimiter, std::span<std::string_view> values,
                    AdjacentDelimiters adjacent = AdjacentDelimiters::Allowed);

// How the splitters find the delimiters and line breaks of 64 bytes: byte
// by byte, sixteen bytes to an instruction (SSE2) or thirty-two (AVX2). All
// give the same values; the widest one the machine has is used.
enum class ByteScan { Portable, Sse2, Avx2 };

// Whether this build, on this machine, can scan so.
bool canScan(ByteScan scan);
// The scan splitValues and splitLine use.
ByteScan bestByteScan();

// splitLine with the widest scan, as a function a caller that splits many
// lines fetches once (rejectAdjacent: AdjacentDelimiters::Rejected).
using LineSplitter = SplitLine (*)(std::string_view text, char delimiter, std::span<std::string_view> values,
                                   bool rejectAdjacent);
LineSplitter bestLineSplitter();

// splitValues and splitLine with a given scan, one that canScan allows;
// for tests and measurements.
std::size_t splitValuesWith(ByteScan scan, std::string_view line, char delimiter, std::span<std::string_view> values,
                            AdjacentDelimiters adjacent = AdjacentDelimiters::Allowed);
SplitLine splitLineWith(ByteScan scan, std::string_view text, char delimiter, std::span<std::string_view> values,
                        AdjacentDelimiters adjacent = AdjacentDelimiters::Allowed);

} // namespace larkspan::text
