#include "ShippedTables.h"
#include "common/KeyValueTable.h"
#include "common/ProgramFolder.h"
#include "common/TextFile.h"
#include "fakes/FakePlatform.h"
#include "fakes/TempFolder.h"
#include "reports/IndexPages.h"
#include "reports/ReportGenerator.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace larkspan;
using namespace larkspan::testing;
namespace fs = std::filesystem;

namespace {

// A program folder with the shipped syss tables, one web and a profile "p"
// whose analysis pass is a script.
struct SectionsFixture {
    SectionsFixture()
    {
        temp.write("wwwstats/site/site.dat", "site\r\n0\r\n");
        fs::create_directories(folder.myProfiles());
        fs::create_directories(folder.syss());
        for (const char* table : {"seng.lklf", "agntos.lklf", "rasags.lklf", "ccdsf.lklf", "dtcdsf.lklf"})
            fs::copy_file(shippedTable(table), folder.syss() + "/" + table);
        profile.setText("url", "www.example.com");
        profile.setText("path", "site");
        profile.setInteger("pre-date", 7);
        profile.setInteger("start", dayNumber({2024, 2, 1}));
        profile.setInteger("end", dayNumber({2024, 2, 1}));
        profile.setText("maxrows", "ALL");
        for (const char* key : {"browser", "usage", "page", "referrers", "demogs", "oadmin", "oconsumer", "obrowser",
                                "ocsv", "ovrwrite", "gengraph", "g3d"})
            profile.setBoolean(key, false);
        profile.setBoolean("obrowser", true);
        profile.setBoolean("hitpage", true);
        result.code = 0;
        result.daysReported = 1;
        result.bucketMode = analysis::BucketMode::Hourly;
    }

    void run(const std::function<void(analysis::StatisticsTable&)>& fill)
    {
        profile.save(folder.myProfiles() + "/p.rpf");
        ReportGenerator generator(fake.platform(), folder, temp.path() + "/",
                                  [&](const profiles::RunProfile&, analysis::StatisticsTable& t) {
                                      t.setUp();
                                      bool isNew = false;
                                      analysis::BucketRow& b = t.bucket("10:00 to 10:59", isNew);
                                      b.label = "10:00 to 10:59";
                                      b.hits = b.pages = b.sessions = 1;
                                      fill(t);
                                      return result;
                                  });
        generator.runReport("p");
    }

    std::string read(const std::string& name) const
    {
        std::string content;
        readWholeFile(folder.reports() + "/p/" + name, content);
        return content;
    }
    bool has(const std::string& text, const std::string& file = "index.html") const
    {
        return read(file).find(text) != std::string::npos;
    }

    TempFolder temp;
    ProgramFolder folder{temp.path(), ""};
    FakePlatform fake;
    KeyValueTable profile;
    analysis::AnalysisResult result;
};

} // namespace

TEST(ReportRunSections, ReferralSectionWithSearchEnginesAndKeywords)
{
    SectionsFixture f;
    f.profile.setBoolean("referrers", true);
    f.run([](analysis::StatisticsTable& t) {
        for (int i = 0; i < 3; ++i)
            t.countReferrer("https://www.google.com/search?q=larkspan+logs");
        t.countReferrer("https://www.bing.com/search?q=weblog");
        t.countReferrer("http://friend.org/links.html");
    });
    EXPECT_TRUE(f.has(linkRow("LKRReferringURL.html", "Top Referring URLs")));
    EXPECT_TRUE(f.has(linkRow("LKRRefDomains.html", "Top Referring Domains")));
    EXPECT_TRUE(f.has(notGeneratedRow("Referring Advertising Domains - Not Generated (No Advertisers Defined)")));
    EXPECT_TRUE(f.has(notGeneratedRow("Referring Affiliate Domains - Not Generated (No Affiliates Defined)")));
    EXPECT_TRUE(f.has(linkRow("LKRReferringSE.html", "Top Referring Search Engines")));
    EXPECT_TRUE(f.has(linkRow("LKRReferringSEKW.html", "Top Referring Search Engine Keywords")));
    EXPECT_TRUE(f.has("weblog", "LKRReferringSEKW.html"));
    EXPECT_TRUE(f.has("larkspan logs", "LKRReferringSEKWP.html"));
    EXPECT_TRUE(f.has("friend.org", "LKRRefDomains.html"));
}

TEST(ReportRunSections, WithoutReferrersTheSearchEngineGroupIsNotGeneratedWithOneMessage)
{
    SectionsFixture f;
    f.profile.setBoolean("referrers", true);
    f.run([](analysis::StatisticsTable&) {});
    const std::string message = " - Not Generated (Data not logged in selected log file format.)";
    for (const char* title : {"Top Referring URLs", "Top Referring Domains", "Top Referring Search Engines",
                              "Top Referring Search Engine Keywords", "Top Referring Search Engine Keyword Phrases"})
        EXPECT_TRUE(f.has(notGeneratedRow(title + message))) << title;
}

TEST(ReportRunSections, BrowserAndUsageSections)
{
    SectionsFixture f;
    f.profile.setBoolean("browser", true);
    f.profile.setBoolean("usage", true);
    f.run([](analysis::StatisticsTable& t) {
        t.countUserAgent("Mozilla/5.0+(Windows+NT+10.0;+Win64;+x64)+AppleWebKit/537.36+Chrome/120.0");
        t.countUserAgent("Mozilla/5.0+(compatible;+Googlebot/2.1)");
    });
    EXPECT_TRUE(f.has(linkRow("LKRBrowsers.html", "Top Browser Types")));
    EXPECT_TRUE(f.has("Netscape", "LKRBrowsers.html"));
    EXPECT_FALSE(f.has("Googlebot", "LKRBrowsers.html"));
    EXPECT_TRUE(f.has("Windows 10/11", "LKRAgentsOS.html"));
    EXPECT_TRUE(f.has("1 Hour(s) Shown", "LKRUsageByHit.html"));
    EXPECT_TRUE(f.has(notGeneratedRow("Usage by Kilobytes - Not Generated (No Data for Report)")));
}

TEST(ReportRunSections, DemographicSectionReadsTheDataFileOrListsWhyNot)
{
    SectionsFixture f;
    f.profile.setBoolean("demogs", true);
    f.run([](analysis::StatisticsTable&) {});
    const std::string row = notGeneratedRow("Demographic Analysis Reports - Not Generated (Required File Not Found)");
    EXPECT_TRUE(f.has(row));

    f.temp.write("My Profiles/p.dmgrpt", "dsl1.telco.co.uk,4\r\n10.1.2.3,2\r\ndsl1.telco.co.uk,1\r\n");
    f.run([](analysis::StatisticsTable&) {});
    EXPECT_FALSE(f.has(row));
    EXPECT_TRUE(f.has(linkRow("LKRSesByCntry.html", "Sessions by Country")));
    EXPECT_TRUE(f.has("United Kingdom", "LKRSesByCntry.html"));
    EXPECT_TRUE(f.has("telco.co.uk", "LKRHitsByDomain.html"));
    EXPECT_TRUE(f.has("Not Available", "LKRSesByDomain.html"));
    EXPECT_TRUE(f.has("10.1.2.3", "LKRHitsByMachine.html"));

    fs::remove(f.folder.syss() + "/dtcdsf.lklf");
    f.run([](analysis::StatisticsTable&) {});
    EXPECT_TRUE(
        f.has(notGeneratedRow("Demographic Analysis Reports - Not Generated (Error occurred while Analyzing)")));
}
