#include "common/LargeBlocks.h"

#include <cstdlib>
#include <cstring>

#if defined(__linux__)
#include <sys/mman.h>
#define LARKSPAN_MAPPED_BLOCKS 1
#endif

namespace larkspan::memory {

namespace {

// malloc's sizes: at least one byte, so that a block is never a null pointer.
std::size_t heapBytes(std::size_t bytes)
{
    return bytes == 0 ? 1 : bytes;
}

} // namespace

#if defined(LARKSPAN_MAPPED_BLOCKS)

namespace {

constexpr std::size_t kPageBytes = 4096;

std::size_t wholePages(std::size_t bytes)
{
    return (bytes + kPageBytes - 1) & ~(kPageBytes - 1);
}

bool mapped(std::size_t bytes)
{
    return bytes >= kLargeBlockBytes;
}

// The advice covers the whole mapping: advice on part of it would split it
// in pieces, and a mapping in pieces cannot be remapped in one call. The
// advice moves and grows with the mapping. A refusal (no huge pages in this
// system) leaves ordinary pages: nothing to report.
void* newMapping(std::size_t bytes)
{
    void* block = mmap(nullptr, wholePages(bytes), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED) return nullptr;
#if defined(MADV_HUGEPAGE)
    (void)madvise(block, wholePages(bytes), MADV_HUGEPAGE);
#endif
    return block;
}

// Copies the first `bytes` of the old block into the fresh one and frees the old.
void* moveInto(void* fresh, void* old, std::size_t bytes, std::size_t oldBytes)
{
    if (fresh == nullptr) return nullptr;
    if (bytes > 0) std::memcpy(fresh, old, bytes);
    freeBlock(old, oldBytes);
    return fresh;
}

} // namespace

void* allocateBlock(std::size_t bytes) noexcept
{
    return mapped(bytes) ? newMapping(bytes) : std::malloc(heapBytes(bytes));
}

void* resizeBlock(void* block, std::size_t oldBytes, std::size_t newBytes) noexcept
{
    if (block == nullptr) return allocateBlock(newBytes);
    if (!mapped(oldBytes) && !mapped(newBytes)) return std::realloc(block, heapBytes(newBytes));
    if (!mapped(oldBytes)) return moveInto(newMapping(newBytes), block, oldBytes, oldBytes);
    if (!mapped(newBytes)) return moveInto(std::malloc(heapBytes(newBytes)), block, newBytes, oldBytes);
    void* moved = mremap(block, wholePages(oldBytes), wholePages(newBytes), MREMAP_MAYMOVE);
    return moved == MAP_FAILED ? nullptr : moved;
}

void freeBlock(void* block, std::size_t bytes) noexcept
{
    if (block != nullptr && mapped(bytes)) {
        munmap(block, wholePages(bytes));
        return;
    }
    std::free(block);
}

#else

void* allocateBlock(std::size_t bytes) noexcept
{
    return std::malloc(heapBytes(bytes));
}

void* resizeBlock(void* block, std::size_t, std::size_t newBytes) noexcept
{
    return std::realloc(block, heapBytes(newBytes));
}

void freeBlock(void* block, std::size_t) noexcept
{
    std::free(block);
}

#endif

} // namespace larkspan::memory
