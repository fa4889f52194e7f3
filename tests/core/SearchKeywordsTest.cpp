#include "ShippedTables.h"
#include "common/CellTable.h"
#include "reports/KeywordExtraction.h"
#include "reports/SearchEngineTable.h"
#include "reports/SearchKeywordRows.h"

#include <gtest/gtest.h>

#include <map>

using namespace larkspan;

namespace {
const std::vector<std::string> kQ = {"q="};

std::vector<std::vector<std::string>> plain(const std::vector<TextRow>& rows)
{
    return {rows.begin(), rows.end()};
}
} // namespace

TEST(KeywordExtraction, WorkedExamples)
{
    keywords::SearchWords words = keywords::extract("http://se.example/find?q=web%20log+analysis&lang=en", kQ);
    EXPECT_EQ(words.phrase, "web+log+analysis");
    EXPECT_EQ(words.keyword, "");

    words = keywords::extract("http://se.example/find?q=Shoes&x=1", kQ);
    EXPECT_EQ(words.keyword, "Shoes");
    EXPECT_EQ(words.phrase, "");

    EXPECT_TRUE(keywords::extract("http://se.example/find?lang=en&q=", kQ).empty());
}

TEST(KeywordExtraction, CleaningTrimsAndCollapsesBlanks)
{
    EXPECT_EQ(keywords::clean("%22web+log%22"), "web+log");
    EXPECT_EQ(keywords::clean("log%"), "log");  // a final "%" is dropped
    EXPECT_EQ(keywords::clean("log%4"), "log"); // as is an escape cut short
    EXPECT_EQ(keywords::clean("a++%20%20b"), "a+b");
    EXPECT_EQ(keywords::clean("%20%20"), "");
    EXPECT_EQ(keywords::clean("MiXeD"), "MiXeD"); // case is kept
    EXPECT_EQ(keywords::clean("+lead"), "+lead"); // only blanks are trimmed
}

TEST(KeywordExtraction, EscapesGiveTheirUtf8LettersAndLinkTargetsAreNoWords)
{
    EXPECT_EQ(keywords::clean("caf%C3%A9"), "café");
    EXPECT_EQ(keywords::clean("%e4%b8%ad%e6%96%87+%E6%97%A5%E5%BF%97"), "中文+日志");
    EXPECT_EQ(keywords::clean("m%FCller"), "m\xfc"
                                           "ller"); // 8-bit bytes stay bytes
    // What would break the word lists or a line becomes a blank.
    EXPECT_EQ(keywords::clean("a%2Cb%22c%0Ad%09,e\"f"), "a+b+c+d+e+f");
    EXPECT_EQ(keywords::clean("%ZZab"), "ab");
    EXPECT_EQ(keywords::extract("https://www.google.com/url?q=https%3A%2F%2Fexample.com%2F&sa=U", kQ).empty(), true);
    EXPECT_EQ(keywords::extract("https://www.google.com/url?q=http://example.com/", kQ).empty(), true);
    EXPECT_EQ(keywords::extract("https://se.example/s?q=https+everywhere", kQ).phrase, "https+everywhere");
}

TEST(KeywordExtraction, ParametersAreFoundAnywhereAndTheFirstListedWins)
{
    // "q=" is found inside "faq=".
    EXPECT_EQ(keywords::rawValue("http://x.example/help?faq=install&q=other", kQ), "install");
    // Without "&" the value ends at a further "?".
    EXPECT_EQ(keywords::rawValue("http://x.example/s?Q=one?two", kQ), "one");
    // The list order decides, not the position in the URL.
    EXPECT_EQ(keywords::rawValue("http://x.example/s?p=first&query=second", {"query=", "p="}), "second");
    EXPECT_EQ(keywords::rawValue("http://x.example/s?q=x", {"", "zz="}), "");
    EXPECT_EQ(keywords::rawValue("http://x.example?q=x", kQ), ""); // no path after the host
}

