#include "common/FieldSplit.h"

#include "common/ByteMask.h"
#include "common/FieldSplitAvx2.h"
#include "common/FieldSplitCore.h"

namespace larkspan::text {

namespace {

// One byte at a time.
struct PortableScan {
    template <bool FindLineBreaks> static Stretch stretch(const char* p, char delimiter)
    {
        return shortStretch<FindLineBreaks>(p, 64, delimiter);
    }
};

// Sixteen bytes at a time (byte by byte on machines without SSE2).
struct Sse2Scan {
    template <bool FindLineBreaks> static Stretch stretch(const char* p, char delimiter)
    {
        Stretch s;
        for (std::size_t at = 0; at < 64; at += bytes::kBlock) {
            s.delimiters |= std::uint64_t{bytes::matchMask(p + at, delimiter)} << at;
            if (FindLineBreaks) s.lineBreaks |= std::uint64_t{bytes::matchMask(p + at, '\n')} << at;
        }
        return s;
    }
};

using Splitter = LineSplitter;

struct Splitters {
    Splitter values;
    Splitter line;
};

Splitters splittersFor(ByteScan scan)
{
    switch (scan) {
    case ByteScan::Avx2:
        return {&avx2::splitValues, &avx2::splitLine};
    case ByteScan::Sse2:
        return {&splitWith<Sse2Scan, false>, &splitWith<Sse2Scan, true>};
    case ByteScan::Portable:
        break;
    }
    return {&splitWith<PortableScan, false>, &splitWith<PortableScan, true>};
}

const Splitters& bestSplitters()
{
    static const Splitters best = splittersFor(bestByteScan());
    return best;
}

bool rejects(AdjacentDelimiters adjacent)
{
    return adjacent == AdjacentDelimiters::Rejected;
}

} // namespace

bool canScan(ByteScan scan)
{
    switch (scan) {
    case ByteScan::Avx2:
        return avx2::hasAvx2();
    case ByteScan::Sse2:
#if defined(__SSE2__)
        return true;
#else
        return false;
#endif
    case ByteScan::Portable:
        return true;
    }
    return false;
}

ByteScan bestByteScan()
{
    if (canScan(ByteScan::Avx2)) return ByteScan::Avx2;
    return canScan(ByteScan::Sse2) ? ByteScan::Sse2 : ByteScan::Portable;
}

std::size_t splitValues(std::string_view line, char delimiter, std::span<std::string_view> values,
                        AdjacentDelimiters adjacent)
{
    return bestSplitters().values(line, delimiter, values, rejects(adjacent)).count;
}

SplitLine splitLine(std::string_view text, char delimiter, std::span<std::string_view> values,
                    AdjacentDelimiters adjacent)
{
    return bestSplitters().line(text, delimiter, values, rejects(adjacent));
}

LineSplitter bestLineSplitter()
{
    return bestSplitters().line;
}

std::size_t splitValuesWith(ByteScan scan, std::string_view line, char delimiter, std::span<std::string_view> values,
                            AdjacentDelimiters adjacent)
{
    return splittersFor(scan).values(line, delimiter, values, rejects(adjacent)).count;
}

SplitLine splitLineWith(ByteScan scan, std::string_view text, char delimiter, std::span<std::string_view> values,
                        AdjacentDelimiters adjacent)
{
    return splittersFor(scan).line(text, delimiter, values, rejects(adjacent));
}

} // namespace larkspan::text
