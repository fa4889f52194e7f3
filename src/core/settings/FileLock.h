#pragma once

#include <string>

namespace larkspan {

// An advisory lock on a lock file (flock), shared by every process that
// opens the same file. The kernel drops the lock when its holder ends, so a
// crashed or killed program never leaves a lock behind; the lock file itself
// stays in place and means nothing on its own.
class FileLock {
  public:
    // timeoutMs: how long acquire() waits for another holder to let go.
    explicit FileLock(std::string lockPath, int timeoutMs = 5000);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // False when another holder kept the lock for the whole timeout or the
    // lock file cannot be opened (a symbolic link there is never followed).
    bool acquire();
    void release();
    bool held() const { return fd_ >= 0; }

  private:
    std::string path_;
    int timeoutMs_;
    int fd_ = -1;
};

} // namespace larkspan
