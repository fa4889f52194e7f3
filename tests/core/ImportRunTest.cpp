#include "common/Error.h"
#include "fakes/FakePlatform.h"
#include "fakes/TempFolder.h"
#include "import/ImportRun.h"
#include "import/SessionTracker.h"
#include "settings/SettingsStore.h"
#include "webs/FtpSettings.h"
#include "webs/WebStore.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace larkspan;
using larkspan::testing::FakePlatform;
using larkspan::testing::TempFolder;

namespace {

class RecordingTracker : public SessionTrackerBuilder {
public:
    void openCache(const std::string&, const std::string& web) override { calls.push_back("open " + web); }
    void buildDay(const std::string& day) override { calls.push_back(fs::path(day).filename().string()); }
    void closeCache() override { calls.push_back("close"); }
    std::vector<std::string> calls;
};

class RecordingView : public ImportView {
public:
    void refresh(const ImportStatus& status) override { captions.push_back(status.caption); }
    void showPanel(const std::string& text, int percent) override { panels.push_back(text + "@" + std::to_string(percent)); }
    void hidePanel() override {}
    std::vector<std::string> captions;
    std::vector<std::string> panels;
};

std::string ncsa(const std::string& day, const std::string& path = "/")
{
    return "1.2.3.4 - - [" + day + "/Oct/2000:13:55:36 -0700] \"GET " + path + " HTTP/1.0\" 200 5\r\n";
}

class Importing : public ::testing::Test {
protected:
    Importing() : store(temp.file("settings.conf")), webs(store, temp.path())
    {
        fs::create_directories(temp.file("wwwstats/w"));
        options.temporaryFolder = temp.file("~tmp");
        options.pumpInterval = std::chrono::milliseconds(0);
    }
    void makeWeb(const std::string& fileList, bool newOnly = false, const std::string& type = "0")
    {
        temp.write("wwwstats/w/w.dat", "w\r\n" + type + "\r\n0\r\nsrv\r\n" + (newOnly ? "TRUE" : "FALSE") + "\r\n");
        temp.write("wwwstats/w/w.wfl", fileList + "\r\n");
    }
    ImportOutcome import(const std::string& web = "w")
    {
        ImportRun run(platform.platform(), webs, view, tracker, options);
        const ImportOutcome outcome = importWeb(run, platform.platform(), web);
        days = run.runDays();
        return outcome;
    }
    std::vector<std::string> messages() const { return platform.messages.texts(); }

    TempFolder temp;
    FakePlatform platform;
    SettingsStore store;
    WebStore webs;
    RecordingView view;
    RecordingTracker tracker;
    ImportOptions options;
    std::vector<std::string> days;
};

}  // namespace

TEST_F(Importing, MaskImportsMatchingFilesAndBuildsTheTracker)
{
    temp.write("logs/a.log", ncsa("10") + ncsa("11"));
    temp.write("logs/b.log", ncsa("11", "/b"));
    temp.write("logs/.hidden.log", ncsa("12"));
    temp.write("logs/c.txt", ncsa("12"));
    fs::create_directories(temp.file("logs/dir.log"));
    makeWeb(temp.file("logs") + "/*.log");
    EXPECT_EQ(import(), ImportOutcome::Completed);
    EXPECT_EQ(messages(), std::vector<std::string>{"Import Complete"});
    EXPECT_EQ(tracker.calls, (std::vector<std::string>{"open w", "LKLT1010.log", "LKLT1011.log", "close"}));
    const std::string day11 = temp.read("wwwstats/w/2000/LKLT1011.log");
    EXPECT_LT(day11.find("GET / "), day11.find("GET /b "));
    EXPECT_EQ(temp.read("wwwstats/w/w.lkfl"),
              temp.file("logs") + "/a.log|" + std::to_string(fs::file_size(temp.file("logs/a.log"))) + "\r\n" +
                  temp.file("logs") + "/b.log|" + std::to_string(fs::file_size(temp.file("logs/b.log"))) + "\r\n");
    EXPECT_EQ(view.captions.front(), "Importing w");
    EXPECT_TRUE(view.panels.empty());  // CR LF files need no conversion
}

