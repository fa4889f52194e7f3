#include "analysis/SideTally.h"

#include <array>
#include <cstdlib>
#include <cstring>

namespace larkspan::analysis {

namespace {

// Up to 32 blocks of 256 KB, some 50,000 records' keys: enough for the
// calling thread to go on through most of the time the side thread takes
// to grow a long list's index (more blocks saved little more and added
// their memory to the pass's peak), and few enough hand-overs that their
// locking costs nothing. Two empty blocks keep their room.
constexpr std::size_t kBlocks = 32;
constexpr std::size_t kBlockBytes = std::size_t{256} << 10;
constexpr std::size_t kKeptEmpty = 2;
// Keys are hashed (and their index slots fetched) this many keys before
// they are counted, so that a long list's look-ups do not wait for memory.
constexpr std::size_t kHashedAhead = 8;

// The bytes a text takes in a block: its length, then the text. Lines are
// far shorter than 4 GB (DayFileReader::kMaxLineLength).
std::size_t textBytes(std::string_view text)
{
    return sizeof(std::uint32_t) + text.size();
}

template <class T> void putValue(std::string& block, T value)
{
    block.append(reinterpret_cast<const char*>(&value), sizeof value);
}

void putText(std::string& block, std::string_view text)
{
    putValue(block, static_cast<std::uint32_t>(text.size()));
    block.append(text);
}

// Reads back what putValue and putText wrote.
class BlockReader {
  public:
    explicit BlockReader(const char* at) : at_(at) {}
    const char* at() const { return at_; }
    template <class T> T value()
    {
        T v;
        std::memcpy(&v, at_, sizeof v);
        at_ += sizeof v;
        return v;
    }
    std::string_view text()
    {
        const auto size = value<std::uint32_t>();
        const std::string_view t(at_, size);
        at_ += size;
        return t;
    }

  private:
    const char* at_;
};

} // namespace

SideTally::SideTally() : handOff_(kBlocks, kBlockBytes, kKeptEmpty)
{
    thread_ = std::thread(&SideTally::run, this);
}

SideTally::~SideTally()
{
    if (!thread_.joinable()) return;
    stop_ = true;
    handOff_.abandon();
    thread_.join();
}

std::string& SideTally::room(Kind kind, std::size_t bytes)
{
    // A block is handed over before it would outgrow its room (a key
    // longer than a block takes a block of its own, grown for it).
    bytes += sizeof kind;
    std::string* block = &handOff_.writing();
    if (block->size() + bytes > kBlockBytes && !block->empty()) {
        if (!handOff_.handOver() && failure_) std::rethrow_exception(failure_);
        block = &handOff_.writing();
    }
    putValue(*block, kind);
    return *block;
}

void SideTally::countPage(std::string_view serverAddress, std::string_view path, double kilobytes)
{
    std::string& block = room(Kind::Page, sizeof kilobytes + textBytes(serverAddress) + textBytes(path));
    putValue(block, kilobytes);
    putText(block, serverAddress);
    putText(block, path);
}

void SideTally::countDownload(std::string_view serverAddress, std::string_view path)
{
    std::string& block = room(Kind::Download, textBytes(serverAddress) + textBytes(path));
    putText(block, serverAddress);
    putText(block, path);
}

void SideTally::countReferrer(std::string_view referrer)
{
    putText(room(Kind::Referrer, textBytes(referrer)), referrer);
}

void SideTally::addErrorAddress(char kind, std::string_view status, std::string_view serverAddress,
                                std::string_view path, int gridRows)
{
    // The server address and the path go as one text: the address's key.
    const std::size_t keyBytes = sizeof(std::uint32_t) + serverAddress.size() + path.size();
    std::string& block = room(Kind::ErrorAddress, sizeof kind + sizeof(std::int32_t) + textBytes(status) + keyBytes);
    putValue(block, kind);
    putValue(block, static_cast<std::int32_t>(gridRows));
    putText(block, status);
    putValue(block, static_cast<std::uint32_t>(serverAddress.size() + path.size()));
    block.append(serverAddress);
    block.append(path);
}

void SideTally::finishInto(StatisticsTable& table)
{
    handOff_.close();
    joinInto(table);
}

void SideTally::stopInto(StatisticsTable& table)
{
    stop_ = true;
    handOff_.abandon();
    joinInto(table);
}

void SideTally::joinInto(StatisticsTable& table)
{
    thread_.join();
    if (failure_) std::rethrow_exception(failure_);
    table.takeListsOf(lists_);
}

void SideTally::run()
{
    try {
        while (const std::string* block = handOff_.next())
            countBlock(*block);
    } catch (...) {
        failure_ = std::current_exception();
        handOff_.abandon();
    }
}

void SideTally::countBlock(const std::string& block)
{
    // A key read from the block, hashed ahead of its count.
    struct Key {
        Kind kind = Kind::Page;
        std::string_view first;  // the server address, referrer or status
        std::string_view second; // the path or error address
        double kilobytes = 0;
        char errorKind = 0;
        std::int32_t gridRows = 0;
        KeyHint hint;
    };
    const auto read = [this](BlockReader& in, Key& key) {
        key.kind = in.value<Kind>();
        key.hint = {};
        switch (key.kind) {
        case Kind::Page:
            key.kilobytes = in.value<double>();
            key.first = in.text();
            key.second = in.text();
            key.hint = lists_.prefetchPage(key.first, key.second);
            break;
        case Kind::Download:
            key.first = in.text();
            key.second = in.text();
            break;
        case Kind::Referrer:
            key.first = in.text();
            key.hint = lists_.prefetchReferrer(key.first);
            break;
        case Kind::ErrorAddress:
            key.errorKind = in.value<char>();
            key.gridRows = in.value<std::int32_t>();
            key.first = in.text();
            key.second = in.text();
            break;
        }
    };
    const auto count = [this](const Key& key) {
        switch (key.kind) {
        case Kind::Page:
            lists_.countPage(key.first, key.second, key.kilobytes, key.hint);
            break;
        case Kind::Download:
            lists_.countDownload(key.first, key.second);
            break;
        case Kind::Referrer:
            lists_.countReferrer(key.first, key.hint);
            break;
        case Kind::ErrorAddress:
            lists_.keepUpWithRows(key.gridRows);
            lists_.addErrorAddress(key.errorKind, key.first, key.second);
            break;
        }
    };
    std::array<Key, kHashedAhead> ahead;
    std::size_t readCount = 0;
    std::size_t counted = 0;
    BlockReader in(block.data());
    while (in.at() < block.data() + block.size()) {
        if (stop_.load(std::memory_order_relaxed)) return;
        if (readCount - counted == ahead.size()) count(ahead[counted++ % ahead.size()]);
        read(in, ahead[readCount++ % ahead.size()]);
    }
    while (counted < readCount)
        count(ahead[counted++ % ahead.size()]);
}

} // namespace larkspan::analysis
