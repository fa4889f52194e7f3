// The fetch of a web's logs from a real FTP server on loopback, through the
// libcurl client: what is chosen, what is downloaded, what is deleted on the
// server, and what a cancel, a wrong password or a broken server leave.
#include "FtpFetchFixture.h"
#include "common/Error.h"

#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace larkspan;
using namespace larkspan::testing;

namespace {

std::string bytes(std::size_t size)
{
    std::string text(size, 'x');
    for (std::size_t i = 0; i < size; i += 61)
        text[i] = '\n';
    return text;
}

} // namespace

TEST_F(FtpFetchFixture, DownloadsWhatMatchesTheMaskButNeverErrorLogsOrFolders)
{
    root.write("logs/access1.log", "first\n");
    root.write("logs/access2.LOG", "second file\n");
    root.write("logs/notes.txt", "not a log\n");
    root.write("logs/ERROR.LOG", "server errors\n");
    root.write("logs/Errors.log", "more server errors\n");
    fs::create_directories(root.file("logs/old.log"));
    LocalFtpServer server(root.path());

    const FtpFetchResult result = fetch(settingsFor(server));
    EXPECT_FALSE(result.cancelled);
    ASSERT_EQ(result.files.size(), 2u);
    EXPECT_EQ(result.files[0].path, downloads() + "/access1.log");
    EXPECT_EQ(result.files[0].size, 6u);
    EXPECT_EQ(result.files[1].path, downloads() + "/access2.LOG");
    EXPECT_EQ(result.files[1].size, 12u);
    EXPECT_EQ(home.read("FTPTemp/site/access2.LOG"), "second file\n");
    EXPECT_EQ(downloadedNames(), (std::vector<std::string>{"access1.log", "access2.LOG"}));
    EXPECT_EQ(fs::status(downloads() + "/access1.log").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_TRUE(fake.messages.recorded.empty());
    EXPECT_TRUE(view.sawStatus("Total Files: 2"));
    EXPECT_TRUE(view.sawStatus("Total Files Left: 0"));
    EXPECT_TRUE(view.sawPanel("Preparing to import log files...Running FTP\n\n230"));
    // Nothing is deleted on the server unless the web asks for it.
    EXPECT_TRUE(fs::exists(root.file("logs/access1.log")));
}

TEST_F(FtpFetchFixture, NewFilesOnlyComparesNameAndSize)
{
    root.write("logs/same.log", "12345");
    root.write("logs/grown.log", "123456");
    root.write("logs/fresh.log", "1");
    LocalFtpServer server(root.path());
    ImportedFiles imported;
    imported.record("SAME.log", 5);
    imported.record("grown.log", 5);

    FtpSettings settings = settingsFor(server);
    settings.newFilesOnly = true;
    FtpFetchResult result = fetch(settings, imported);
    ASSERT_EQ(result.files.size(), 2u);
    EXPECT_EQ(result.files[0].path, downloads() + "/fresh.log");
    EXPECT_EQ(result.files[1].path, downloads() + "/grown.log");
    EXPECT_EQ(result.files[1].size, 6u);

    settings.newFilesOnly = false;
    EXPECT_EQ(fetch(settings, imported).files.size(), 3u);
}

TEST_F(FtpFetchFixture, DeletesOnTheServerOnlyWhatWasDownloaded)
{
    root.write("logs/a.log", "aaa");
    root.write("logs/b.log", "bbb");
    root.write("logs/keep.txt", "other");
    LocalFtpServer server(root.path());
    FtpSettings settings = settingsFor(server);
    settings.deleteAfterDownload = true;
    settings.startDirectory = "/logs/";

    EXPECT_EQ(fetch(settings).files.size(), 2u);
    EXPECT_FALSE(fs::exists(root.file("logs/a.log")));
    EXPECT_FALSE(fs::exists(root.file("logs/b.log")));
    EXPECT_TRUE(fs::exists(root.file("logs/keep.txt")));
    EXPECT_EQ(downloadedNames(), (std::vector<std::string>{"a.log", "b.log"}));
}

TEST_F(FtpFetchFixture, AServerThatRefusesTheDeletionStillGivesTheDownload)
{
    root.write("logs/a.log", "aaa");
    LocalFtpServer server(root.path(), {"--no-delete"});
    FtpSettings settings = settingsFor(server);
    settings.deleteAfterDownload = true;
    EXPECT_EQ(fetch(settings).files.size(), 1u);
    EXPECT_TRUE(fs::exists(root.file("logs/a.log")));
    EXPECT_EQ(home.read("FTPTemp/site/a.log"), "aaa");
    EXPECT_TRUE(fake.messages.recorded.empty());
}

TEST_F(FtpFetchFixture, CancelMidTransferLeavesNoFragmentAndKeepsTheServerFile)
{
    const std::string big = bytes(4u << 20);
    root.write("logs/big.log", big);
    LocalFtpServer server(root.path(), {"--throttle", "1000000"});
    FtpSettings settings = settingsFor(server);
    settings.deleteAfterDownload = true;
    view.onRefresh = [this](const ImportStatus& status) {
        if (status.recordStatus != "KB Transferred: 0" && status.recordStatus.rfind("KB Transferred: ", 0) == 0)
            fake.cancel.request();
    };

    const FtpFetchResult result = fetch(settings);
    EXPECT_TRUE(result.cancelled);
    EXPECT_TRUE(result.files.empty());
    EXPECT_TRUE(downloadedNames().empty());
    EXPECT_EQ(fs::file_size(root.file("logs/big.log")), big.size());
}

TEST_F(FtpFetchFixture, AWrongPasswordFailsWithTheServersWordsButNotThePassword)
{
    root.write("logs/a.log", "aaa");
    LocalFtpServer server(root.path());
    FtpSettings settings = settingsFor(server);
    settings.password = "Wrong-Pa55word";
    try {
        fetch(settings);
        FAIL() << "a wrong password must fail";
    } catch (const Error& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find("530"), std::string::npos) << text;
        EXPECT_EQ(text.find("Wrong-Pa55word"), std::string::npos) << text;
    }
    EXPECT_TRUE(view.sawPanel("FTP Operation Failed\n\n"));
    for (const auto& panel : view.panels)
        EXPECT_EQ(panel.find("Wrong-Pa55word"), std::string::npos);
    EXPECT_TRUE(downloadedNames().empty());
}

