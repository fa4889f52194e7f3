// An FTP web's import run end to end against a real server: fetched files
// become day files, are recorded by their names on the server and removed
// from the download folder; a second run finds nothing new; cancel and a
// wrong password end the run with their messages.
#include "FtpFetchFixture.h"
#include "import/ImportRun.h"
#include "import/SessionTracker.h"
#include "settings/SettingsStore.h"
#include "webs/WebStore.h"

namespace fs = std::filesystem;
using namespace larkspan;
using namespace larkspan::testing;

namespace {

std::string ncsa(const std::string& day, int lines = 1)
{
    std::string text;
    for (int i = 0; i < lines; ++i)
        text +=
            "1.2.3.4 - - [" + day + "/Oct/2000:13:55:36 -0700] \"GET /p" + std::to_string(i) + " HTTP/1.0\" 200 5\n";
    return text;
}

// The tracker step is not what these tests look at.
class NoTracker : public SessionTrackerBuilder {
  public:
    void openCache(const std::string&, const std::string&) override {}
    bool buildDay(const std::string&, const TrackerProgress&) override { return true; }
    void closeCache() override {}
};

class FtpImport : public FtpFetchFixture {
  protected:
    FtpImport() : store(home.file("settings.conf")), webs(store, home.path())
    {
        home.write("wwwstats/site/site.dat", "site\r\n1\r\n0\r\nwww.example.com\r\nFALSE\r\n");
        options.temporaryFolder = home.file("~tmp");
        options.ftpDownloadFolder = home.file("FTPTemp");
        options.pumpInterval = std::chrono::milliseconds(0);
    }

    void saveSettings(const FtpSettings& settings) { writeFtpSettings(store, fake.messages, "site", settings); }

    ImportOutcome import()
    {
        NoTracker tracker;
        ImportRun run(platform, webs, view, tracker, options);
        return importWeb(run, platform, "site");
    }

    std::string lastMessage() const { return fake.messages.texts().empty() ? "" : fake.messages.texts().back(); }

    SettingsStore store;
    WebStore webs;
    ImportOptions options;
};

} // namespace

TEST_F(FtpImport, FetchedFilesBecomeDayFilesAndOnlyNewOnesAreFetchedAgain)
{
    root.write("logs/a.log", ncsa("10"));
    root.write("logs/b.log", ncsa("11", 3));
    LocalFtpServer server(root.path());
    FtpSettings settings = settingsFor(server);
    settings.newFilesOnly = true;
    saveSettings(settings);

    EXPECT_EQ(import(), ImportOutcome::Completed);
    EXPECT_EQ(lastMessage(), "Import Complete");
    EXPECT_TRUE(fs::exists(home.file("wwwstats/site/2000/LKLT1010.log")));
    EXPECT_TRUE(fs::exists(home.file("wwwstats/site/2000/LKLT1011.log")));
    const std::string imported = home.read("wwwstats/site/site.lkfl");
    EXPECT_NE(imported.find("a.log|" + std::to_string(ncsa("10").size())), std::string::npos) << imported;
    EXPECT_NE(imported.find("b.log|" + std::to_string(ncsa("11", 3).size())), std::string::npos) << imported;
    EXPECT_TRUE(downloadedNames().empty());
    EXPECT_TRUE(fs::exists(home.file("wwwstats/site/site.wfl")));

    EXPECT_EQ(import(), ImportOutcome::Cancelled);
    EXPECT_EQ(lastMessage(), "There are no files to import.");

    root.write("logs/b.log", ncsa("11", 3) + ncsa("12"));
    EXPECT_EQ(import(), ImportOutcome::Completed);
    EXPECT_TRUE(fs::exists(home.file("wwwstats/site/2000/LKLT1012.log")));
    EXPECT_NE(
        home.read("wwwstats/site/site.lkfl").find("b.log|" + std::to_string(ncsa("11", 3).size() + ncsa("12").size())),
        std::string::npos);
}

TEST_F(FtpImport, CancelDuringTheFetchEndsTheRunWithNothingImported)
{
    root.write("logs/big.log", ncsa("10", 40000));
    LocalFtpServer server(root.path(), {"--throttle", "500000"});
    FtpSettings settings = settingsFor(server);
    settings.deleteAfterDownload = true;
    saveSettings(settings);
    view.onRefresh = [this](const ImportStatus& status) {
        if (status.recordStatus.rfind("KB Transferred: ", 0) == 0 && status.recordStatus != "KB Transferred: 0")
            fake.cancel.request();
    };

    EXPECT_EQ(import(), ImportOutcome::Cancelled);
    EXPECT_EQ(lastMessage(), "Import cancelled.");
    EXPECT_FALSE(fs::exists(home.file("wwwstats/site/2000")));
    EXPECT_TRUE(downloadedNames().empty());
    EXPECT_TRUE(fs::exists(root.file("logs/big.log")));
}

TEST_F(FtpImport, AWrongPasswordEndsTheRunWithAnError)
{
    root.write("logs/a.log", ncsa("10"));
    LocalFtpServer server(root.path());
    FtpSettings settings = settingsFor(server);
    settings.password = "not-the-one";
    saveSettings(settings);

    EXPECT_EQ(import(), ImportOutcome::Failed);
    ASSERT_EQ(fake.messages.texts().size(), 1u);
    EXPECT_EQ(lastMessage().rfind("Error Importing Files\nLogon to 127.0.0.1 failed: ", 0), 0u) << lastMessage();
    EXPECT_EQ(lastMessage().find("not-the-one"), std::string::npos);
    EXPECT_FALSE(fs::exists(home.file("wwwstats/site/site.lkfl")));
}

TEST_F(FtpImport, FinishedDownloadsAnEarlierRunLeftAreImportedAndFragmentsDropped)
{
    // A run that was cancelled after downloading (and deleting on the
    // server) old.log, and one killed in the middle of new.log.
    home.write("FTPTemp/site/old.log", ncsa("09"));
    home.write("FTPTemp/site/-partial-new.log", "1.2.3.4 - - [13/Oct/20");
    home.write("FTPTemp/site/new.log", "1.2.3.4 - - [14/Oct/2000:13:55:36 -0700] \"GET /stale");
    root.write("logs/new.log", ncsa("10"));
    LocalFtpServer server(root.path());
    FtpSettings settings = settingsFor(server);
    settings.deleteAfterDownload = true;
    saveSettings(settings);

    EXPECT_EQ(import(), ImportOutcome::Completed);
    EXPECT_TRUE(fs::exists(home.file("wwwstats/site/2000/LKLT1009.log")));
    EXPECT_TRUE(fs::exists(home.file("wwwstats/site/2000/LKLT1010.log")));
    EXPECT_FALSE(fs::exists(home.file("wwwstats/site/2000/LKLT1013.log")));
    EXPECT_FALSE(fs::exists(home.file("wwwstats/site/2000/LKLT1014.log")));
    const std::string imported = home.read("wwwstats/site/site.lkfl");
    EXPECT_NE(imported.find("old.log|" + std::to_string(ncsa("09").size())), std::string::npos) << imported;
    EXPECT_NE(imported.find("new.log|" + std::to_string(ncsa("10").size())), std::string::npos) << imported;
    EXPECT_TRUE(downloadedNames().empty());
}
