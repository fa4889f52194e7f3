#include "tracker/TrackerDatabase.h"
#include "common/Error.h"
#include "fakes/FakePlatform.h"
#include "fakes/TempFolder.h"
#include "import/ImportRun.h"
#include "import/LineReader.h"
#include "settings/SettingsStore.h"
#include "tracker/TrackerFiles.h"
#include "webs/WebStore.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace larkspan;
using larkspan::testing::FakePlatform;
using larkspan::testing::TempFolder;

namespace {

const char* const kDay = "#FileFormat: LKLT\r\n#Delim: SPACEDELIMITED\r\n"
                         "#Fields: date time c-ip s-ip cs-method cs-uri-stem sc-status sc-bytes\r\n"
                         "2000-10-10 13:55:36 10.0.0.1 - GET /index.html 200 2048\r\n"
                         "2000-10-10 13:56:10 10.0.0.1 - GET /logo.gif 200 1000\r\n";

class SilentView : public ImportView {
  public:
    void refresh(const ImportStatus& status) override { files.push_back(status.currentFile); }
    void showPanel(const std::string&, int) override {}
    void hidePanel() override {}
    std::vector<std::string> files;
};

// Requests cancel before the given day's build, as a click would.
class CancelBeforeDay : public SessionTrackerBuilder {
  public:
    CancelBeforeDay(SessionTrackerBuilder& inner, CancelRequest& cancel, int day)
        : inner_(inner), cancel_(cancel), day_(day)
    {
    }
    void openCache(const std::string& folder, const std::string& web) override { inner_.openCache(folder, web); }
    bool buildDay(const std::string& dayFile, const TrackerProgress& progress) override
    {
        if (++built_ == day_) cancel_.request();
        return inner_.buildDay(dayFile, progress);
    }
    void closeCache() override { inner_.closeCache(); }

  private:
    SessionTrackerBuilder& inner_;
    CancelRequest& cancel_;
    int day_;
    int built_ = 0;
};

class TrackerDatabaseTest : public ::testing::Test {
  protected:
    TrackerDatabaseTest() : database(platform.platform(), temp.file("syss"), std::chrono::milliseconds(0))
    {
        fs::create_directories(temp.file("syss"));
    }

    TempFolder temp;
    FakePlatform platform;
    tracker::TrackerDatabase database;
};

} // namespace

TEST_F(TrackerDatabaseTest, BuildsBothFilesAndReportsLines)
{
    const std::string day = temp.write("w/2000/LKLT1010.log", kDay);
    std::vector<long long> reported;
    database.openCache(temp.file("w"), "w");
    ASSERT_TRUE(database.buildDay(day, [&](long long lines) { reported.push_back(lines); }));
    database.closeCache();
    EXPECT_EQ(temp.read("w/2000/LKLT1010.lkmus"),
              "2000-10-10,10.0.0.1,10.0.0.1,2,1,13:55:36,13:56:10,35,/index.html,/index.html,2.98\r\n");
    EXPECT_EQ(temp.read("w/2000/LKLT1010.lkdus"), "2000-10-10,10.0.0.1,10.0.0.1,13:55:36,/index.html,-,-,200,2048\r\n"
                                                  "2000-10-10,10.0.0.1,10.0.0.1,13:56:10,/logo.gif,-,-,200,1000\r\n");
    ASSERT_FALSE(reported.empty());
    EXPECT_EQ(reported.back(), 5);
    // The build leaves an empty program-wide cache behind.
    EXPECT_EQ(temp.read("syss/nslcache.lklf"), "");
}

// Day files are read in blocks; lines longer than a block, and line ends
// that fall between blocks, are read whole.
TEST_F(TrackerDatabaseTest, LinesLongerThanAReadBlockAreReadWhole)
{
    std::string text = "#FileFormat: LKLT\r\n#Fields: date time c-ip cs-method cs-uri-stem cs(Referer)\r\n";
    std::vector<std::string> referrers;
    for (const std::size_t size : {std::size_t{700000}, std::size_t{1}, std::size_t{262140}, std::size_t{300000}}) {
        referrers.push_back("http://r/" + std::string(size, 'x'));
        text += "2000-10-10 10:00:0" + std::to_string(referrers.size()) + " c GET /a.htm " + referrers.back() + "\r\n";
    }
    const std::string day = temp.write("w/2000/LKLT1010.log", text);
    database.openCache(temp.file("w"), "w");
    ASSERT_TRUE(database.buildDay(day, {}));
    std::string expected;
    for (std::size_t i = 0; i < referrers.size(); ++i)
        expected += "2000-10-10,c,c,10:00:0" + std::to_string(i + 1) + ",/a.htm," + referrers[i] + ",-,-,-\r\n";
    EXPECT_EQ(temp.read("w/2000/LKLT1010.lkdus"), expected);
}

