#include "analysis/SideTally.h"

#include <array>
#include <cstring>

namespace larkspan::analysis {

namespace {

// Four blocks of 256 KB: a few thousand records' keys in flight, few
// enough hand-overs that their locking costs nothing.
constexpr std::size_t kBlocks = 4;
constexpr std::size_t kBlockBytes = std::size_t{256} << 10;
// Keys are hashed (and their index slots fetched) this many keys before
// they are counted, so that a long list's look-ups do not wait for memory.
constexpr std::size_t kHashedAhead = 8;

} // namespace

SideTally::SideTally() : handOff_(kBlocks, kBlockBytes)
{
    thread_ = std::thread(&SideTally::run, this);
}

SideTally::~SideTally()
{
    if (!thread_.joinable()) return;
    handOff_.abandon();
    thread_.join();
}

void SideTally::put(Entry entry, std::string_view first, std::string_view second, std::string_view third)
{
    // Lines are far shorter than 4 GB (DayFileReader::kMaxLineLength).
    entry.sizes[0] = static_cast<std::uint32_t>(first.size());
    entry.sizes[1] = static_cast<std::uint32_t>(second.size());
    entry.sizes[2] = static_cast<std::uint32_t>(third.size());
    std::string& block = handOff_.writing();
    block.append(reinterpret_cast<const char*>(&entry), sizeof entry);
    block.append(first);
    block.append(second);
    block.append(third);
    if (block.size() >= kBlockBytes && !handOff_.handOver() && failure_) std::rethrow_exception(failure_);
}

void SideTally::countPage(std::string_view serverAddress, std::string_view path, double kilobytes)
{
    Entry entry{Kind::Page};
    entry.kilobytes = kilobytes;
    put(entry, serverAddress, path);
}

void SideTally::countDownload(std::string_view serverAddress, std::string_view path)
{
    put(Entry{Kind::Download}, serverAddress, path);
}

void SideTally::countReferrer(std::string_view referrer)
{
    put(Entry{Kind::Referrer}, referrer);
}

void SideTally::addErrorAddress(char kind, std::string_view status, std::string_view serverAddress,
                                std::string_view path, int gridRows)
{
    Entry entry{Kind::ErrorAddress};
    entry.errorKind = kind;
    entry.gridRows = gridRows;
    put(entry, status, serverAddress, path);
}

void SideTally::finishInto(StatisticsTable& table)
{
    handOff_.close();
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
        Entry entry;
        std::string_view texts[3];
        KeyHint hint;
    };
    std::array<Key, kHashedAhead> ahead;
    std::size_t read = 0;
    std::size_t counted = 0;
    const auto count = [this](const Key& key) {
        const Entry& e = key.entry;
        switch (e.kind) {
        case Kind::Page:
            lists_.countPage(key.texts[0], key.texts[1], e.kilobytes, key.hint);
            break;
        case Kind::Download:
            lists_.countDownload(key.texts[0], key.texts[1]);
            break;
        case Kind::Referrer:
            lists_.countReferrer(key.texts[0], key.hint);
            break;
        case Kind::ErrorAddress: {
            // The server address and the path lie back to back: the key.
            const std::string_view address(key.texts[1].data(), key.texts[1].size() + key.texts[2].size());
            lists_.keepUpWithRows(e.gridRows);
            lists_.addErrorAddress(e.errorKind, key.texts[0], address);
            break;
        }
        }
    };
    std::size_t at = 0;
    while (at < block.size()) {
        if (read - counted == ahead.size()) count(ahead[counted++ % ahead.size()]);
        Key& key = ahead[read++ % ahead.size()];
        std::memcpy(&key.entry, block.data() + at, sizeof key.entry);
        at += sizeof key.entry;
        for (std::size_t i = 0; i < 3; ++i) {
            key.texts[i] = std::string_view(block.data() + at, key.entry.sizes[i]);
            at += key.entry.sizes[i];
        }
        key.hint = {};
        if (key.entry.kind == Kind::Page) key.hint = lists_.prefetchPage(key.texts[0], key.texts[1]);
        if (key.entry.kind == Kind::Referrer) key.hint = lists_.prefetchReferrer(key.texts[0]);
    }
    while (counted < read)
        count(ahead[counted++ % ahead.size()]);
}

} // namespace larkspan::analysis
