#include "analysis/BlockHandOff.h"

namespace larkspan::analysis {

BlockHandOff::BlockHandOff(std::size_t blocks, std::size_t blockBytes, std::size_t keptEmpty)
    : blocks_(blocks < 2 ? 2 : blocks), blockBytes_(blockBytes), keptEmpty_(keptEmpty)
{
    for (std::string& block : blocks_)
        free_.push_back(&block);
    std::unique_lock<std::mutex> lock(mutex_);
    takeEmpty(lock);
}

void BlockHandOff::takeEmpty(std::unique_lock<std::mutex>& lock)
{
    writing_ = free_.back();
    free_.pop_back();
    lock.unlock();
    writing_->reserve(blockBytes_);
    lock.lock();
}

bool BlockHandOff::handOver()
{
    std::unique_lock<std::mutex> lock(mutex_);
    if (abandoned_) {
        writing_->clear();
        return false;
    }
    full_.push_back(writing_);
    changed_.notify_all();
    changed_.wait(lock, [this] { return !free_.empty() || abandoned_; });
    if (abandoned_) {
        // The block just handed over is read no more: write it again.
        writing_->clear();
        return false;
    }
    takeEmpty(lock);
    return true;
}

void BlockHandOff::close()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!writing_->empty() && !abandoned_) {
        full_.push_back(writing_);
        writing_ = nullptr;
    }
    closed_ = true;
    changed_.notify_all();
}

const std::string* BlockHandOff::next()
{
    giveBack();
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !full_.empty() || closed_ || abandoned_; });
    if (full_.empty() || abandoned_) return nullptr;
    reading_ = full_.front();
    full_.pop_front();
    return reading_;
}

void BlockHandOff::giveBack()
{
    if (!reading_) return;
    std::string released; // the block's room when it is not kept, let go after the lock
    std::lock_guard<std::mutex> lock(mutex_);
    std::string* done = const_cast<std::string*>(reading_);
    done->clear();
    if (free_.size() >= keptEmpty_) released.swap(*done);
    free_.push_back(done);
    reading_ = nullptr;
    changed_.notify_all();
}

void BlockHandOff::abandon()
{
    std::lock_guard<std::mutex> lock(mutex_);
    abandoned_ = true;
    changed_.notify_all();
}

} // namespace larkspan::analysis
