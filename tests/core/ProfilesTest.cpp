#include "profiles/DateRange.h"
#include "profiles/ProfileFiles.h"
#include "profiles/ProfileLists.h"
#include "profiles/ProfileStore.h"
#include "profiles/RunProfile.h"
#include "common/Dates.h"
#include "common/Error.h"
#include "common/ProgramFolder.h"
#include "common/Text.h"
#include "fakes/FakePlatform.h"
#include "fakes/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace larkspan;
using namespace larkspan::profiles;
using larkspan::testing::FakePlatform;
using larkspan::testing::TempFolder;

namespace {

int day(int y, int m, int d) { return dayNumber({y, m, d}); }

// A program folder with the shipped base profile and one web "site".
struct ProfileFixture {
    TempFolder temp;
    ProgramFolder folder{temp.path(), LARKSPAN_TEST_DATA_DIR "/../../data"};
    FakePlatform fake;
    std::string dataDir;

    ProfileFixture()
    {
        folder.install();
        dataDir = temp.path() + "/";
        temp.write("wwwstats/site/site.dat", "site\r\n0\r\n");
        temp.write("wwwstats/ftpweb/ftpweb.dat", "ftpweb\r\n1\r\n");
    }

    KeyValueTable newTable(const std::string& web, const std::string& url)
    {
        KeyValueTable t = loadBaseTable(folder);
        t.setText("path", web);
        t.setText("url", url);
        return t;
    }
};

}  // namespace

TEST(DateRange, PredefinedRangesFromAnyDay)
{
    const int sunday = day(2024, 3, 3);
    EXPECT_EQ(weekday(sunday), 0);
    auto r = computeRange(3, sunday);  // this week to date on a Sunday: today alone
    EXPECT_EQ(r->first, sunday);
    EXPECT_EQ(r->last, sunday);
    r = computeRange(2, sunday);  // last week: the Sunday a week ago to yesterday
    EXPECT_EQ(r->first, day(2024, 2, 25));
    EXPECT_EQ(r->last, day(2024, 3, 2));
    r = computeRange(4, day(2024, 1, 15));
    EXPECT_EQ(r->first, day(2023, 12, 1));
    EXPECT_EQ(r->last, day(2023, 12, 31));
    r = computeRange(4, day(2024, 3, 1));
    EXPECT_EQ(r->first, day(2024, 2, 1));
    EXPECT_EQ(r->last, day(2024, 2, 29));
    r = computeRange(0, day(2024, 3, 1));
    EXPECT_EQ(r->first, day(2024, 2, 29));
    r = computeRange(5, day(2024, 3, 20));
    EXPECT_EQ(r->first, day(2024, 3, 1));
    r = computeRange(6, day(2024, 3, 20));
    EXPECT_EQ(r->first, day(2024, 1, 1));
    EXPECT_FALSE(computeRange(7, sunday));
    EXPECT_EQ(runPreDate(-1), 255);
    EXPECT_EQ(runPreDate(263), 7);
    EXPECT_EQ(periodName(5), "Monthly(Month To Date)");
    EXPECT_EQ(periodName(8), "");
}

TEST(ProfileLists, RunCleaningOfDomainLists)
{
    EXPECT_EQ(cleanDomainList({"http://ads.example.com/", "ads2.example.com/", " shop.example.com/sale/ ", "a b",
                               "", "\tx.com", "a\tb"}),
              (std::vector<std::string>{"ads.example.com", "ads2.example.com", "shop.example.com/sale/", "x.com"}));
    EXPECT_EQ(cleanReferringDomainList({"https://ref.example.com/path/page.htm", "://", "plain.org"}),
              (std::vector<std::string>{"ref.example.com", "plain.org"}));
}

