#pragma once

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

class LineReader;

// Reads a source file's lines on a worker thread while the caller converts
// the lines read before: reading, unpacking, splitting and the rewriting of
// bracketed-date records (the costly step of the commonest layouts, done for
// every line that is one, whatever the file's layout turns out to be)
// overlap the conversion and writing on the calling thread. The caller sees exactly the lines the reader gives,
// in order, and a read failure surfaces at the place in the stream where it
// happened, as the same SourceReadError.
//
// Memory stays bounded: lines travel in a few recycled blocks of about
// 1 MB, so the worker waits when the caller falls behind. Destroying the
// object stops the worker within one line and joins it; only then may the
// reader be used again on the calling thread.
class ReadAheadLines final : public LineSource {
  public:
    // reader: open, and positioned where conversion begins; the worker
    // owns it until this object is destroyed.
    explicit ReadAheadLines(LineReader& reader);
    ~ReadAheadLines() override;
    ReadAheadLines(const ReadAheadLines&) = delete;
    ReadAheadLines& operator=(const ReadAheadLines&) = delete;

    bool next(std::string_view& line) override;
    bool atEnd() override;
    std::uint64_t filePosition() const override { return position_; }
    Prepared prepared(std::string_view line, std::string_view& record) const override;

  private:
    struct Line {
        std::size_t from = 0, size = 0;             // in Block::text
        std::size_t recordFrom = 0, recordSize = 0; // in Block::records
        Prepared prepared = Prepared::Unknown;
    };
    struct Block {
        std::string text;    // the lines back to back
        std::string records; // rewritten records back to back
        std::vector<Line> lines;
        std::uint64_t filePosition = 0; // after the last line
        bool last = false;              // nothing follows
        std::exception_ptr error;       // what ended reading, after the lines
        void clear();
    };
    static constexpr std::size_t kBlocks = 4;
    static constexpr std::size_t kBlockBytes = 1 << 20;
    static constexpr std::size_t kBlockLines = 8192;

    void work();
    std::unique_ptr<Block> takeFree();
    void fillBlock(Block& block);
    void addLine(Block& block, std::string_view line);
    // Makes the next full block current; false when the stream has ended.
    bool advance();

    LineReader& reader_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::unique_ptr<Block>> full_;
    std::vector<std::unique_ptr<Block>> free_;
    std::atomic<bool> stop_{false};

    // The caller's side.
    std::unique_ptr<Block> current_;
    std::size_t index_ = 0; // of the next line in current_
    std::uint64_t position_ = 0;
    std::thread worker_;
};

} // namespace larkspan
