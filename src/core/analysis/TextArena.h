#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

namespace larkspan::analysis {

// Texts stored end to end in blocks that never move, so a view of a stored
// text stays valid as long as the arena. Each block is twice the one before,
// up to a limit: an arena of a few texts holds a small block, a big one
// wastes at most the end of its last block.
class TextArena {
  public:
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
    static constexpr std::size_t kLargestBlockSize = std::size_t{1} << 20;

    void addBlock(std::size_t atLeast)
    {
        const std::size_t next = blocks_.empty() ? kFirstBlockSize : std::min(blockSize_ * 2, kLargestBlockSize);
        blockSize_ = std::max(next, atLeast);
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(blockSize_));
        free_ = blockSize_;
        end_ = blocks_.back().get() + blockSize_;
    }

    std::vector<std::unique_ptr<char[]>> blocks_;
    std::size_t blockSize_ = 0;
    std::size_t free_ = 0;
    char* end_ = nullptr;
};

} // namespace larkspan::analysis
