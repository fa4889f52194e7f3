#pragma once

#include "analysis/FoldedKey.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace larkspan::analysis {

// Rows kept in order of first appearance, found by a key compared without
// regard to case (Row has a std::string member `key`). The key text of a
// row is the one first seen, so the first match wins and later spellings
// only add to it. Look-ups take a string_view and allocate nothing when the
// key is already there.
//
// The index is an open-addressing table, kept at most half full. Each slot
// holds the key's hash tag, its length and its place in an arena where the
// row number and a counter are stored right before a copy of the key, so
// count() usually touches one slot and one arena line, not the row; the
// rows' `count` members are brought up to date when the rows are read.
template <class Row>
class KeyedRows {
public:
    const std::vector<Row>& rows() const
    {
        syncCounts();
        return rows_;
    }
    std::vector<Row>& rows()
    {
        syncCounts();
        return rows_;
    }
    std::size_t size() const { return rows_.size(); }
    bool empty() const { return rows_.empty(); }

    // Index of the row whose key equals key (any case), or -1.
    long find(std::string_view key) const
    {
        if (slots_.empty()) return -1;
        const std::uint64_t h = folded::hash(key);
        for (std::size_t pos = h & mask_;; pos = (pos + 1) & mask_) {
            const Slot& slot = slots_[pos];
            if (slot.offset == kEmpty) return -1;
            if (matches(slot, h, key)) return static_cast<long>(rowAt(slot.offset));
        }
    }

    // The row of key, appended at the end when new; isNew tells which.
    // The caller fills a new row's other fields.
    Row& findOrAdd(std::string_view key, bool& isNew)
    {
        const std::uint64_t offset = locate(key, isNew);
        syncCounts();
        return rows_[rowAt(offset)];
    }

    // The last row made, for filling a new row's other fields after count()
    // (its count is brought up to date only when the rows are read).
    Row& newest() { return rows_.back(); }

    // Adds 1 to the counter of key's row (made when new); true when new.
    bool count(std::string_view key)
    {
        bool isNew = false;
        countRow(key, isNew);
        return isNew;
    }

    // The same, returning the row's index, for callers that keep more
    // per row in a table of their own.
    std::size_t countRow(std::string_view key, bool& isNew) { return addCount(key, 1, isNew); }

    // Adds amount to the counter of key's row (made when new); its index.
    std::size_t addCount(std::string_view key, std::int64_t amount, bool& isNew)
    {
        const std::uint64_t offset = locate(key, isNew);
        std::int64_t n = 0;
        std::memcpy(&n, arena_.data() + offset + kCountAt, sizeof n);
        n += amount;
        std::memcpy(arena_.data() + offset + kCountAt, &n, sizeof n);
        dirty_ = true;
        return rowAt(offset);
    }

    void clear()
    {
        rows_.clear();
        hashes_.clear();
        offsets_.clear();
        arena_.clear();
        dirty_ = false;
        last_ = kEmpty;
        std::fill(slots_.begin(), slots_.end(), Slot{});
    }

private:
    static constexpr std::uint64_t kEmpty = ~std::uint64_t{0};
    // An arena entry: the row number (4 bytes, 4 spare), the counter
    // (8 bytes), the key, padding to a multiple of 8.
    static constexpr std::size_t kCountAt = 8;
    static constexpr std::size_t kKeyAt = 16;

    struct Slot {
        std::uint64_t offset = kEmpty;  // of the key's arena entry
        std::uint32_t tag = 0;          // upper half of the key's hash
        std::uint32_t length = 0;       // of the key
    };

    // The arena offset of key's entry, made (with its row) when new.
    std::uint64_t locate(std::string_view key, bool& isNew)
    {
        // Log records come in runs from one visitor: the key of the last
        // look-up, spelled the same, needs no hashing.
        if (last_ != kEmpty && lastLength_ == key.size() &&
            std::memcmp(arena_.data() + last_ + kKeyAt, key.data(), key.size()) == 0) {
            isNew = false;
            return last_;
        }
        last_ = lookup(key, isNew);
        lastLength_ = key.size();
        return last_;
    }

    std::uint64_t lookup(std::string_view key, bool& isNew)
    {
        if ((rows_.size() + 1) * 2 > slots_.size()) grow();
        const std::uint64_t h = folded::hash(key);
        std::size_t pos = h & mask_;
        for (;; pos = (pos + 1) & mask_) {
            const Slot& slot = slots_[pos];
            if (slot.offset == kEmpty) break;
            if (matches(slot, h, key)) {
                isNew = false;
                return slot.offset;
            }
        }
        isNew = true;
        const auto row = static_cast<std::uint32_t>(rows_.size());
        Slot& slot = slots_[pos];
        slot.offset = arena_.size();
        slot.tag = static_cast<std::uint32_t>(h >> 32);
        slot.length = static_cast<std::uint32_t>(key.size());
        arena_.append(kKeyAt, '\0');
        std::memcpy(arena_.data() + slot.offset, &row, sizeof row);
        arena_.append(key);
        arena_.append((8 - key.size() % 8) % 8, '\0');
        hashes_.push_back(h);
        offsets_.push_back(slot.offset);
        rows_.emplace_back();
        rows_.back().key.assign(key);
        return slot.offset;
    }

    bool matches(const Slot& slot, std::uint64_t h, std::string_view key) const
    {
        return slot.tag == static_cast<std::uint32_t>(h >> 32) && slot.length == key.size() &&
               folded::equal(std::string_view(arena_.data() + slot.offset + kKeyAt, slot.length), key);
    }

    std::size_t rowAt(std::uint64_t offset) const
    {
        std::uint32_t row = 0;
        std::memcpy(&row, arena_.data() + offset, sizeof row);
        return row;
    }

    void syncCounts() const
    {
        if constexpr (requires(Row r) { r.count = std::int64_t{}; }) {
            if (!dirty_) return;
            for (std::size_t i = 0; i < rows_.size(); ++i) {
                std::int64_t n = 0;
                std::memcpy(&n, arena_.data() + offsets_[i] + kCountAt, sizeof n);
                rows_[i].count = n;
            }
            dirty_ = false;
        }
    }

    void grow()
    {
        const std::size_t capacity = slots_.empty() ? 64 : slots_.size() * 2;
        slots_.assign(capacity, Slot{});
        mask_ = capacity - 1;
        for (std::size_t i = 0; i < rows_.size(); ++i) {
            std::size_t pos = hashes_[i] & mask_;
            while (slots_[pos].offset != kEmpty) pos = (pos + 1) & mask_;
            slots_[pos] = Slot{offsets_[i], static_cast<std::uint32_t>(hashes_[i] >> 32),
                               static_cast<std::uint32_t>(rows_[i].key.size())};
        }
    }

    mutable std::vector<Row> rows_;
    mutable bool dirty_ = false;
    std::vector<std::uint64_t> hashes_;
    std::vector<std::uint64_t> offsets_;
    std::string arena_;
    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
    std::uint64_t last_ = kEmpty;  // arena offset of the last key looked up
    std::size_t lastLength_ = 0;
};

}  // namespace larkspan::analysis
