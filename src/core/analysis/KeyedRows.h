#pragma once

#include "analysis/FoldedKey.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace larkspan::analysis {

// Rows kept in order of first appearance, found by a key compared without
// regard to case (Row has a member `key`). The key text of a row is the one
// first seen, so the first match wins and later spellings only add to it.
// Look-ups take a string_view and allocate nothing when the key is already
// there.
//
// Each key is stored once, in an arena of blocks that never move: the row
// number and a counter sit right before the key's text. A Row whose key is a
// std::string_view points into the arena (the table's rows cost no text of
// their own, however many distinct keys a log has); a Row with a std::string
// key gets a copy. The index is an open-addressing table, kept at most half
// full; each slot holds the key's hash tag, its length and its arena entry,
// so count() usually touches one slot and one arena line, not the row; the
// rows' `count` members are brought up to date when the rows are read.
template <class Row> class KeyedRows {
  public:
    KeyedRows() = default;
    // A moved-from table is empty; the rows' views move with the blocks.
    KeyedRows(KeyedRows&& other) noexcept { *this = std::move(other); }
    KeyedRows& operator=(KeyedRows&& other) noexcept
    {
        if (this != &other) {
            rows_ = std::move(other.rows_);
            dirty_ = other.dirty_;
            entries_ = std::move(other.entries_);
            blocks_ = std::move(other.blocks_);
            blockFree_ = other.blockFree_;
            blockEnd_ = other.blockEnd_;
            slots_ = std::move(other.slots_);
            mask_ = other.mask_;
            last_ = other.last_;
            lastLength_ = other.lastLength_;
            other.forget();
        }
        return *this;
    }
    // A copy stores its own keys (the rows' views point into them).
    KeyedRows(const KeyedRows& other) { copyFrom(other); }
    KeyedRows& operator=(const KeyedRows& other)
    {
        if (this != &other) {
            KeyedRows copy(other);
            *this = std::move(copy);
        }
        return *this;
    }

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
            if (!slot.entry) return -1;
            if (matches(slot, h, key)) return static_cast<long>(rowAt(slot.entry));
        }
    }

    // The row of key, appended at the end when new; isNew tells which.
    // The caller fills a new row's other fields.
    Row& findOrAdd(std::string_view key, bool& isNew)
    {
        char* entry = locate(key, isNew);
        syncCounts();
        return rows_[rowAt(entry)];
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
        char* entry = locate(key, isNew);
        std::int64_t n = 0;
        std::memcpy(&n, entry + kCountAt, sizeof n);
        n += amount;
        std::memcpy(entry + kCountAt, &n, sizeof n);
        dirty_ = true;
        return rowAt(entry);
    }

    void clear()
    {
        rows_.clear();
        entries_.clear();
        blocks_.clear();
        blockFree_ = 0;
        blockEnd_ = nullptr;
        dirty_ = false;
        last_ = nullptr;
        std::fill(slots_.begin(), slots_.end(), Slot{});
    }

  private:
    static constexpr bool kKeyInArena = std::is_same_v<std::remove_cvref_t<decltype(Row::key)>, std::string_view>;
    // An arena entry: the row number (4 bytes, 4 spare), the counter
    // (8 bytes), the key, padding to a multiple of 8.
    static constexpr std::size_t kCountAt = 8;
    static constexpr std::size_t kKeyAt = 16;
    static constexpr std::size_t kBlockSize = std::size_t{1} << 20;

    struct Slot {
        char* entry = nullptr;    // the key's arena entry
        std::uint32_t tag = 0;    // upper half of the key's hash
        std::uint32_t length = 0; // of the key
    };

    // The arena entry of key, made (with its row) when new.
    char* locate(std::string_view key, bool& isNew)
    {
        // Log records come in runs from one visitor: the key of the last
        // look-up, spelled the same, needs no hashing.
        if (last_ && lastLength_ == key.size() && std::memcmp(last_ + kKeyAt, key.data(), key.size()) == 0) {
            isNew = false;
            return last_;
        }
        last_ = lookup(key, isNew);
        lastLength_ = key.size();
        return last_;
    }

    char* lookup(std::string_view key, bool& isNew)
    {
        if ((rows_.size() + 1) * 2 > slots_.size()) grow();
        const std::uint64_t h = folded::hash(key);
        std::size_t pos = h & mask_;
        for (;; pos = (pos + 1) & mask_) {
            const Slot& slot = slots_[pos];
            if (!slot.entry) break;
            if (matches(slot, h, key)) {
                isNew = false;
                return slot.entry;
            }
        }
        isNew = true;
        char* entry = store(key);
        slots_[pos] = Slot{entry, static_cast<std::uint32_t>(h >> 32), static_cast<std::uint32_t>(key.size())};
        return entry;
    }

    // Writes a new key's entry and appends its row.
    char* store(std::string_view key)
    {
        const std::size_t size = kKeyAt + (key.size() + 7) / 8 * 8;
        if (blocks_.empty() || blockFree_ < size) {
            const std::size_t blockSize = std::max(kBlockSize, size);
            blocks_.push_back(std::make_unique_for_overwrite<char[]>(blockSize));
            blockFree_ = blockSize;
            blockEnd_ = blocks_.back().get() + blockSize;
        }
        char* entry = blockEnd_ - blockFree_;
        blockFree_ -= size;
        const auto row = static_cast<std::uint32_t>(rows_.size());
        std::memset(entry, 0, kKeyAt);
        std::memcpy(entry, &row, sizeof row);
        std::memcpy(entry + kKeyAt, key.data(), key.size());
        entries_.push_back(entry);
        rows_.emplace_back();
        if constexpr (kKeyInArena) {
            rows_.back().key = std::string_view(entry + kKeyAt, key.size());
        } else {
            rows_.back().key.assign(key);
        }
        return entry;
    }

    bool matches(const Slot& slot, std::uint64_t h, std::string_view key) const
    {
        return slot.tag == static_cast<std::uint32_t>(h >> 32) && slot.length == key.size() &&
               folded::equal(std::string_view(slot.entry + kKeyAt, slot.length), key);
    }

    static std::size_t rowAt(const char* entry)
    {
        std::uint32_t row = 0;
        std::memcpy(&row, entry, sizeof row);
        return row;
    }

    std::string_view keyAt(std::size_t row) const
    {
        return std::string_view(entries_[row] + kKeyAt, rows_[row].key.size());
    }

    void syncCounts() const
    {
        if constexpr (requires(Row r) { r.count = std::int64_t{}; }) {
            if (!dirty_) return;
            for (std::size_t i = 0; i < rows_.size(); ++i) {
                std::int64_t n = 0;
                std::memcpy(&n, entries_[i] + kCountAt, sizeof n);
                rows_[i].count = n;
            }
            dirty_ = false;
        }
    }

    // Twice the slots; the keys are hashed again from the arena rather than
    // keeping every hash.
    void grow()
    {
        const std::size_t capacity = slots_.empty() ? 64 : slots_.size() * 2;
        slots_.assign(capacity, Slot{});
        mask_ = capacity - 1;
        for (std::size_t i = 0; i < rows_.size(); ++i) {
            const std::string_view key = keyAt(i);
            const std::uint64_t h = folded::hash(key);
            std::size_t pos = h & mask_;
            while (slots_[pos].entry)
                pos = (pos + 1) & mask_;
            slots_[pos] =
                Slot{entries_[i], static_cast<std::uint32_t>(h >> 32), static_cast<std::uint32_t>(key.size())};
        }
    }

    void forget()
    {
        rows_.clear();
        entries_.clear();
        blocks_.clear();
        slots_.clear();
        blockFree_ = 0;
        blockEnd_ = nullptr;
        mask_ = 0;
        dirty_ = false;
        last_ = nullptr;
        lastLength_ = 0;
    }

    // A row's string_view member `path`, when it has one, is a piece of its
    // key: copies point it at the same piece of their own key.
    void copyFrom(const KeyedRows& other)
    {
        other.syncCounts();
        for (std::size_t i = 0; i < other.rows_.size(); ++i) {
            bool isNew = false;
            char* entry = lookup(other.keyAt(i), isNew);
            std::memcpy(entry + kCountAt, other.entries_[i] + kCountAt, sizeof(std::int64_t));
            Row& row = rows_.back();
            const Row& from = other.rows_[i];
            const auto key = row.key;
            row = from;
            row.key = key;
            if constexpr (kKeyInArena && requires { row.path = std::string_view(); }) {
                if constexpr (std::is_same_v<decltype(Row::path), std::string_view>) {
                    row.path = from.path.empty()
                                   ? std::string_view()
                                   : key.substr(static_cast<std::size_t>(from.path.data() - from.key.data()),
                                                from.path.size());
                }
            }
        }
        dirty_ = other.dirty_;
    }

    mutable std::vector<Row> rows_;
    mutable bool dirty_ = false;
    std::vector<char*> entries_; // by row
    std::vector<std::unique_ptr<char[]>> blocks_;
    std::size_t blockFree_ = 0;
    char* blockEnd_ = nullptr;
    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
    char* last_ = nullptr; // entry of the last key looked up
    std::size_t lastLength_ = 0;
};

} // namespace larkspan::analysis
