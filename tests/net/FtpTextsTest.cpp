// What the FTP fetch reads from texts: the server address, the names the
// server lists, and the two listing forms.
#include "FtpListing.h"
#include "import/FtpFetch.h"

#include <gtest/gtest.h>

using namespace larkspan;

TEST(ServerAddress, TextAfterTheLastColonIsThePortWhenItIsANumber)
{
    auto check = [](const std::string& text, const std::string& host, int port) {
        const ServerAddress address = parseServerAddress(text);
        EXPECT_EQ(address.host, host) << text;
        EXPECT_EQ(address.port, port) << text;
    };
    check("ftp.example.com", "ftp.example.com", 21);
    check("ftp.example.com:2121", "ftp.example.com", 2121);
    check("ftp.example.com:abc", "ftp.example.com", 21);
    check("ftp.example.com:", "ftp.example.com", 21);
    check("ftp.example.com:21x", "ftp.example.com", 21);
    check("ftp.example.com:70000", "ftp.example.com", 21);
    check("ftp.example.com:-5", "ftp.example.com", 21);
    check("a:b:990", "a:b", 990);
}

TEST(RemoteNames, NamesThatCouldLeaveTheDownloadFolderAreRefused)
{
    for (const std::string& bad :
         std::vector<std::string>{"", "../x.log", "..", "a/b.log", "/etc/passwd", "a\\b.log", "C:\\x.log", "-rf.log",
                                  "x\x01.log", "x\n.log", "x\x7f.log", "a..b"})
        EXPECT_FALSE(remoteNameProblem(bad).empty()) << bad;
    for (const std::string& good :
         std::vector<std::string>{"access.log", "ex240101.log", ".hidden.log", "with space.log", "a-b.log", "x.y.z"})
        EXPECT_TRUE(remoteNameProblem(good).empty()) << good;
}

TEST(FtpListing, MachineListingGivesFilesAndFoldersWithSizesAndTimes)
{
    const auto entries = net::parseMachineListing("type=cdir;modify=20240101000000; .\r\n"
                                                  "type=pdir; ..\r\n"
                                                  "Type=File;Size=1234;Modify=20240229235958.123; access log.log\r\n"
                                                  "type=dir;size=0;modify=20230101101010; old\r\n"
                                                  "type=file;size=7 \r\n"
                                                  "type=file;size=5; semi;colon.log\n");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, "access log.log");
    EXPECT_EQ(entries[0].size, 1234u);
    EXPECT_FALSE(entries[0].directory);
    EXPECT_EQ(entries[0].date, "2024-02-29");
    EXPECT_EQ(entries[0].time, "23:59:58");
    EXPECT_EQ(entries[1].name, "old");
    EXPECT_TRUE(entries[1].directory);
    EXPECT_EQ(entries[2].name, "semi;colon.log");
}

TEST(FtpListing, LongListingReadsUnixAndDosForms)
{
    const auto entries =
        net::parseLongListing("total 12\r\n"
                              "-rw-r--r--   1 ftp  ftp   4096 Mar  1 12:30 access.log\r\n"
                              "drwxr-xr-x   2 ftp  ftp   4096 Jan  5  2023 archive\r\n"
                              "lrwxrwxrwx   1 ftp  ftp     10 Jan  5  2023 latest.log -> access.log\r\n"
                              "-rw-r--r--   1 ftp  ftp   77 Mar  1 12:30 two  blanks.log\r\n"
                              "03-01-24  12:30PM       <DIR>          logs\r\n"
                              "03-01-24  12:31PM                 2048 ex240301.log\r\n"
                              "garbage line\r\n");
    ASSERT_EQ(entries.size(), 6u);
    EXPECT_EQ(entries[0].name, "access.log");
    EXPECT_EQ(entries[0].size, 4096u);
    EXPECT_EQ(entries[0].time, "12:30");
    EXPECT_TRUE(entries[1].directory);
    EXPECT_EQ(entries[1].date, "Jan 5 2023");
    EXPECT_EQ(entries[2].name, "latest.log");
    EXPECT_FALSE(entries[2].directory);
    EXPECT_EQ(entries[3].name, "two  blanks.log");
    EXPECT_TRUE(entries[4].directory);
    EXPECT_EQ(entries[4].name, "logs");
    EXPECT_EQ(entries[5].size, 2048u);
    EXPECT_EQ(entries[5].name, "ex240301.log");
}
