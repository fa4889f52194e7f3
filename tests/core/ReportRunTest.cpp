#include "common/Error.h"
#include "common/KeyValueTable.h"
#include "common/ProgramFolder.h"
#include "common/Text.h"
#include "common/TextFile.h"
#include "common/Utf8.h"
#include "fakes/FakePlatform.h"
#include "fakes/TempFolder.h"
#include "reports/IndexPages.h"
#include "reports/NoDataError.h"
#include "reports/ReportGenerator.h"
#include "reports/ReportGridStart.h"
#include "reports/ReportSections.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using namespace larkspan;
using namespace larkspan::testing;
namespace fs = std::filesystem;

namespace {

// A program folder with one web and one profile "p" over it, and a pass
// that fills the statistics table by a script instead of reading logs.
struct RunFixture {
    RunFixture()
    {
        temp.write("wwwstats/site/site.dat", "site\r\n0\r\n");
        fs::create_directories(folder.myProfiles());
        fs::create_directories(folder.syss());
        profile.setText("url", "www.example.com");
        profile.setText("path", "site");
        profile.setInteger("pre-date", 7);
        profile.setInteger("start", dayNumber({2024, 2, 1}));
        profile.setInteger("end", dayNumber({2024, 2, 2}));
        profile.setText("maxrows", "ALL");
        for (const char* key : {"browser", "usage", "page", "referrers", "demogs", "oadmin", "oconsumer", "obrowser",
                                "ocsv", "ovrwrite", "gengraph", "g3d"})
            profile.setBoolean(key, false);
        set("page", true);
        set("obrowser", true);
        result.code = 0;
        result.daysReported = 2;
        fill = [](analysis::StatisticsTable& t) {
            t.setUp();
            for (int i = 0; i < 3; ++i)
                t.countPage("10.0.0.1", "/index.html");
            t.countPage("10.0.0.1", "/about.html");
            t.countErrorStatus("404");
            t.countPageError("404");
            t.addErrorAddress('P', "404", "10.0.0.1/gone.html");
            bool isNew = false;
            analysis::BucketRow& b = t.bucket("2024-02-01", isNew);
            b.hits = 5;
            b.pages = 4;
            b.sessions = 1;
            b.kilobytes = 12;
        };
    }

    void set(const char* key, bool value) { profile.setBoolean(key, value); }

    RunOutcome run(Platform* platform = nullptr)
    {
        profile.save(folder.myProfiles() + "/p.rpf");
        ReportGenerator generator(platform ? *platform : fake.platform(), folder, temp.path() + "/",
                                  [this](const profiles::RunProfile&, analysis::StatisticsTable& t) {
                                      fill(t);
                                      return result;
                                  });
        return generator.runReport("p");
    }

    std::string reportFile(const std::string& name) const { return folder.reports() + "/p/" + name; }
    bool exists(const std::string& name) const { return fs::exists(reportFile(name)); }
    std::string read(const std::string& name) const
    {
        std::string content;
        readWholeFile(reportFile(name), content);
        return content;
    }
    bool shown(const std::string& text) const
    {
        for (const auto& t : fake.messages.texts())
            if (t == text) return true;
        return false;
    }

    TempFolder temp;
    ProgramFolder folder{temp.path(), ""};
    FakePlatform fake;
    KeyValueTable profile;
    analysis::AnalysisResult result;
    std::function<void(analysis::StatisticsTable&)> fill;
};

} // namespace

TEST(ReportRun, PageSectionWritesReportsIndexAndOpensTheBrowser)
{
    RunFixture f;
    const RunOutcome outcome = f.run();
    EXPECT_EQ(outcome.status, RunOutcome::Done);
    EXPECT_EQ(outcome.indexPath, f.reportFile("index.html"));
    for (const char* name : {"LKRPages.html", "LKRTotalErrors.html", "LKRPageErrors.html"})
        EXPECT_TRUE(f.exists(name)) << name;
    EXPECT_FALSE(f.exists("LKRDownloads.html"));
    EXPECT_FALSE(f.exists("LKRPages.csv"));

    const std::string index = f.read("index.html");
    EXPECT_NE(index.find(sectionRow("Page Analysis") + linkRow("LKRPages.html", "Most Popular Pages")),
              std::string::npos);
    EXPECT_NE(index.find(notGeneratedRow("Most Popular Downloads - Not Generated (No Data for Report)")),
              std::string::npos);
    EXPECT_NE(index.find(notGeneratedRow("Download Errors - Not Generated (No Data for Report)")), std::string::npos);
    EXPECT_NE(index.find("Index Report for 02/01/2024 to 02/02/2024"), std::string::npos);
    EXPECT_EQ(f.fake.shell.opened, std::vector<std::string>{f.reportFile("index.html")});
    EXPECT_TRUE(f.fake.messages.recorded.empty());
    EXPECT_TRUE(f.fake.mail.sent.empty());
    EXPECT_EQ(f.fake.progress.lines[0].back(), "Done");
}

