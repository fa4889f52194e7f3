#include "import/ReadAheadLines.h"

#include "import/LineReader.h"
#include "import/LogLine.h"

namespace larkspan {

void ReadAheadLines::Block::clear(std::vector<std::vector<char>>& spare)
{
    // Buffers grown for an overlong line are let go.
    for (auto& buffer : buffers)
        if (buffer.size() <= LineReader::kDefaultBlockSize && spare.size() < kBlocks)
            spare.push_back(std::move(buffer));
    buffers.clear();
    textBytes = 0;
    records.clear();
    lines.clear();
    filePosition = 0;
    last = false;
    error = nullptr;
}

ReadAheadLines::Blocks::Blocks() = default;
ReadAheadLines::Blocks::~Blocks() = default;

ReadAheadLines::ReadAheadLines(LineReader& reader, Blocks& blocks, Rewriting rewriting)
    : reader_(reader), blocks_(blocks), rewriting_(rewriting)
{
    while (free_.size() < kBlocks) {
        if (blocks_.spare_.empty()) {
            free_.push_back(std::make_unique<Block>());
        } else {
            free_.push_back(std::move(blocks_.spare_.back()));
            blocks_.spare_.pop_back();
        }
    }
    reader_.keepBuffers(this);
    worker_ = std::thread([this] { work(); });
}

ReadAheadLines::~ReadAheadLines()
{
    {
        std::lock_guard lock(mutex_);
        stop_.store(true, std::memory_order_relaxed);
    }
    changed_.notify_all();
    worker_.join();
    reader_.keepBuffers(nullptr);
    // The worker is gone: every block is back in this thread's hands.
    if (current_) free_.push_back(std::move(current_));
    for (auto& block : full_)
        free_.push_back(std::move(block));
    for (auto& block : free_)
        blocks_.spare_.push_back(std::move(block));
}

std::unique_ptr<ReadAheadLines::Block> ReadAheadLines::takeFree(bool& rewrite)
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return stop_.load(std::memory_order_relaxed) || !free_.empty(); });
    if (stop_.load(std::memory_order_relaxed)) return nullptr;
    // Blocks are waiting for the caller (besides the one just handed on,
    // which it may not have taken yet): it is the busier side, and the
    // worker takes on the rewriting.
    rewrite = rewriting_ == Rewriting::Always || full_.size() >= 2;
    std::unique_ptr<Block> block = std::move(free_.back());
    free_.pop_back();
    return block;
}

std::vector<char> ReadAheadLines::freshBuffer(std::size_t size)
{
    auto& spare = blocks_.spareBuffers_;
    if (!spare.empty() && spare.back().size() >= size) {
        std::vector<char> buffer = std::move(spare.back());
        spare.pop_back();
        return buffer;
    }
    return std::vector<char>(size);
}

void ReadAheadLines::keep(std::vector<char> used)
{
    // The reader moves on only while a block is filled: the block holds the
    // buffer until the caller is done with it and every block before it.
    filling_->buffers.push_back(std::move(used));
}

void ReadAheadLines::work()
{
    for (;;) {
        bool rewrite = false;
        std::unique_ptr<Block> block = takeFree(rewrite);
        if (!block) return;
        block->clear(blocks_.spareBuffers_);
        filling_ = block.get();
        try {
            fillBlock(*block, rewrite);
        } catch (...) {
            block->error = std::current_exception();
            block->last = true;
        }
        const bool last = block->last;
        {
            std::lock_guard lock(mutex_);
            if (stop_.load(std::memory_order_relaxed)) {
                free_.push_back(std::move(block));
                return;
            }
            full_.push_back(std::move(block));
        }
        changed_.notify_all();
        if (last) return;
    }
}

void ReadAheadLines::fillBlock(Block& block, bool rewrite)
{
    std::string_view line;
    while (block.textBytes < kBlockBytes && block.lines.size() < kBlockLines) {
        // A cancelled conversion stops reading within one line.
        if (stop_.load(std::memory_order_relaxed)) return;
        if (!reader_.next(line)) {
            block.last = true;
            break;
        }
        addLine(block, line, rewrite);
    }
    block.filePosition = reader_.filePosition();
}

void ReadAheadLines::addLine(Block& block, std::string_view line, bool rewrite)
{
    Line entry;
    entry.text = line.data();
    entry.size = line.size();
    block.textBytes += line.size();
    // Records are rewritten into reused buffers, then appended: no
    // allocation per line once the block's buffers have grown.
    thread_local std::string record, scratch;
    if (!rewrite) {
        entry.prepared = Prepared::Unknown;
    } else if (logline::rewriteBracketRecord(line, record, scratch)) {
        entry.recordFrom = block.records.size();
        entry.recordSize = record.size();
        block.records.append(record);
        entry.prepared = Prepared::Bracket;
    } else {
        entry.prepared = Prepared::NotBracket;
    }
    block.lines.push_back(entry);
}

bool ReadAheadLines::advance()
{
    if (current_) {
        if (current_->error) std::rethrow_exception(current_->error);
        if (current_->last) return false;
        {
            std::lock_guard lock(mutex_);
            free_.push_back(std::move(current_));
        }
        changed_.notify_all();
    }
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !full_.empty(); });
    current_ = std::move(full_.front());
    full_.pop_front();
    index_ = 0;
    position_ = current_->filePosition;
    return true;
}

bool ReadAheadLines::next(std::string_view& line)
{
    while (!current_ || index_ == current_->lines.size())
        if (!advance()) return false;
    const Line& entry = current_->lines[index_++];
    line = std::string_view(entry.text, entry.size);
    return true;
}

bool ReadAheadLines::atEnd()
{
    while (!current_ || index_ == current_->lines.size())
        if (!advance()) return true;
    return false;
}

LineSource::Prepared ReadAheadLines::prepared(std::string_view line, std::string_view& record) const
{
    if (!current_ || index_ == 0) return Prepared::Unknown;
    const Line& entry = current_->lines[index_ - 1];
    // Only the line last handed out, as it was handed out, is known.
    if (line.data() != entry.text || line.size() != entry.size) return Prepared::Unknown;
    if (entry.prepared == Prepared::Bracket)
        record = std::string_view(current_->records).substr(entry.recordFrom, entry.recordSize);
    return entry.prepared;
}

} // namespace larkspan
