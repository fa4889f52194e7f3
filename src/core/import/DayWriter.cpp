#include "import/DayWriter.h"

#include "common/Dates.h"
#include "platform/Messages.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace larkspan {

namespace {

constexpr std::size_t kFlushBytes = 8 << 20;

// The digits of a fixed-width field; -1 when any character is not a digit.
int digits(std::string_view s)
{
    if (s.empty()) return -1;
    int value = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

// Writes all bytes; false with errno set on failure.
bool writeAll(int fd, const std::string& bytes)
{
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

void DayWriter::startRun(const std::string& webFolder)
{
    webFolder_ = webFolder;
    daysMet_.clear();
    writtenDays_.clear();
    runDays_.clear();
    currentKey_ = 0;
    currentPath_.clear();
    fresh_ = false;
    buffer_.clear();
}

void DayWriter::startSourceFile() { currentKey_ = 0; }

bool DayWriter::writeRecord(std::string_view record, std::string_view year, std::string_view month,
                            std::string_view day, const std::string& header)
{
    const int y = year.size() == 4 ? digits(year) : -1;
    const int m = month.size() == 2 ? digits(month) : -1;
    const int d = day.size() == 2 ? digits(day) : -1;
    if (y < 1 || !isValidDate(y, m, d)) return false;
    const int key = y * 10000 + m * 100 + d;
    if (key == currentKey_) {
        buffer_.append(record);
        buffer_ += "\r\n";
        // Very long lines: write early rather than hold a whole batch of
        // them. The file receives the same bytes either way.
        if (buffer_.size() >= kFlushBytes) flush();
        return true;
    }
    if (currentKey_ != 0) flush();
    currentKey_ = key;
    currentYearFolder_ = webFolder_;
    currentYearFolder_.append(year);
    currentPath_ = currentYearFolder_;
    currentPath_ += "/LKLT";
    currentPath_.append(month);
    currentPath_.append(day);
    currentPath_ += ".log";
    if (daysMet_.insert(key).second) runDays_.push_back(currentPath_);
    // A day is written anew until its first write in this run succeeds, so a
    // failed first write never leaves later lines appended to an old file.
    fresh_ = writtenDays_.count(key) == 0;
    buffer_.clear();
    buffer_ += header;
    buffer_ += "\r\n";
    buffer_.append(record);
    buffer_ += "\r\n";
    return true;
}

void DayWriter::addHeaderBlock(const std::string& header)
{
    // Without a current day there is no segment to update; the next record
    // opens one with the latest block anyway.
    if (currentKey_ == 0) return;
    buffer_ += header;
    buffer_ += "\r\n";
}

void DayWriter::flush()
{
    if (buffer_.empty()) return;
    std::error_code ec;
    fs::create_directory(currentYearFolder_, ec);
    if (fresh_) writeFresh();
    else append();
    buffer_.clear();
}

void DayWriter::writeFresh()
{
    const int fd = ::open(currentPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const bool ok = fd >= 0 && writeAll(fd, buffer_);
    const int error = errno;
    if (fd >= 0 && ::close(fd) != 0 && ok) {
        messages_.show(MessageKind::Error, std::string("Error Writing Data to File: ") + std::strerror(errno));
        return;
    }
    if (!ok) {
        messages_.show(MessageKind::Error, std::string("Error Writing Data to File: ") + std::strerror(error));
        return;
    }
    fresh_ = false;
    writtenDays_.insert(currentKey_);
}

void DayWriter::append()
{
    const int fd = ::open(currentPath_.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        messages_.show(MessageKind::Error, "File Access Error : " + std::to_string(error));
        messages_.show(MessageKind::Error, std::string("Error Writing Data to File: ") + std::strerror(error));
        return;
    }
    const bool ok = writeAll(fd, buffer_);
    const int error = errno;
    const bool closed = ::close(fd) == 0;
    if (!ok || !closed) messages_.show(MessageKind::Error, "File Write Access Error : " + std::to_string(ok ? errno : error));
}

}  // namespace larkspan
