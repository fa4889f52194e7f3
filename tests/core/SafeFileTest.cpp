#include "common/SafeFile.h"
#include "common/TextFile.h"

#include "fakes/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace larkspan {
namespace {

using testing::modeOf;

TEST(SafeFile, WritesNeverFollowAPlantedLink)
{
    testing::TempFolder temp;
    const std::string victim = temp.write("victim.txt", "precious");
    const std::string planted = temp.file("day.log");
    ASSERT_EQ(::symlink(victim.c_str(), planted.c_str()), 0);
    const std::string dangling = temp.file("dangling.log");
    ASSERT_EQ(::symlink(temp.file("created-elsewhere").c_str(), dangling.c_str()), 0);

    EXPECT_FALSE(writeWholeFile(planted, "overwritten"));
    EXPECT_FALSE(appendToFile(planted, "appended"));
    EXPECT_FALSE(writeWholeFile(dangling, "x"));
    EXPECT_EQ(temp.read("victim.txt"), "precious");
    EXPECT_FALSE(std::filesystem::exists(temp.file("created-elsewhere")));

    // Replacing swaps the link itself for a private file.
    EXPECT_TRUE(safefile::replaceFile(planted, "fresh"));
    EXPECT_FALSE(safefile::isSymbolicLink(planted));
    EXPECT_EQ(temp.read("day.log"), "fresh");
    EXPECT_EQ(temp.read("victim.txt"), "precious");
}

TEST(SafeFile, NewFilesAndFoldersArePrivateAndFailuresLeaveNoTemporary)
{
    testing::TempFolder temp;
    const std::string file = temp.file("secret.conf");
    ASSERT_TRUE(writeWholeFile(file, "a"));
    EXPECT_EQ(modeOf(file), 0600u);
    ASSERT_TRUE(safefile::replaceFile(temp.file("other.conf"), "b", true));
    EXPECT_EQ(modeOf(temp.file("other.conf")), 0600u);

    ASSERT_TRUE(safefile::makePrivateFolder(temp.file("data")));
    EXPECT_EQ(modeOf(temp.file("data")), 0700u);
    ASSERT_EQ(::symlink(temp.path().c_str(), temp.file("linked").c_str()), 0);
    EXPECT_FALSE(safefile::makePrivateFolder(temp.file("linked")));

    // A rename onto a folder fails: nothing of the attempt stays behind.
    EXPECT_FALSE(safefile::replaceFile(temp.file("data"), "c"));
    for (const auto& entry : std::filesystem::directory_iterator(temp.path()))
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
}

} // namespace
} // namespace larkspan
