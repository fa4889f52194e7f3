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
    if (gz_) gzclose_r(static_cast<gzFile>(gz_));
    else if (fd_ >= 0) ::close(fd_);
}

bool LineReader::open(const std::string& path)
{
    path_ = path;
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return false;
    struct stat info {};
    if (::fstat(fd_, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        errno = EISDIR;
        return false;
    }
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

std::size_t LineReader::readSome(char* into, std::size_t size)
{
    return utf16_ ? readDecoded(into, size) : readRaw(into, size);
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
            throw Error("Cannot read the compressed file " + path_ + ": " + (message ? message : "damaged data"));
        }
        if (n == 0) {
            int code = 0;
            gzerror(static_cast<gzFile>(gz_), &code);
            if (code != Z_OK && code != Z_STREAM_END)
                throw Error("Cannot read the compressed file " + path_ + ": it ends unexpectedly.");
        }
        return static_cast<std::size_t>(n);
    }
    for (;;) {
        const ssize_t n = ::read(fd_, into, size);
        if (n >= 0) return static_cast<std::size_t>(n);
        if (errno == EINTR) continue;
        throw Error("Cannot read " + path_ + ": " + std::strerror(errno));
    }
}

bool LineReader::fill()
{
    if (eof_) return false;
    if (start_ > 0) {
        // Keep the unread text at the front of the block.
        std::memmove(buffer_.data(), buffer_.data() + start_, end_ - start_);
        end_ -= start_;
        if (crKnown_) nextCr_ -= std::min(nextCr_, start_);
        start_ = 0;
    }
    if (end_ == buffer_.size()) buffer_.resize(buffer_.size() * 2);  // a line longer than the block
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
                    skipLf_ = true;  // the LF, if any, is in the next block
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

}  // namespace larkspan
