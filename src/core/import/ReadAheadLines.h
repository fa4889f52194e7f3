#pragma once

#include "import/LineReader.h"
#include "import/LineSource.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace larkspan {

// Reads a source file's lines on a worker thread while the caller converts
// the lines read before: reading, unpacking and splitting overlap the
// conversion and writing on the calling thread. The worker also rewrites
// bracketed-date records (the costly step of the commonest layouts) for the
// blocks it fills while two blocks wait for the caller; otherwise it hands
// the lines on unprepared and the caller rewrites them itself, so the work
// finds its balance between the two. The caller sees exactly the lines the
// reader gives, in order, and a read failure surfaces at the place in the
// stream where it happened, as the same SourceReadError.
//
// Lines are not copied: they stay in the reader's buffers, which a block
// keeps once the reader has moved on from them, until the caller is done
// with the block. Memory stays bounded: a few recycled blocks of up to
// 512 KB of lines each, and the reader buffers they hold, so the worker
// waits when the caller falls behind. Destroying the object stops the
// worker within one line and joins it; only then may the reader be used
// again on the calling thread.
class ReadAheadLines final : public LineSource, private LineReader::BufferKeeper {
    struct Block;

  public:
    // The blocks, kept from one source file to the next: a run's memory is
    // taken (and faulted in) once, not once per file.
    class Blocks {
      public:
        Blocks();
        ~Blocks();
        Blocks(const Blocks&) = delete;
        Blocks& operator=(const Blocks&) = delete;

      private:
        friend class ReadAheadLines;
        std::vector<std::unique_ptr<Block>> spare_;
        std::vector<std::vector<char>> spareBuffers_; // reader buffers, for the worker
    };

    enum class Rewriting {
        Balanced, // records of the blocks filled while the caller is busy
        Always,   // every record (for tests)
    };
    // reader: open, and positioned where conversion begins; the worker
    // owns it until this object is destroyed. The blocks come from and go
    // back to blocks, which must outlive this object.
    ReadAheadLines(LineReader& reader, Blocks& blocks, Rewriting rewriting = Rewriting::Balanced);
    ~ReadAheadLines() override;
    ReadAheadLines(const ReadAheadLines&) = delete;
    ReadAheadLines& operator=(const ReadAheadLines&) = delete;

    bool next(std::string_view& line) override;
    bool atEnd() override;
    std::uint64_t filePosition() const override { return position_; }
    Prepared prepared(std::string_view line, std::string_view& record) const override;

  private:
    static constexpr std::size_t kCacheLine = 64;
    struct Line {
        const char* text = nullptr; // in a reader buffer
        std::size_t size = 0;
        std::size_t recordFrom = 0, recordSize = 0; // in Block::records
        Prepared prepared = Prepared::Unknown;
    };
    // A block is filled on one thread while another reads its neighbour in
    // memory: each starts a cache line of its own.
    struct alignas(kCacheLine) Block {
        // The reader buffers the reader moved on from while filling this
        // block: they hold its lines, and the lines of the blocks before it.
        std::vector<std::vector<char>> buffers;
        std::size_t textBytes = 0; // of the lines
        std::string records;       // rewritten records back to back
        std::vector<Line> lines;
        std::uint64_t filePosition = 0; // after the last line
        bool last = false;              // nothing follows
        std::exception_ptr error;       // what ended reading, after the lines
        // Empties the block; its buffers go to spare.
        void clear(std::vector<std::vector<char>>& spare);
    };
    static constexpr std::size_t kBlocks = 6;
    static constexpr std::size_t kBlockBytes = 512 << 10;
    static constexpr std::size_t kBlockLines = 2048;

    std::vector<char> freshBuffer(std::size_t size) override;
    void keep(std::vector<char> used) override;

    void work();
    // The next block to fill and whether to rewrite its records; null when
    // stopped.
    std::unique_ptr<Block> takeFree(bool& rewrite);
    void fillBlock(Block& block, bool rewrite);
    void addLine(Block& block, std::string_view line, bool rewrite);
    // Makes the next full block current; false when the stream has ended.
    bool advance();

    LineReader& reader_;
    Blocks& blocks_;
    const Rewriting rewriting_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::unique_ptr<Block>> full_;
    std::vector<std::unique_ptr<Block>> free_;
    // The worker tests this after every line, and the caller moves on a
    // line at a time: each has a cache line of its own, or every line the
    // caller takes would pull the flag's line away from the worker.
    alignas(kCacheLine) std::atomic<bool> stop_{false};
    Block* filling_ = nullptr; // the block the worker fills

    // The caller's side.
    alignas(kCacheLine) std::unique_ptr<Block> current_;
    std::size_t index_ = 0; // of the next line in current_
    std::uint64_t position_ = 0;
    std::thread worker_;
};

} // namespace larkspan
