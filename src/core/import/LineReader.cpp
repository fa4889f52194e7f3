#include "import/LineReader.h"

#include "common/Error.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

namespace larkspan {

namespace {

constexpr std::size_t kBlockSize = 1 << 20;

}  // namespace

LineReader::LineReader() : buffer_(kBlockSize) {}

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
        gzbuffer(gz, kBlockSize);
        ::close(fd_);
        fd_ = -1;
        gz_ = gz;
    }
    return true;
}

std::size_t LineReader::readSome(char* into, std::size_t size)
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
        start_ = 0;
    }
    if (end_ == buffer_.size()) buffer_.resize(buffer_.size() * 2);  // a line longer than the block
    const std::size_t n = readSome(buffer_.data() + end_, buffer_.size() - end_);
    if (n == 0) {
        eof_ = true;
        return false;
    }
    end_ += n;
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
        const char* base = buffer_.data() + start_;
        const std::size_t available = end_ - start_;
        const char* from = base + scanned_;
        const std::size_t left = available - scanned_;
        const char* lf = static_cast<const char*>(std::memchr(from, '\n', left));
        const char* cr = static_cast<const char*>(std::memchr(from, '\r', lf ? static_cast<std::size_t>(lf - from) : left));
        const char* brk = cr ? cr : lf;
        if (brk) {
            line = std::string_view(base, static_cast<std::size_t>(brk - base));
            std::size_t consumed = static_cast<std::size_t>(brk - base) + 1;
            if (*brk == '\r') {
                if (brk + 1 < base + available) {
                    if (brk[1] == '\n') ++consumed;
                } else {
                    skipLf_ = true;  // the LF, if any, is in the next block
                }
            }
            start_ += consumed;
            scanned_ = 0;
            return true;
        }
        scanned_ = available;
        if (!fill()) {
            skipLf_ = false;
            if (start_ == end_) return false;
            line = std::string_view(buffer_.data() + start_, end_ - start_);
            start_ = end_;
            scanned_ = 0;
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
