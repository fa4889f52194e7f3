#pragma once

#include "analysis/FoldedKey.h"
#include "analysis/RowStore.h"
#include "analysis/TextArena.h"
#include "common/LargeBlocks.h"

#include <algorithm>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace larkspan::analysis {

// Rows kept in order of first appearance, found by a key compared without
// regard to case (Row has a member `key`). The key text of a row is the one
// first seen, so the first match wins and later spellings only add to it.
// Look-ups take a string_view and allocate nothing when the key is already
// there.
//
// A Row whose key is a std::string_view points into the table's text arena
// (each key's bytes stored once, end to end), which the table may share with
// another keyed by the same texts, so that a text both tables hold is stored
// once. A Row with a std::string key gets a copy of its own. The index is an
// open-addressing table of 8-byte slots (row number and hash tag), kept at
// most three quarters full, so a look-up of a new key touches slots only.
// The folded hash of a key worked out ahead of its look-up (see
// KeyedRows::prefetch); a look-up given none hashes the key itself.
struct KeyHint {
    std::uint64_t hash = 0;
    bool hashed = false;
};

template <class Row> class KeyedRows {
  public:
    // Rows that ask for it grow without being copied (see RowStore).
    using Rows = std::conditional_t < requires { typename Row::Growth; }
    , RowStore<Row>, std::vector < Row >> ;

    KeyedRows() = default;
    // A moved-from table is empty; the rows' views move with the blocks.
    KeyedRows(KeyedRows&& other) noexcept { *this = std::move(other); }
    KeyedRows& operator=(KeyedRows&& other) noexcept
    {
        if (this != &other) {
            rows_ = std::move(other.rows_);
            texts_ = std::move(other.texts_);
            earlierTexts_ = std::move(other.earlierTexts_);
            slots_ = std::move(other.slots_);
            mask_ = other.mask_;
            shift_ = other.shift_;
            last_ = other.last_;
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

    const Rows& rows() const { return rows_; }
    Rows& rows() { return rows_; }
    std::size_t size() const { return rows_.size(); }
    bool empty() const { return rows_.empty(); }

    // Index of the row whose key equals key (any case), or -1; a search of
    // every row on a compacted table.
    long find(std::string_view key) const
    {
        if (slots_.empty()) return findUnindexed(key);
        const std::uint64_t h = folded::hash(key);
        for (std::size_t pos = homeOf(tagOf(h));; pos = (pos + 1) & mask_) {
            const Slot& slot = slots_[pos];
            if (slot.rowPlusOne == 0) return -1;
            if (matches(slot, h, key)) return static_cast<long>(slot.rowPlusOne - 1);
        }
    }

    // A key's hash worked out ahead of its look-up, its index slot fetched
    // from memory meanwhile: the keys of one record then wait for memory
    // together rather than one after the other. Empty when the key is the
    // last one looked up, which needs no hash.
    using Hint = KeyHint;
    Hint prefetch(std::string_view key) const
    {
        if (!largeIndex() || isLast(key)) return {};
        const Hint hint{folded::hash(key), true};
        if (!slots_.empty()) __builtin_prefetch(&slots_[homeOf(tagOf(hint.hash))]);
        return hint;
    }

    // Whether the index has outgrown the processor's caches, so that a
    // look-up waits for memory unless its slot was fetched ahead.
    bool largeIndex() const { return slots_.size() >= kPrefetchFromSlots; }

    // The row of key, appended at the end when new; isNew tells which.
    // The caller fills a new row's other fields. A hint is prefetch(key)'s.
    Row& findOrAdd(std::string_view key, bool& isNew, const Hint& hint = {}) { return rows_[locate(key, isNew, hint)]; }

    // The last row made, for filling a new row's other fields after count().
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
    std::size_t countRow(std::string_view key, bool& isNew, const Hint& hint = {})
    {
        return addCount(key, 1, isNew, hint);
    }

    // Adds 1 to the counter of a row found before (by countRow).
    void countAt(std::size_t row) { ++rows_[row].count; }

    // Adds amount to the counter of key's row (made when new); its index.
    std::size_t addCount(std::string_view key, std::int64_t amount, bool& isNew, const Hint& hint = {})
    {
        const std::size_t row = locate(key, isNew, hint);
        rows_[row].count += amount;
        return row;
    }

    // The arena the keys' texts are stored in (rows with a string_view key).
    const std::shared_ptr<TextArena>& texts()
    {
        if (!texts_) texts_ = std::make_shared<TextArena>();
        return texts_;
    }

    // New keys' texts go to arena from now on, which another table may share
    // (the texts stored so far stay where they are).
    void storeTextsIn(std::shared_ptr<TextArena> arena)
    {
        if (texts_) earlierTexts_.push_back(std::move(texts_));
        texts_ = std::move(arena);
    }

    // Like countRow; a new row's key views stored rather than a copy when
    // stored holds the same bytes as key and lies in storedIn, the arena this
    // table stores its texts in.
    std::size_t countRow(std::string_view key, bool& isNew, std::string_view stored, const TextArena* storedIn,
                         const Hint& hint = {})
    {
        if (storedIn && storedIn == texts_.get()) borrowed_ = stored;
        const std::size_t row = countRow(key, isNew, hint);
        borrowed_ = {};
        return row;
    }

    // Appends a row for a key the caller knows no row holds in any case,
    // without looking it up, and returns its index; stored and storedIn as
    // for countRow. A table without an index stays without one (a later
    // look-up builds it from the rows).
    std::size_t addNew(std::string_view key, std::string_view stored = {}, const TextArena* storedIn = nullptr)
    {
        if (storedIn && storedIn == texts_.get()) borrowed_ = stored;
        const std::size_t row = rows_.size();
        append(key);
        borrowed_ = {};
        if (!slots_.empty()) {
            if (rows_.size() * 4 > slots_.size() * 3) grow();
            index(row);
        }
        last_ = static_cast<std::uint32_t>(row + 1);
        return row;
    }

    // For a table that is read from now on: the rows take no more room than
    // they need and the index is dropped (a later look-up rebuilds it).
    void compact()
    {
        dropIndex(); // first: not held while the rows move
        rows_.shrink_to_fit();
    }

    // Drops the look-up index alone (a later look-up rebuilds it), for a
    // table that takes no more keys for a while.
    void dropIndex()
    {
        slots_.clear();
        slots_.shrink_to_fit();
        setCapacity(0);
    }

    // Empties the table; new texts go to an arena of its own.
    void clear()
    {
        rows_.clear();
        // An arena shared with another table keeps its texts for that one.
        texts_.reset();
        earlierTexts_.clear();
        last_ = 0;
        std::fill(slots_.begin(), slots_.end(), Slot{});
    }

  private:
    // A row's key is its member `key` (a std::string_view or std::string),
    // or, for a row that packs it, what its key() gives and setKey() sets.
    static constexpr bool kKeyMethods = requires(Row & row, std::string_view text)
    {
        {
            std::as_const(row).key()
            } -> std::same_as<std::string_view>;
        row.setKey(text);
    };
    static std::string_view keyOf(const Row& row)
    {
        if constexpr (kKeyMethods) {
            return row.key();
        } else {
            return std::string_view(row.key);
        }
    }
    static constexpr bool keyViewsArena()
    {
        if constexpr (kKeyMethods) {
            return true;
        } else {
            return std::is_same_v<std::remove_cvref_t<decltype(Row::key)>, std::string_view>;
        }
    }
    static constexpr bool kKeyInArena = keyViewsArena();

    static constexpr std::size_t kGentleGrowthFrom = std::size_t{1} << 16;
    static constexpr std::size_t kGentlerGrowthFrom = std::size_t{1} << 20;
    static constexpr std::size_t kPrefetchFromSlots = std::size_t{1} << 16; // 512 KB

    struct Slot {
        std::uint32_t rowPlusOne = 0; // 0: empty
        std::uint32_t tag = 0;        // upper half of the key's hash
    };

    static std::uint32_t tagOf(std::uint64_t h) { return static_cast<std::uint32_t>(h >> 32); }

    // A key's first slot follows from its tag alone (the tag's bits spread
    // by a multiplication, the top ones taken), so the index grows without
    // hashing a key again, and the tag still tells apart keys that share a
    // slot in all its 32 bits.
    std::size_t homeOf(std::uint32_t tag) const
    {
        return std::uint64_t{static_cast<std::uint32_t>(tag * 0x9E3779B1u)} >> shift_;
    }

    void setCapacity(std::size_t capacity)
    {
        mask_ = capacity == 0 ? 0 : capacity - 1;
        shift_ = 32;
        for (std::size_t c = capacity; c > 1; c >>= 1)
            --shift_;
    }

    // Puts an indexed row's slot in its place in a fresh index.
    void place(const Slot& slot)
    {
        std::size_t pos = homeOf(slot.tag);
        while (slots_[pos].rowPlusOne != 0)
            pos = (pos + 1) & mask_;
        slots_[pos] = slot;
    }

    // The row of key, made when new.
    // Log records come in runs from one visitor: the key of the last
    // look-up, spelled the same, needs no hashing.
    bool isLast(std::string_view key) const
    {
        if (last_ == 0) return false;
        const std::string_view lastKey = keyOf(rows_[last_ - 1]);
        return lastKey.size() == key.size() && std::memcmp(lastKey.data(), key.data(), key.size()) == 0;
    }

    std::size_t locate(std::string_view key, bool& isNew, const Hint& hint)
    {
        if (isLast(key)) {
            isNew = false;
            return last_ - 1;
        }
        const std::size_t row = lookup(key, isNew, hint.hashed ? hint.hash : folded::hash(key));
        last_ = static_cast<std::uint32_t>(row + 1);
        return row;
    }

    std::size_t lookup(std::string_view key, bool& isNew, std::uint64_t h)
    {
        if ((rows_.size() + 1) * 4 > slots_.size() * 3) grow();
        std::size_t pos = homeOf(tagOf(h));
        for (;; pos = (pos + 1) & mask_) {
            const Slot& slot = slots_[pos];
            if (slot.rowPlusOne == 0) break;
            if (matches(slot, h, key)) {
                isNew = false;
                return slot.rowPlusOne - 1;
            }
        }
        isNew = true;
        const std::size_t row = rows_.size();
        append(key);
        slots_[pos] = Slot{static_cast<std::uint32_t>(row + 1), tagOf(h)};
        return row;
    }

    // Appends a new key's row, its key text in the arena when it views one.
    void append(std::string_view key)
    {
        // Long lists grow by half rather than doubling, and lists of a
        // million rows by a quarter, or an eighth when they are not copied
        // to grow: less room left unused at the end, for a few more moves.
        if (rows_.size() == rows_.capacity() && rows_.size() >= kGentleGrowthFrom) {
            const std::size_t share = rows_.size() < kGentlerGrowthFrom     ? 2
                                      : std::is_same_v<Rows, RowStore<Row>> ? 8
                                                                            : 4;
            rows_.reserve(rows_.size() + rows_.size() / share);
        }
        rows_.emplace_back();
        if constexpr (kKeyMethods) {
            rows_.back().setKey(storeText(key));
        } else if constexpr (kKeyInArena) {
            rows_.back().key = storeText(key);
        } else {
            rows_.back().key.assign(key);
        }
    }

    std::string_view storeText(std::string_view text)
    {
        if (borrowed_.size() == text.size() && borrowed_.data() &&
            std::memcmp(borrowed_.data(), text.data(), text.size()) == 0)
            return borrowed_;
        return texts()->store(text);
    }

    bool matches(const Slot& slot, std::uint64_t h, std::string_view key) const
    {
        if (slot.tag != tagOf(h)) return false;
        const std::string_view rowKey = keyOf(rows_[slot.rowPlusOne - 1]);
        return rowKey.size() == key.size() && folded::equal(rowKey, key);
    }

    // At least twice the slots, enough for one more row. The slots indexed
    // so far move by their tags; a table without an index (new, or dropped)
    // hashes its rows' keys.
    void grow()
    {
        std::size_t capacity = slots_.empty() ? 16 : slots_.size() * 2;
        while ((rows_.size() + 1) * 4 > capacity * 3)
            capacity *= 2;
        memory::LargeVector<Slot> indexed;
        indexed.swap(slots_);
        slots_.assign(capacity, Slot{});
        setCapacity(capacity);
        if (indexed.empty()) {
            for (std::size_t i = 0; i < rows_.size(); ++i)
                index(i);
            return;
        }
        for (const Slot& slot : indexed)
            if (slot.rowPlusOne != 0) place(slot);
    }

    // find() on a compacted table.
    long findUnindexed(std::string_view key) const
    {
        for (std::size_t i = 0; i < rows_.size(); ++i) {
            const std::string_view rowKey = keyOf(rows_[i]);
            if (rowKey.size() == key.size() && folded::equal(rowKey, key)) return static_cast<long>(i);
        }
        return -1;
    }

    void index(std::size_t row)
    {
        place(Slot{static_cast<std::uint32_t>(row + 1), tagOf(folded::hash(keyOf(rows_[row])))});
    }

    void forget()
    {
        rows_.clear();
        texts_.reset();
        earlierTexts_.clear();
        slots_.clear();
        setCapacity(0);
        last_ = 0;
    }

    // The other table's keys are distinct already: the copy takes its rows
    // in order, each key copied into this table's arena, and indexes them
    // once. A row that keeps pieces of its key as offsets keeps them.
    void copyFrom(const KeyedRows& other)
    {
        rows_.reserve(other.rows_.size());
        for (const Row& from : other.rows_) {
            rows_.push_back(from);
            Row& row = rows_.back();
            if constexpr (kKeyMethods) {
                row.setKey(storeText(from.key()));
            } else if constexpr (kKeyInArena) {
                row.key = storeText(from.key);
            }
        }
        if (!rows_.empty()) grow();
    }

    Rows rows_;
    std::shared_ptr<TextArena> texts_;
    std::vector<std::shared_ptr<TextArena>> earlierTexts_; // still viewed by rows
    std::string_view borrowed_;
    memory::LargeVector<Slot> slots_;
    std::size_t mask_ = 0;
    unsigned shift_ = 32; // 32 less the bits of a slot's number
    std::uint32_t last_ = 0; // the row of the last key looked up, plus one
};

} // namespace larkspan::analysis
