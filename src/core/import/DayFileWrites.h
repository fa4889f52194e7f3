#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace larkspan {

// One write of buffered day-file lines: to the staged copy or the day file
// itself; target names the day file in a failure's message.
struct DayFileWrite {
    std::string path;
    std::string target;
    bool create = false; // a new private file, whatever stood at path removed first
    std::string text;
};

// Performs a write now; throws ImportWriteError ("Error Writing Data to
// File: " + target + ...) when it fails. A file is never written through a
// link at its name.
void writeDayFile(const DayFileWrite& write);

// Carries out day-file writes on a worker thread, one at a time and in the
// order they were queued, so every file receives the same bytes in the same
// order as when written at once. At most a few writes wait, so memory stays
// bounded and the caller slows to the disk's pace. A failure surfaces as the
// same ImportWriteError, at the next queue() or finish(), and no later write
// is carried out until finish() or discard().
class DayFileWrites {
  public:
    DayFileWrites();
    // Waits for the write under way and drops the rest.
    ~DayFileWrites();
    DayFileWrites(const DayFileWrites&) = delete;
    DayFileWrites& operator=(const DayFileWrites&) = delete;

    // Queues a write; its text is taken, and write.text is left empty (with
    // a recycled buffer's capacity).
    void queue(DayFileWrite& write);
    // Waits until every queued write is done; throws the first failure.
    void finish();
    // Drops the writes not started, waits for the one under way and forgets
    // any failure: the source file's writes are being undone.
    void discard();

  private:
    static constexpr std::size_t kMostWaiting = 2;
    void work();
    void throwFailure(std::unique_lock<std::mutex>& lock);

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<DayFileWrite> waiting_;
    std::vector<std::string> spare_; // emptied buffers, for their capacity
    bool busy_ = false;              // the worker is carrying out a write
    bool stop_ = false;
    std::exception_ptr failure_;
    std::thread worker_;
};

} // namespace larkspan