TEST(KeywordExtraction, CommaTextHonoursQuotesAndBlanks)
{
    EXPECT_EQ(keywords::splitCommaText("a,b c,,d"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(keywords::splitCommaText("\"x, y\",z"), (std::vector<std::string>{"x, y", "z"}));
    EXPECT_EQ(keywords::splitCommaText("\"say \"\"hi\"\"\""), (std::vector<std::string>{"say \"hi\""}));
    EXPECT_TRUE(keywords::splitCommaText("").empty());
}

TEST(SearchEngineTable, CountsReferralsAndCollectsWordsOncePerUrl)
{
    SearchEngineTable engines;
    engines.addRow("google.", "q=", "Google");
    engines.addRow("search.example", "p=;q=", "Example");
    engines.addRow("unused.example", "q=", "Unused");
    engines.tally({{"http://www.google.com/search?q=Log", 5},
                   {"http://www.google.de/search?q=web+log", 2},
                   {"http://SEARCH.EXAMPLE/?q=shoes", 1},
                   {"http://www.other.com/", 9}});
    const auto& rows = engines.rows();
    EXPECT_EQ(rows[0].referrals, "7");
    EXPECT_EQ(rows[0].keywords, "Log");
    EXPECT_EQ(rows[0].phrases, "web+log");
    EXPECT_EQ(rows[1].referrals, "1");
    EXPECT_EQ(rows[1].keywords, "shoes");
    EXPECT_EQ(rows[2].referrals, ""); // matched nothing

    // A second run starts from scratch.
    engines.tally({{"http://www.google.com/search?q=again", 1}});
    EXPECT_EQ(engines.rows()[0].keywords, "again");
    EXPECT_EQ(engines.rows()[1].referrals, "");
}

TEST(SearchEngineTable, AUrlMatchingTwoRowsCountsForBoth)
{
    SearchEngineTable engines;
    engines.addRow("google.", "q=", "Google");
    engines.addRow("www.google.", "q=", "Google Web");
    engines.tally({{"http://www.google.com/search?q=x", 3}});
    EXPECT_EQ(engines.rows()[0].referrals, "3");
    EXPECT_EQ(engines.rows()[1].referrals, "3");
}

TEST(SearchKeywordRows, GroupsByEngineInReferralOrderAndCountsWordsIgnoringCase)
{
    SearchEngineTable engines;
    engines.addRow("small.example", "q=", "Small");
    engines.addRow("google.com", "q=", "Google");
    engines.addRow("google.de", "q=", "google"); // same engine, other spelling
    engines.tally({{"http://small.example/?q=zeta", 1},
                   {"http://google.com/s?q=Log", 4},
                   {"http://google.com/s?q=apple", 1},
                   {"http://google.de/s?q=log", 2},
                   {"http://google.de/s?q=web+log", 1},
                   {"http://google.com/s?q=%22web%20log%22", 1}});

    EXPECT_EQ(
        plain(searchKeywordRows(engines, false)),
        (std::vector<std::vector<std::string>>{{"Google", "Log", "2"}, {"", "apple", "1"}, {"Small", "zeta", "1"}}));
    EXPECT_EQ(plain(searchKeywordRows(engines, true)),
              (std::vector<std::vector<std::string>>{{"Google", "web log", "2"}}));
}

TEST(SearchKeywordRows, EqualCountsFollowReverseAlphabeticalOrder)
{
    SearchEngineTable engines;
    engines.addRow("se.example", "q=", "SE");
    engines.tally(
        {{"http://se.example/?q=alpha", 1}, {"http://se.example/?q=gamma", 1}, {"http://se.example/?q=beta", 1}});
    const std::vector<TextRow> rows = searchKeywordRows(engines, false);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][1], "gamma");
    EXPECT_EQ(rows[1][1], "beta");
    EXPECT_EQ(rows[2][1], "alpha");
}

