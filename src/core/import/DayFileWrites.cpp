#include "import/DayFileWrites.h"

#include "common/SafeFile.h"
#include "import/ImportJournal.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace larkspan {

namespace {

[[noreturn]] void writeFailed(const std::string& target, int error)
{
    throw ImportWriteError("Error Writing Data to File: " + target + ": " + std::strerror(error));
}

} // namespace

void writeDayFile(const DayFileWrite& write)
{
    int fd;
    if (write.create) {
        // A file planted where the staged copy goes is never written through.
        ::unlink(write.path.c_str());
        fd = ::open(write.path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    safefile::kPrivateFileMode);
    } else {
        fd = ::open(write.path.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC);
    }
    if (fd < 0) writeFailed(write.target, errno);
    const bool written = safefile::writeAll(fd, write.text);
    const int error = errno;
    if (::close(fd) != 0 || !written) writeFailed(write.target, written ? errno : error);
}

DayFileWrites::DayFileWrites()
{
    worker_ = std::thread([this] { work(); });
}

DayFileWrites::~DayFileWrites()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        waiting_.clear();
    }
    changed_.notify_all();
    worker_.join();
}

void DayFileWrites::throwFailure(std::unique_lock<std::mutex>& lock)
{
    std::exception_ptr failure = failure_;
    failure_ = nullptr;
    lock.unlock();
    std::rethrow_exception(failure);
}

void DayFileWrites::queue(DayFileWrite& write)
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return failure_ || waiting_.size() < kMostWaiting; });
    if (failure_) throwFailure(lock);
    waiting_.push_back(std::move(write));
    write.text.clear();
    if (!spare_.empty()) {
        write.text.swap(spare_.back());
        spare_.pop_back();
    }
    lock.unlock();
    changed_.notify_all();
}

void DayFileWrites::finish()
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return failure_ || (waiting_.empty() && !busy_); });
    if (failure_) throwFailure(lock);
}

void DayFileWrites::discard()
{
    std::unique_lock lock(mutex_);
    waiting_.clear();
    changed_.wait(lock, [this] { return !busy_; });
    failure_ = nullptr;
}

void DayFileWrites::work()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stop_ || (!waiting_.empty() && !failure_); });
        if (stop_) return;
        DayFileWrite write = std::move(waiting_.front());
        waiting_.pop_front();
        busy_ = true;
        lock.unlock();
        std::exception_ptr failure;
        try {
            writeDayFile(write);
        } catch (...) {
            failure = std::current_exception();
        }
        write.text.clear();
        lock.lock();
        busy_ = false;
        if (failure) {
            failure_ = failure;
            waiting_.clear();
        }
        if (spare_.size() < kMostWaiting + 1) spare_.push_back(std::move(write.text));
        changed_.notify_all();
    }
}

} // namespace larkspan
