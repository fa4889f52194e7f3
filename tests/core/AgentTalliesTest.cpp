#include "reports/AgentTallies.h"
#include "ShippedTables.h"
#include "reports/BrowserTable.h"
#include "reports/OperatingSystemTable.h"
#include "reports/RobotList.h"

#include "common/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

using namespace larkspan;

TEST(BrowserIdentity, WorkedExamples)
{
    const RobotList none;
    EXPECT_EQ(identifyBrowser("Mozilla/4.0+(compatible;+MSIE+5.5;+Windows+98)", none).name,
              "Microsoft Internet Explorer");
    EXPECT_EQ(identifyBrowser("Mozilla/4.75+[en]+(X11;+U;+Linux)", none).name, "Netscape");
    EXPECT_EQ(identifyBrowser("Opera/5.02+(Windows+98;+U)+[en]", none).name, "Opera/5.02");
    EXPECT_EQ(identifyBrowser("Mozilla/5.0+(compatible;+Konqueror/3.5)", none).name, "Other Netscape Compatible");
    EXPECT_EQ(identifyBrowser("Lynx/2.8.9rel.1+libwww-FM/2.14+SSL-MM/1.4.1", none).name,
              "Lynx/2.8.9rel.1 libwww-FM/2.14 SSL-MM/1.4.1");
}

TEST(BrowserIdentity, RobotsAndUnknownClientsAreRecognised)
{
    const RobotList robots({"Googlebot", "", "curl/"});
    // The word robot in any case wins over a mozilla beginning.
    EXPECT_TRUE(identifyBrowser("Mozilla/5.0+(compatible;+UptimeRoBoT/2.0)", robots).robot);
    EXPECT_TRUE(identifyBrowser("Mozilla/5.0+(compatible;+Spider)", robots).robot);
    EXPECT_TRUE(identifyBrowser("GOOGLEBOT-Image/1.0", robots).robot);
    EXPECT_TRUE(identifyBrowser("curl/8.5.0", robots).robot);
    EXPECT_FALSE(identifyBrowser("Wget/1.21", robots).robot); // an empty entry matches nothing

    EXPECT_TRUE(identifyBrowser("-", robots).unknown);
    EXPECT_TRUE(identifyBrowser("", robots).unknown);
    EXPECT_TRUE(identifyBrowser("NULL;", robots).unknown);
    EXPECT_TRUE(identifyBrowser("Unknown", robots).unknown);
    // Real blanks are one token: nothing follows a first "+".
    EXPECT_EQ(identifyBrowser("Mozilla/5.0 (compatible; MSIE 9.0)", robots).name, "Netscape");
}

TEST(BrowserTally, MergesNamesAndLeavesRobotsOutOfTheBase)
{
    const RobotList robots({"Googlebot"});
    const BrowserTally tally = tallyBrowsers({{"Mozilla/4.0+(compatible;+MSIE+6.0)", 5},
                                              {"Googlebot/2.1", 7},
                                              {"-", 2},
                                              {"Mozilla/4.0+(compatible;+MSIE+5.5)", 3},
                                              {"opera/9.0+(X11)", 1},
                                              {"Opera/9.0+(Windows)", 1}},
                                             robots);
    EXPECT_EQ(tally.total, 19);
    EXPECT_EQ(tally.base, 10);
    ASSERT_EQ(tally.browsers.size(), 2u);
    EXPECT_EQ(tally.browsers[0].name, "Microsoft Internet Explorer");
    EXPECT_EQ(tally.browsers[0].count, 8);
    EXPECT_EQ(tally.browsers[1].name, "opera/9.0"); // first spelling kept
    EXPECT_EQ(tally.browsers[1].count, 2);
}

TEST(OperatingSystemTally, CountsEveryMatchingRowAndMergesNames)
{
    OperatingSystemTable table;
    table.addRow("Win", "Windows");
    table.addRow("Windows+98", "Windows 98");
    table.addRow("", "Empty marker");
    table.addRow("Linux", "Linux");
    table.addRow("X11", "Linux");
    table.addRow("BeOS", "BeOS");
    const OperatingSystemTally tally = tallyOperatingSystems(
        {{"Mozilla/4.0+(compatible;+MSIE+5.5;+Windows+98)", 4}, {"Mozilla/4.75+[en]+(X11;+U;+Linux)", 3}}, table);
    EXPECT_EQ(tally.total, 7);
    EXPECT_EQ(tally.rowCounts, (std::vector<long long>{4, 4, 0, 3, 3, 0}));
    EXPECT_EQ(tally.base, 14); // the Windows 98 text counts twice, so does the Linux one
    ASSERT_EQ(tally.systems.size(), 3u);
    EXPECT_EQ(tally.systems[2].name, "Linux");
    EXPECT_EQ(tally.systems[2].count, 6);
}

