#include "fakes/FakePlatform.h"
#include "fakes/TempFolder.h"
#include "import/FolderTree.h"

#include <filesystem>
#include <unistd.h>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace larkspan;
using larkspan::testing::FakePlatform;
using larkspan::testing::TempFolder;

TEST(FolderTree, RemovesEverythingBelowTheRoot)
{
    TempFolder temp;
    FakePlatform platform;
    temp.write("web/web.dat", "x");
    temp.write("web/2000/LKLT1010.log", "x");
    temp.write("web/2000/deep/er/f", "x");
    fs::permissions(temp.file("web/2000/LKLT1010.log"), fs::perms::owner_read);
    EXPECT_TRUE(removeFolderTree(temp.file("web"), platform.messages));
    EXPECT_FALSE(fs::exists(temp.file("web")));
    EXPECT_TRUE(platform.messages.recorded.empty());
    // A root that does not exist: nothing happens and nothing is shown.
    EXPECT_TRUE(removeFolderTree(temp.file("nowhere"), platform.messages));
    EXPECT_TRUE(platform.messages.recorded.empty());
}

TEST(FolderTree, NeverFollowsLinksOutOfTheTree)
{
    TempFolder temp;
    FakePlatform platform;
    temp.write("outside/keep.txt", "keep");
    temp.write("web/a.log", "x");
    fs::create_directory_symlink(temp.file("outside"), temp.file("web/link"));
    fs::create_symlink(temp.file("outside/keep.txt"), temp.file("web/file-link"));
    fs::create_directory_symlink(temp.file("outside"), temp.file("linked-web"));
    EXPECT_TRUE(removeFolderTree(temp.file("web"), platform.messages));
    EXPECT_TRUE(removeFolderTree(temp.file("linked-web"), platform.messages));
    EXPECT_FALSE(fs::exists(temp.file("web")));
    EXPECT_FALSE(fs::exists(fs::symlink_status(temp.file("linked-web"))));
    EXPECT_EQ(temp.read("outside/keep.txt"), "keep");
}

TEST(FolderTree, UndeletableFileAsksAndStops)
{
    if (::geteuid() == 0) GTEST_SKIP() << "root deletes anything";
    TempFolder temp;
    temp.write("web/sub/locked.log", "x");
    temp.write("web/other.log", "x");
    fs::permissions(temp.file("web/sub"), fs::perms::owner_read | fs::perms::owner_exec);
    const std::string root = temp.file("web");
    const std::string locked = temp.file("web/sub/locked.log");
    for (Answer answer : {Answer::No, Answer::Yes}) {
        FakePlatform platform;
        platform.messages.scriptAnswer(answer);
        EXPECT_FALSE(removeFolderTree(root, platform.messages));
        const auto& recorded = platform.messages.recorded;
        ASSERT_GE(recorded.size(), 1u);
        EXPECT_EQ(recorded[0].text, locked +
                                        " could not be deleted (possibly a hidden or read-only file). Is it OK to continue "
                                        "deletion of " +
                                        root + " and all of its files or cancel the operation?");
        if (answer == Answer::Yes) {
            ASSERT_EQ(recorded.size(), 2u);
            EXPECT_EQ(recorded[1].text, locked + " cannot be deleted - it may be in use by another program or damaged. "
                                                 "Deletion of " + root + " terminated unsuccessfully.");
        } else {
            EXPECT_EQ(recorded.size(), 1u);
        }
        EXPECT_TRUE(fs::exists(temp.file("web/sub")));
    }
}
