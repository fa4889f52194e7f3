#include "analysis/BlockHandOff.h"

namespace larkspan::analysis {

BlockHandOff::BlockHandOff(std::size_t blocks, std::size_t blockBytes) : blocks_(blocks < 2 ? 2 : blocks)
{
    for (std::string& block : blocks_) {
        block.reserve(blockBytes);
        free_.push_back(&block);
    }
    writing_ = free_.back();
    free_.pop_back();
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
    writing_ = free_.back();
    free_.pop_back();
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
    std::unique_lock<std::mutex> lock(mutex_);
    if (reading_) {
        std::string* done = const_cast<std::string*>(reading_);
        done->clear();
        free_.push_back(done);
        reading_ = nullptr;
        changed_.notify_all();
    }
    changed_.wait(lock, [this] { return !full_.empty() || closed_ || abandoned_; });
    if (full_.empty() || abandoned_) return nullptr;
    reading_ = full_.front();
    full_.pop_front();
    return reading_;
}

void BlockHandOff::abandon()
{
    std::lock_guard<std::mutex> lock(mutex_);
    abandoned_ = true;
    changed_.notify_all();
}

} // namespace larkspan::analysis