TEST_F(FtpFetchFixture, AServerThatDropsTheConnectionMidTransferFailsTheFetch)
{
    root.write("logs/a.log", bytes(1u << 20));
    LocalFtpServer server(root.path(), {"--drop-after", "100000"});
    FtpSettings settings = settingsFor(server);
    settings.deleteAfterDownload = true;
    EXPECT_THROW(fetch(settings), Error);
    EXPECT_TRUE(downloadedNames().empty());
    EXPECT_EQ(fs::file_size(root.file("logs/a.log")), 1u << 20);
}

TEST_F(FtpFetchFixture, HostileRemoteNamesAreSkippedWithAMessage)
{
    root.write("logs/good.log", "good");
    root.write("logs/-rf.log", "dash");
    root.write("logs/back\\slash.log", "back");
    root.write("logs/bell\x07.log", "bell");
    root.write("logs/a..b.log", "dots");
    LocalFtpServer server(root.path(), {"--hostile-listing"});

    const FtpFetchResult result = fetch(settingsFor(server));
    ASSERT_EQ(result.files.size(), 1u);
    EXPECT_EQ(result.files[0].path, downloads() + "/good.log");
    EXPECT_EQ(downloadedNames(), std::vector<std::string>{"good.log"});
    // Nothing was written beside the download folder either.
    std::vector<std::string> beside;
    for (const auto& entry : fs::recursive_directory_iterator(home.path()))
        beside.push_back(fs::relative(entry.path(), home.path()).string());
    std::sort(beside.begin(), beside.end());
    EXPECT_EQ(beside, (std::vector<std::string>{"FTPTemp", "FTPTemp/site", "FTPTemp/site/good.log"}));
    // "../escape.log", "sub/inner.log", "/etc/passwd.log", "-rf.log",
    // "back\slash.log", "bell?.log", "a..b.log" ("..", outside the mask, is
    // not even considered): each named once.
    const auto texts = fake.messages.texts();
    EXPECT_EQ(texts.size(), 7u);
    for (const auto& text : texts) {
        EXPECT_NE(text.find("on the FTP server will be skipped"), std::string::npos) << text;
        EXPECT_EQ(text.find('\x07'), std::string::npos);
    }
}

TEST_F(FtpFetchFixture, ADownloadReplacesALinkPlantedInTheDownloadFolderWithoutFollowingIt)
{
    root.write("logs/a.log", "from the server");
    const std::string victim = home.write("victim.txt", "precious");
    fs::create_directories(downloads());
    fs::create_symlink(victim, downloads() + "/a.log");
    LocalFtpServer server(root.path());
    EXPECT_EQ(fetch(settingsFor(server)).files.size(), 1u);
    EXPECT_EQ(home.read("victim.txt"), "precious");
    EXPECT_FALSE(fs::is_symlink(downloads() + "/a.log"));
    EXPECT_EQ(home.read("FTPTemp/site/a.log"), "from the server");
}

TEST_F(FtpFetchFixture, ASilentServerTimesOut)
{
    // Accepts connections (the kernel does) but never greets.
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 4), 0);
    socklen_t length = sizeof address;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);

    net::CurlFtpOptions options;
    options.connectTimeout = std::chrono::seconds(1);
    options.stallTimeout = std::chrono::seconds(1);
    net::CurlFtpClient quick(options);
    FtpLogon logon{"127.0.0.1", ntohs(address.sin_port), "me", "secret", "", false};
    EXPECT_THROW(quick.logon(logon), Error);
    ::close(listener);
}

namespace {

bool curlIsLoaded()
{
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line))
        if (line.find("libcurl") != std::string::npos) return true;
    return false;
}

} // namespace

// libcurl and the libraries it brings are loaded by the first logon, not
// when the program starts or makes its client: commands that reach no
// server skip their cost.
TEST(CurlFtpClientLoading, LibcurlIsLoadedOnlyByTheFirstLogon)
{
    if (curlIsLoaded()) GTEST_SKIP() << "an earlier test in this process connected already";
    TempFolder root;
    std::filesystem::create_directories(root.file("logs"));
    LocalFtpServer server(root.path());
    net::CurlFtpClient client;
    EXPECT_FALSE(curlIsLoaded());
    FtpLogon logon;
    logon.host = "127.0.0.1";
    logon.port = server.port();
    logon.user = "me";
    logon.password = "secret";
    client.logon(logon);
    EXPECT_TRUE(curlIsLoaded());
    client.logoff();
}
