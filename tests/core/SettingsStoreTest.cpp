#include "fakes/TempFolder.h"
#include "settings/SettingsStore.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace larkspan;
using larkspan::testing::TempFolder;

namespace {
const std::string kApp = "\\Software\\Quennet\\Larkspan";
const std::string kWebs = "\\Software\\Quennet\\larkspan\\webs";
}  // namespace

TEST(SettingsStore, KeysAndValuesIgnoreCaseAndSurviveReopening)
{
    TempFolder temp;
    const std::string file = temp.file("settings.conf");
    {
        SettingsStore store(file);
        EXPECT_FALSE(store.keyExists(kApp));
        store.writeString(kApp, "cbAutoRun", "TRUE");
        store.writeInteger(kApp, "count", 42);
        store.writeString(kWebs + "\\mysite", "ftpserver", "ftp.example.com");
    }
    SettingsStore store(file);
    EXPECT_TRUE(store.keyExists("\\software\\quennet\\LARKSPAN"));
    EXPECT_EQ(store.readString(kApp, "cbautorun"), "TRUE");
    EXPECT_EQ(store.readInteger(kApp, "COUNT"), 42);
    EXPECT_FALSE(store.readInteger(kApp, "cbAutoRun").has_value());
    EXPECT_EQ(store.subKeys("\\Software\\Quennet\\Larkspan\\WEBS"), std::vector<std::string>{"mysite"});
    EXPECT_FALSE(store.valueExists(kApp, "missing"));
}

TEST(SettingsStore, OverwritingKeepsOneValueAndDeletingKeyRemovesSubkeys)
{
    TempFolder temp;
    SettingsStore store(temp.file("settings.conf"));
    store.writeString(kWebs, "statsdatadir", "/a/");
    store.writeString(kWebs, "STATSDATADIR", "/b/");
    EXPECT_EQ(store.valueNames(kWebs).size(), 1u);
    EXPECT_EQ(store.readString(kWebs, "statsdatadir"), "/b/");
    store.writeString(kWebs + "\\one", "a", "1");
    store.writeString(kWebs + "\\one\\deeper", "b", "2");
    EXPECT_TRUE(store.deleteKey(kWebs + "\\ONE"));
    EXPECT_FALSE(store.keyExists(kWebs + "\\one\\deeper"));
    EXPECT_TRUE(store.keyExists(kWebs));
    EXPECT_FALSE(store.deleteKey(kWebs + "\\one"));
    EXPECT_TRUE(store.deleteValue(kWebs, "statsdatadir"));
    EXPECT_FALSE(store.deleteValue(kWebs, "statsdatadir"));
}

TEST(SettingsStore, ValuesWithLineBreaksAndSpecialCharactersRoundTrip)
{
    TempFolder temp;
    SettingsStore store(temp.file("settings.conf"));
    const std::string tricky = "pa%ss=word\r\n[section]\\end";
    store.writeString(kWebs + "\\x", "name=with[brackets]", tricky);
    EXPECT_EQ(SettingsStore(temp.file("settings.conf")).readString(kWebs + "\\x", "name=with[brackets]"), tricky);
}

TEST(SettingsStore, FileIsPrivateToItsOwner)
{
    TempFolder temp;
    SettingsStore store(temp.file("sub/settings.conf"));
    store.writeString(kWebs + "\\site", "ftppassword", "secret");
    const auto perms = std::filesystem::status(temp.file("sub/settings.conf")).permissions();
    using std::filesystem::perms;
    EXPECT_EQ(perms & (perms::group_all | perms::others_all), perms::none);
    // The lock file may stay behind (its lock dies with the process); it is private too.
    const auto lockPerms = std::filesystem::status(temp.file("sub/settings.conf.lock")).permissions();
    EXPECT_EQ(lockPerms & (perms::group_all | perms::others_all), perms::none);
}
