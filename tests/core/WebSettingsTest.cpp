#include "common/Error.h"
#include "common/TextFile.h"
#include "fakes/FakePlatform.h"
#include "fakes/TempFolder.h"
#include "settings/SettingsStore.h"
#include "webs/FtpSettings.h"
#include "webs/WebFileList.h"
#include "webs/WebName.h"
#include "webs/WebSaver.h"
#include "webs/WebSettings.h"
#include "webs/WebStore.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace larkspan;
using larkspan::testing::FakePlatform;
using larkspan::testing::TempFolder;

TEST(WebSettingsFile, ShortAndDamagedFiles)
{
    TempFolder temp;
    const auto three = readWebSettingsForImport(temp.write("web1/web1.dat", "web1\r\n0\r\n0\r\n"));
    EXPECT_EQ(three.importType, ImportType::Local);
    EXPECT_EQ(three.serverUrl, "");
    EXPECT_FALSE(three.newFilesOnly);

    const auto five = readWebSettingsForImport(temp.write("w/w.dat", "w\n1\n0\nwww.x.com\nyes\n"));
    EXPECT_EQ(five.importType, ImportType::Ftp);
    EXPECT_EQ(five.serverUrl, "www.x.com");
    EXPECT_TRUE(five.newFilesOnly);

    EXPECT_THROW(readWebSettingsForImport(temp.write("two/two.dat", "two\r\n0\r\n")), Error);
    EXPECT_THROW(readWebSettingsForImport(temp.write("bad/bad.dat", "bad\r\nx\r\n0\r\n")), Error);
    try {
        readWebSettingsForImport(temp.file("gone/gone.dat"));
        FAIL();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "The web gone is invalid and cannot be imported.");
    }
    WebSettings written;
    written.name = "shop";
    written.serverUrl = "www.shop.com";
    written.newFilesOnly = true;
    EXPECT_EQ(formatWebSettings(written), "shop\r\n0\r\n0\r\nwww.shop.com\r\nTRUE\r\n");
}

TEST(WebFileList, ImportSourceTextQuoting)
{
    EXPECT_EQ(importSourceText({"/my logs/access.log"}), "\"/my logs/access.log\"");
    EXPECT_EQ(importSourceText({"/my logs/*.log"}), "/my logs/*.log");
    EXPECT_EQ(importSourceText({"/a.log", "/b c.log", "/d,e.log", "/q\"x.log"}),
              "/a.log,\"/b c.log\",\"/d,e.log\",\"/q\"\"x.log\"");
    EXPECT_EQ(importSourceText({}), "");
    // One path with a comma still reads back as one path.
    EXPECT_EQ(parseCommaList(importSourceText({"/logs/a,b.log"})), std::vector<std::string>{"/logs/a,b.log"});
    EXPECT_EQ(importSourceText({"/logs/a.log"}), "/logs/a.log");
    // The import reads the text back to the same paths.
    EXPECT_EQ(parseCommaList("/a.log,\"/b c.log\",\"/d,e.log\",\"/q\"\"x.log\""),
              (std::vector<std::string>{"/a.log", "/b c.log", "/d,e.log", "/q\"x.log"}));
    EXPECT_EQ(parseCommaList(" /a.log , ,\"/b c.log\""), (std::vector<std::string>{"/a.log", "/b c.log"}));
}

TEST(WebFileList, PathFieldChecks)
{
    TempFolder temp;
    const std::string dir = temp.path() + "/";
    EXPECT_EQ(splitPathField(" \"" + dir + "a b.log\" ,," + dir + "c.log"),
              (std::vector<std::string>{dir + "a b.log", dir + "c.log"}));
    auto reason = [](const std::vector<std::string>& entries) {
        try {
            validateFileList(entries);
            return std::string("accepted");
        } catch (const Error& e) {
            return std::string(e.what());
        }
    };
    EXPECT_EQ(reason({dir + "a.log", dir + "*.log"}), "Wildcard file masks are not allowed when multiple files are selected.");
    EXPECT_EQ(reason({dir + "*.log"}), "accepted");
    EXPECT_EQ(reason({dir + "lo*/x.log"}), "Wildcard characters ('*' and '?') are only allowed in file names.");
    EXPECT_EQ(reason({dir + "missing/x.log"}), "File path " + dir + "missing/ is invalid.");
    EXPECT_EQ(reason({"x.log"}), "File path  is invalid.");
    EXPECT_EQ(reason({}), "Filepath contains no valid file names or directories.");
}

TEST(WebName, UnsafeNamesAreRefused)
{
    EXPECT_FALSE(webNameProblem("shop"));
    EXPECT_FALSE(webNameProblem("12345678"));
    for (const char* bad : {"123456789", ".", "..", "a..b", "a/b", "a\\b", "a:b", "a*", "a?", "a|b", "a\"b", "<a>"})
        EXPECT_TRUE(webNameProblem(bad)) << bad;
    EXPECT_TRUE(webNameProblem(std::string("a\tb")));
    EXPECT_TRUE(webNameProblem(std::string("a\x01", 2)));
}

class WebSaving : public ::testing::Test {
protected:
    WebSaving() : store(temp.file("settings.conf")), webs(store, temp.path())
    {
        std::filesystem::create_directories(webs.wwwstats());
        logs = temp.path() + "/logs/";
        std::filesystem::create_directories(logs);
    }
    std::vector<std::string> messages() const { return platform.messages.texts(); }

    TempFolder temp;
    FakePlatform platform;
    SettingsStore store;
    WebStore webs;
    std::string logs;
};

