#pragma once

#include <cstddef>
#include <new>
#include <vector>

namespace larkspan::memory {

// From this size on a block is a mapping of its own (see allocateBlock).
inline constexpr std::size_t kLargeBlockBytes = std::size_t{4} << 20;

// Blocks of bytes for the long arrays and text stores of a run over millions
// of distinct keys. A block smaller than kLargeBlockBytes comes from malloc.
// A larger one is a mapping of its own, asked for 2 MB pages before anything
// is written to it (Linux gives them to blocks that ask, under its usual
// "madvise" setting): a table of hundreds of megabytes then costs one page
// fault and one TLB entry per 2 MB instead of per 4 KB. Such a block grows
// or shrinks by remapping its pages, never by copying them, and goes back to
// the system when freed. Elsewhere the three are malloc, realloc and free.
//
// Each returns nullptr when there is no memory; resizeBlock then leaves the
// old block as it was. A block is freed and resized with the size it was
// last given.
void* allocateBlock(std::size_t bytes) noexcept;
void* resizeBlock(void* block, std::size_t oldBytes, std::size_t newBytes) noexcept;
void freeBlock(void* block, std::size_t bytes) noexcept;

// std::allocator over those blocks.
template <class T> class LargeBlockAllocator {
  public:
    using value_type = T;

    LargeBlockAllocator() = default;
    template <class U> LargeBlockAllocator(const LargeBlockAllocator<U>&) noexcept {}

    T* allocate(std::size_t n)
    {
        if (n > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_alloc();
        void* block = allocateBlock(n * sizeof(T));
        if (block == nullptr) throw std::bad_alloc();
        return static_cast<T*>(block);
    }
    void deallocate(T* block, std::size_t n) noexcept { freeBlock(block, n * sizeof(T)); }

    template <class U> bool operator==(const LargeBlockAllocator<U>&) const noexcept { return true; }
};

// A vector whose blocks are large blocks once it is long.
template <class T> using LargeVector = std::vector<T, LargeBlockAllocator<T>>;

} // namespace larkspan::memory
