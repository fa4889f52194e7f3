#pragma once

#include "analysis/FoldedKey.h"
#include "common/LargeBlocks.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace larkspan::analysis {

// Row numbers of short keys (status codes, file extensions), each key packed
// into one integer beside its length, ASCII letters folded to lower case. The
// tallies that nearly every record touches find their row this way without
// hashing and comparing text; keys longer than kMaxLength are not indexed
// and take the caller's general path.
class ShortKeyIndex {
  public:
    static constexpr std::size_t kMaxLength = 8;

    static bool fits(std::string_view key) { return key.size() <= kMaxLength; }

    // The row of key (which fits), or -1 when it has none yet.
    long find(std::string_view key) const
    {
        if (slots_.empty()) return -1;
        const std::uint64_t packed = pack(key);
        for (std::size_t pos = spread(packed);; pos = (pos + 1) & mask_) {
            const Slot& slot = slots_[pos];
            if (slot.rowPlusOne == 0) return -1;
            if (slot.packed == packed && slot.length == key.size()) return static_cast<long>(slot.rowPlusOne - 1);
        }
    }

    // Gives key (which fits and is not indexed yet) its row.
    void add(std::string_view key, std::size_t row)
    {
        if ((size_ + 1) * 2 > slots_.size()) grow();
        insert(Slot{pack(key), static_cast<std::uint32_t>(key.size()), static_cast<std::uint32_t>(row + 1)});
        ++size_;
    }

    void clear()
    {
        slots_.clear();
        size_ = 0;
        mask_ = 0;
    }

  private:
    struct Slot {
        std::uint64_t packed = 0;
        std::uint32_t length = 0;
        std::uint32_t rowPlusOne = 0; // 0: empty
    };

    // Together with the length, the packed word tells keys apart: it holds
    // every byte of a key of up to eight.
    static std::uint64_t pack(std::string_view key)
    {
        return folded::lowerWord(folded::loadShort(key.data(), key.size()));
    }

    std::size_t spread(std::uint64_t packed) const
    {
        return static_cast<std::size_t>((packed * 0x9E3779B97F4A7C15ull) >> 32) & mask_;
    }

    void insert(const Slot& entry)
    {
        std::size_t pos = spread(entry.packed);
        while (slots_[pos].rowPlusOne != 0)
            pos = (pos + 1) & mask_;
        slots_[pos] = entry;
    }

    void grow()
    {
        memory::LargeVector<Slot> old;
        old.swap(slots_);
        slots_.assign(old.empty() ? 16 : old.size() * 2, Slot{});
        mask_ = slots_.size() - 1;
        for (const Slot& slot : old)
            if (slot.rowPlusOne != 0) insert(slot);
    }

    memory::LargeVector<Slot> slots_;
    std::size_t size_ = 0;
    std::size_t mask_ = 0;
};

} // namespace larkspan::analysis
