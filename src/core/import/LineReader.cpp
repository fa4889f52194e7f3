#include "import/LineReader.h"

#include "common/Error.h"
#include "import/Utf16Text.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

namespace larkspan {

LineReader::LineReader(std::size_t blockSize, std::size_t maxLine)
    : buffer_(std::max<std::size_t>(blockSize, 16)), maxLine_(std::max<std::size_t>(maxLine, 1))
{
}

LineReader::~LineReader()
{
    if (gz_)
        gzclose_r(static_cast<gzFile>(gz_));
    else if (fd_ >= 0)
        ::close(fd_);
}

bool LineReader::open(const std::string& path)
{
    path_ = path;
    notRegular_ = false;
    // O_NONBLOCK: opening a FIFO without a writer would wait for ever.
    fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) return false;
    struct stat info {};
    if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        notRegular_ = true;
        errno = EISDIR;
        return false;
    }
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
    unsigned char magic[2] = {0, 0};
    const ssize_t n = ::pread(fd_, magic, 2, 0);
    if (n == 2 && magic[0] == 0x1f && magic[1] == 0x8b) {
        const int duplicate = ::dup(fd_);
        gzFile gz = duplicate >= 0 ? gzdopen(duplicate, "rb") : nullptr;
        if (!gz) {
            if (duplicate >= 0) ::close(duplicate);
            ::close(fd_);
            fd_ = -1;
            errno = ENOMEM;
            return false;
        }
        gzbuffer(gz, static_cast<unsigned>(std::max<std::size_t>(buffer_.size(), 8192)));
        ::close(fd_);
        fd_ = -1;
        gz_ = gz;
    } else if (n == 2 && utf16Order(std::string_view(reinterpret_cast<char*>(magic), 2)) != Utf16Order::None) {
        utf16_ = std::make_unique<Utf16Decoder>(utf16Order(std::string_view(reinterpret_cast<char*>(magic), 2)));
        if (::lseek(fd_, 2, SEEK_SET) != 2) {
            ::close(fd_);
            fd_ = -1;
            return false;
        }
    }
    return true;
}

std::uint64_t LineReader::filePosition() const
{
    if (gz_) {
        const long offset = gzoffset(static_cast<gzFile>(gz_));
        return offset < 0 ? 0 : static_cast<std::uint64_t>(offset);
    }
    if (utf16_) {
        const off_t offset = ::lseek(fd_, 0, SEEK_CUR);
        return offset < 0 ? 0 : static_cast<std::uint64_t>(offset);
    }
    return contentRead_;
}

void LineReader::setLimit(std::uint64_t contentBytes)
{
    limit_ = contentBytes;
    if (contentRead_ <= contentBytes) return;
    // Bytes past the limit already read (by peek) wait aside.
    const std::size_t excess =
        static_cast<std::size_t>(std::min<std::uint64_t>(contentRead_ - contentBytes, end_ - start_));
    held_.assign(buffer_.data() + end_ - excess, excess);
    end_ -= excess;
    contentRead_ -= excess;
    scanned_ = std::min(scanned_, end_ - start_);
    crKnown_ = false;
}

void LineReader::clearLimit()
{
    limit_ = UINT64_MAX;
    eof_ = false;
    if (held_.empty()) return;
    std::string unread(buffer_.data() + start_, end_ - start_);
    unread += held_;
    contentRead_ += held_.size();
    held_.clear();
    replaceUnread(unread);
}

void LineReader::prepend(std::string_view text)
{
    if (text.empty()) return;
    std::string unread(text);
    unread.append(buffer_.data() + start_, end_ - start_);
    replaceUnread(unread);
    skipLf_ = false;
}

void LineReader::replaceUnread(const std::string& unread)
{
    if (keeper_) {
        moveToFreshBuffer(std::max(buffer_.size(), unread.size()));
    } else if (buffer_.size() < unread.size()) {
        buffer_.resize(unread.size());
    }
    std::memcpy(buffer_.data(), unread.data(), unread.size());
    start_ = 0;
    end_ = unread.size();
    scanned_ = 0;
    crKnown_ = false;
}

std::size_t LineReader::readSome(char* into, std::size_t size)
{
    if (contentRead_ >= limit_) return 0;
    size = static_cast<std::size_t>(std::min<std::uint64_t>(size, limit_ - contentRead_));
    const std::size_t n = utf16_ ? readDecoded(into, size) : readRaw(into, size);
    contentRead_ += n;
    return n;
}

std::size_t LineReader::readDecoded(char* into, std::size_t size)
{
    if (decodedFrom_ == decoded_.size()) {
        decoded_.clear();
        decodedFrom_ = 0;
        char raw[1 << 16];
        while (decoded_.empty()) {
            const std::size_t n = readRaw(raw, sizeof raw);
            if (n == 0) {
                utf16_->finish(decoded_);
                if (decoded_.empty()) return 0;
                break;
            }
            utf16_->decode(std::string_view(raw, n), decoded_);
        }
    }
    const std::size_t n = std::min(size, decoded_.size() - decodedFrom_);
    std::memcpy(into, decoded_.data() + decodedFrom_, n);
    decodedFrom_ += n;
    return n;
}