TEST(ReportRun, WithoutOutputsEveryPageTheIndexLinksToIsStillWritten)
{
    RunFixture f;
    f.set("obrowser", false);
    EXPECT_EQ(f.run().status, RunOutcome::Done);
    const std::string index = f.read("index.html");
    EXPECT_NE(index.find(linkRow("LKRPages.html", "Most Popular Pages")), std::string::npos);
    int links = 0;
    for (std::size_t at = index.find("href=\""); at != std::string::npos; at = index.find("href=\"", at + 1)) {
        const std::size_t start = at + 6;
        const std::string target = index.substr(start, index.find('"', start) - start);
        if (target.find("://") != std::string::npos || target.rfind("../", 0) == 0) continue; // maker, help
        ++links;
        EXPECT_TRUE(f.exists(target)) << target;
    }
    EXPECT_EQ(links, 3);
    EXPECT_TRUE(f.fake.shell.opened.empty());
    EXPECT_TRUE(f.fake.mail.sent.empty());
    EXPECT_FALSE(f.exists("eLKRPages.html"));
}

TEST(ReportRun, ARunClearsTheMailDraftAndTheStagingFilesOfAnEarlierRun)
{
    RunFixture f;
    f.temp.write("Reports/p/LKRMail.eml", "old draft");
    // What a killed run leaves of the files it was writing.
    f.temp.write("Reports/p/LKRHitsByMachine.csv.tmp8WxokS", "half");
    f.temp.write("Reports/p/index.html.tmpAb3dE9", "half");
    // The user's own files stay, even when their names come close.
    for (const char* name : {"notes.txt", "notes.tmp", "old.tmp12345", "old.tmp1234567", "old.tmp12_456", ".tmpabcdef"})
        f.temp.write(std::string("Reports/p/") + name, "mine");
    f.run();
    for (const char* name : {"LKRMail.eml", "LKRHitsByMachine.csv.tmp8WxokS", "index.html.tmpAb3dE9"})
        EXPECT_FALSE(f.exists(name)) << name;
    for (const char* name : {"notes.txt", "notes.tmp", "old.tmp12345", "old.tmp1234567", "old.tmp12_456", ".tmpabcdef"})
        EXPECT_TRUE(f.exists(name)) << name;
}

TEST(ReportRun, AllSectionsOffListsOnlyTheGeneralStatistics)
{
    RunFixture f;
    f.set("page", false);
    f.run();
    const std::string index = f.read("index.html");
    EXPECT_NE(index.find("General Web Statistics"), std::string::npos);
    EXPECT_EQ(index.find("Page Analysis"), std::string::npos);
}

TEST(ReportRun, CsvFilesGoToTheReportFolderWhenTheirFolderIsMissingAndAreNotOverwritten)
{
    RunFixture f;
    f.set("ocsv", true);
    f.profile.setText("csvpath", f.temp.path() + "/no-such-folder");
    f.run();
    EXPECT_TRUE(f.exists("LKRPages.csv"));
    EXPECT_TRUE(f.shown("Your CSV Files have been placed in :\n" + f.folder.reports() + "/p/"));

    // A CSV folder that exists, with a file the run must leave alone.
    const std::string csvFolder = f.temp.path() + "/csv";
    f.temp.write("csv/LKRPages.csv", "mine");
    f.profile.setText("csvpath", csvFolder);
    f.fake.messages.recorded.clear();
    f.run();
    EXPECT_EQ(f.temp.read("csv/LKRPages.csv"), "mine");
    EXPECT_TRUE(fs::exists(csvFolder + "/LKRTotalErrors.csv"));
    EXPECT_TRUE(f.shown("Your CSV Files have been placed in :\n" + csvFolder +
                        "/\nThese CSV files were kept as they were, because overwriting is off: LKRPages.csv"));
    EXPECT_EQ(f.fake.messages.recorded.size(), 1u);

    f.set("ovrwrite", true);
    f.run();
    EXPECT_NE(f.temp.read("csv/LKRPages.csv").find("/index.html,3,75.0%,,"), std::string::npos);
}