TEST(ProfileLists, EditorAddRules)
{
    std::string ip;
    addIpFilter(ip, "172.16.0.1", "55");
    addIpFilter(ip, "172.16.0.1,55", "");  // duplicate line
    addIpFilter(ip, "10.0.0.1", "");       // range chosen, empty octet: single address
    EXPECT_EQ(ip, "172.16.0.1,55\r\n10.0.0.1\r\n");
    std::string noBreak = "a.b.c.d";
    addIpFilter(noBreak, "1.2.3.4", "");
    EXPECT_EQ(noBreak, "a.b.c.d\r\n1.2.3.4");

    std::string subd;
    addWebFilter(subd, "products", true);
    EXPECT_EQ(addWebFilter(subd, "other", true).outcome, ListAddition::Refused);
    addWebFilter(subd, "old", false);
    EXPECT_EQ(subd, "products,SubDomain\r\nold,Exclude\r\n");
    std::string excludes = "tmp,Exclude\r\n";
    addWebFilter(excludes, "shop", true);
    EXPECT_EQ(excludes, "shop,SubDomain\r\ntmp,Exclude\r\n");

    std::string ads, affs;
    addAdvertisingDomain(ads, " http://ads.example.com/ ");
    addAdvertisingDomain(ads, "shop.example.com/path/");
    addAffiliateDomain(affs, "http://aff.example.com/");
    addAffiliateDomain(affs, "shop.example.com/path/");
    EXPECT_EQ(ads, "ads.example.com\r\nshop.example.com/path/\r\n");
    EXPECT_EQ(affs, "aff.example.com\r\nshop.example.com/path\r\n");
    EXPECT_EQ(addAdvertisingDomain(ads, "bad name.com").message, "Invalid Domain Name\nBlank space is not allowed.");

    std::string refd;
    addReferringDomain(refd, "http://Ref.example.com/page");
    EXPECT_EQ(refd, "Ref.example.com\r\n");
    EXPECT_EQ(addReferringDomain(refd, "ref.EXAMPLE.com").message,
              "Domain ref.EXAMPLE.com cannot be added.\nDuplicates not allowed.");
    EXPECT_EQ(addReferringDomain(refd, "https:///x").message, "Cannot add a blank domain.");
}

TEST(ProfileFiles, UnsafeNamesAreRefusedBeforeAnyFileIsTouched)
{
    ProfileFixture f;
    for (const std::string& bad : std::vector<std::string>{"../x", "a/b", "a\\b", "..", "x\ny", std::string("t\0u", 3)}) {
        EXPECT_THROW(ProfileFiles::of(f.folder, bad), Error) << bad;
    }
    EXPECT_THROW(deleteProfile(f.fake.platform(), f.folder, "../My Profiles/base"), Error);
    EXPECT_TRUE(std::filesystem::exists(f.folder.myProfiles() + "/base.rpf.def"));
    EXPECT_NO_THROW(ProfileFiles::of(f.folder, "My site. 2024"));
}

TEST(ProfileFiles, NewProfilesReplaceTheirCsvFilesOnEveryRun)
{
    // A rerun that kept last month's CSV files would pass them off as new.
    ProfileFixture f;
    EXPECT_TRUE(f.newTable("site", "www.example.com").getBoolean("ovrwrite"));
}

TEST(ProfileStore, SaveChecksInTheEditorsOrderAndWritesAllKeys)
{
    ProfileFixture f;
    SaveContext ctx{f.dataDir, day(2024, 3, 1), false};
    KeyValueTable empty = f.newTable("", "");
    empty.setBoolean("hitpage", false);
    EXPECT_FALSE(writeProfile(f.fake.platform(), f.folder, " ", empty, {}, ctx));
    EXPECT_FALSE(writeProfile(f.fake.platform(), f.folder, "p", empty, {}, ctx));
    empty.setText("url", "www.example.com");
    EXPECT_FALSE(writeProfile(f.fake.platform(), f.folder, "p", empty, {}, ctx));
    empty.setText("path", "nosuchweb");
    EXPECT_FALSE(writeProfile(f.fake.platform(), f.folder, "p", empty, {}, ctx));
    empty.setText("path", "SITE");
    EXPECT_FALSE(writeProfile(f.fake.platform(), f.folder, "p", empty, {}, ctx));
    empty.setBoolean("hitimg", true);
    empty.setInteger("pre-date", 7);
    empty.setInteger("start", day(2024, 2, 2));
    empty.setInteger("end", day(2024, 2, 1));
    EXPECT_FALSE(writeProfile(f.fake.platform(), f.folder, "p", empty, {}, ctx));
    EXPECT_EQ(f.fake.messages.texts(),
              (std::vector<std::string>{"You must assign a name to your profile to save it.",
                                        "You must assign a URL to your profile to save it.",
                                        "You must assign a Web to your profile to save it.",
                                        "You must assign a Web to your profile to save it.",
                                        "You must select at least one hit filter option.",
                                        "The start date of the report cannot be greater than the end date."}));

    // A table without keys gets all 28 in order; unknown rows stay.
    KeyValueTable t;
    const char* rows[][2] = {{"custom", "a,b,c"},
                             {"URL", "www.example.com"},
                             {"path", "site"},
                             {"url", "second row keeps its value"},
                             {"HitPage", "yes"}};
    t.cells().resize(2, 5);
    for (int r = 0; r < 5; ++r) {
        t.cells().setCell(0, r, rows[r][0]);
        t.cells().setCell(1, r, rows[r][1]);
    }
    f.fake.messages.recorded.clear();
    ASSERT_TRUE(writeProfile(f.fake.platform(), f.folder, "p", t, {"10.0.0.1", "", "", "", "x.com"}, ctx));
    EXPECT_EQ(f.fake.messages.texts(), (std::vector<std::string>{"Profile saved successfully."}));
    KeyValueTable back;
    back.load(f.folder.myProfiles() + "/p.rpf");
    ASSERT_EQ(back.rowCount(), 32);
    EXPECT_EQ(back.getText("norobots"), "FALSE");  // missing keys are written as an older profile reads them
    EXPECT_EQ(back.getText("details"), "FALSE");
    EXPECT_EQ(back.keyAt(0), "custom");
    EXPECT_EQ(back.valueAt(0), "a,b,c");
    EXPECT_EQ(back.keyAt(1), "URL");
    EXPECT_EQ(back.valueAt(3), "second row keeps its value");
    EXPECT_EQ(back.keyAt(4), "HitPage");
    EXPECT_EQ(back.valueAt(4), "TRUE");
    EXPECT_EQ(back.keyAt(5), "admin");
    EXPECT_EQ(back.keyAt(29), "hitdf");
    EXPECT_EQ(back.getText("pre-date"), "-1");
    EXPECT_EQ(back.getText("start"), std::to_string(day(2024, 3, 1)));
    EXPECT_EQ(back.getText("rtitle"), "Larkspan Activity Report");
    EXPECT_EQ(back.getText("hitpage"), "TRUE");
    EXPECT_EQ(f.temp.read("My Profiles/p.ip"), "10.0.0.1");
    EXPECT_EQ(f.temp.read("My Profiles/p.refd"), "x.com");

    // Set Defaults needs no name, URL, web or hit type.
    KeyValueTable bare;
    f.fake.messages.recorded.clear();
    EXPECT_TRUE(writeProfile(f.fake.platform(), f.folder, "", bare, {}, ctx, true));
    EXPECT_EQ(f.fake.messages.texts(), (std::vector<std::string>{"Base defaults saved successfully."}));
}

