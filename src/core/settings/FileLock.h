#pragma once

#include <string>

namespace larkspan {

// An advisory lock held as an exclusively created lock file. A lock file
// older than the stale age is taken to be left over by a crashed program.
class FileLock {
public:
    explicit FileLock(std::string lockPath, int timeoutMs = 5000, int staleSeconds = 30);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool acquire();
    void release();

private:
    std::string path_;
    int timeoutMs_;
    int staleSeconds_;
    bool held_ = false;
};

}  // namespace larkspan