TEST(ReportRun, MailCarriesEmailCopiesAndTheEmailIndex)
{
    RunFixture f;
    f.set("oadmin", true);
    f.set("oconsumer", true);
    f.profile.setText("admin-email", " admin@example.com ");
    f.profile.setText("cons-email", "customer@example.com");
    f.run();
    ASSERT_EQ(f.fake.mail.sent.size(), 1u);
    const MailMessage& m = f.fake.mail.sent[0];
    EXPECT_EQ(m.recipients, (std::vector<std::string>{"customer@example.com", "admin@example.com"}));
    EXPECT_EQ(m.subject, "Here are your Web Site reports generated on Friday, March 01, 2024");
    ASSERT_GE(m.lines.size(), 6u);
    EXPECT_EQ(m.lines[0], m.subject);
    EXPECT_EQ(m.lines[1], "Report Listing:");
    EXPECT_EQ(m.lines[2], " General Web Statistics and Report Index (eindex.html)");
    EXPECT_EQ(m.lines[3], " Page Analysis");
    EXPECT_EQ(m.lines[4], " - Most Popular Pages (eLKRPages.html)");
    EXPECT_EQ(m.lines[5], " - Total Errors Analysis (eLKRTotalErrors.html)");
    EXPECT_EQ(m.attachments.back(), f.reportFile("eindex.html"));
    EXPECT_EQ(m.attachments.front(), f.reportFile("eLKRPages.html"));

    const std::string copy = f.read("eLKRPages.html");
    EXPECT_EQ(copy.find("help.gif"), std::string::npos);
    EXPECT_EQ(copy.find("QuennetLogo.gif"), std::string::npos);
    EXPECT_EQ(copy.find("<img"), std::string::npos);
    EXPECT_EQ(copy.find("href=\"index.html\""), std::string::npos);
    EXPECT_NE(copy.find("href=\"eindex.html\""), std::string::npos) << "the copies lead back to the mailed index";
    EXPECT_NE(f.read("LKRPages.html").find("help.gif"), std::string::npos);
    const std::string eindex = f.read("eindex.html");
    EXPECT_NE(eindex.find(linkRow("eLKRPages.html", "Most Popular Pages")), std::string::npos);
    EXPECT_EQ(eindex.find("indexhelp.html"), std::string::npos);
    // Reports without data are listed in the e-mail index only for the
    // browser and demographic sections.
    EXPECT_EQ(eindex.find("Not Generated"), std::string::npos);
}

TEST(ReportRun, MailOnlyWithAnAddressAndFailuresAreReported)
{
    RunFixture f;
    f.set("oadmin", true);
    f.run();
    EXPECT_TRUE(f.fake.mail.sent.empty());
    EXPECT_FALSE(f.exists("eindex.html"));
    EXPECT_FALSE(f.exists("eLKRPages.html"));

    f.profile.setText("admin-email", "admin@example.com");
    f.fake.mail.result = {MailOutcome::Unavailable, "Mail is not available."};
    f.run();
    EXPECT_TRUE(f.shown("An error was encountered while attempting to mail reports to the following recipients: \n"
                        "admin@example.com\n The mail was not sent.\nMail is not available."));
    f.fake.mail.result = {MailOutcome::Cancelled, ""};
    f.run();
    EXPECT_TRUE(f.shown("Operation cancelled, the mail was not sent."));
}

TEST(ReportRun, NoDataParseFailureAndBadProfileEndTheRunWithTheirMessages)
{
    RunFixture f;
    f.result.code = -100;
    EXPECT_EQ(f.run().status, RunOutcome::NoData);
    EXPECT_TRUE(f.shown("There was no data found to report on.\nEither the log files needed for analysis reporting "
                        "are not present, need to be imported or contain no valid data to process. \nThe report(s) "
                        "were not generated."));
    EXPECT_EQ(f.fake.progress.lines[0].back(), "Done");
    EXPECT_FALSE(f.exists("index.html"));

    f.result.code = -1;
    EXPECT_EQ(f.run().status, RunOutcome::ParseFailed);
    EXPECT_TRUE(f.shown("An error was encountered while attempting to parse log files for analysis reporting. The "
                        "report(s) were not generated."));

    f.profile.setText("path", "");
    EXPECT_EQ(f.run().status, RunOutcome::ProfileFailed);
    EXPECT_TRUE(f.shown("Reports cannot be processed.\nError Loading Profile :p"));
}

namespace {

// Presses Cancel while the report with the given caption is being built.
class CancelDuring : public EventPump {
  public:
    CancelDuring(const RecordingProgress& progress, CancelRequest& cancel, std::string caption)
        : progress_(progress), cancel_(cancel), caption_(std::move(caption))
    {
    }
    void processEvents() override
    {
        if (!progress_.lines[0].empty() && progress_.lines[0].back() == caption_) cancel_.request();
    }

  private:
    const RecordingProgress& progress_;
    CancelRequest& cancel_;
    std::string caption_;
};

} // namespace

TEST(ReportRun, CancelStopsAfterTheCurrentReportWithoutIndexOrMail)
{
    RunFixture f;
    f.fill = [inner = f.fill](analysis::StatisticsTable& t) {
        inner(t);
        t.countDownload("10.0.0.1", "/a.zip");
    };
    CancelDuring pump(f.fake.progress, f.fake.cancel, "Analyzing Download activity...");
    Platform& fake = f.fake.platform();
    Platform cancelling{fake.messages, pump,        fake.progress, fake.cancel, fake.clock, fake.shell,
                        fake.mail,     fake.charts, fake.ftp,      fake.dns,    fake.help};
    EXPECT_EQ(f.run(&cancelling).status, RunOutcome::Cancelled);
    EXPECT_TRUE(f.shown("Reporting Process Cancelled by User."));
    EXPECT_TRUE(f.exists("LKRPages.html"));
    EXPECT_TRUE(f.exists("LKRDownloads.html"));
    EXPECT_FALSE(f.exists("LKRTotalErrors.html"));
    EXPECT_FALSE(f.exists("index.html"));
    EXPECT_TRUE(f.fake.shell.opened.empty());
}