TEST(ShippedAgentTables, CommonUserAgentsCountForExactlyOneSystem)
{
    OperatingSystemTable table;
    table.load(shippedTable("agntos.lklf"));
    ASSERT_FALSE(table.rows().empty());
    const std::vector<std::pair<std::string, std::string>> agents = {
        {"Mozilla/5.0+(Windows+NT+10.0;+Win64;+x64)+AppleWebKit/537.36+(KHTML,+like+Gecko)+Chrome/120.0.0.0+Safari/"
         "537.36",
         "Windows 10/11"},
        {"Mozilla/5.0+(Windows+NT+6.1;+WOW64;+Trident/7.0;+rv:11.0)+like+Gecko", "Windows 7"},
        {"Mozilla/4.0+(compatible;+MSIE+6.0;+Windows+NT+5.1;+SV1)", "Windows XP"},
        {"Mozilla/4.0+(compatible;+MSIE+5.5;+Windows+98;+Win+9x+4.90)", "Windows 98/ME"},
        {"Mozilla/4.7+[en]+(Win98;+I)", "Windows 98/ME"},
        {"Mozilla/5.0+(Macintosh;+Intel+Mac+OS+X+10_15_7)+AppleWebKit/605.1.15+(KHTML,+like+Gecko)+Version/17.1+Safari/"
         "605.1.15",
         "macOS"},
        {"Mozilla/5.0+(iPhone;+CPU+iPhone+OS+17_1+like+Mac+OS+X)+AppleWebKit/605.1.15+(KHTML,+like+Gecko)+Version/"
         "17.1+Mobile/15E148+Safari/604.1",
         "iOS"},
        {"Mozilla/5.0+(iPad;+CPU+OS+17_1+like+Mac+OS+X)+AppleWebKit/605.1.15+(KHTML,+like+Gecko)+Version/17.1+Mobile/"
         "15E148+Safari/604.1",
         "iPadOS"},
        {"Mozilla/5.0+(iPod+touch;+CPU+iPhone+OS+12_5+like+Mac+OS+X)+AppleWebKit/605.1.15+(KHTML,+like+Gecko)+Version/"
         "12.1.2+Mobile/15E148+Safari/604.1",
         "iOS"},
        {"Mozilla/5.0+(Linux;+Android+10;+K)+AppleWebKit/537.36+(KHTML,+like+Gecko)+Chrome/120.0.0.0+Mobile+Safari/"
         "537.36",
         "Android"},
        {"Mozilla/5.0+(Android+14;+Mobile;+rv:121.0)+Gecko/121.0+Firefox/121.0", "Android"},
        {"Mozilla/5.0+(X11;+Linux+x86_64)+AppleWebKit/537.36+(KHTML,+like+Gecko)+Chrome/120.0.0.0+Safari/537.36",
         "Linux"},
        {"Mozilla/5.0+(X11;+Ubuntu;+Linux+x86_64;+rv:121.0)+Gecko/20100101+Firefox/121.0", "Ubuntu Linux"},
        {"Mozilla/5.0+(X11;+Fedora;+Linux+x86_64;+rv:121.0)+Gecko/20100101+Firefox/121.0", "Fedora Linux"},
        {"Mozilla/5.0+(X11;+CrOS+x86_64+14541.0.0)+AppleWebKit/537.36+(KHTML,+like+Gecko)+Chrome/120.0.0.0+Safari/"
         "537.36",
         "ChromeOS"},
        {"Mozilla/5.0+(X11;+FreeBSD+amd64;+rv:121.0)+Gecko/20100101+Firefox/121.0", "FreeBSD"},
        {"Mozilla/5.0+(X11;+OpenBSD+amd64;+rv:121.0)+Gecko/20100101+Firefox/121.0", "OpenBSD"},
        {"Mozilla/5.0+(Linux;+Android+6.0.1;+Nexus+5X+Build/MMB29P)+AppleWebKit/537.36+(KHTML,+like+Gecko)+Chrome/"
         "120.0.0.0+Mobile+Safari/537.36+(compatible;+Googlebot/2.1;++http://www.google.com/bot.html)",
         "Android"},
        {"Microsoft+Office/16.0+(Windows+NT+10.0;+Microsoft+Outlook+16.0.17029;+Pro)", "Windows 10/11"},
    };
    for (const auto& [agent, expected] : agents) {
        const OperatingSystemTally tally = tallyOperatingSystems({{agent, 1}}, table);
        EXPECT_EQ(tally.base, 1) << agent;
        ASSERT_EQ(tally.systems.size(), 1u) << agent;
        EXPECT_EQ(tally.systems[0].name, expected) << agent;
    }
}

