#include "common/LargeBlocks.h"
#include "analysis/TextArena.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

using namespace larkspan;

namespace {

constexpr std::size_t kMegabyte = std::size_t{1} << 20;

// Fills bytes [from, to) of the block with a pattern that names each word's place.
void fill(void* block, std::size_t from, std::size_t to)
{
    auto* words = static_cast<std::uint32_t*>(block);
    for (std::size_t i = from / 4; i < to / 4; ++i)
        words[i] = static_cast<std::uint32_t>(i * 2654435761u);
}

bool holdsPattern(const void* block, std::size_t bytes)
{
    const auto* words = static_cast<const std::uint32_t*>(block);
    for (std::size_t i = 0; i < bytes / 4; ++i)
        if (words[i] != static_cast<std::uint32_t>(i * 2654435761u)) return false;
    return true;
}

// Whether the system gives this process huge pages when asked: not where
// they are switched off, nor for a process that was barred from them.
bool transparentHugePagesOffered()
{
    std::ifstream setting("/sys/kernel/mm/transparent_hugepage/enabled");
    std::string text;
    std::getline(setting, text);
    if (text.empty() || text.find("[never]") != std::string::npos) return false;
    std::ifstream status("/proc/self/status");
    while (std::getline(status, text))
        if (text.rfind("THP_enabled:", 0) == 0) return text.find('1') != std::string::npos;
    return true;
}

// The "THPeligible" value of the mapping that holds address, from
// /proc/self/smaps: "1" when huge pages may back it.
std::string hugePageEligibility(const void* address)
{
    const auto at = reinterpret_cast<std::uintptr_t>(address);
    std::ifstream smaps("/proc/self/smaps");
    std::string line;
    bool inside = false;
    while (std::getline(smaps, line)) {
        std::uintptr_t start = 0, end = 0;
        char dash = 0;
        std::istringstream range(line);
        if (range >> std::hex >> start >> dash >> end && dash == '-') {
            inside = start <= at && at < end;
            continue;
        }
        if (inside && line.rfind("THPeligible:", 0) == 0) {
            std::istringstream value(line.substr(std::strlen("THPeligible:")));
            std::string eligible;
            value >> eligible;
            return eligible;
        }
    }
    return {};
}

} // namespace

TEST(LargeBlocks, KeepTheirBytesWhileGrowingAndShrinkingAcrossEverySize)
{
    // From malloc's sizes into mappings, remapped while growing, and back to
    // malloc: every step keeps the bytes the smaller of the two sizes held.
    const std::vector<std::size_t> sizes = {64,           kMegabyte,      memory::kLargeBlockBytes - 4,
                                            memory::kLargeBlockBytes, 9 * kMegabyte + 12, 40 * kMegabyte,
                                            6 * kMegabyte, memory::kLargeBlockBytes - 4, 3 * kMegabyte,
                                            48 * kMegabyte, 16};
    void* block = memory::allocateBlock(sizes.front());
    ASSERT_NE(block, nullptr);
    fill(block, 0, sizes.front());
    std::size_t bytes = sizes.front();
    for (std::size_t i = 1; i < sizes.size(); ++i) {
        void* resized = memory::resizeBlock(block, bytes, sizes[i]);
        ASSERT_NE(resized, nullptr) << sizes[i];
        EXPECT_TRUE(holdsPattern(resized, std::min(bytes, sizes[i]))) << bytes << " -> " << sizes[i];
        block = resized;
        fill(block, std::min(bytes, sizes[i]), sizes[i]);
        bytes = sizes[i];
    }
    memory::freeBlock(block, bytes);
}

TEST(LargeBlocks, ALargeBlockIsOneMappingAskingForHugePagesEvenAfterItMoves)
{
    if (!transparentHugePagesOffered()) GTEST_SKIP() << "this system offers no transparent huge pages";
    std::size_t bytes = memory::kLargeBlockBytes;
    void* block = memory::allocateBlock(bytes);
    ASSERT_NE(block, nullptr);
    fill(block, 0, bytes);
    if (hugePageEligibility(block).empty()) {
        memory::freeBlock(block, bytes);
        GTEST_SKIP() << "this system does not say which mappings may have huge pages";
    }
    EXPECT_EQ(hugePageEligibility(block), "1");

    // A mapping advised only in part would be split, and could not be
    // remapped in one piece: growth would fail with memory to spare.
    for (int step = 0; step < 4; ++step) {
        void* grown = memory::resizeBlock(block, bytes, bytes * 2);
        ASSERT_NE(grown, nullptr);
        block = grown;
        fill(block, bytes, bytes * 2);
        bytes *= 2;
        EXPECT_EQ(hugePageEligibility(block), "1");
        EXPECT_EQ(hugePageEligibility(static_cast<char*>(block) + bytes - 1), "1");
    }
    EXPECT_TRUE(holdsPattern(block, bytes));
    memory::freeBlock(block, bytes);
}

TEST(LargeBlocks, VectorsAndArenasOnLargeBlocksKeepTheirContents)
{
    memory::LargeVector<std::uint64_t> values;
    for (std::uint64_t i = 0; i < 3 * memory::kLargeBlockBytes / 8; ++i)
        values.push_back(i * 3);
    memory::LargeVector<std::uint64_t> copy = values;
    values.clear();
    values.shrink_to_fit();
    ASSERT_EQ(copy.size(), 3 * memory::kLargeBlockBytes / 8);
    for (std::size_t i = 0; i < copy.size(); i += 4099)
        ASSERT_EQ(copy[i], i * 3);

    // Texts past the largest block, and one text larger than any block; the
    // views stay valid when the arena is moved.
    analysis::TextArena arena;
    std::vector<std::string_view> views;
    const std::string big(10 * kMegabyte, 'b');
    for (int i = 0; i < 400000; ++i) {
        views.push_back(arena.store("text number " + std::to_string(i)));
        if (i == 200000) views.push_back(arena.store(big));
    }
    analysis::TextArena moved(std::move(arena));
    analysis::TextArena assigned;
    assigned.store("gone with the assignment");
    assigned = std::move(moved);
    EXPECT_EQ(views[0], "text number 0");
    EXPECT_EQ(views[200001], big);
    EXPECT_EQ(views.back(), "text number 399999");
    EXPECT_EQ(views[123456], "text number 123456");
}