TEST(ReportRun, ClearingTheReportFolderKeepsCsvFiles)
{
    RunFixture f;
    f.temp.write("Reports/p/old.html", "x");
    f.temp.write("Reports/p/old.JPG", "x");
    f.temp.write("Reports/p/keep.csv", "x");
    f.set("page", false);
    f.run();
    EXPECT_FALSE(f.exists("old.html"));
    EXPECT_FALSE(f.exists("old.JPG"));
    EXPECT_TRUE(f.exists("keep.csv"));
}

TEST(ReportRun, HostileLogTextReachesNoPageAsMarkup)
{
    RunFixture f;
    f.fill = [](analysis::StatisticsTable& t) {
        t.setUp();
        t.countPage("10.0.0.1", "/<script>alert('p')</script>");
        t.countPage("10.0.0.1\"><script>alert(1)</script>", "/x");
        t.countErrorStatus("404");
        t.countPageError("404");
        t.addErrorAddress('P', "404", "javascript:alert(1)//<img src=x onerror=alert(2)>");
    };
    f.set("ocsv", true);
    f.run();
    for (const char* page : {"LKRPages.html", "LKRPageErrors.html", "index.html"}) {
        const std::string html = f.read(page);
        EXPECT_EQ(text::ifind(html, "<script"), std::string::npos) << page;
        EXPECT_EQ(text::ifind(html, "<img src=x"), std::string::npos) << page;
        EXPECT_EQ(text::ifind(html, "href=\"javascript"), std::string::npos) << page;
    }
    EXPECT_NE(f.read("LKRPages.csv").find("\r\n/x,1,50.0%,,"), std::string::npos);
}

TEST(ReportRun, PagesAndMailCopiesAreUtf8WhateverTheLogsHold)
{
    RunFixture f;
    f.fill = [](analysis::StatisticsTable& t) {
        t.setUp();
        t.countPage("10.0.0.1", "/café.html"); // UTF-8
        t.countPage("10.0.0.1", "/m\xfc"
                                "ller.html"); // Latin-1
        t.countUserAgent("Ünïcødé/1.0");
        t.countUserAgent("L\xe4"
                         "tin/2.0");
        t.countUserAgent("Broken\xe4\xb8/3.0"); // a UTF-8 sequence cut short
    };
    f.set("browser", true);
    f.set("oadmin", true);
    f.profile.setText("admin-email", "admin@example.com");
    f.profile.setText("path", "site");
    f.run();
    for (const char* name : {"LKRPages.html", "LKRBrowsers.html", "eLKRBrowsers.html", "index.html", "eindex.html"}) {
        const std::string html = f.read(name);
        ASSERT_FALSE(html.empty()) << name;
        EXPECT_TRUE(text::isValidUtf8(html)) << name;
        EXPECT_NE(html.find("charset=utf-8"), std::string::npos) << name;
        EXPECT_EQ(html.find("windows-1252"), std::string::npos) << name;
    }
    const std::string pages = f.read("LKRPages.html");
    EXPECT_NE(pages.find("/café.html"), std::string::npos);
    EXPECT_NE(pages.find("/müller.html"), std::string::npos);
    const std::string browsers = f.read("LKRBrowsers.html");
    EXPECT_NE(browsers.find("Ünïcødé"), std::string::npos);
    EXPECT_NE(browsers.find("Lätin"), std::string::npos);
}

