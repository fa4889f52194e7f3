#pragma once

#include "common/LargeBlocks.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <new>
#include <string_view>
#include <utility>
#include <vector>

namespace larkspan::analysis {

// Texts stored end to end in blocks that never move, so a view of a stored
// text stays valid as long as the arena. Each block is twice the one before,
// up to a limit: an arena of a few texts holds a small block, a big one
// wastes at most the end of its last block, and only as address space until
// texts are written there. The largest blocks are large blocks (huge pages).
class TextArena {
  public:
    TextArena() = default;
    ~TextArena() { release(); }
    TextArena(TextArena&& other) noexcept { swap(other); }
    TextArena& operator=(TextArena&& other) noexcept
    {
        if (this != &other) {
            TextArena gone(std::move(*this));
            swap(other);
        }
        return *this;
    }
    TextArena(const TextArena&) = delete;
    TextArena& operator=(const TextArena&) = delete;

    std::string_view store(std::string_view text)
    {
        if (free_ < text.size()) addBlock(text.size());
        char* at = end_ - free_;
        free_ -= text.size();
        if (!text.empty()) std::memcpy(at, text.data(), text.size());
        return std::string_view(at, text.size());
    }

  private:
    static constexpr std::size_t kFirstBlockSize = std::size_t{1} << 10;
    static constexpr std::size_t kLargestBlockSize = std::size_t{8} << 20;

    struct Block {
        char* bytes;
        std::size_t size;
    };

    void addBlock(std::size_t atLeast)
    {
        const std::size_t next = blocks_.empty() ? kFirstBlockSize : std::min(blockSize_ * 2, kLargestBlockSize);
        const std::size_t size = std::max(next, atLeast);
        blocks_.reserve(blocks_.size() + 1);
        char* bytes = static_cast<char*>(memory::allocateBlock(size));
        if (bytes == nullptr) throw std::bad_alloc();
        blocks_.push_back(Block{bytes, size});
        blockSize_ = size;
        free_ = size;
        end_ = bytes + size;
    }

    void release() noexcept
    {
        for (const Block& block : blocks_)
            memory::freeBlock(block.bytes, block.size);
        blocks_.clear();
    }

    void swap(TextArena& other) noexcept
    {
        std::swap(blocks_, other.blocks_);
        std::swap(blockSize_, other.blockSize_);
        std::swap(free_, other.free_);
        std::swap(end_, other.end_);
    }

    std::vector<Block> blocks_;
    std::size_t blockSize_ = 0;
    std::size_t free_ = 0;
    char* end_ = nullptr;
};

} // namespace larkspan::analysis
