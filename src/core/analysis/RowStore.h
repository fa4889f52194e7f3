#pragma once

#include "common/LargeBlocks.h"

#include <cstddef>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

namespace larkspan::analysis {

// A row type of a KeyedRows table that holds `using Growth = GrowsInPlace;`
// keeps its rows in a RowStore rather than a std::vector: for the long
// lists of the analysis pass.
struct GrowsInPlace {};

// Rows of a plain type (copied byte for byte) end to end in one block, like
// a std::vector, but grown in place where it can: a block of many megabytes
// is moved by remapping its pages rather than copied (memory::resizeBlock),
// so a table of millions of rows never holds its old and its new block at
// once while it grows.
template <class Row> class RowStore {
    static_assert(std::is_trivially_copyable_v<Row> && std::is_trivially_destructible_v<Row>,
                  "rows are moved as bytes");

  public:
    using value_type = Row;
    using iterator = Row*;
    using const_iterator = const Row*;

    RowStore() = default;
    ~RowStore() { memory::freeBlock(rows_, capacity_ * sizeof(Row)); }
    RowStore(const RowStore& other) { *this = other; }
    RowStore& operator=(const RowStore& other)
    {
        if (this != &other) {
            clear();
            reserve(other.size_);
            if (other.size_ > 0) std::memcpy(static_cast<void*>(rows_), other.rows_, other.size_ * sizeof(Row));
            size_ = other.size_;
        }
        return *this;
    }
    RowStore(RowStore&& other) noexcept { swap(other); }
    RowStore& operator=(RowStore&& other) noexcept
    {
        if (this != &other) {
            RowStore gone(std::move(*this));
            swap(other);
        }
        return *this;
    }
    void swap(RowStore& other) noexcept
    {
        std::swap(rows_, other.rows_);
        std::swap(size_, other.size_);
        std::swap(capacity_, other.capacity_);
    }

    std::size_t size() const { return size_; }
    std::size_t capacity() const { return capacity_; }
    bool empty() const { return size_ == 0; }
    Row* data() { return rows_; }
    const Row* data() const { return rows_; }
    Row& operator[](std::size_t i) { return rows_[i]; }
    const Row& operator[](std::size_t i) const { return rows_[i]; }
    Row* begin() { return rows_; }
    Row* end() { return rows_ + size_; }
    const Row* begin() const { return rows_; }
    const Row* end() const { return rows_ + size_; }
    Row& front() { return rows_[0]; }
    const Row& front() const { return rows_[0]; }
    Row& back() { return rows_[size_ - 1]; }
    const Row& back() const { return rows_[size_ - 1]; }

    // Room for at least n rows; the rows may move.
    void reserve(std::size_t n)
    {
        if (n > capacity_) resize(n);
    }
    // A new row as Row{} makes it, at the end (the block doubles when full).
    Row& emplace_back()
    {
        if (size_ == capacity_) resize(capacity_ == 0 ? 4 : capacity_ * 2);
        return *::new (static_cast<void*>(rows_ + size_++)) Row{};
    }
    void push_back(const Row& row) { emplace_back() = row; }
    void clear() { size_ = 0; }
    // The block holds the rows and no more.
    void shrink_to_fit()
    {
        if (size_ < capacity_) resize(size_);
    }

  private:
    void resize(std::size_t n)
    {
        if (n == 0) {
            memory::freeBlock(rows_, capacity_ * sizeof(Row));
            rows_ = nullptr;
            capacity_ = 0;
            return;
        }
        if (n > static_cast<std::size_t>(-1) / sizeof(Row)) throw std::bad_alloc();
        void* grown = memory::resizeBlock(rows_, capacity_ * sizeof(Row), n * sizeof(Row));
        if (!grown) throw std::bad_alloc();
        rows_ = static_cast<Row*>(grown);
        capacity_ = n;
    }

    Row* rows_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

} // namespace larkspan::analysis