TEST(RunProfileLoad, RangesDatesAndFailures)
{
    ProfileFixture f;
    const int today = day(2024, 3, 1);
    SaveContext ctx{f.dataDir, today, true};
    KeyValueTable t = f.newTable("ftpweb", "www.example.com");
    t.setInteger("pre-date", 4);
    ASSERT_TRUE(writeProfile(f.fake.platform(), f.folder, "monthly", t, {"", "", " http://ads.com/ ", "", ""}, ctx));
    EXPECT_TRUE(f.fake.messages.recorded.empty());  // no success message for Run Report

    RunProfile p = loadRunProfile(f.folder, f.dataDir, "monthly", today);
    EXPECT_TRUE(p.ftpWeb);
    EXPECT_EQ(p.range.first, day(2024, 2, 1));
    EXPECT_EQ(p.range.last, day(2024, 2, 29));
    EXPECT_EQ(p.advertisingDomains, (std::vector<std::string>{"ads.com"}));
    EXPECT_TRUE(p.page);
    EXPECT_EQ(p.maxrows, "25");

    // pre-date outside 0..6 takes the stored dates; unreadable dates: empty range.
    const std::string rpf = f.folder.myProfiles() + "/monthly.rpf";
    KeyValueTable raw;
    raw.load(rpf);
    raw.setInteger("pre-date", -1);
    raw.setInteger("start", 100);
    raw.setInteger("end", 110);
    raw.save(rpf);
    p = loadRunProfile(f.folder, f.dataDir, "monthly", today);
    EXPECT_EQ(p.preDate, 255);
    EXPECT_EQ(p.range.first, 100);
    EXPECT_EQ(p.range.days(), 11);
    raw.setText("start", "3/15/2000");
    raw.save(rpf);
    p = loadRunProfile(f.folder, f.dataDir, "monthly", today);
    EXPECT_TRUE(p.range.empty());
    EXPECT_EQ(p.range.first, today + 1);

    raw.setText("pre-date", "x");
    raw.save(rpf);
    EXPECT_THROW(loadRunProfile(f.folder, f.dataDir, "monthly", today), Error);
    raw.setInteger("pre-date", 0);
    raw.setText("path", "gone");
    raw.save(rpf);
    EXPECT_THROW(loadRunProfile(f.folder, f.dataDir, "monthly", today), Error);
    EXPECT_THROW(loadRunProfile(f.folder, f.dataDir, "missing", today), Error);
    f.temp.write("My Profiles/corrupt.rpf", "0,0\r\n");
    EXPECT_THROW(loadRunProfile(f.folder, f.dataDir, "corrupt", today), Error);
}