TEST(IndexStatistics, AveragesTotalsAndGuards)
{
    FixedClock clock(LocalDateTime{CivilDate{2024, 3, 1}, 9, 0, 0});
    IndexInputs in;
    in.webName = "site";
    in.daysReported = 2;
    in.totals.hits = 30;
    in.totals.sessions = 6;
    in.totals.kilobytes = 2048;
    in.totals.pages = 20;
    const std::string block = statisticsBlock(in, clock);
    auto row = [&](const std::string& label, const std::string& value) {
        return block.find(label + "</font></td><td><font face=\"Arial\" size=\"2\">" + value + "</font>") !=
               std::string::npos;
    };
    EXPECT_TRUE(row("Web Reported On ", "site"));
    EXPECT_TRUE(row("Report Generated On ", "Friday, March 01, 2024"));
    EXPECT_TRUE(row("Average Requests per Day", "15"));
    EXPECT_TRUE(row("Average Requests per User", "5"));
    EXPECT_TRUE(row("Average Data Transfer per Day", "1024 KB (1 MB)"));
    EXPECT_TRUE(row("Average Data Transfer per Request", "68.27 KB (0.06667 MB)"));
    EXPECT_TRUE(row("Total Data Transferred", "2048 KB (2 MB)"));
    EXPECT_TRUE(row("Hits on Pages", "20"));

    in.totals = {};
    in.totals.hits = 1;
    in.daysReported = 3;
    const std::string small = statisticsBlock(in, clock);
    EXPECT_NE(small.find(">.33<"), std::string::npos);
    EXPECT_NE(small.find("Total Data Transferred</font></td><td><font face=\"Arial\" size=\"2\">Not Available"),
              std::string::npos);

    in.totals = {};
    const std::string none = statisticsBlock(in, clock);
    EXPECT_NE(none.find("Hits Total</font></td><td><font face=\"Arial\" size=\"2\">0<"), std::string::npos);
    EXPECT_NE(none.find("Average Requests per User</font></td><td><font face=\"Arial\" size=\"2\">Not Available"),
              std::string::npos);
}

TEST(IndexStatistics, PageCarriesMissingDatesAndLinesEndAsTheSkeletonSays)
{
    FixedClock clock(LocalDateTime{CivilDate{2024, 3, 1}, 9, 0, 0});
    IndexInputs in;
    in.firstDay = {2000, 2, 1};
    in.lastDay = {2000, 2, 5};
    in.missingDates = "02/02/2000, 02/05/2000";
    const std::string page = indexPage(in, clock, linkRow("LKRPages.html", "Most Popular Pages"));
    EXPECT_NE(page.find("not found to report on: 02/02/2000, 02/05/2000"), std::string::npos);
    EXPECT_NE(page.find("<title>Larkspan Log Analysis Report Index</title>\n\r"), std::string::npos);
    EXPECT_NE(page.find("Index Report for 02/01/2000 to 02/05/2000"), std::string::npos);
    EXPECT_NE(page.find("</html>\r\n"), std::string::npos);
    const std::size_t stats = page.find("General Web Statistics");
    const std::size_t link = page.find("LKRPages.html");
    EXPECT_LT(stats, link);
    EXPECT_EQ(page.find("XXX"), std::string::npos);
}

namespace {

class WritingCharts : public ChartRenderer {
  public:
    bool render(const ChartRequest& chart, const std::string& jpegPath) override
    {
        if (fail) throw Error("no canvas");
        requests.push_back(chart);
        return writeWholeFile(jpegPath, "\xFF\xD8\xFF");
    }
    std::vector<ChartRequest> requests;
    bool fail = false;
};

} // namespace

TEST(ReportRun, ChartsAreDrawnOnlyWhenAskedAndFailuresKeepThePage)
{
    RunFixture f;
    WritingCharts charts;
    Platform& fake = f.fake.platform();
    Platform withCharts{fake.messages, fake.pump, fake.progress, fake.cancel, fake.clock, fake.shell,
                        fake.mail,     charts,    fake.ftp,      fake.dns,    fake.help};
    auto runWith = [&] {
        f.profile.save(f.folder.myProfiles() + "/p.rpf");
        ReportGenerator generator(withCharts, f.folder, f.temp.path() + "/",
                                  [&](const profiles::RunProfile&, analysis::StatisticsTable& t) {
                                      f.fill(t);
                                      return f.result;
                                  });
        generator.runReport("p");
    };

    runWith();
    EXPECT_TRUE(charts.requests.empty());
    EXPECT_NE(f.read("LKRPages.html").find("<!-- graph -->"), std::string::npos);

    f.set("gengraph", true);
    f.set("oadmin", true);
    f.profile.setText("admin-email", "a@example.com");
    runWith();
    EXPECT_TRUE(f.exists("LKRPages.jpg"));
    EXPECT_NE(f.read("LKRPages.html").find(R"(<img src="LKRPages.jpg" Alt="Graph">)"), std::string::npos);
    EXPECT_EQ(f.read("eLKRPages.html").find("LKRPages.jpg"), std::string::npos);
    EXPECT_EQ(charts.requests.front().points.size(), 2u);

    charts.fail = true;
    runWith();
    EXPECT_TRUE(f.shown("Error occurred while Generating Graph\nno canvas"));
    EXPECT_FALSE(f.exists("LKRPages.jpg"));
    EXPECT_NE(f.read("LKRPages.html").find("<!-- graph -->"), std::string::npos);
}