std::size_t LineReader::readRaw(char* into, std::size_t size)
{
    if (gz_) {
        const unsigned chunk = static_cast<unsigned>(std::min<std::size_t>(size, 1u << 30));
        const int n = gzread(static_cast<gzFile>(gz_), into, chunk);
        if (n < 0) {
            int code = 0;
            const char* message = gzerror(static_cast<gzFile>(gz_), &code);
            throw SourceReadError("Cannot read the compressed file " + path_ + ": " +
                                  (message ? message : "damaged data"));
        }
        if (n == 0) {
            int code = 0;
            gzerror(static_cast<gzFile>(gz_), &code);
            if (code != Z_OK && code != Z_STREAM_END)
                throw SourceReadError("Cannot read the compressed file " + path_ + ": it ends unexpectedly.");
        }
        return static_cast<std::size_t>(n);
    }
    for (;;) {
        const ssize_t n = ::read(fd_, into, size);
        if (n >= 0) return static_cast<std::size_t>(n);
        if (errno == EINTR) continue;
        throw SourceReadError("Cannot read " + path_ + ": " + std::strerror(errno));
    }
}

void LineReader::moveToFreshBuffer(std::size_t size)
{
    std::vector<char> fresh = keeper_->freshBuffer(size);
    if (fresh.size() < size) fresh.resize(size);
    std::memcpy(fresh.data(), buffer_.data() + start_, end_ - start_);
    keeper_->keep(std::move(buffer_));
    buffer_ = std::move(fresh);
    end_ -= start_;
    if (crKnown_) nextCr_ -= std::min(nextCr_, start_);
    start_ = 0;
}

bool LineReader::fill()
{
    if (eof_) return false;
    if (keeper_) {
        // Reading goes on in the room after the bytes read, or in a fresh
        // buffer (twice as large for a line longer than the buffer).
        if (end_ == buffer_.size()) moveToFreshBuffer(start_ == 0 ? buffer_.size() * 2 : buffer_.size());
    } else if (start_ > 0) {
        // Keep the unread text at the front of the block.
        std::memmove(buffer_.data(), buffer_.data() + start_, end_ - start_);
        end_ -= start_;
        if (crKnown_) nextCr_ -= std::min(nextCr_, start_);
        start_ = 0;
    }
    if (end_ == buffer_.size()) buffer_.resize(buffer_.size() * 2); // a line longer than the block
    const std::size_t n = readSome(buffer_.data() + end_, buffer_.size() - end_);
    if (n == 0) {
        eof_ = true;
        return false;
    }
    const std::size_t oldEnd = end_;
    end_ += n;
    if (crKnown_ && nextCr_ >= oldEnd) {
        // No CR before the new bytes: only they need searching.
        const void* cr = std::memchr(buffer_.data() + oldEnd, '\r', n);
        nextCr_ = cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - buffer_.data()) : end_;
    }
    return true;
}

std::string_view LineReader::peek(std::size_t size)
{
    while (end_ - start_ < size && fill()) {
    }
    return std::string_view(buffer_.data() + start_, std::min(size, end_ - start_));
}

bool LineReader::next(std::string_view& line)
{
    for (;;) {
        if (skipLf_ && start_ < end_) {
            skipLf_ = false;
            if (buffer_[start_] == '\n') ++start_;
        }
        const char* data = buffer_.data();
        if (!crKnown_ || nextCr_ < start_) {
            const void* cr = std::memchr(data + start_, '\r', end_ - start_);
            nextCr_ = cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - data) : end_;
            crKnown_ = true;
        }
        const std::size_t from = start_ + scanned_;
        const void* lfFound = std::memchr(data + from, '\n', end_ - from);
        std::size_t brk = lfFound ? static_cast<std::size_t>(static_cast<const char*>(lfFound) - data) : end_;
        if (nextCr_ < brk) brk = nextCr_;
        if (brk < end_ && !discarding_) {
            line = std::string_view(data + start_, std::min(brk - start_, maxLine_));
            std::size_t next = brk + 1;
            if (data[brk] == '\r') {
                if (next < end_) {
                    if (data[next] == '\n') ++next;
                } else {
                    skipLf_ = true; // the LF, if any, is in the next block
                }
            }
            start_ = next;
            scanned_ = 0;
            return true;
        }
        if (discarding_) {
            // The rest of an overlong line: dropped up to its break.
            if (brk < end_) {
                std::size_t next = brk + 1;
                if (data[brk] == '\r') {
                    if (next < end_) {
                        if (data[next] == '\n') ++next;
                    } else {
                        skipLf_ = true;
                    }
                }
                start_ = next;
                scanned_ = 0;
                discarding_ = false;
                continue;
            }
            start_ = end_;
            scanned_ = 0;
            if (!fill()) return false;
            continue;
        }
        if (end_ - start_ >= maxLine_) {
            // A line this long is no log record: its first part stands for
            // it and the rest is skipped, so memory stays bounded.
            line = std::string_view(data + start_, maxLine_);
            start_ = end_;
            scanned_ = 0;
            discarding_ = true;
            return true;
        }
        scanned_ = end_ - start_;
        if (!fill()) {
            skipLf_ = false;
            if (start_ == end_) return false;
            line = std::string_view(buffer_.data() + start_, end_ - start_);
            start_ = end_;
            scanned_ = 0;
            crKnown_ = false;
            return true;
        }
    }
}

bool LineReader::atEnd()
{
    if (skipLf_) {
        if (start_ == end_) fill();
        if (start_ < end_) {
            skipLf_ = false;
            if (buffer_[start_] == '\n') ++start_;
        }
    }
    if (start_ < end_) return false;
    return !fill();
}

} // namespace larkspan