TEST_F(WebSaving, LocalWebWritesSettingsAndList)
{
    WebDraft draft;
    draft.name = " shop ";
    draft.pathField = "\"" + logs + "a b.log\"," + logs + "c.log";
    draft.serverUrl = "www.shop.com";
    draft.newFilesOnly = true;
    ASSERT_TRUE(saveWeb(webs, platform.messages, draft, true)) << ::testing::PrintToString(messages());
    EXPECT_EQ(temp.read("wwwstats/shop/shop.dat"), "shop\r\n0\r\n0\r\nwww.shop.com\r\nTRUE\r\n");
    EXPECT_EQ(temp.read("wwwstats/shop/shop.wfl"), logs + "a b.log\r\n" + logs + "c.log\r\n");
    EXPECT_TRUE(webs.exists("SHOP"));
    EXPECT_EQ(webs.readFileList("Shop").size(), 2u);

    // A second web of the same name (in any case) is refused; the first stays.
    draft.name = "Shop";
    draft.pathField = logs + "*.log";
    EXPECT_FALSE(saveWeb(webs, platform.messages, draft, true));
    EXPECT_EQ(messages().back(), "The Web you are trying to create Shop already exists.");
    EXPECT_EQ(temp.read("wwwstats/shop/shop.wfl"), logs + "a b.log\r\n" + logs + "c.log\r\n");
}

TEST_F(WebSaving, RefusedSavesWriteNothing)
{
    WebDraft draft;
    EXPECT_FALSE(saveWeb(webs, platform.messages, draft, true));
    draft.name = "abc/def";
    EXPECT_FALSE(saveWeb(webs, platform.messages, draft, true));
    draft.name = "web1";
    EXPECT_FALSE(saveWeb(webs, platform.messages, draft, true));
    draft.pathField = logs + "a.log," + logs + "*.log";
    EXPECT_FALSE(saveWeb(webs, platform.messages, draft, true));
    draft.importType = ImportType::Ftp;
    draft.ftp = {"ftp.x.com", "me", "  ", "", "/logs", "*.log", true, false};
    EXPECT_FALSE(saveWeb(webs, platform.messages, draft, true));
    const auto texts = messages();
    ASSERT_EQ(texts.size(), 5u);
    EXPECT_EQ(texts[0], "The Web must have a name to be saved.");
    EXPECT_EQ(texts[2], "The Web must have Log names to be saved.");
    EXPECT_EQ(texts[3], "The Web Log could not be saved.\nWildcard file masks are not allowed when multiple files are selected.");
    EXPECT_EQ(texts[4], "The Web must have a Password to be saved.");
    EXPECT_TRUE(webs.folderNames().empty());
    EXPECT_FALSE(store.keyExists(std::string(WebStore::kWebsKey) + "\\web1"));
}

TEST_F(WebSaving, FtpWebKeepsItsValuesInTheStore)
{
    WebDraft draft;
    draft.name = "ftpweb";
    draft.importType = ImportType::Ftp;
    draft.ftp = {" ftp.x.com:2121 ", "me", "secret", "", "/logs", "ex*.log", true, true};
    ASSERT_TRUE(saveWeb(webs, platform.messages, draft, true));
    EXPECT_EQ(temp.read("wwwstats/ftpweb/ftpweb.dat"), "ftpweb\r\n1\r\n0\r\n\r\nFALSE\r\n");
    const std::string key = std::string(WebStore::kWebsKey) + "\\ftpweb";
    EXPECT_EQ(store.readString(key, "FTPSRV").value_or("?"), "ftp.x.com:2121");
    EXPECT_EQ(store.readString(key, "ftpuc").value_or("?"), "TRUE");
    EXPECT_EQ(store.readString(key, "DelFile").value_or("?"), "TRUE");

    FtpSettings read;
    ASSERT_TRUE(readFtpSettings(store, platform.messages, "FTPWEB", read));
    EXPECT_EQ(read.password, "secret");
    EXPECT_TRUE(read.deleteAfterDownload);
    EXPECT_FALSE(read.explicitTls);
    // Settings written before explicit TLS existed have no value for it.
    store.deleteValue(key, "ftptls");
    read.explicitTls = true;
    ASSERT_TRUE(readFtpSettings(store, platform.messages, "ftpweb", read));
    EXPECT_FALSE(read.explicitTls);

    // A web that never had FTP values reads empty ones and gains a key.
    FtpSettings none;
    ASSERT_TRUE(readFtpSettings(store, platform.messages, "other", none));
    EXPECT_EQ(none.server, "");
    EXPECT_FALSE(none.newFilesOnly);
    EXPECT_TRUE(store.keyExists(std::string(WebStore::kWebsKey) + "\\other"));
    EXPECT_TRUE(deleteFtpSettings(store, platform.messages, "other"));
    EXPECT_FALSE(store.keyExists(std::string(WebStore::kWebsKey) + "\\other"));
}

TEST_F(WebSaving, ImportSwitchesDefaults)
{
    EXPECT_TRUE(readBuildSessionTracker(store));
    EXPECT_FALSE(readConvertUnix(store));
    EXPECT_TRUE(writeBuildSessionTracker(store, false));
    EXPECT_TRUE(writeConvertUnix(store, true));
    EXPECT_FALSE(readBuildSessionTracker(store));
    EXPECT_TRUE(readConvertUnix(store));
    EXPECT_EQ(store.readString(WebStore::kWebsKey, "buildSesTrack").value_or("?"), "FALSE");
}

TEST_F(WebSaving, DataDirectoryDefaultsToTheProgramFolder)
{
    EXPECT_EQ(webs.dataDirectory(), temp.path() + "/");
    webs.setDataDirectory(temp.path() + "/data");
    EXPECT_EQ(webs.dataDirectory(), temp.path() + "/data/");
    EXPECT_EQ(webs.wwwstats(), temp.path() + "/data/wwwstats/");
    EXPECT_EQ(webs.webFolder("x"), temp.path() + "/data/wwwstats/x/");
}
