#include "common/StagedFile.h"

#include "fakes/TempFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace larkspan {
namespace {

namespace fs = std::filesystem;
using testing::modeOf;

// The names in a folder, apart from the ones given.
std::vector<std::string> othersIn(const std::string& folder, std::initializer_list<std::string> expected)
{
    std::vector<std::string> others;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (std::find(expected.begin(), expected.end(), name) == expected.end()) others.push_back(name);
    }
    return others;
}

TEST(StagedFile, PiecesOfEverySizeArriveWholeAndInOrderOnlyAtCommit)
{
    testing::TempFolder temp;
    const std::string target = temp.write("day.lkdus", "old");
    std::string expected;
    StagedFile staged = StagedFile::beside(target);
    ASSERT_TRUE(staged.good());
    // Small pieces that fill the gathering buffer unevenly, one piece
    // larger than it, one exactly its size, and an empty one.
    for (const std::size_t size : {std::size_t{1}, std::size_t{70000}, std::size_t{3}, std::size_t{65536},
                                   std::size_t{0}, std::size_t{65533}, std::size_t{200000}, std::size_t{17}}) {
        const std::string piece(size, static_cast<char>('a' + expected.size() % 26));
        expected += piece;
        staged.append(piece);
    }
    EXPECT_EQ(temp.read("day.lkdus"), "old");
    // Finished on one thread and committed on another, as the tracker does.
    std::thread([&] { EXPECT_TRUE(staged.finish()); }).join();
    StagedFile moved = std::move(staged);
    EXPECT_TRUE(moved.commit());
    EXPECT_EQ(temp.read("day.lkdus"), expected);
    EXPECT_EQ(modeOf(target), 0600u);
    EXPECT_TRUE(othersIn(temp.path(), {"day.lkdus"}).empty());
}

TEST(StagedFile, WhatIsNotCommittedIsRemovedAndTheOldFileKept)
{
    testing::TempFolder temp;
    const std::string target = temp.write("day.lkmus", "old");
    {
        StagedFile dropped = StagedFile::beside(target);
        dropped.append("new");
        dropped.finish();
        StagedFile replaced = StagedFile::at(target, target + ".lkst");
        replaced.append("newer");
        replaced = StagedFile::beside(target); // the first staging goes with it
        replaced.append("newest");
    }
    EXPECT_EQ(temp.read("day.lkmus"), "old");
    EXPECT_TRUE(othersIn(temp.path(), {"day.lkmus"}).empty());

    // A staging file that cannot be made: nothing is written anywhere.
    StagedFile nowhere = StagedFile::beside(temp.file("missing/day.lkmus"));
    EXPECT_FALSE(nowhere.good());
    nowhere.append("text");
    EXPECT_FALSE(nowhere.commit());
    EXPECT_FALSE(fs::exists(temp.file("missing")));
}

TEST(StagedFile, PlantedLinksAtTheStagingNameAndTheTargetAreNeverWrittenThrough)
{
    testing::TempFolder temp;
    const std::string victim = temp.write("victim", "precious");
    const std::string target = temp.file("day.lkdus");
    const std::string staging = target + ".lkst";
    ASSERT_EQ(::symlink(victim.c_str(), target.c_str()), 0);
    ASSERT_EQ(::symlink(victim.c_str(), staging.c_str()), 0);

    StagedFile staged = StagedFile::at(target, staging);
    staged.append("fresh");
    EXPECT_TRUE(staged.commit());
    EXPECT_EQ(temp.read("victim"), "precious");
    EXPECT_FALSE(fs::is_symlink(target));
    EXPECT_EQ(temp.read("day.lkdus"), "fresh");
    EXPECT_FALSE(fs::exists(fs::symlink_status(staging)));

    // A folder at the staging name cannot be cleared: staging fails.
    fs::create_directory(staging);
    StagedFile blocked = StagedFile::at(target, staging);
    EXPECT_FALSE(blocked.good());
    EXPECT_FALSE(blocked.commit());
    EXPECT_EQ(temp.read("day.lkdus"), "fresh");
}

// A real write failure: the file size limit of a child process, which makes
// write() fail as a full disk does, part way through.
TEST(StagedFile, AWriteThatFailsPartWayLeavesTheOldFileAndNoStaging)
{
    testing::TempFolder temp;
    const std::string target = temp.write("day.lkdus", "old");
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{100000, 100000};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) std::_Exit(10);
        StagedFile staged = StagedFile::beside(target);
        for (int i = 0; i < 50; ++i)
            staged.append(std::string(4000, 'x'));
        const bool committed = staged.commit();
        std::_Exit(committed ? 11 : staged.good() ? 12 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(temp.read("day.lkdus"), "old");
    EXPECT_TRUE(othersIn(temp.path(), {"day.lkdus"}).empty());
}

} // namespace
} // namespace larkspan
