#include "reports/ReferrerRules.h"

#include <gtest/gtest.h>

using namespace larkspan;
using namespace larkspan::referrers;

TEST(ReferrerRules, DomainIsTheHostAfterTheSchemeOrUnknown)
{
    EXPECT_EQ(domainOf("http://www.example.com/page.html?x=1"), "www.example.com");
    EXPECT_EQ(domainOf("https://Example.org"), "Example.org");
    EXPECT_EQ(domainOf("-"), "Unknown");
    EXPECT_EQ(domainOf("www.example.com/page"), "Unknown"); // no "://"
    EXPECT_EQ(domainOf("http:///path"), "Unknown");
    EXPECT_EQ(domainOf("http://-"), "Unknown");
    EXPECT_EQ(domainOf("http://  host.example \t/x"), "host.example"); // blanks around the host trimmed

    // The view is a piece of the URL itself, or the word Unknown.
    for (const std::string url : {"http://www.example.com/page", "https:// Example.org", "-", "x://", "a://b://c/d"}) {
        const std::string_view host = domainView(url);
        EXPECT_EQ(host, domainOf(url)) << url;
        if (host != "Unknown") {
            EXPECT_TRUE(host.data() >= url.data() && host.data() + host.size() <= url.data() + url.size());
        }
    }
}

TEST(ReferrerRules, PathAndQueryFollowTheHostsSlash)
{
    EXPECT_EQ(pathAndQuery("http://www.google.com/search?q=x"), "search?q=x");
    EXPECT_EQ(pathAndQuery("http://www.google.com"), "");
    EXPECT_EQ(pathAndQuery("search?q=x"), "");
}

TEST(ReferrerRules, LongUrlsBreakBeforeCharacters76And152)
{
    std::string url = "http://";
    while (url.size() < 200)
        url += static_cast<char>('a' + url.size() % 26);
    const std::vector<std::string> pieces = displayPieces(url);
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0], url.substr(0, 75));
    EXPECT_EQ(pieces[1], url.substr(75, 76));
    EXPECT_EQ(pieces[2], url.substr(151));

    EXPECT_EQ(displayPieces(std::string(76, 'x')).size(), 1u);
    const std::vector<std::string> justOver = displayPieces(std::string(77, 'x'));
    ASSERT_EQ(justOver.size(), 2u);
    EXPECT_EQ(justOver[1], "xx");
}

TEST(ReferrerRules, AdvertiserEntriesMatchEveryUrlBeginningWithThem)
{
    EXPECT_TRUE(advertiserMatches("http://ads.example.com/a/b/c", "ads.example.com"));
    EXPECT_TRUE(advertiserMatches("http://ADS.example.com.evil.net/", "ads.example.com"));
    EXPECT_TRUE(advertiserMatches("https://ads.example.com", "ads.example.com"));
    EXPECT_FALSE(advertiserMatches("ads.example.com/x", "ads.example.com")); // no scheme
    EXPECT_FALSE(advertiserMatches("http://-", "-"));
    EXPECT_FALSE(advertiserMatches("http://www.ads.example.com/", "ads.example.com"));
}

TEST(ReferrerRules, AffiliateEntriesAllowOneFurtherPathSegmentOnly)
{
    const std::string entry = "partner.com/shop";
    EXPECT_TRUE(affiliateMatches("http://partner.com/shop", entry));
    EXPECT_TRUE(affiliateMatches("http://PARTNER.com/shop/", entry));
    EXPECT_TRUE(affiliateMatches("http://partner.com/shop/item.html", entry));
    EXPECT_TRUE(affiliateMatches("http://partner.com/shopping", entry));
    EXPECT_FALSE(affiliateMatches("http://partner.com/shop/a/b", entry));
    EXPECT_FALSE(affiliateMatches("http://partner.com/shop/a/", entry));
    EXPECT_FALSE(affiliateMatches("http://partner.com/", entry));

    // A host entry also matches longer host names while no "/" follows.
    EXPECT_TRUE(affiliateMatches("http://partner.com.example", "partner.com"));
    EXPECT_TRUE(affiliateMatches("http://partner.com/page.html", "partner.com"));
    EXPECT_FALSE(affiliateMatches("http://partner.com.example/page.html", "partner.com"));
}

TEST(ReferrerRules, ExcludedDomainsCompareWithoutCase)
{
    const ExcludedDomains excluded({"www.mysite.com", ""});
    EXPECT_TRUE(excluded.contains("WWW.MySite.com"));
    EXPECT_FALSE(excluded.contains("mysite.com"));
    EXPECT_FALSE(excluded.contains(""));
}
