#include "tracker/HostNameCache.h"
#include "common/Text.h"
#include "fakes/FakePlatform.h"
#include "fakes/TempFolder.h"
#include "tracker/ClientLookup.h"
#include "tracker/HostNameList.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace larkspan;
using namespace larkspan::tracker;
using larkspan::testing::FakeDnsResolver;
using larkspan::testing::TempFolder;

TEST(HostNameList, SortedWithoutRegardToCaseAndTheFirstEntryWins)
{
    TempFolder folder;
    const std::string path = folder.write("nslcache.lklf", "10.0.0.2=zeta\r\n10.0.0.1=Host_B\n\n10.0.0.1=host_a\r\n"
                                                           "10.0.0.10=ten\r\n10.0.0.1=HOST_A\r\n");
    HostNameList list;
    list.load(path);
    // "_" sorts after letters once they fold to lower case; the repeat in
    // another case is dropped and the first read is kept.
    EXPECT_EQ(list.entries(),
              (std::vector<std::string>{"10.0.0.10=ten", "10.0.0.1=host_a", "10.0.0.1=Host_B", "10.0.0.2=zeta"}));
    EXPECT_EQ(list.find("10.0.0.1"), "host_a");
    EXPECT_EQ(list.find("10.0.0.10"), "ten");
    EXPECT_FALSE(list.find("10.0.0").has_value());
    EXPECT_FALSE(list.add("10.0.0.2", "ZETA"));
    EXPECT_TRUE(list.add("10.0.0.1", "aaa"));
    EXPECT_EQ(list.find("10.0.0.1"), "aaa");
    // An address holding "=" is matched by the text before the first "=" only.
    EXPECT_TRUE(list.add("a", "b=c"));
    EXPECT_FALSE(list.find("a=b").has_value());
    EXPECT_EQ(list.find("A"), "b=c");
}

// Addresses of every length, the long ones beyond any stack buffer, and
// addresses that are prefixes of others or hold the "=" sorting around.
TEST(HostNameList, FindsAddressesOfAnyLengthAgainstAPlainSearch)
{
    HostNameList list;
    std::vector<std::string> addresses;
    for (const std::size_t length : {1, 2, 7, 126, 127, 128, 129, 300}) {
        const std::string a(length, 'a');
        addresses.push_back(a);
        addresses.push_back(a + "<");
        addresses.push_back(a + ">");
        addresses.push_back(a + "B");
    }
    for (std::size_t i = 0; i < addresses.size(); i += 2)
        list.add(addresses[i], "n" + std::to_string(i));
    const auto plain = [&](const std::string& address) -> std::optional<std::string> {
        for (const std::string& entry : list.entries())
            if (entry.find('=') == address.size() && text::istartsWith(entry, address))
                return entry.substr(address.size() + 1);
        return std::nullopt;
    };
    for (const std::string& address : addresses) {
        for (const std::string& asked : {address, text::toUpper(address), address + "="}) {
            const auto found = list.find(asked);
            const auto expected = plain(asked);
            ASSERT_EQ(found.has_value(), expected.has_value()) << asked;
            if (found) {
                EXPECT_EQ(*found, *expected) << asked;
            }
        }
    }
    EXPECT_FALSE(HostNameList().find("a").has_value());
}

TEST(HostNameList, SaveMergesWithWhatIsOnDiskAndWritesPrivately)
{
    TempFolder folder;
    const std::string path = folder.file("nslcache.lklf");
    HostNameList mine;
    mine.add("10.0.0.1", "one");
    HostNameList theirs;
    theirs.add("10.0.0.2", "two");
    ASSERT_TRUE(mine.saveMerged(path));
    ASSERT_TRUE(theirs.saveMerged(path));
    EXPECT_EQ(folder.read("nslcache.lklf"), "10.0.0.1=one\r\n10.0.0.2=two\r\n");
    EXPECT_EQ(theirs.entries().size(), 2u);
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 077, 0u);
    // The lock file stays; its lock died with the save.
    // No folder: nothing is written and nothing waits for a lock.
    EXPECT_FALSE(mine.saveMerged(folder.file("missing/nslcache.lklf")));
}

TEST(HostNameList, SaveNeverWritesThroughAPlantedLink)
{
    TempFolder folder;
    const std::string victim = folder.write("victim.txt", "keep\r\n");
    const std::string path = folder.file("nslcache.lklf");
    fs::create_symlink(victim, path);
    HostNameList list;
    list.add("10.0.0.1", "one");
    list.saveMerged(path);
    EXPECT_EQ(folder.read("victim.txt"), "keep\r\n");
}

TEST(HostNameList, TwoProcessesSavingAtOnceLoseNoAnswer)
{
    TempFolder folder;
    const std::string path = folder.file("nslcache.lklf");
    constexpr int kRounds = 40;
    const auto writer = [&](int who) {
        HostNameList list;
        for (int i = 0; i < kRounds; ++i) {
            list.add("10." + std::to_string(who) + ".0." + std::to_string(i), "h" + std::to_string(who));
            if (!list.saveMerged(path)) return false;
        }
        return true;
    };
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) _exit(writer(1) ? 0 : 1);
    const bool parentSaved = writer(2);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(parentSaved);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    HostNameList result;
    result.load(path);
    EXPECT_EQ(result.entries().size(), 2u * kRounds);
}

