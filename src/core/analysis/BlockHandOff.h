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
// that many blocks ahead of the reader and the memory stays bounded. Many
// blocks let the writer go on while the reader is held up for a while;
// only a few empty ones keep their room, so a reader that keeps up holds
// little memory.
class BlockHandOff {
  public:
    // blockBytes: the room a block is given when the writer takes it (a
    // block that has to take more grows). keptEmpty: how many empty blocks
    // keep their room for the next use.
    BlockHandOff(std::size_t blocks, std::size_t blockBytes, std::size_t keptEmpty);
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
    // Takes an empty block for the writer and gives it room (the lock
    // is let go meanwhile).
    void takeEmpty(std::unique_lock<std::mutex>& lock);
    // The reader is done with its block: it goes back to the writer.
    void giveBack();

    std::vector<std::string> blocks_;
    std::size_t blockBytes_;
    std::size_t keptEmpty_;
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
