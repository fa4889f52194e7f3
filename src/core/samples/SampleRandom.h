#pragma once

#include <cstddef>
#include <cstdint>

namespace larkspan {

// SplitMix64: a tiny generator whose output is the same on every compiler
// and standard library, so a seed always gives byte-identical sample logs.
// (The std:: distributions are free to differ between libraries.)
class SampleRandom {
public:
    explicit SampleRandom(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    // Uniform in [0, bound); bound 0 gives 0. The multiply-shift keeps the
    // bias below 2^-32 for the small bounds used here.
    std::uint32_t below(std::uint32_t bound) { return static_cast<std::uint32_t>(((next() >> 32) * bound) >> 32); }

    // Uniform in [low, high].
    int between(int low, int high) { return low + static_cast<int>(below(static_cast<std::uint32_t>(high - low + 1))); }

    // True with the given chance in a thousand.
    bool perMille(int chance) { return static_cast<int>(below(1000)) < chance; }

    // An index drawn by integer weights (weights must not all be zero).
    template <typename Weights> std::size_t weighted(const Weights& weights)
    {
        std::uint32_t total = 0;
        for (const auto w : weights)
            total += static_cast<std::uint32_t>(w);
        std::uint32_t draw = below(total);
        std::size_t index = 0;
        for (const auto w : weights) {
            if (draw < static_cast<std::uint32_t>(w)) return index;
            draw -= static_cast<std::uint32_t>(w);
            ++index;
        }
        return index - 1;
    }

    // A seed for an independent stream, e.g. one per day.
    static std::uint64_t derive(std::uint64_t seed, std::uint64_t stream)
    {
        SampleRandom mixer(seed ^ (stream * 0xD1B54A32D192ED03ULL));
        mixer.next();
        return mixer.next();
    }

private:
    std::uint64_t state_;
};

} // namespace larkspan