namespace {

std::vector<std::string> built;

void okBuilder(ReportGenerator& g)
{
    built.push_back("ok");
    startReportGrid(g.grid(), g.context(), "T", std::nullopt, "u", "a");
    g.grid().setCell(0, 10, "line");
}
void noEngines(ReportGenerator&)
{
    built.push_back("engines");
    throw NoDataError("Data not logged in selected log file format.");
}
void keywords(ReportGenerator&)
{
    built.push_back("keywords");
}
void noData(ReportGenerator&)
{
    built.push_back("none");
    throw NoDataError("No Data for Report");
}
void broken(ReportGenerator&)
{
    built.push_back("broken");
    throw 42; // escapes the report's own handling
}
void failing(ReportGenerator&)
{
    built.push_back("failing");
    throw std::runtime_error("bad cell");
}
void noDemographics(ReportGenerator&)
{
    throw NoDataError("Required File Not Found");
}

} // namespace

TEST(ReportRun, SectionGuardsSkipDependentReportsAndListTheirReasons)
{
    using profiles::RunProfile;
    const std::vector<ReportSection> sections{
        {"Browser Analysis",
         &RunProfile::browser,
         {{"Top Browser Types", "LKRBrowsers", "Generating Reports...", &noData, ReportGuard::None, true},
          {"User Agent Operating Systems", "LKRAgentsOS", "x", &failing}}},
        {"Referral Analysis",
         &RunProfile::referrers,
         {{"Top Referring Domains", "LKRRefDomains", "x", &broken, ReportGuard::Referral},
          {"Referring Advertising Domains", "LKRReferringAdds", "x", &okBuilder, ReportGuard::Referral},
          {"Top Referring Search Engines", "LKRReferringSE", "x", &noEngines, ReportGuard::SearchEngines},
          {"Top Referring Search Engine Keywords", "LKRReferringSEKW", "x", &keywords, ReportGuard::SearchEngines},
          {"Top Referring Search Engine Keyword Phrases", "LKRReferringSEKWP", "x", &keywords,
           ReportGuard::SearchEngines},
          {"Top Referring URLs", "LKRReferringURL", "x", &okBuilder}}},
        {"Demographic Analysis",
         &RunProfile::demogs,
         {{"Sessions by Country", "LKRSesByCntry", nullptr, &okBuilder, ReportGuard::None, true}},
         &noDemographics},
    };
    RunFixture f;
    for (const char* key : {"browser", "referrers", "demogs", "oadmin"})
        f.set(key, true);
    f.set("page", false);
    f.profile.setText("admin-email", "a@example.com");
    f.profile.save(f.folder.myProfiles() + "/p.rpf");
    ReportGenerator generator(f.fake.platform(), f.folder, f.temp.path() + "/",
                              [&](const profiles::RunProfile&, analysis::StatisticsTable& t) {
                                  f.fill(t);
                                  return f.result;
                              });
    generator.useSections(sections);
    built.clear();
    generator.runReport("p");

    EXPECT_EQ(built, (std::vector<std::string>{"none", "failing", "broken", "engines", "ok"}));
    EXPECT_TRUE(f.shown("An error was encountered while attempting to perform Referral analysis."));
    const std::string index = f.read("index.html");
    const std::string eindex = f.read("eindex.html");
    const std::string noBrowsers = notGeneratedRow("Top Browser Types - Not Generated (No Data for Report)");
    EXPECT_NE(index.find(noBrowsers), std::string::npos);
    EXPECT_NE(eindex.find(noBrowsers), std::string::npos);
    EXPECT_NE(
        index.find(notGeneratedRow("User Agent Operating Systems - Not Generated (Error occurred while building)")),
        std::string::npos);
    for (const char* title : {"Top Referring Search Engines", "Top Referring Search Engine Keywords",
                              "Top Referring Search Engine Keyword Phrases"})
        EXPECT_NE(index.find(notGeneratedRow(std::string(title) +
                                             " - Not Generated (Data not logged in selected log file format.)")),
                  std::string::npos)
            << title;
    EXPECT_EQ(index.find("Referring Advertising Domains"), std::string::npos) << "skipped after the guard failed";
    EXPECT_NE(index.find(linkRow("LKRReferringURL.html", "Top Referring URLs")), std::string::npos);
    const std::string demographics =
        notGeneratedRow("Demographic Analysis Reports - Not Generated (Required File Not Found)");
    EXPECT_NE(index.find(sectionRow("Demographic Analysis") + demographics), std::string::npos);
    EXPECT_NE(eindex.find(demographics), std::string::npos);
}

namespace {

// The browser engine's view of a page: the document as it parsed it.
std::string renderedDom(const std::string& browser, const std::string& page)
{
    const std::string command =
        browser + " --headless --no-sandbox --disable-gpu --dump-dom 'file://" + page + "' 2>/dev/null";
    std::string dom;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t n = 0;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            dom.append(buffer, n);
        pclose(pipe);
    }
    return dom;
}

// The tags and attributes of a serialised DOM. Text nodes carry "<" as
// "&lt;" and attribute values carry '"' as "&quot;", so every "<" opens a
// real element and every quote ends a real value.
struct ParsedTag {
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes;
};

