#include "common/ProgramFolder.h"
#include "common/FolderListing.h"
#include "common/TextFile.h"
#include "fakes/FakePlatform.h"
#include "fakes/TempFolder.h"
#include "settings/SettingsStore.h"
#include "webs/WebStore.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace larkspan;
using namespace larkspan::testing;

TEST(ProgramFolder, InstallCopiesMissingShippedFilesAndKeepsTheOperatorsOwn)
{
    TempFolder temp;
    temp.write("share/syss/seng.lklf", "shipped engines");
    temp.write("share/My Profiles/base.rpf.def", "shipped base");
    temp.write("home/syss/seng.lklf", "operator's engines");
    ProgramFolder folder(temp.file("home"), temp.file("share"));
    EXPECT_EQ(folder.install(), 1);
    EXPECT_EQ(temp.read("home/syss/seng.lklf"), "operator's engines");
    EXPECT_EQ(temp.read("home/My Profiles/base.rpf.def"), "shipped base");
    EXPECT_TRUE(std::filesystem::is_directory(folder.reports()));
    EXPECT_TRUE(std::filesystem::is_directory(folder.temporary()));
    EXPECT_EQ(folder.install(), 0);
}

TEST(ProgramFolder, NewFoldersArePrivateAndExistingOnesKeepTheirMode)
{
    TempFolder temp;
    temp.write("share/Reports/help.gif", "GIF");
    ProgramFolder folder(temp.file("new/home"), temp.file("share"));
    folder.install();
    EXPECT_EQ(modeOf(temp.file("new")), 0700u);
    EXPECT_EQ(modeOf(folder.home()), 0700u);
    EXPECT_EQ(modeOf(folder.myProfiles()), 0700u);
    EXPECT_EQ(modeOf(folder.reports()), 0700u);

    ::chmod(folder.reports().c_str(), 0755);
    // A link where a shipped file goes, even a dangling one, is taken as
    // there, not written through.
    std::filesystem::remove(folder.reports() + "/help.gif");
    ASSERT_EQ(::symlink(temp.file("elsewhere.gif").c_str(), (folder.reports() + "/help.gif").c_str()), 0);
    folder.install();
    EXPECT_EQ(modeOf(folder.reports()), 0755u);
    EXPECT_FALSE(std::filesystem::exists(temp.file("elsewhere.gif")));

    const mode_t saved = ::umask(077);
    SettingsStore settings(folder.settingsFile());
    EXPECT_TRUE(WebStore::createDataFolders(temp.file("data/dir/")));
    ::umask(saved);
    EXPECT_EQ(modeOf(temp.file("data/dir")), 0700u);
    EXPECT_EQ(modeOf(temp.file("data/dir/wwwstats")), 0700u);
    EXPECT_FALSE(WebStore::createDataFolders(temp.write("a-file", "x")));
}

TEST(ProgramFolder, HomeOptionWinsOverEnvironment)
{
    EXPECT_EQ(ProgramFolder::resolveHome("/tmp/x/../chosen"), "/tmp/chosen");
    EXPECT_EQ(ProgramFolder("/data/home/", "").homeWithSeparator(), "/data/home/");
}

TEST(SaveTextFile, FailureShowsTheMessageAndTheCallerGoesOn)
{
    TempFolder temp;
    FakePlatform fake;
    EXPECT_TRUE(saveTextFile(fake.messages, temp.file("ok.html"), "<html>"));
    const std::string bad = temp.file("missing/folder/index.html");
    EXPECT_FALSE(saveTextFile(fake.messages, bad, "<html>"));
    ASSERT_EQ(fake.messages.recorded.size(), 1u);
    EXPECT_EQ(fake.messages.recorded[0].kind, MessageKind::Error);
    EXPECT_EQ(fake.messages.recorded[0].text, "Unable to create file " + bad);
}

TEST(ListFile, ReadsAnyLineEndAndAMissingFileIsEmpty)
{
    TempFolder temp;
    const std::string path = temp.write("p.ip", "10.0.0.1\r\n\n10.0.0.5,7\r172.16.0.1");
    EXPECT_EQ(loadList(path), (std::vector<std::string>{"10.0.0.1", "", "10.0.0.5,7", "172.16.0.1"}));
    EXPECT_TRUE(loadList(temp.file("none.ip")).empty());
    ASSERT_TRUE(saveListText(temp.file("out.ip"), "a\r\nb"));
    EXPECT_EQ(temp.read("out.ip"), "a\r\nb");
}

TEST(FolderListing, MasksAndSortedEntries)
{
    EXPECT_TRUE(matchesMask("ex261209.LOG", "ex*.log"));
    EXPECT_TRUE(matchesMask("access.log.1", "access.log.?"));
    EXPECT_FALSE(matchesMask("access.log", "access.log.?"));
    EXPECT_TRUE(matchesMask("anything", "*"));
    EXPECT_FALSE(matchesMask("a.txt", "*.log"));
    TempFolder temp;
    temp.write("B.log", "12");
    temp.write("a.log", "1");
    std::filesystem::create_directories(temp.file("sub"));
    const auto entries = listFolder(temp.path());
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, "a.log");
    EXPECT_EQ(entries[1].name, "B.log");
    EXPECT_EQ(entries[1].size, 2u);
    EXPECT_TRUE(entries[2].directory);
}
