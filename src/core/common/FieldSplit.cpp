#include "common/FieldSplit.h"

#include <array>
#include <bit>
#include <cstdint>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace larkspan::text {

namespace {

// The delimiters among the n bytes at p (n at most 64): bit i stands for
// p[i]. Reads no byte outside them.
std::uint64_t delimiterBits(const char* p, std::size_t n, char delimiter)
{
    std::uint64_t bits = 0;
    std::size_t done = 0;
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi8(delimiter);
    const auto sixteen = [wanted](const char* at) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        return static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, wanted))));
    };
    for (; n - done >= 16; done += 16)
        bits |= sixteen(p + done) << done;
    if (done != n && n >= 16) {
        // The last sixteen bytes, less those already looked at.
        bits |= (sixteen(p + n - 16) >> (16 - (n - done))) << done;
        done = n;
    }
#endif
    for (; done != n; ++done)
        if (p[done] == delimiter) bits |= std::uint64_t{1} << done;
    return bits;
}

// The number of bits set: std::popcount becomes a library call on
// processors not known to have the instruction.
int bitCount(std::uint64_t x)
{
    x -= (x >> 1) & 0x5555555555555555u;
    x = (x & 0x3333333333333333u) + ((x >> 2) & 0x3333333333333333u);
    x = (x + (x >> 4)) & 0x0f0f0f0f0f0f0f0fu;
    return static_cast<int>((x * 0x0101010101010101u) >> 56);
}

// The delimiter offsets of a line, written eight at a time so that the
// number of delimiters in a stretch costs no mispredicted branches.
class Offsets {
  public:
    explicit Offsets(std::size_t most)
    {
        if (most + kSlack > small_.size()) large_.resize(most + kSlack);
        data_ = large_.empty() ? small_.data() : large_.data();
    }
    // Appends base + the position of each of the count bits of bits.
    void add(std::size_t base, std::uint64_t bits, int count)
    {
        std::size_t* out = data_ + size_;
        // At least one round, even without bits: a branch that depends
        // on the text would often be mispredicted.
        int written = 0;
        do {
            for (int i = 0; i < 8; ++i) {
                out[i] = base + static_cast<std::size_t>(std::countr_zero(bits));
                bits &= bits - 1;
            }
            written += 8;
            out += 8;
        } while (written < count);
        size_ += static_cast<std::size_t>(count);
    }
    std::size_t size() const { return size_; }
    std::size_t operator[](std::size_t i) const { return data_[i]; }

  private:
    static constexpr std::size_t kSlack = 64;
    std::array<std::size_t, 128> small_;
    std::vector<std::size_t> large_;
    std::size_t* data_;
    std::size_t size_ = 0;
};

} // namespace

std::size_t splitValues(std::string_view line, char delimiter, std::span<std::string_view> values,
                        AdjacentDelimiters adjacent)
{
    const std::size_t room = values.size();
    if (room == 0) return kSplitFailed;
    const bool rejectAdjacent = adjacent == AdjacentDelimiters::Rejected;
    const char* const begin = line.data();
    const std::size_t size = line.size();
    Offsets offsets(room - 1);
    std::uint64_t lastWasDelimiter = 0;
    for (std::size_t at = 0; at < size; at += 64) {
        const std::size_t n = size - at < 64 ? size - at : 64;
        // A short last stretch of a long line is looked at as the line's
        // last 64 bytes, less those already seen.
        const std::uint64_t bits = n == 64 || size < 64 ? delimiterBits(begin + at, n, delimiter)
                                                        : delimiterBits(begin + size - 64, 64, delimiter) >> (64 - n);
        if (rejectAdjacent && (bits & ((bits << 1) | lastWasDelimiter)) != 0) return kSplitFailed;
        lastWasDelimiter = bits >> 63;
        const int count = bitCount(bits);
        if (offsets.size() + static_cast<std::size_t>(count) >= room) return kSplitFailed;
        offsets.add(at, bits, count);
    }
    std::size_t start = 0;
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        values[i] = std::string_view(begin + start, offsets[i] - start);
        start = offsets[i] + 1;
    }
    values[offsets.size()] = std::string_view(begin + start, size - start);
    return offsets.size() + 1;
}

} // namespace larkspan::text
