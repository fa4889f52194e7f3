#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>

namespace larkspan::analysis {

// Counts kept in 32 bits in their rows and exact beyond: each time a row's
// count wraps to 0, the side table carries 2^32 for that row. A day's rows
// stay small; a count that outgrows them (billions of requests from one
// client in a day) costs a table entry.
class CountCarries {
  public:
    // Adds 1 to low, the 32-bit count of row.
    void increment(std::size_t row, std::uint32_t& low)
    {
        if (++low == 0) ++carries_[row];
    }
    // The whole count of row whose 32-bit count is low.
    std::uint64_t total(std::size_t row, std::uint32_t low) const
    {
        if (carries_.empty()) return low;
        const auto at = carries_.find(row);
        return at == carries_.end() ? low : (at->second << 32) + low;
    }
    void clear() { carries_.clear(); }

  private:
    std::unordered_map<std::size_t, std::uint64_t> carries_;
};

} // namespace larkspan::analysis
