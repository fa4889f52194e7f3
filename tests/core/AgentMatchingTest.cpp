// The one-pass matching of user agents and referrers against the shipped
// tables, compared with the plain rules: lower-case the text and try every
// row in table order.
#include "ShippedTables.h"
#include "common/CellTable.h"
#include "common/Text.h"
#include "common/TextFile.h"
#include "reports/AgentClassifier.h"
#include "reports/AgentTallies.h"
#include "reports/BrowserTable.h"
#include "reports/KeywordExtraction.h"
#include "reports/OperatingSystemTable.h"
#include "reports/RobotList.h"
#include "reports/SearchEngineTable.h"

#include <gtest/gtest.h>

#include <random>

using namespace larkspan;

namespace {

bool containsIgnoringCase(std::string_view text, std::string_view part)
{
    return !part.empty() && text::toLower(text).find(text::toLower(part)) != std::string::npos;
}

struct ShippedAgentTables {
    std::vector<std::string> robotEntries = loadList(shippedTable("rasags.lklf"));
    RobotList robots{robotEntries};
    BrowserTable families;
    OperatingSystemTable systems;
    ShippedAgentTables()
    {
        families.load(shippedTable("browsers.lklf"));
        systems.load(shippedTable("agntos.lklf"));
    }

    // The robot verdict and the family's row (or null) by the plain rules.
    std::pair<bool, const BrowserTable::Row*> judge(std::string_view agent) const
    {
        for (const char* word : {"spider", "crawler", "robot"})
            if (containsIgnoringCase(agent, word)) return {true, nullptr};
        for (const std::string& entry : robotEntries)
            if (!entry.empty() && text::istartsWith(agent, entry)) return {true, nullptr};
        for (const BrowserTable::Row& row : families.rows())
            if (containsIgnoringCase(agent, row.marker)) return {row.robot, &row};
        return {false, nullptr};
    }
};

// Agents made of the tables' own texts, in any order and case, so that
// several rows match one agent and robot-list beginnings are met, missed
// by a byte, or found in the middle.
class AgentMaker {
  public:
    explicit AgentMaker(const ShippedAgentTables& tables)
    {
        for (const BrowserTable::Row& row : tables.families.rows())
            pieces_.push_back(row.marker);
        for (const OperatingSystemTable::Row& row : tables.systems.rows())
            pieces_.push_back(row.marker);
        for (const std::string& entry : tables.robotEntries)
            pieces_.push_back(entry);
        for (const char* filler : {"Mozilla/5.0+(", ";+", ")+", "Gecko/20100101", "rObOt", "Spider", "-", "null;"})
            pieces_.push_back(filler);
    }

    std::string make()
    {
        std::string agent;
        const std::size_t count = 1 + random_() % 5;
        for (std::size_t i = 0; i < count; ++i) {
            std::string piece = pieces_[random_() % pieces_.size()];
            if (random_() % 4 == 0 && !piece.empty()) piece.pop_back();
            if (random_() % 4 == 0) piece = text::toUpper(piece);
            agent += piece;
        }
        return agent;
    }

  private:
    std::mt19937 random_{4141};
    std::vector<std::string> pieces_;
};

} // namespace

TEST(AgentClassifier, AgreesWithThePlainRulesOnTheShippedTables)
{
    const ShippedAgentTables tables;
    ASSERT_FALSE(tables.families.empty());
    const AgentClassifier classifier(tables.robots, &tables.families);
    AgentMaker maker(tables);
    for (int i = 0; i < 3000; ++i) {
        const std::string agent = maker.make();
        const auto [robot, family] = tables.judge(agent);
        const BrowserIdentity identity = classifier.identify(agent);
        ASSERT_EQ(identity.robot, robot) << agent;
        ASSERT_EQ(classifier.isRobot(agent), robot) << agent;
        if (robot) continue;
        if (family) {
            ASSERT_EQ(identity.name, family->family) << agent;
        } else { // the older naming, which no table changes
            ASSERT_EQ(identity.name, identifyBrowser(agent, RobotList()).name) << agent;
        }
    }
}

