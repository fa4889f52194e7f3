#include "common/StagedFile.h"

#include "common/SafeFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace larkspan {

namespace {

// Pieces are gathered into writes of this size: fewer, larger writes take
// less system time.
constexpr std::size_t kWriteBlock = std::size_t{256} << 10;

} // namespace

StagedFile::StagedFile(std::string path, std::string stagingPath, int fd)
    : path_(std::move(path)), stagingPath_(std::move(stagingPath)), fd_(fd), good_(fd >= 0)
{
    if (fd_ < 0) stagingPath_.clear();
}

StagedFile StagedFile::beside(const std::string& path)
{
    std::string staging = path + ".tmpXXXXXX";
    const int fd = ::mkostemp(staging.data(), O_CLOEXEC); // O_EXCL, mode 0600
    return StagedFile(path, std::move(staging), fd);
}

bool StagedFile::isStagingBeside(std::string_view fileName)
{
    constexpr std::string_view kMark = ".tmp";
    constexpr std::size_t kUnique = 6;
    if (fileName.size() <= kMark.size() + kUnique) return false;
    const std::size_t mark = fileName.size() - kMark.size() - kUnique;
    if (fileName.substr(mark, kMark.size()) != kMark) return false;
    const std::string_view unique = fileName.substr(mark + kMark.size());
    return std::all_of(unique.begin(), unique.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    });
}

StagedFile StagedFile::at(const std::string& path, const std::string& stagingPath)
{
    int fd = safefile::createNew(stagingPath);
    if (fd < 0 && errno == EEXIST && ::unlink(stagingPath.c_str()) == 0) fd = safefile::createNew(stagingPath);
    return StagedFile(path, stagingPath, fd);
}

StagedFile::StagedFile(StagedFile&& other) noexcept
    : path_(std::move(other.path_)), stagingPath_(std::exchange(other.stagingPath_, {})),
      fd_(std::exchange(other.fd_, -1)), good_(std::exchange(other.good_, false)), buffer_(std::move(other.buffer_)),
      buffered_(std::exchange(other.buffered_, 0))
{
}

StagedFile& StagedFile::operator=(StagedFile&& other) noexcept
{
    if (this != &other) {
        discard();
        path_ = std::move(other.path_);
        stagingPath_ = std::exchange(other.stagingPath_, {});
        fd_ = std::exchange(other.fd_, -1);
        good_ = std::exchange(other.good_, false);
        buffer_ = std::move(other.buffer_);
        buffered_ = std::exchange(other.buffered_, 0);
    }
    return *this;
}

StagedFile::~StagedFile()
{
    discard();
}

void StagedFile::flush()
{
    if (buffered_ == 0) return;
    if (good_) good_ = safefile::writeAll(fd_, std::string_view(buffer_.get(), buffered_));
    buffered_ = 0;
}

void StagedFile::append(std::string_view text)
{
    if (!good_ || fd_ < 0) return;
    if (buffered_ + text.size() > kWriteBlock) {
        flush();
        if (text.size() >= kWriteBlock) {
            good_ = good_ && safefile::writeAll(fd_, text);
            return;
        }
    }
    if (!buffer_) buffer_ = std::make_unique_for_overwrite<char[]>(kWriteBlock);
    std::memcpy(buffer_.get() + buffered_, text.data(), text.size());
    buffered_ += text.size();
}

void StagedFile::close()
{
    if (fd_ < 0) return;
    if (::close(fd_) != 0) good_ = false;
    fd_ = -1;
}

bool StagedFile::finish(bool sync)
{
    if (fd_ >= 0) {
        flush();
        if (good_ && sync) good_ = ::fsync(fd_) == 0;
        close();
    }
    buffer_.reset();
    return good_;
}

bool StagedFile::commit(bool sync)
{
    if (stagingPath_.empty()) return false;
    if (finish(sync) && std::rename(stagingPath_.c_str(), path_.c_str()) == 0) {
        stagingPath_.clear();
        return true;
    }
    discard();
    return false;
}

void StagedFile::discard()
{
    close();
    buffer_.reset();
    buffered_ = 0;
    good_ = false;
    if (stagingPath_.empty()) return;
    ::unlink(stagingPath_.c_str());
    stagingPath_.clear();
}

} // namespace larkspan
