#include "analysis/BlockHandOff.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

using larkspan::analysis::BlockHandOff;

TEST(BlockHandOffThreads, BlocksArriveInOrderAndTheWriterStaysFewBlocksAhead)
{
    constexpr int kBlocks = 3;
    BlockHandOff handOff(kBlocks, 16, 1);
    std::atomic<int> finished{0};
    std::vector<std::string> received;
    std::thread reader([&] {
        while (const std::string* block = handOff.next()) {
            received.push_back(*block);
            std::this_thread::yield();
            ++finished;
        }
    });
    int mostAhead = 0;
    for (int i = 0; i < 200; ++i) {
        handOff.writing() = "block " + std::to_string(i);
        ASSERT_TRUE(handOff.handOver());
        mostAhead = std::max(mostAhead, i + 1 - finished.load());
    }
    handOff.writing() = "last";
    handOff.close();
    reader.join();
    ASSERT_EQ(received.size(), 201u);
    for (int i = 0; i < 200; ++i)
        EXPECT_EQ(received[static_cast<std::size_t>(i)], "block " + std::to_string(i));
    EXPECT_EQ(received.back(), "last");
    EXPECT_LE(mostAhead, kBlocks - 1);
}

TEST(BlockHandOffThreads, AReaderThatGivesUpNoLongerHoldsTheWriterBack)
{
    BlockHandOff handOff(2, 16, 1);
    std::thread reader([&] {
        ASSERT_NE(handOff.next(), nullptr);
        handOff.abandon();
    });
    // The second hand-over waits for a block the reader never gives back.
    handOff.writing() = "a";
    const bool first = handOff.handOver();
    handOff.writing() = "b";
    const bool second = handOff.handOver();
    reader.join();
    EXPECT_TRUE(first);
    EXPECT_FALSE(second);
    handOff.writing() = "c";
    EXPECT_FALSE(handOff.handOver());
    EXPECT_EQ(handOff.writing(), "");
    handOff.close();
    EXPECT_EQ(handOff.next(), nullptr);
}