TEST_F(Importing, NewFilesOnlyTakesChangedFilesAgain)
{
    const std::string a = temp.write("logs/a.log", ncsa("10", "/first"));
    makeWeb(temp.file("logs") + "/*.log", true);
    ASSERT_EQ(import(), ImportOutcome::Completed);
    platform.messages.recorded.clear();
    // Unchanged: nothing to import, and no "Import Complete".
    EXPECT_EQ(import(), ImportOutcome::Cancelled);
    EXPECT_EQ(messages(), std::vector<std::string>{"There are no files to import."});
    // Grown by a record: imported again in full, its day rewritten.
    temp.write("logs/a.log", ncsa("10", "/first") + ncsa("10", "/second"));
    EXPECT_EQ(import(), ImportOutcome::Completed);
    const std::string day = temp.read("wwwstats/w/2000/LKLT1010.log");
    EXPECT_EQ(day.find("#FileFormat", 1), std::string::npos);
    EXPECT_NE(day.find("/second"), std::string::npos);
    EXPECT_EQ(temp.read("wwwstats/w/w.lkfl"), a + "|" + std::to_string(fs::file_size(a)) + "\r\n");
    // Unattended runs do not say that there is nothing to do.
    platform.messages.recorded.clear();
    platform.platform().unattended = true;
    EXPECT_EQ(import(), ImportOutcome::Cancelled);
    EXPECT_TRUE(messages().empty());
}

TEST_F(Importing, CommaListWithMissingRejectedAndUnixFiles)
{
    const std::string good = temp.write("logs/my log.log", ncsa("10"));
    const std::string unix = temp.write("logs/unix.log", "1.2.3.4 - - [12/Oct/2000:13:55:36 -0700] \"GET / HTTP/1.0\" 200 5\n");
    const std::string empty = temp.write("logs/blank.log", "\r\n\r\n");
    makeWeb(good + "\r\n" + temp.file("logs/gone.log") + "\r\n" + empty + "\r\n" + unix);
    EXPECT_EQ(import(), ImportOutcome::Completed);
    EXPECT_EQ(messages(), (std::vector<std::string>{
                              "The file: " + temp.file("logs/gone.log") +
                                  " cannot be opened for import.\nIt does not exist.\nThis file will be skipped and the "
                                  "process will continue.",
                              "Empty Log File: " + empty + "\nCannot Process Empty Log.",
                              "Import Complete",
                          }));
    // A rejected file is still entered, so it is not offered again unchanged.
    const std::string list = temp.read("wwwstats/w/w.lkfl");
    EXPECT_NE(list.find(empty + "|4\r\n"), std::string::npos);
    EXPECT_NE(list.find(good + "|"), std::string::npos);
    EXPECT_EQ(days.size(), 2u);
    EXPECT_EQ(view.panels, (std::vector<std::string>{"Converting line ends...\nPlease Wait@0",
                                                     "Converting line ends...\nPlease Wait@100"}));
    EXPECT_FALSE(fs::exists(temp.file("FTPTemp")));
}

TEST_F(Importing, UnreadableSourceAsksAboutACopy)
{
    const std::string locked = temp.file("logs/locked.log");
    fs::create_directories(locked);  // a source that cannot be read as a file
    temp.write("logs/ok.log", ncsa("10"));
    makeWeb(locked + "\r\n" + temp.file("logs/ok.log"));
    const std::string question = "The file: " + locked +
                                 " cannot be opened for import.\nIt may be in use by the Web server or another process."
                                 "\nThe file's size is :0\nWould you like to make a local, temporary copy of it that "
                                 "will be removed after the process?\nIf not, this file will be skipped and the process "
                                 "will continue.";
    // Yes: the copy fails too, so the file is skipped.
    platform.messages.scriptAnswer(Answer::Yes);
    EXPECT_EQ(import(), ImportOutcome::Completed);
    EXPECT_EQ(messages(), (std::vector<std::string>{question, "The file: " + locked + " could not be copied.\nIt will be skipped.",
                                                    "Import Complete"}));
    // Cancel ends the run: no other file, no tracker, no "Import Complete".
    platform.messages.recorded.clear();
    tracker.calls.clear();
    platform.messages.scriptAnswer(Answer::Cancel);
    EXPECT_EQ(import(), ImportOutcome::Cancelled);
    EXPECT_EQ(messages(), (std::vector<std::string>{question, "Import cancelled."}));
    EXPECT_TRUE(tracker.calls.empty());
    EXPECT_TRUE(days.empty());
}