TEST(BuildHostNames, WebCacheFirstThenProgramCacheElseTheFailureAnswer)
{
    TempFolder folder;
    folder.write("syss/nslcache.lklf", "10.0.0.1=program-one\r\n10.0.0.2=program-two\r\n");
    folder.write("web/web.nslc", "10.0.0.2=web-two\r\n");
    BuildHostNames hosts(folder.file("syss"));
    hosts.open(webCachePath(folder.file("web"), "web"));
    EXPECT_EQ(hosts.lookup("10.0.0.1"), "program-one");
    EXPECT_EQ(hosts.lookup("10.0.0.2"), "web-two");
    EXPECT_EQ(hosts.lookup("10.0.0.3"), kLookupFailed);
    hosts.close();
    EXPECT_FALSE(fs::exists(folder.file("web/web.nslc.lock")));
    EXPECT_EQ(folder.read("web/web.nslc"), "10.0.0.2=web-two\r\n");
}

TEST(BuildHostNames, CloseLeavesAnEmptyCacheWhenSyssExistsAndKeepsNewerAnswers)
{
    TempFolder folder;
    fs::create_directories(folder.file("syss"));
    BuildHostNames hosts(folder.file("syss"));
    hosts.open(folder.file("web/web.nslc"));
    EXPECT_EQ(hosts.lookup("10.0.0.1"), kLookupFailed);
    // The viewer saves an answer while the build runs.
    folder.write("syss/nslcache.lklf", "10.0.0.9=viewer\r\n");
    hosts.close();
    EXPECT_EQ(folder.read("syss/nslcache.lklf"), "10.0.0.9=viewer\r\n");

    TempFolder empty;
    fs::create_directories(empty.file("syss"));
    BuildHostNames fresh(empty.file("syss"));
    fresh.open("");
    fresh.close();
    EXPECT_TRUE(fs::exists(empty.file("syss/nslcache.lklf")));
    EXPECT_EQ(empty.read("syss/nslcache.lklf"), "");
}

TEST(ClientLookup, CachedAnswerFirstThenTheResolverRecordingAnswersAndFailures)
{
    TempFolder folder;
    const std::string syss = folder.file("syss");
    fs::create_directories(syss);
    FakeDnsResolver dns;
    dns.names["10.0.0.1"] = "host1.example";
    dns.addresses["www.example"] = "192.0.2.7";
    ProgramHostNames names;
    names.load(syss);

    LookupOutcome first = lookupClient(names, dns, "10.0.0.1");
    EXPECT_TRUE(first.found);
    EXPECT_EQ(first.message, "Client IP:\t10.0.0.1\nhas Hostname:\thost1.example");
    LookupOutcome second = lookupClient(names, dns, "10.0.0.1");
    EXPECT_TRUE(second.fromCache);
    EXPECT_EQ(second.message, "Client IP Address:\t10.0.0.1\nClient Hostname:  \thost1.example");
    EXPECT_EQ(dns.calls, 1);

    // A name is looked up forward and cached under the address found.
    EXPECT_EQ(lookupClient(names, dns, "www.example").message, "Client IP:\t192.0.2.7\nhas Hostname:\twww.example");
    EXPECT_EQ(names.cache.find("192.0.2.7"), "www.example");
    EXPECT_EQ(lookupClient(names, dns, "nowhere.example").message, "Could not resolve hostname.");

    // A failure goes to the failure list once, however often it repeats.
    EXPECT_EQ(lookupClient(names, dns, "10.0.0.5").message, "Could not resolve hostname for 10.0.0.5");
    lookupClient(names, dns, "10.0.0.5");
    EXPECT_EQ(names.failures.entries(), (std::vector<std::string>{"10.0.0.5=Host not found"}));
    ASSERT_TRUE(names.save(syss));
    EXPECT_EQ(folder.read("syss/nslcache.lklf"), "10.0.0.1=host1.example\r\n192.0.2.7=www.example\r\n");
    EXPECT_EQ(folder.read("syss/nslerrs.lklf"), "10.0.0.5=Host not found\r\n");
}

TEST(ClientLookup, ResolverAnswersAreUntrusted)
{
    ProgramHostNames names;
    FakeDnsResolver dns;
    dns.names["10.0.0.1"] = "evil,name\r\n10.0.0.2=spoofed";
    dns.names["10.0.0.2"] = std::string(300, 'a');
    dns.names["10.0.0.3"] = "!NSLOOKUPERROR!";
    dns.addresses["odd.example"] = "not an address";
    for (const char* address : {"10.0.0.1", "10.0.0.2", "10.0.0.3"})
        EXPECT_FALSE(lookupClient(names, dns, address).found) << address;
    EXPECT_FALSE(lookupClient(names, dns, "odd.example").found);
    EXPECT_TRUE(names.cache.empty());
    EXPECT_EQ(names.failures.entries().size(), 3u);
    EXPECT_EQ(names.failures.find("10.0.0.1"), "The answer is not a valid host name");

    // A failure description cannot break the file's lines.
    DnsAnswer answer{false, "10.0.0.4", "", "bad\r\nline"};
    recordAnswer(names, answer);
    EXPECT_EQ(names.failures.find("10.0.0.4"), "bad  line");
}

TEST(ClientLookup, WhatCountsAsAnAddress)
{
    EXPECT_TRUE(isAddressText("10.0.0.1"));
    EXPECT_TRUE(isAddressText(""));
    EXPECT_TRUE(isAddressText("2001:db8::1"));
    EXPECT_TRUE(isAddressText("::ffff:10.0.0.1"));
    EXPECT_FALSE(isAddressText("host1"));
    EXPECT_FALSE(isAddressText("a:b"));
}