TEST(AgentClassifier, RobotWordsAndTheRobotListComeBeforeTheBrowserTable)
{
    BrowserTable families;
    families.addRow("Chrome/", "Chrome");
    families.addRow("Crawl", "Crawly", true);
    families.addRow("Chrome", "Chrome without a version");
    const AgentClassifier classifier(RobotList({"Mozilla/5.0+(compatible;+Chrome"}), &families);
    EXPECT_TRUE(classifier.identify("Chrome/1+ROBOT").robot);                     // a word beats the table
    EXPECT_TRUE(classifier.identify("mozilla/5.0+(Compatible;+Chrome/9)").robot); // so does the list
    EXPECT_EQ(classifier.identify("Mozilla/5.0+(X11)+Chrome/9").name, "Chrome");  // the first row, not the longest
    EXPECT_EQ(classifier.identify("HeadlessChrome").name, "Chrome without a version");
    EXPECT_TRUE(classifier.isRobot("Crawl+Chrome"));    // a robot row
    EXPECT_FALSE(classifier.isRobot("Chrome/1+Crawl")); // an earlier browser row wins
}

TEST(AgentClassifier, CopiesOfTheRunTablesOutliveTheOriginals)
{
    std::optional<AgentClassifier> classifier;
    {
        BrowserTable families;
        families.addRow("Firefox/", "Firefox");
        classifier.emplace(RobotList({"Slurp"}), &families);
    }
    EXPECT_EQ(classifier->identify("Mozilla/5.0+Firefox/133.0").name, "Firefox");
    EXPECT_TRUE(classifier->isRobot("slurp"));
}

TEST(OperatingSystemTally, AgreesWithCountingRowByRowOnTheShippedTable)
{
    const ShippedAgentTables tables;
    AgentMaker maker(tables);
    CountedTextList agents;
    std::vector<std::string> texts;
    for (int i = 0; i < 2000; ++i)
        texts.push_back(maker.make());
    for (std::size_t i = 0; i < texts.size(); ++i)
        agents.push_back({texts[i], static_cast<long long>(1 + i % 7)});

    std::vector<long long> expected;
    for (const OperatingSystemTable::Row& row : tables.systems.rows()) {
        long long count = 0;
        for (const CountedText& agent : agents)
            if (containsIgnoringCase(agent.text, row.marker)) count += agent.count;
        expected.push_back(count);
    }
    EXPECT_EQ(tallyOperatingSystems(agents, tables.systems).rowCounts, expected);
}

TEST(SearchEngineTable, AgreesWithScanningEveryUrlPerEngineOnTheShippedTable)
{
    CellTable shipped;
    ASSERT_TRUE(shipped.loadIfReadable(shippedTable("seng.lklf")));
    SearchEngineTable engines;
    engines.assign(shipped);
    std::vector<std::string> markers;
    for (const SearchEngineTable::Row& row : engines.rows())
        markers.push_back(row.marker);

    // URLs holding one or two engines' markers (in any case), with search words.
    std::mt19937 random(300);
    std::vector<std::string> urls;
    for (int i = 0; i < 1500; ++i) {
        std::string url = "https" + markers[random() % markers.size()] + "x/search?q=word" + std::to_string(i % 13);
        if (i % 3 == 0) url += "&p=two+words&text=" + markers[random() % markers.size()];
        if (i % 5 == 0) url = text::toUpper(url);
        urls.push_back(url);
    }
    CountedTextList referrers;
    for (std::size_t i = 0; i < urls.size(); ++i)
        referrers.push_back({urls[i], static_cast<long long>(1 + i % 4)});
    engines.tally(referrers);

    for (const SearchEngineTable::Row& row : engines.rows()) {
        long long referrals = 0;
        std::string keywords;
        std::string phrases;
        const std::vector<std::string> parameters = text::split(row.parameters, ';');
        for (const CountedText& referrer : referrers) {
            if (!containsIgnoringCase(referrer.text, row.marker)) continue;
            referrals += referrer.count;
            const keywords::SearchWords words = keywords::extract(referrer.text, parameters);
            if (!words.keyword.empty()) keywords += (keywords.empty() ? "" : ",") + words.keyword;
            if (!words.phrase.empty()) phrases += (phrases.empty() ? "" : ",") + words.phrase;
        }
        EXPECT_EQ(row.referrals, referrals ? std::to_string(referrals) : "") << row.marker;
        EXPECT_EQ(row.keywords, keywords) << row.marker;
        EXPECT_EQ(row.phrases, phrases) << row.marker;
    }
}