std::vector<ParsedTag> parseTags(const std::string& dom)
{
    std::vector<ParsedTag> tags;
    std::size_t i = 0;
    auto nameAt = [&](std::size_t& at) {
        const std::size_t begin = at;
        while (at < dom.size() && dom[at] != ' ' && dom[at] != '>' && dom[at] != '=' && dom[at] != '/')
            ++at;
        return text::toLower(dom.substr(begin, at - begin));
    };
    while ((i = dom.find('<', i)) != std::string::npos) {
        ++i;
        ParsedTag tag;
        tag.name = nameAt(i);
        while (i < dom.size() && dom[i] != '>') {
            if (dom[i] == ' ' || dom[i] == '/') {
                ++i;
                continue;
            }
            std::string attribute = nameAt(i);
            std::string value;
            if (i < dom.size() && dom[i] == '=' && i + 1 < dom.size() && dom[i + 1] == '"') {
                const std::size_t close = dom.find('"', i + 2);
                value = dom.substr(i + 2, close - i - 2);
                i = close + 1;
            }
            tag.attributes.emplace_back(std::move(attribute), std::move(value));
        }
        tags.push_back(std::move(tag));
    }
    return tags;
}

std::string findBrowser()
{
    for (const char* candidate : {"/usr/bin/chromium", "/usr/bin/chromium-browser"})
        if (fs::exists(candidate)) return candidate;
    return "";
}

} // namespace

TEST(ReportRunInBrowser, HostileLogTextParsesAsTextOnly)
{
    const std::string browser = findBrowser();
    if (browser.empty()) GTEST_SKIP() << "no chromium to render pages with";
    RunFixture f;
    f.fill = [](analysis::StatisticsTable& t) {
        t.setUp();
        t.countPage("10.0.0.1", "/<script>document.title='owned'</script>");
        t.countPage("10.0.0.1", "/\"><img src=x onerror=\"document.title='owned'\">");
        t.countErrorStatus("404");
        t.countPageError("404");
        t.addErrorAddress('P', "404", "x\" onclick=\"alert(1)\"><script>alert(1)</script>");
    };
    f.run();
    for (const char* page : {"LKRPages.html", "LKRPageErrors.html"}) {
        const std::string dom = renderedDom(browser, f.reportFile(page));
        ASSERT_NE(dom.find("<table"), std::string::npos) << page << " did not render";
        for (const ParsedTag& tag : parseTags(dom)) {
            EXPECT_NE(tag.name, "script") << page;
            for (const auto& [name, value] : tag.attributes) {
                EXPECT_FALSE(text::istartsWith(name, "on")) << page << ": <" << tag.name << " " << name;
                if (name == "href" || name == "src") {
                    EXPECT_FALSE(text::istartsWith(value, "javascript:")) << page;
                }
            }
        }
        EXPECT_EQ(dom.find("owned</title>"), std::string::npos) << page;
    }
    EXPECT_NE(renderedDom(browser, f.reportFile("LKRPages.html")).find("/&lt;script&gt;document.title"),
              std::string::npos);
}

TEST(ReportRun, AnIndexThatCannotBeWrittenIsReportedAndNeitherOpenedNorMailed)
{
    RunFixture f;
    f.set("oadmin", true);
    f.profile.setText("admin-email", "a@example.com");
    fs::create_directories(f.reportFile("index.html")); // a folder where the page should go
    EXPECT_EQ(f.run().status, RunOutcome::IndexFailed);
    EXPECT_TRUE(f.shown("Unable to create file " + f.reportFile("index.html")));
    EXPECT_TRUE(
        f.shown("An error was encountered while attempting to generate report index " + f.reportFile("index.html")));
    EXPECT_TRUE(f.fake.shell.opened.empty());
    EXPECT_TRUE(f.fake.mail.sent.empty());
}

TEST(ReportRunOnASharedMachine, LinksPlantedInTheReportFolderAreReplacedNeverWrittenThrough)
{
    RunFixture f;
    const std::string victim = f.temp.write("outside/victim.txt", "precious");
    ::chmod(victim.c_str(), 0644);
    fs::create_directories(f.reportFile(""));
    const char* planted[] = {"index.html",   "eindex.html", "LKRPages.html", "eLKRPages.html",
                             "LKRPages.csv", "old.html",    "LKRPages.jpg"};
    for (const char* name : planted)
        ASSERT_EQ(::symlink(victim.c_str(), f.reportFile(name).c_str()), 0) << name;
    fs::create_directories(f.temp.file("outside/folder"));
    ASSERT_EQ(::symlink(f.temp.file("outside/folder").c_str(), f.reportFile("linked.html").c_str()), 0);
    f.set("ocsv", true);
    f.set("ovrwrite", true);
    f.set("oadmin", true);
    f.profile.setText("admin-email", "a@example.com");

    EXPECT_EQ(f.run().status, RunOutcome::Done);
    EXPECT_EQ(f.temp.read("outside/victim.txt"), "precious");
    EXPECT_EQ(modeOf(victim), 0644u);
    EXPECT_TRUE(fs::is_directory(f.temp.file("outside/folder")));
    for (const char* name : {"index.html", "eindex.html", "LKRPages.html", "eLKRPages.html", "LKRPages.csv"}) {
        EXPECT_FALSE(fs::is_symlink(f.reportFile(name))) << name;
        EXPECT_EQ(modeOf(f.reportFile(name)), 0600u) << name;
    }
    // Clearing took the old links away as links.
    for (const char* name : {"old.html", "LKRPages.jpg", "linked.html"})
        EXPECT_FALSE(fs::exists(fs::symlink_status(f.reportFile(name)))) << name;
}