TEST(ShippedAgentTables, RobotListKnowsTodaysCrawlersButNotBrowsers)
{
    const RobotList robots = RobotList::load(shippedTable("rasags.lklf"));
    for (const char* agent :
         {"Mozilla/5.0+(compatible;+Googlebot/2.1;++http://www.google.com/bot.html)",
          "Mozilla/5.0+(compatible;+bingbot/2.0;++http://www.bing.com/bingbot.htm)",
          "Mozilla/5.0+(compatible;+YandexBot/3.0;++http://yandex.com/bots)",
          "Mozilla/5.0+(compatible;+AhrefsBot/7.0;++http://ahrefs.com/robot/)",
          "Mozilla/5.0+AppleWebKit/537.36+(KHTML,+like+Gecko;+compatible;+GPTBot/1.0;++https://openai.com/gptbot)",
          "facebookexternalhit/1.1", "curl/8.5.0", "python-requests/2.31.0", "DuckDuckBot/1.1"})
        EXPECT_TRUE(robots.matches(agent)) << agent;
    EXPECT_FALSE(robots.matches("Mozilla/5.0+(Windows+NT+10.0;+Win64;+x64)+AppleWebKit/537.36"));
    EXPECT_FALSE(robots.matches("Opera/9.80+(Windows+NT+6.1)"));
}

namespace {
// A user-agent text as the day files store it: blanks written as "+".
std::string stored(std::string agent)
{
    for (char& c : agent)
        if (c == ' ') c = '+';
    return agent;
}
} // namespace

