#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace larkspan::analysis {

// Hands blocks of bytes from one writing thread to one reading thread, in
// order. A fixed number of blocks is recycled, so the writer runs at most
// that many blocks ahead of the reader and the memory stays bounded; a
// block keeps its room from one use to the next.
class BlockHandOff {
  public:
    // blockBytes: the room each block starts with (a block that has to
    // take more grows).
    BlockHandOff(std::size_t blocks, std::size_t blockBytes);
    BlockHandOff(const BlockHandOff&) = delete;
    BlockHandOff& operator=(const BlockHandOff&) = delete;

    // --- writer -------------------------------------------------------

    // The block being written.
    std::string& writing() { return *writing_; }
    // Hands the block written over and waits for an empty one. Returns
    // false, keeping the block to be written again, once the reader gave
    // up.
    bool handOver();
    // Hands the block written over (when it holds anything) and tells the
    // reader that no more will come.
    void close();

    // --- reader -------------------------------------------------------

    // The next block handed over, waiting for it; nullptr once the writer
    // closed and every block was taken. The block is the reader's until
    // the next call.
    const std::string* next();
    // The reader takes no more blocks: the writer no longer waits.
    void abandon();

  private:
    std::vector<std::string> blocks_;
    std::string* writing_ = nullptr;
    const std::string* reading_ = nullptr; // the reader's block, until it asks for the next
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::string*> full_;  // handed over, in order
    std::vector<std::string*> free_; // empty, for the writer
    bool closed_ = false;
    bool abandoned_ = false;
};

} // namespace larkspan::analysis