TEST(ShippedSearchEngineTable, RecognisesTodaysEnginesOnceEach)
{
    SearchEngineTable engines;
    engines.load(shippedTable("seng.lklf"));
    ASSERT_FALSE(engines.empty());
    const CountedTextList urls = {
        {"https://www.google.com/search?q=larkspan+logs&oq=larkspan", 1},
        {"https://www.google.co.uk/", 1},
        {"https://www.google.com/url?q=https://example.com/page&sa=U", 1}, // a redirect carries no words
        {"https://www.bing.com/search?q=log+analyser&form=QBLH", 1},
        {"https://search.yahoo.com/search?p=weblog", 1},
        {"https://duckduckgo.com/?q=access%20log", 1},
        {"https://yandex.ru/search/?text=logs&lr=213", 1},
        {"https://www.baidu.com/s?wd=log", 1},
        {"https://www.ecosia.org/search?q=trees", 1},
        {"https://www.qwant.com/?q=qwant", 1},
        {"https://www.ask.com/web?q=ask", 1},
        {"https://search.aol.com/aol/search?q=aol", 1},
        {"https://search.naver.com/search.naver?query=naver", 1},
        {"https://search.seznam.cz/?q=seznam", 1},
    };
    engines.tally(urls);
    std::map<std::string, long long> byName;
    long long referrals = 0;
    for (const auto& row : engines.rows()) {
        if (row.referrals.empty()) continue;
        byName[row.name] += std::stoll(row.referrals);
        referrals += std::stoll(row.referrals);
    }
    EXPECT_EQ(referrals, static_cast<long long>(urls.size())); // no URL counted twice
    for (const char* name : {"Google", "Bing", "Yahoo", "DuckDuckGo", "Yandex", "Baidu", "Ecosia", "Qwant", "Ask",
                             "AOL", "Naver", "Seznam"})
        EXPECT_GE(byName[name], 1) << name;
    EXPECT_EQ(byName["Google"], 3);
    for (const auto& row : engines.rows()) {
        if (row.name == "Google" && !row.referrals.empty()) {
            EXPECT_EQ(row.phrases, "larkspan+logs");
            EXPECT_EQ(row.keywords, "");
        }
        if (row.name == "DuckDuckGo" && !row.referrals.empty()) {
            EXPECT_EQ(row.phrases, "access+log");
        }
    }
}

TEST(ShippedSearchEngineTable, RealSearchReferrersGiveOneEngineAndTheirWords)
{
    SearchEngineTable engines;
    engines.load(shippedTable("seng.lklf"));
    struct Case {
        const char* url;
        const char* engine;
        const char* words; // keyword or phrase; empty: none
    };
    const Case cases[] = {
        {"https://www.google.com/search?q=caf%C3%A9+au+lait&client=firefox-b-d", "Google", "café+au+lait"},
        {"https://encrypted.google.com/search?hl=en&q=log%20analyser", "Google", "log+analyser"},
        {"https://www.google.de/search?q=%E4%B8%AD%E6%96%87&ie=UTF-8", "Google", "中文"},
        {"https://www.google.com/url?q=https://example.com/page&sa=U&ved=2ahUKE", "Google", ""},
        {"https://scholar.google.com/scholar?hl=en&q=web+log+mining", "Google", "web+log+mining"},
        {"https://www.bing.com/search?q=larkspan&form=QBLH&sp=-1", "Bing", "larkspan"},
        {"https://r.duckduckgo.com/", "DuckDuckGo", ""},
        {"https://duckduckgo.com/?q=m%C3%BCller&t=h_&ia=web", "DuckDuckGo", "müller"},
        {"https://html.duckduckgo.com/html/?q=web+logs", "DuckDuckGo", "web+logs"},
        {"https://lite.duckduckgo.com/lite/?q=lite", "DuckDuckGo", "lite"},
        {"https://search.yahoo.co.jp/search?p=%E3%83%AD%E3%82%B0&fr=top", "Yahoo", "ログ"},
        {"https://yandex.ru/search/?text=%D0%BB%D0%BE%D0%B3&lr=213", "Yandex", "лог"},
        {"https://www.baidu.com/s?wd=%E6%97%A5%E5%BF%97&rsv_spt=1", "Baidu", "日志"},
        {"https://www.ecosia.org/search?method=index&q=trees", "Ecosia", "trees"},
        {"https://search.brave.com/search?q=brave+search&source=web", "Brave Search", "brave+search"},
        {"https://www.startpage.com/sp/search?query=privacy", "Startpage", "privacy"},
        {"https://kagi.com/search?q=kagi", "Kagi", "kagi"},
        {"https://search.naver.com/search.naver?where=nexearch&query=%EB%A1%9C%EA%B7%B8", "Naver", "로그"},
        {"https://you.com/search?q=you&tbm=youchat", "You.com", "you"},
        {"https://presearch.com/search?q=pre", "Presearch", "pre"},
        {"https://search.seznam.cz/?q=seznam", "Seznam", "seznam"},
    };
    for (const Case& c : cases) {
        engines.tally({{c.url, 1}});
        std::vector<std::string> matched;
        std::string words;
        for (const auto& row : engines.rows()) {
            if (row.referrals.empty()) continue;
            matched.push_back(row.name);
            words += row.keywords + row.phrases;
        }
        EXPECT_EQ(matched, std::vector<std::string>{c.engine}) << c.url;
        EXPECT_EQ(words, c.words) << c.url;
    }
}