TEST(ShippedAgentTables, TodaysBrowsersPhonesAndBotsAreNamedByFamily)
{
    BrowserTable families;
    families.load(shippedTable("browsers.lklf"));
    ASSERT_FALSE(families.empty());
    const RobotList robots = RobotList::load(shippedTable("rasags.lklf"));
    const std::pair<const char*, const char*> agents[] = {
        {"Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/124.0.0.0 "
         "Safari/537.36",
         "Chrome"},
        {"Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/124.0.0.0 "
         "Safari/537.36 Edg/124.0.2478.51",
         "Microsoft Edge"},
        {"Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/124.0.0.0 "
         "Safari/537.36 OPR/109.0.0.0",
         "Opera"},
        {"Mozilla/5.0 (Windows NT 10.0; Win64; x64; rv:125.0) Gecko/20100101 Firefox/125.0", "Firefox"},
        {"Mozilla/5.0 (Macintosh; Intel Mac OS X 10_15_7) AppleWebKit/605.1.15 (KHTML, like Gecko) Version/17.4.1 "
         "Safari/605.1.15",
         "Safari"},
        {"Mozilla/5.0 (Macintosh; Intel Mac OS X 10_15_7) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/124.0.0.0 "
         "Safari/537.36 Vivaldi/6.7.3329.21",
         "Vivaldi"},
        {"Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/124.0.0.0 Safari/537.36",
         "Chrome"},
        {"Mozilla/5.0 (X11; Ubuntu; Linux x86_64; rv:125.0) Gecko/20100101 Firefox/125.0", "Firefox"},
        {"Mozilla/5.0 (iPhone; CPU iPhone OS 17_4_1 like Mac OS X) AppleWebKit/605.1.15 (KHTML, like Gecko) "
         "Version/17.4.1 Mobile/15E148 Safari/604.1",
         "Safari"},
        {"Mozilla/5.0 (iPhone; CPU iPhone OS 17_4 like Mac OS X) AppleWebKit/605.1.15 (KHTML, like Gecko) "
         "CriOS/124.0.6367.88 Mobile/15E148 Safari/604.1",
         "Chrome"},
        {"Mozilla/5.0 (iPhone; CPU iPhone OS 17_4 like Mac OS X) AppleWebKit/605.1.15 (KHTML, like Gecko) "
         "FxiOS/125.0 Mobile/15E148 Safari/605.1.15",
         "Firefox"},
        {"Mozilla/5.0 (iPad; CPU OS 17_4 like Mac OS X) AppleWebKit/605.1.15 (KHTML, like Gecko) Mobile/15E148",
         "Safari"},
        {"Mozilla/5.0 (Linux; Android 10; K) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/124.0.0.0 Mobile "
         "Safari/537.36",
         "Chrome"},
        {"Mozilla/5.0 (Linux; Android 14; SAMSUNG SM-S911B) AppleWebKit/537.36 (KHTML, like Gecko) "
         "SamsungBrowser/25.0 Chrome/121.0.0.0 Mobile Safari/537.36",
         "Samsung Internet"},
        {"Mozilla/5.0 (Linux; Android 10; K) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/124.0.0.0 Mobile "
         "Safari/537.36 EdgA/124.0.0.0",
         "Microsoft Edge"},
        {"Mozilla/5.0 (Android 14; Mobile; rv:125.0) Gecko/125.0 Firefox/125.0", "Firefox"},
        {"Mozilla/5.0 (Linux; Android 13; SM-A536B Build/TP1A.220624.014; wv) AppleWebKit/537.36 (KHTML, like Gecko) "
         "Version/4.0 Chrome/124.0.6367.82 Mobile Safari/537.36",
         "Android WebView"},
        {"Mozilla/5.0 (Linux; Android 12; M2101K6G) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/122.0.6261.119 "
         "YaBrowser/24.4.1.97.00 SA/3 Mobile Safari/537.36",
         "Yandex Browser"},
        {"Mozilla/5.0 (Linux; U; Android 12; en-US; V2111 Build/SP1A.210812.003) AppleWebKit/537.36 (KHTML, like "
         "Gecko) Version/4.0 Chrome/100.0.4896.58 UCBrowser/13.4.0.1306 Mobile Safari/537.36",
         "UC Browser"},
        {"Mozilla/5.0 (Windows NT 10.0; WOW64; Trident/7.0; rv:11.0) like Gecko", "Microsoft Internet Explorer"},
        {"Opera/9.80 (Windows NT 6.1; U; en) Presto/2.10.289 Version/12.02", "Opera"},
    };
    for (const auto& [agent, family] : agents) {
        const BrowserIdentity identity = identifyBrowser(stored(agent), robots, &families);
        EXPECT_FALSE(identity.robot) << agent;
        EXPECT_EQ(identity.name, family) << agent;
    }

    for (const char* bot :
         {"Mozilla/5.0 (Linux; Android 6.0.1; Nexus 5X Build/MMB29P) AppleWebKit/537.36 (KHTML, like Gecko) "
          "Chrome/124.0.6367.91 Mobile Safari/537.36 (compatible; Googlebot/2.1; +http://www.google.com/bot.html)",
          "Mozilla/5.0 AppleWebKit/537.36 (KHTML, like Gecko; compatible; bingbot/2.0; "
          "+http://www.bing.com/bingbot.htm) "
          "Chrome/116.0.1938.76 Safari/537.36",
          "Mozilla/5.0 (Macintosh; Intel Mac OS X 10_15_5) AppleWebKit/605.1.15 (KHTML, like Gecko) Version/13.1.1 "
          "Safari/605.1.15 (Applebot/0.1; +http://www.apple.com/go/applebot)",
          "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) HeadlessChrome/124.0.6367.60 "
          "Safari/537.36",
          "Mozilla/5.0 (compatible; YandexBot/3.0; +http://yandex.com/bots)",
          "facebookexternalhit/1.1 (+http://www.facebook.com/externalhit_uatext.php)"})
        EXPECT_TRUE(identifyBrowser(stored(bot), robots, &families).robot) << bot;

    // Agents no row knows keep the older naming.
    EXPECT_EQ(identifyBrowser("Wget/1.21.4", RobotList(), &families).name, "Wget/1.21.4");
    EXPECT_EQ(identifyBrowser("Mozilla/4.75+[en]+(X11;+U;+Linux)", RobotList(), &families).name, "Netscape");
}

