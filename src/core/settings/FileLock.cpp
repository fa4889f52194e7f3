#include "settings/FileLock.h"

#include "common/SafeFile.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace larkspan {

FileLock::FileLock(std::string lockPath, int timeoutMs) : path_(std::move(lockPath)), timeoutMs_(timeoutMs) {}

FileLock::~FileLock()
{
    release();
}

bool FileLock::acquire()
{
    if (fd_ >= 0) return true;
    int fd;
    do {
        fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, safefile::kPrivateFileMode);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs_);
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            fd_ = fd;
            return true;
        }
        if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= deadline) {
            ::close(fd);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void FileLock::release()
{
    if (fd_ < 0) return;
    // Closing the descriptor drops the lock. The file is left in place:
    // removing it could let two holders lock two different files.
    ::close(fd_);
    fd_ = -1;
}

} // namespace larkspan