TEST_F(Importing, CancelDuringConversionKeepsTheListUntouched)
{
    std::string content;
    for (int i = 0; i < 500; ++i) content += ncsa("10");
    temp.write("logs/a.log", content);
    makeWeb(temp.file("logs/a.log"));
    platform.pump.cancel = &platform.cancel;
    platform.pump.cancelOnCall = 3;
    EXPECT_EQ(import(), ImportOutcome::Cancelled);
    EXPECT_TRUE(messages().empty());
    EXPECT_FALSE(fs::exists(temp.file("wwwstats/w/w.lkfl")));
    EXPECT_TRUE(tracker.calls.empty());
}

TEST_F(Importing, MissingServerAnswerNoCancelsTheRun)
{
    temp.write("wwwstats/w/w.dat", "w\r\n0\r\n0\r\n");  // three lines: no server URL
    temp.write("logs/a.log", ncsa("10"));
    temp.write("wwwstats/w/w.wfl", temp.file("logs/a.log") + "\r\n");
    platform.messages.scriptAnswer(Answer::No);
    EXPECT_EQ(import(), ImportOutcome::Cancelled);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].rfind("The log file format being imported does not track Server IP Address", 0), 0u);
    EXPECT_TRUE(tracker.calls.empty());
}

TEST_F(Importing, BrokenWebsFailWithTheirReason)
{
    EXPECT_EQ(import("nosuch"), ImportOutcome::Failed);
    EXPECT_EQ(import(""), ImportOutcome::Failed);
    temp.write("wwwstats/w/w.dat", "w\r\n0\r\n");
    EXPECT_EQ(import(), ImportOutcome::Failed);
    // A settings file outside wwwstats is never reached through the name.
    temp.write("outside/outside.dat", "outside\r\n0\r\n0\r\n");
    EXPECT_EQ(import("../../outside"), ImportOutcome::Failed);
    EXPECT_FALSE(fs::exists(temp.file("outside/outside.lkfl")));
    const auto texts = messages();
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[3], "Error Importing Files\nThe web ../../outside is invalid and cannot be imported.");
    EXPECT_EQ(texts[0], "Error Importing Files\nThe web nosuch is invalid and cannot be imported.");
    EXPECT_EQ(texts[1], "Error Importing Files\nThere is no web specified to import.");
    EXPECT_EQ(texts[2].rfind("Error Importing Files\n", 0), 0u);
}

TEST_F(Importing, FtpWebsImportNothingYet)
{
    makeWeb("", false, "1");
    writeFtpSettings(store, platform.messages, "w", {"ftp.x", "u", "", "", "/logs", "*.log", false, false});
    EXPECT_EQ(import(), ImportOutcome::Cancelled);
    EXPECT_EQ(messages().back(),
              "Error\nSome or all of the FTP settings were not found.\nPlease make sure that the Web has settings for: "
              "\n\tFTP Server Address\n\tUsername\n\tPassword\n\tLog File Directory on FTP server\n\tFile Pattern "
              "Mask\nCancelling Import");
    writeFtpSettings(store, platform.messages, "w", {"ftp.x", "u", "p", "", "/logs", "*.log", false, false});
    EXPECT_EQ(import(), ImportOutcome::Cancelled);
    EXPECT_NE(messages().back().find("not available"), std::string::npos);
    EXPECT_TRUE(days.empty());
}

TEST_F(Importing, FilesThatGiveNoRecordAreNeverAQuietSuccess)
{
    // IIS logs of an unknown date format: every record dropped.
    const std::string bad = temp.write("logs/in0103.log", "1.2.3.4, -, 2001.03.20, 7:55:20, W3SVC2, SALES1, -, 1, 2, 3, "
                                                          "200, 0, GET, /a.gif, -,\r\n");
    makeWeb(bad);
    EXPECT_EQ(import(), ImportOutcome::Failed);
    EXPECT_EQ(messages(), (std::vector<std::string>{
                              "No records were imported from the file: " + bad +
                                  "\nNone of its lines has a valid date in a layout the import reads.",
                              "Error Importing Files\nNothing was imported: no file holds a record with a valid date "
                              "in a layout the import reads.",
                          }));

    // Beside a file that gives records the run completes, the bad file named.
    platform.messages.recorded.clear();
    const std::string good = temp.write("logs/a.log", ncsa("10"));
    makeWeb(good + "\r\n" + bad);
    EXPECT_EQ(import(), ImportOutcome::Completed);
    EXPECT_EQ(messages().size(), 2u);
    EXPECT_EQ(messages().back(), "Import Complete");
}
