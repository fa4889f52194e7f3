#include "settings/SettingsStore.h"
#include "common/Error.h"
#include "fakes/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

namespace {

// The names in folder that are neither the settings file nor its lock:
// temporary files a write left behind.
std::vector<std::string> leftovers(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name != "settings.conf" && name != "settings.conf.lock") names.push_back(name);
    }
    return names;
}

// Limits the size of files this process writes, as a full disk would.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }

  private:
    struct rlimit saved_ {};
    void (*previous_)(int) = nullptr;
};

} // namespace

TEST(SettingsStoreOnASharedMachine, AFailedWriteLeavesNoTemporaryAndKeepsTheFile)
{
    TempFolder temp;
    SettingsStore store(temp.file("settings.conf"));
    store.writeString(kWebs + "\\site", "ftppwd", "first");
    {
        const FileSizeLimit full(512);
        EXPECT_THROW(store.writeString(kWebs + "\\site", "ftppwd", std::string(4096, 'p')), Error);
    }
    EXPECT_EQ(leftovers(temp.path()), std::vector<std::string>{});
    EXPECT_EQ(store.readString(kWebs + "\\site", "ftppwd"), "first");
}

TEST(SettingsStoreOnASharedMachine, TheTemporaryFileIsPrivateFromItsFirstByte)
{
    TempFolder temp;
    const std::string file = temp.file("settings.conf");
    // A child with the widest umask is killed by the file size limit in the
    // middle of its write, so the temporary file stays as it was then.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::umask(0);
        struct rlimit limit {};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 16;
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, SIG_DFL);
        try {
            SettingsStore(file).writeString(kWebs + "\\site", "ftppwd", "secret");
        } catch (...) {
        }
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << status;
    const std::vector<std::string> names = leftovers(temp.path());
    ASSERT_EQ(names.size(), 1u);
    struct stat info {};
    ASSERT_EQ(::lstat(temp.file(names.front()).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(info.st_size, 16);
}
