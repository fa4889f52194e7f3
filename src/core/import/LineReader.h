#pragma once

#include "common/Error.h"
#include "import/LineSource.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace larkspan {

class Utf16Decoder;

// A source file that cannot be read to its end (damaged compressed data, a
// read error). The run skips that file.
class SourceReadError : public Error {
  public:
    using Error::Error;
};

// Reads a log file line by line in large blocks, without a working copy:
// each CR, LF or CR LF ends a line, and a last line without a break is a
// line too. Bytes are passed through as they are (NUL and 8-bit included).
// gzip-compressed files (recognised by their magic bytes) are unpacked on
// the fly, and UTF-16 files (recognised by their byte-order mark) are read
// as UTF-8. Memory stays at one block plus the longest line, and lines are
// cut at 16 MB.
class LineReader final : public LineSource {
  public:
    // Takes the buffers a reader is done with, so that the lines handed out
    // from them stay where they are while reading goes on (on the thread
    // that reads).
    class BufferKeeper {
      public:
        virtual ~BufferKeeper() = default;
        // A buffer of at least size bytes to go on in (its bytes need not
        // be cleared).
        virtual std::vector<char> freshBuffer(std::size_t size) = 0;
        // The buffer the reader leaves, still holding every line it gave.
        virtual void keep(std::vector<char> used) = 0;
    };

    // blockSize: bytes read at a time (small blocks only for tests and
    // fuzzing). A line longer than maxLine is cut to its first maxLine bytes.
    explicit LineReader(std::size_t blockSize = kDefaultBlockSize, std::size_t maxLine = kDefaultMaxLine);
    static constexpr std::size_t kDefaultBlockSize = 1 << 20;
    static constexpr std::size_t kDefaultMaxLine = 16 << 20;
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // Opens the file for reading; false (errno kept) when it cannot be
    // opened. Opening never blocks: a FIFO, device or folder is refused
    // (notRegular() then tells so).
    bool open(const std::string& path);
    bool notRegular() const { return notRegular_; }
    // Reads the first bytes of an already open file without losing them:
    // up to size bytes of the decoded content.
    std::string_view peek(std::size_t size);

    // The next line, valid until the following call; false at the end.
    // Throws SourceReadError when the file cannot be read (or its
    // compressed data is damaged).
    bool next(std::string_view& line) override;
    // True when no further line follows.
    bool atEnd() override;

    // Reading stops at this many bytes of content, as if the file ended
    // there, until clearLimit() lets it go on from the same byte.
    void setLimit(std::uint64_t contentBytes);
    void clearLimit();
    // Puts text in front of the lines not yet read.
    void prepend(std::string_view text);

    // Content bytes taken from the file so far (after unpacking); at the
    // end, the whole content's length.
    std::uint64_t contentRead() const { return contentRead_; }
    // How far into the file itself reading has come (packed bytes for a
    // compressed file): for progress against the file's size.
    std::uint64_t filePosition() const override;

    bool compressed() const { return gz_ != nullptr; }

    // For a caller that finds line ends itself, instead of next(): the
    // bytes read and not yet taken, valid until the next call; take()
    // passes over bytes of them; readMore() reads on behind them (false
    // at the end of the content).
    std::string_view unread() const { return std::string_view(buffer_.data() + start_, end_ - start_); }
    void take(std::size_t bytes)
    {
        start_ += bytes;
        scanned_ = 0;
    }
    bool readMore() { return fill(); }

    // With a keeper, the bytes of the lines handed out are never moved or
    // overwritten: where the reader would make room in its buffer, it goes
    // on in a fresh one and gives the old one to the keeper. Null: bytes
    // are reused (a line is then valid until the next call). The keeper
    // must outlive its use.
    void keepBuffers(BufferKeeper* keeper) { keeper_ = keeper; }

  private:
    bool fill();                                        // reads more bytes behind end_; false at the end of the file
    std::size_t readSome(char* into, std::size_t size); // within the limit
    std::size_t readRaw(char* into, std::size_t size);
    std::size_t readDecoded(char* into, std::size_t size);
    void replaceUnread(const std::string& unread);
    // Leaves the buffer to the keeper and goes on in a fresh one of at
    // least size bytes, which holds the unread bytes at its front.
    void moveToFreshBuffer(std::size_t size);

    std::string path_;
    int fd_ = -1;
    void* gz_ = nullptr;                  // gzFile while reading compressed data
    std::unique_ptr<Utf16Decoder> utf16_; // while reading UTF-16 text
    std::string decoded_;                 // UTF-8 text decoded but not yet handed out
    std::size_t decodedFrom_ = 0;
    std::vector<char> buffer_;
    std::size_t start_ = 0;   // first byte of the unread text
    std::size_t end_ = 0;     // one past the last byte read
    std::size_t scanned_ = 0; // bytes after start_ known to hold no line break
    // Position of the next CR at or after start_, or end_ when there is none
    // in the bytes read: LF-only logs are then searched once per block.
    std::size_t nextCr_ = 0;
    bool crKnown_ = false;
    std::size_t maxLine_;
    bool discarding_ = false; // skipping the rest of an overlong line
    bool eof_ = false;
    bool skipLf_ = false; // the last line ended with a CR at the end of a block
    bool notRegular_ = false;
    std::uint64_t contentRead_ = 0;
    std::uint64_t limit_ = UINT64_MAX;
    std::string held_; // bytes read past the limit
    BufferKeeper* keeper_ = nullptr;
};

} // namespace larkspan
