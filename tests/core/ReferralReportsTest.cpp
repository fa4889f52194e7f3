#include "reports/ReferralReports.h"
#include "ReportBuilderFixture.h"
#include "reports/DomainReports.h"
#include "reports/ReferrerRules.h"
#include "reports/SearchEngineTable.h"
#include "reports/TemplateEngine.h"

#include <gtest/gtest.h>

using namespace larkspan;
using Strings = std::vector<std::string>;

TEST(ReferralReport, LeavesOutUnknownAndExcludedDomainsAndBreaksLongUrls)
{
    ReportBuilderFixture f;
    std::string longUrl = "http://long.example/";
    while (longUrl.size() < 200)
        longUrl += "x";
    f.referrer("http://www.a.com/page?x=1&y=<b>", 5);
    f.referrer("-", 9);
    f.referrer("bookmark", 4);
    f.referrer("http://WWW.MYSITE.COM/home", 7);
    f.referrer(longUrl, 1);
    const referrers::ExcludedDomains excluded({"www.mysite.com"});
    fillReferringUrlsReport(f.stats, f.grid, f.context(), excluded);

    EXPECT_EQ(f.grid.cell(1, 0), "Referral Report for www.example.com");
    EXPECT_EQ(f.grid.cell(1, 1), "The Referring URL report tabulates the URLs pointing to your site \r\nordered by "
                                 "number of referrals they made.");
    EXPECT_EQ(f.column(5), (Strings{"http://www.a.com/page?x=1&y=<b>", longUrl}));
    EXPECT_EQ(f.column(1), (Strings{"5", "1"}));
    EXPECT_EQ(f.column(2), (Strings{"83.333%", "16.667%"}));
    EXPECT_EQ(f.grid.cell(0, 11), longUrl);
    EXPECT_EQ(f.grid.cell(0, 4), "6 Referrals<br>2 of 2 Unique Shown<br>100 % of all 6 Referrals");
    EXPECT_EQ(f.grid.cell(0, 9), "5");

    // Log text is escaped in the page; the breaks stay markup; the link is the URL as logged.
    const std::string html = TemplateEngine(f.grid, "").renderReportPage("LKRReferringURL");
    EXPECT_EQ(html.find("y=<b>"), std::string::npos);
    EXPECT_NE(html.find(R"(<a href="http://www.a.com/page?x=1&amp;y=&lt;b&gt;">)"), std::string::npos);
    EXPECT_NE(html.find(longUrl.substr(0, 75) + "<br>" + longUrl.substr(75, 76)), std::string::npos);

    f.settings.maxrows = "1";
    fillReferringUrlsReport(f.stats, f.grid, f.context(), excluded);
    EXPECT_EQ(f.grid.cell(1, 1),
              "The Referring URL report tabulates the top 1 URLs pointing to your site \r\nordered by"
              " number of referrals they made.");
    EXPECT_EQ(f.grid.cell(0, 4), "5 Referrals<br>1 of 2 Unique Shown<br>83.333 % of all 6 Referrals");
}

TEST(ReferralReport, NoDataMessages)
{
    ReportBuilderFixture f;
    const referrers::ExcludedDomains none;
    EXPECT_EQ(f.noData([&] { fillReferringUrlsReport(f.stats, f.grid, f.context(), none); }),
              "Data not logged in selected log file format.");
    f.referrer("-", 3);
    EXPECT_EQ(f.noData([&] { fillReferringUrlsReport(f.stats, f.grid, f.context(), none); }), "No Data for Report");
}

namespace {
SearchEngineTable sampleEngines()
{
    SearchEngineTable engines;
    engines.addRow("google.", "q=", "Google");
    engines.addRow("bing.com", "q=", "Bing");
    engines.addRow("google.de", "q=", "google");
    engines.addRow("dash.example", "q=", "-");
    return engines;
}
} // namespace

TEST(SearchEngineReport, MergesNamesAndCountsExcludedDomainsInItsTotal)
{
    ReportBuilderFixture f;
    f.referrer("http://www.google.com/search?q=Log", 4);
    f.referrer("http://www.bing.com/search?q=web+log", 2);
    f.referrer("http://www.mysite.com/", 3);
    f.referrer("-", 8);
    f.referrer("http://dash.example/?q=x", 1);
    SearchEngineTable engines = sampleEngines();
    fillSearchEnginesReport(f.stats, f.grid, f.context(), engines);

    EXPECT_EQ(f.grid.cell(1, 0), "Referring Search Engine Report for www.example.com");
    EXPECT_EQ(f.grid.cell(3, 1), "Referrals Made form Search Engines");
    EXPECT_EQ(f.column(0), (Strings{"Google", "Bing", "Unknown"}));
    EXPECT_EQ(f.column(2), (Strings{"4", "2", "1"}));
    EXPECT_EQ(f.column(3), (Strings{"40.0%", "20.0%", "10.0%"}));
    EXPECT_EQ(f.grid.cell(0, 4), "7 Search Engine Referrals<br>3 of 3 Unique Shown<br>70 % of all 10 Referrals");
    EXPECT_EQ((Strings{f.grid.cell(1, 9), f.grid.cell(2, 9), f.grid.cell(3, 9), f.grid.cell(4, 9)}),
              (Strings{"2", "0", "-1", "1"}));

    fillSearchKeywordsReport(f.grid, f.context(), engines);
    EXPECT_EQ(f.grid.cell(1, 0), "Referring Search Engine Keyword Report for www.example.com");
    // Engines in order of referrals; the keyword reports keep names as listed.
    EXPECT_EQ(f.column(0), (Strings{"Google", "-"}));
    EXPECT_EQ(f.column(1), (Strings{"Log", "x"}));
    EXPECT_EQ(f.column(2), (Strings{"1", "1"}));
    EXPECT_EQ(f.grid.cell(0, 4), "");
    EXPECT_EQ(f.grid.cell(1, 9), "");

    fillSearchPhrasesReport(f.grid, f.context(), engines);
    EXPECT_EQ(f.grid.cell(1, 3), "Keyword Phrase");
    EXPECT_EQ(f.column(0), (Strings{"Bing"}));
    EXPECT_EQ(f.column(1), (Strings{"web log"}));
    const std::string html = TemplateEngine(f.grid, "").renderReportPage("LKRReferringSEKWP");
    EXPECT_EQ(html.find("XXXRowNumber"), std::string::npos);
}

TEST(SearchEngineReport, NoEnginesMeansNoDataForAllThree)
{
    ReportBuilderFixture f;
    SearchEngineTable engines = sampleEngines();
    EXPECT_EQ(f.noData([&] { fillSearchEnginesReport(f.stats, f.grid, f.context(), engines); }),
              "Data not logged in selected log file format.");
    f.referrer("http://www.other.com/", 2);
    EXPECT_EQ(f.noData([&] { fillSearchEnginesReport(f.stats, f.grid, f.context(), engines); }), "No Data for Report");
    EXPECT_EQ(f.noData([&] { fillSearchKeywordsReport(f.grid, f.context(), engines); }), "No Data for Report");
    SearchEngineTable none;
    EXPECT_EQ(f.noData([&] { fillSearchEnginesReport(f.stats, f.grid, f.context(), none); }), "No Data for Report");
}

TEST(DomainReport, RanksDomainsByReferralsWithoutExcludedOnes)
{
    ReportBuilderFixture f;
    f.referrer("http://a.com/x", 3);
    f.referrer("http://b.com/", 12);
    f.referrer("http://A.com/y", 2);
    f.referrer("http://c.com", 1);
    f.referrer("http://mine.com/", 40);
    f.referrer("-", 5);
    fillReferringDomainsReport(f.stats, f.grid, f.context(), referrers::ExcludedDomains({"MINE.com"}));
    EXPECT_EQ(f.column(0), (Strings{"b.com", "a.com", "c.com"}));
    EXPECT_EQ(f.column(1), (Strings{"12", "5", "1"}));
    EXPECT_EQ(f.column(5)[1], std::string(99, '0') + "5");
    EXPECT_EQ(f.grid.cell(0, 4), "18 Referring Domains<br>3 of 3 Unique Shown<br>100 % of all 18 Referrals");
    EXPECT_EQ(f.grid.cell(1, 0), "Referring Domain Report for www.example.com");
}

TEST(DomainReport, AdvertisersListEveryEntryAndMatchLongerHostNames)
{
    ReportBuilderFixture f;
    const std::vector<std::string> none;
    EXPECT_EQ(f.noData([&] { fillAdvertisingDomainsReport(f.stats, f.grid, f.context(), none); }),
              "No Advertisers Defined");
    EXPECT_EQ(f.noData([&] { fillAffiliateDomainsReport(f.stats, f.grid, f.context(), none); }),
              "No Affiliates Defined");

    f.referrer("http://ads.net/banner", 4);
    f.referrer("http://ads.net.cdn.io/x/y/z", 2);
    f.referrer("http://mine.com/", 3); // excluded elsewhere, counts here
    f.referrer("-", 10);
    std::vector<std::string> advertisers{"ads.net", "mine.com", "none.org", "ADS.net"};
    for (int i = 0; i < 9; ++i)
        advertisers.push_back("quiet" + std::to_string(i) + ".org");
    f.settings.maxrows = "10";
    fillAdvertisingDomainsReport(f.stats, f.grid, f.context(), advertisers);
    EXPECT_EQ(f.grid.detailCount(), 10);
    EXPECT_EQ(f.column(0)[0], "ads.net");
    EXPECT_EQ(f.column(1)[0], "12"); // listed twice: counted twice
    EXPECT_EQ(f.column(0)[1], "mine.com");
    EXPECT_EQ(f.column(1)[2], "0");
    EXPECT_EQ(f.column(2)[2], "0.0%");
    EXPECT_EQ(f.grid.cell(0, 4), "15 Referring Advertisers<br>10 of 12 Unique Shown<br>166.67 % of all 9 Referrals");
}

TEST(DomainReport, AffiliatesMatchOneFurtherPathSegmentAtMost)
{
    ReportBuilderFixture f;
    f.referrer("http://partner.com/", 2);
    f.referrer("http://partner.com/shop.html", 3);
    f.referrer("http://partner.com/a/b.html", 5);
    f.referrer("http://other.com/", 1);
    fillAffiliateDomainsReport(f.stats, f.grid, f.context(), {"partner.com", " "});
    EXPECT_EQ(f.column(0), (Strings{"partner.com"})); // a blank entry is dropped
    EXPECT_EQ(f.column(1), (Strings{"5"}));
    EXPECT_EQ(f.column(2), (Strings{"45.455%"}));
    EXPECT_EQ(f.grid.cell(0, 4),
              "5 Referrals from Affiliate Domains<br>1 of 1 Unique Shown<br>45.455 % of all 11 Referrals");
    const std::string html = TemplateEngine(f.grid, "").renderReportPage("LKRRefAffiliates");
    EXPECT_NE(html.find(R"(<td align="right" nowrap><font face="Arial" size="2">5</font></td>)"), std::string::npos);
}
