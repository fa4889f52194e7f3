#include "settings/FileLock.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

namespace larkspan {

FileLock::FileLock(std::string lockPath, int timeoutMs, int staleSeconds)
    : path_(std::move(lockPath)), timeoutMs_(timeoutMs), staleSeconds_(staleSeconds)
{
}

FileLock::~FileLock() { release(); }

bool FileLock::acquire()
{
    if (held_) return true;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs_);
    for (;;) {
        if (std::FILE* f = std::fopen(path_.c_str(), "wx")) {
            std::fclose(f);
            held_ = true;
            return true;
        }
        std::error_code ec;
        const auto written = fs::last_write_time(path_, ec);
        if (!ec && fs::file_time_type::clock::now() - written > std::chrono::seconds(staleSeconds_)) {
            fs::remove(path_, ec);
            continue;
        }
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void FileLock::release()
{
    if (!held_) return;
    std::error_code ec;
    fs::remove(path_, ec);
    held_ = false;
}

}  // namespace larkspan