TEST(ProfileStore, DeleteRemovesFilesReadOnlyReportsAndTheFolder)
{
    ProfileFixture f;
    for (const char* ext : {".rpf", ".ip", ".subd", ".adds", ".affs", ".refd", ".dmgrpt"}) {
        f.temp.write(std::string("My Profiles/gone") + ext, "x");
    }
    const std::string locked = f.temp.write("Reports/gone/index.html", "x");
    f.temp.write("Reports/gone/LKRpages.html", "x");
    std::filesystem::permissions(locked, std::filesystem::perms::owner_write, std::filesystem::perm_options::remove);
    EXPECT_EQ(listProfiles(f.folder), (std::vector<std::string>{"gone"}));
    deleteProfile(f.fake.platform(), f.folder, "gone");
    EXPECT_TRUE(listProfiles(f.folder).empty());
    EXPECT_FALSE(std::filesystem::exists(f.folder.reports() + "/gone"));
    EXPECT_TRUE(f.fake.messages.recorded.empty());
    EXPECT_TRUE(std::filesystem::exists(f.folder.myProfiles() + "/base.rpf.def"));
}

TEST(ProfileFiles, DotsAndTheNamesOfFilesInReportsAreRefused)
{
    ProfileFixture f;
    f.temp.write("Reports/mine.css", "operator's own");
    const std::string help = f.folder.reports() + "/help.gif";
    const std::size_t shipped = static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator(f.folder.reports()), std::filesystem::directory_iterator()));
    for (const char* bad : {".", "..", "...", "help.gif", "HELP.GIF", "indexhelp.html", "LKRPageshelp.html",
                                   "QuennetLogo.gif", "mine.css"}) {
        try {
            ProfileFiles::of(f.folder, bad);
            ADD_FAILURE() << bad << " was taken";
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()).rfind("Invalid profile name.\n", 0), 0u) << bad;
        }
        EXPECT_THROW(deleteProfile(f.fake.platform(), f.folder, bad), Error) << bad;
        KeyValueTable table = f.newTable("site", "www.example.com");
        EXPECT_THROW(writeProfile(f.fake.platform(), f.folder, bad, table, {}, {f.dataDir, day(2024, 3, 1)}), Error)
            << bad;
    }
    // A shipped file the operator removed still names no profile.
    std::filesystem::remove(help);
    EXPECT_THROW(ProfileFiles::of(f.folder, "help.gif"), Error);
    EXPECT_EQ(
        std::distance(std::filesystem::directory_iterator(f.folder.reports()), std::filesystem::directory_iterator()),
        static_cast<std::ptrdiff_t>(shipped) - 1);
    EXPECT_FALSE(std::filesystem::exists(f.folder.myProfiles() + "/..rpf"));
    EXPECT_NO_THROW(ProfileFiles::of(f.folder, ".hidden"));
}

TEST(ProfileStore, DeleteRemovesLinksAsLinksAndLeavesTheirTargetsAlone)
{
    ProfileFixture f;
    f.temp.write("My Profiles/gone.rpf", "x");
    const std::string victim = f.temp.write("outside/victim.html", "precious");
    std::filesystem::permissions(victim, std::filesystem::perms::owner_read);
    f.temp.write("outside/folder/inner.html", "inner");
    std::filesystem::create_directories(f.folder.reports() + "/gone");
    std::filesystem::create_symlink(victim, f.folder.reports() + "/gone/index.html");
    std::filesystem::create_symlink(f.temp.file("outside/folder"), f.folder.reports() + "/gone/folder");
    deleteProfile(f.fake.platform(), f.folder, "gone");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(f.folder.reports() + "/gone")));
    EXPECT_EQ(std::filesystem::status(victim).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read);
    EXPECT_EQ(f.temp.read("outside/victim.html"), "precious");
    EXPECT_EQ(f.temp.read("outside/folder/inner.html"), "inner");
    EXPECT_TRUE(f.fake.messages.recorded.empty());
}

TEST(ProfileFiles, NamesAndWebsAreFoundWithoutRegardToCase)
{
    ProfileFixture f;
    f.temp.write("My Profiles/Shop.RPF", "2,2\r\ncw 0,106\r\ncw 1,357\r\n0,0,path\r\n1,0,SITE\r\n0,1,pre-date\r\n1,1,7\r\n");
    f.temp.write("My Profiles/SHOP.adds", "http://ads.example/\r\n");
    const ProfileFiles files = ProfileFiles::of(f.folder, "shop");
    EXPECT_EQ(files.settings, f.folder.myProfiles() + "/Shop.RPF");
    RunProfile p = loadRunProfile(f.folder, f.dataDir, "shop", day(2024, 3, 1));
    EXPECT_EQ(p.advertisingDomains, (std::vector<std::string>{"ads.example"}));
    EXPECT_EQ(p.range.days(), 1);  // missing start and end read as 0: 30 December 1899
}