TEST(RobotList, MatchesBeginningsOfEveryLengthIgnoringCase)
{
    const RobotList robots({"Slurp", "ia_archiver", "Mozilla/5.0 (compatible; Yeti", "a", "sLURP"});
    EXPECT_TRUE(robots.matches("SLURP/3.0"));
    EXPECT_TRUE(robots.matches("Ia_Archiver")); // the whole agent
    EXPECT_TRUE(robots.matches("mozilla/5.0 (COMPATIBLE; yeti/1.1)"));
    EXPECT_TRUE(robots.matches("Apache-HttpClient")); // the one-letter entry
    EXPECT_FALSE(robots.matches("Mozilla/5.0 (compatible; Googlebot/2.1)"));
    EXPECT_FALSE(robots.matches("Slur")); // shorter than every entry it begins
    EXPECT_FALSE(robots.matches(""));
}

TEST(AgentTallies, LongListsTalliedOnTwoThreadsAsOneReadingWould)
{
    // Enough agents for the tally to be split: names in every case, first
    // met in either half, robots and unknowns among them; one thread and two
    // give the same tallies, and the browsers come in first-appearance order.
    const RobotList robots({"Googlebot"});
    OperatingSystemTable systems;
    systems.addRow("Windows", "Windows");
    systems.addRow("X11", "Linux");
    systems.addRow("Linux", "Linux");
    CountedTextList agents;
    std::vector<std::string> texts;
    for (int i = 0; i < 50000; ++i) {
        const int kind = (i * 7919) % 97;
        std::string text = kind < 3    ? "Googlebot/2." + std::to_string(i)
                           : kind < 5  ? "-"
                           : kind < 60 ? "Opera/" + std::to_string(kind) + "+(X11;+Linux)"
                                       : "Browser" + std::to_string(kind) + "/1.0+(Windows)";
        if (i % 4 == 1) text = text == "-" ? text : std::string(1, 'o') + text.substr(1);
        if (i >= 40000 && kind % 11 == 0) text = "Late" + std::to_string(kind % 3) + "/1.0+(Linux)"; // second half only
        texts.push_back(text);
    }
    for (std::size_t i = 0; i < texts.size(); ++i)
        agents.push_back({texts[i], static_cast<long long>(i % 5 + 1)});

    const auto tallies = [&](const char* threads) {
        ::setenv("LARKSPAN_THREADS", threads, 1);
        auto result = std::make_pair(tallyBrowsers(agents, robots), tallyOperatingSystems(agents, systems));
        ::unsetenv("LARKSPAN_THREADS");
        return result;
    };
    const auto [oneBrowsers, oneSystems] = tallies("1");
    const auto [twoBrowsers, twoSystems] = tallies("2");
    EXPECT_EQ(twoBrowsers.total, oneBrowsers.total);
    EXPECT_EQ(twoBrowsers.base, oneBrowsers.base);
    ASSERT_EQ(twoBrowsers.browsers.size(), oneBrowsers.browsers.size());
    for (std::size_t i = 0; i < oneBrowsers.browsers.size(); ++i) {
        EXPECT_EQ(twoBrowsers.browsers[i].name, oneBrowsers.browsers[i].name);
        EXPECT_EQ(twoBrowsers.browsers[i].count, oneBrowsers.browsers[i].count);
    }
    EXPECT_EQ(twoSystems.total, oneSystems.total);
    EXPECT_EQ(twoSystems.rowCounts, oneSystems.rowCounts);
    EXPECT_EQ(twoSystems.base, oneSystems.base);

    // The reference: each agent judged alone, names merged in list order.
    const AgentClassifier classifier(robots, nullptr);
    std::vector<std::pair<std::string, long long>> expected;
    long long total = 0;
    for (const CountedText& agent : agents) {
        total += agent.count;
        const BrowserIdentity identity = classifier.identify(agent.text);
        if (identity.robot || identity.unknown) continue;
        const auto at = std::find_if(expected.begin(), expected.end(),
                                     [&](const auto& named) { return text::iequals(named.first, identity.name); });
        if (at == expected.end()) {
            expected.emplace_back(identity.name, agent.count);
        } else {
            at->second += agent.count;
        }
    }
    EXPECT_EQ(twoBrowsers.total, total);
    ASSERT_EQ(twoBrowsers.browsers.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(twoBrowsers.browsers[i].name, expected[i].first);
        EXPECT_EQ(twoBrowsers.browsers[i].count, expected[i].second);
    }
}