TEST(ReportRunOnASharedMachine, AReportFolderThatIsALinkIsRefused)
{
    RunFixture f;
    const std::string elsewhere = f.temp.file("outside/reports");
    f.temp.write("outside/reports/keep.html", "keep");
    fs::create_directories(f.folder.reports());
    ASSERT_EQ(::symlink(elsewhere.c_str(), (f.folder.reports() + "/p").c_str()), 0);
    try {
        f.run();
        ADD_FAILURE() << "the run went on";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("is a symbolic link"), std::string::npos) << e.what();
    }
    EXPECT_EQ(f.temp.read("outside/reports/keep.html"), "keep");
    EXPECT_EQ(std::distance(fs::directory_iterator(elsewhere), fs::directory_iterator()), 1);
}

TEST(ReportRunOnASharedMachine, ALinkedCsvFolderInsideTheProgramFolderIsNotFollowed)
{
    RunFixture f;
    fs::create_directories(f.temp.file("outside/csv"));
    ASSERT_EQ(::symlink(f.temp.file("outside/csv").c_str(), f.temp.file("csv").c_str()), 0);
    f.set("ocsv", true);
    f.profile.setText("csvpath", f.temp.file("csv"));
    EXPECT_EQ(f.run().status, RunOutcome::Done);
    EXPECT_TRUE(fs::is_empty(f.temp.file("outside/csv")));
    EXPECT_TRUE(f.exists("LKRPages.csv"));
}

namespace {

// What each builder saw of the long lists: referrers, agents, pages, downloads.
std::vector<std::string> seenLists;
void seeLists(ReportGenerator& g)
{
    const analysis::StatisticsTable& t = g.stats();
    seenLists.push_back(std::to_string(t.referrers().size()) + " " + std::to_string(t.userAgents().size()) + " " +
                        std::to_string(t.pages().size()) + " " + std::to_string(t.pageKilobytes().size()) + " " +
                        std::to_string(t.downloads().size()));
    okBuilder(g);
}

} // namespace

TEST(ReportRun, EachLongListIsLetGoOfOnceNoSectionLeftReadsIt)
{
    // Referrers are read by the first section only, pages by the first and
    // the last; the agents only by a section that is off, the downloads by
    // none: those two go before the first section runs.
    using analysis::StatList;
    using profiles::RunProfile;
    const std::vector<ReportSection> sections{
        {"Referral Analysis",
         &RunProfile::referrers,
         {{"Top Referring URLs", "LKRReferringURL", "x", &seeLists}},
         nullptr,
         {StatList::Referrers, StatList::Pages}},
        {"Browser Analysis",
         &RunProfile::browser,
         {{"Top Browser Types", "LKRBrowsers", "x", &seeLists}},
         nullptr,
         {StatList::UserAgents}},
        {"Usage Analysis", &RunProfile::usage, {{"Usage by Hits", "LKRUsageByHit", "x", &seeLists}}},
        {"Page Analysis",
         &RunProfile::page,
         {{"Most Popular Pages", "LKRPages", "x", &seeLists}},
         nullptr,
         {StatList::Pages}},
    };
    RunFixture f;
    for (const char* key : {"referrers", "usage", "page"})
        f.set(key, true);
    f.profile.save(f.folder.myProfiles() + "/p.rpf");
    ReportGenerator generator(f.fake.platform(), f.folder, f.temp.path() + "/",
                              [&](const profiles::RunProfile&, analysis::StatisticsTable& t) {
                                  f.fill(t);
                                  t.countReferrer("http://a.example/");
                                  t.countUserAgent("Agent/1.0");
                                  t.countDownload("10.0.0.1", "/setup.exe");
                                  return f.result;
                              });
    generator.useSections(sections);
    seenLists.clear();
    EXPECT_EQ(generator.runReport("p").status, RunOutcome::Done);
    EXPECT_EQ(seenLists, (std::vector<std::string>{"1 0 2 2 0", "0 0 2 2 0", "0 0 2 2 0"}));
    EXPECT_EQ(generator.stats().bucketTotals().hits, 5); // the index page's totals stay
}