// A line longer than any record (a damaged or planted day file) is cut
// where the import cuts lines, its rest skipped, and the records around it
// are tracked: also when it is the file's last line and has no break.
TEST_F(TrackerDatabaseTest, AnOverlongLineIsCutAndTheRecordsAroundItAreKept)
{
    const std::string head = "#FileFormat: LKLT\r\n#Fields: date time c-ip cs-method cs-uri-stem cs(Referer)\r\n"
                             "2000-10-10 10:00:01 c GET /a.htm -\r\n";
    // The cut falls at the end of the referrer, so the cut record is
    // tracked with it; what follows the cut would pass for a record.
    const std::string cutReferrer(LineReader::kDefaultMaxLine - 33, 'r');
    const std::string overlong =
        "2000-10-10 10:00:02 c GET /b.htm " + cutReferrer + "2000-10-10 10:00:09 c GET /rest.htm -";
    const std::string after = "2000-10-10 10:00:03 c GET /c.htm -\r\n";
    const std::string expected = "2000-10-10,c,c,10:00:01,/a.htm,-,-,-,-\r\n"
                                 "2000-10-10,c,c,10:00:02,/b.htm," +
                                 cutReferrer + ",-,-,-\r\n";
    database.openCache(temp.file("w"), "w");
    const std::string day = temp.write("w/2000/LKLT1010.log", head + overlong + "\r\n" + after);
    ASSERT_TRUE(database.buildDay(day, {}));
    EXPECT_EQ(temp.read("w/2000/LKLT1010.lkdus"), expected + "2000-10-10,c,c,10:00:03,/c.htm,-,-,-,-\r\n");
    const std::string last = temp.write("w/2000/LKLT1011.log", head + overlong);
    ASSERT_TRUE(database.buildDay(last, {}));
    EXPECT_EQ(temp.read("w/2000/LKLT1011.lkdus"), expected);
}

TEST_F(TrackerDatabaseTest, ADayWithoutFieldsGivesTwoEmptyFilesReplacingOldOnes)
{
    const std::string day = temp.write("w/2000/LKLT1010.log", "2000-10-10 13:55:36 10.0.0.1 - GET / 200 5\r\n");
    temp.write("w/2000/LKLT1010.lkmus", "old\r\n");
    database.openCache(temp.file("w"), "w");
    ASSERT_TRUE(database.buildDay(day, {}));
    EXPECT_EQ(temp.read("w/2000/LKLT1010.lkmus"), "");
    EXPECT_EQ(temp.read("w/2000/LKLT1010.lkdus"), "");
}

TEST_F(TrackerDatabaseTest, CancelLeavesTheDaysFilesAsTheyWere)
{
    const std::string day = temp.write("w/2000/LKLT1010.log", kDay);
    temp.write("w/2000/LKLT1010.lkmus", "old\r\n");
    platform.pump.cancel = &platform.cancel;
    platform.pump.cancelOnCall = 3;
    database.openCache(temp.file("w"), "w");
    EXPECT_FALSE(database.buildDay(day, {}));
    EXPECT_EQ(temp.read("w/2000/LKLT1010.lkmus"), "old\r\n");
    EXPECT_FALSE(fs::exists(temp.file("w/2000/LKLT1010.lkdus")));
}

TEST_F(TrackerDatabaseTest, AnUnreadableDayFileEndsTheRunWithItsCode)
{
    database.openCache(temp.file("w"), "w");
    EXPECT_THROW(database.buildDay(temp.file("w/2000/LKLT1010.log"), {}), Error);
    EXPECT_EQ(platform.messages.texts(), std::vector<std::string>{"File Access Error : 2"});
}

TEST_F(TrackerDatabaseTest, AnImportBuildsEveryDayItWroteAndCancelStopsTheStep)
{
    SettingsStore store(temp.file("settings.conf"));
    WebStore webs(store, temp.path());
    temp.write("wwwstats/w/w.dat", "w\r\n0\r\n0\r\nsrv\r\nFALSE\r\n");
    const std::string log =
        temp.write("logs/a.log", "1.2.3.4 - - [10/Oct/2000:13:55:36 -0700] \"GET /a.htm HTTP/1.0\" 200 5\r\n"
                                 "1.2.3.4 - - [11/Oct/2000:13:55:36 -0700] \"GET /b.htm HTTP/1.0\" 200 5\r\n");
    temp.write("wwwstats/w/w.wfl", log + "\r\n");
    temp.write("wwwstats/w/w.nslc", "1.2.3.4=client.example\r\n");
    ImportOptions options;
    options.pumpInterval = std::chrono::milliseconds(0);
    SilentView view;
    {
        ImportRun run(platform.platform(), webs, view, database, options);
        ASSERT_EQ(importWeb(run, platform.platform(), "w"), ImportOutcome::Completed);
    }
    const std::string summary = temp.read("wwwstats/w/2000/LKLT1011.lkmus");
    EXPECT_EQ(summary.rfind("2000-10-11,client.example,1.2.3.4,1,1,", 0), 0u) << summary;
    EXPECT_NE(std::find(view.files.begin(), view.files.end(),
                        "Building Session Tracker Database for \n" + temp.file("wwwstats/w/2000/LKLT1010.log")),
              view.files.end());

    fs::remove(temp.file("wwwstats/w/2000/LKLT1011.lkmus"));
    platform.messages.recorded.clear();
    CancelBeforeDay cancelling(database, platform.cancel, 2);
    ImportRun run(platform.platform(), webs, view, cancelling, options);
    EXPECT_EQ(importWeb(run, platform.platform(), "w"), ImportOutcome::Cancelled);
    EXPECT_EQ(platform.messages.texts(), std::vector<std::string>{"Import cancelled."});
    EXPECT_FALSE(fs::exists(temp.file("wwwstats/w/2000/LKLT1011.lkmus")));

    // Without the tracker step no tracker file is written.
    fs::remove(temp.file("wwwstats/w/2000/LKLT1010.lkmus"));
    options.buildSessionTracker = false;
    ImportRun plain(platform.platform(), webs, view, database, options);
    EXPECT_EQ(importWeb(plain, platform.platform(), "w"), ImportOutcome::Completed);
    EXPECT_FALSE(fs::exists(temp.file("wwwstats/w/2000/LKLT1010.lkmus")));
}
