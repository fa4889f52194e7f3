#include "common/TextPatternSet.h"
#include "common/Text.h"

#include <gtest/gtest.h>

#include <random>

using namespace larkspan;

namespace {

// The straightforward matcher the set must agree with: lower-case both
// texts and try each pattern in list order.
struct ReferenceMatcher {
    std::vector<std::string> patterns;

    bool occurs(const std::string& pattern, std::string_view text) const
    {
        return !pattern.empty() && text::toLower(text).find(text::toLower(pattern)) != std::string::npos;
    }
    std::vector<std::size_t> allFound(std::string_view text) const
    {
        std::vector<std::size_t> found;
        for (std::size_t i = 0; i < patterns.size(); ++i)
            if (occurs(patterns[i], text)) found.push_back(i);
        return found;
    }
    std::size_t firstFound(std::string_view text) const
    {
        const std::vector<std::size_t> found = allFound(text);
        return found.empty() ? TextPatternSet::npos : found.front();
    }
    bool beginsWithAny(std::string_view text) const
    {
        for (const std::string& pattern : patterns)
            if (!pattern.empty() && text::istartsWith(text, pattern)) return true;
        return false;
    }
};

std::vector<std::size_t> allFound(const TextPatternSet& set, std::string_view text)
{
    std::vector<std::size_t> found{999}; // the call starts afresh
    set.allFound(text, found);
    return found;
}

} // namespace

TEST(TextPatternSet, TheFirstListedPatternWinsWhereverItOccurs)
{
    const TextPatternSet set(std::vector<std::string>{"Safari", "Chrome/", "chrome"});
    // Listed first, found last.
    EXPECT_EQ(set.firstFound("Mozilla/5.0 Chrome/124 Safari/537"), 0u);
    EXPECT_EQ(set.firstFound("Mozilla/5.0 CHROME/124"), 1u);
    EXPECT_EQ(set.firstFound("HeadlessChrome 1"), 2u);
    EXPECT_EQ(set.firstFound("Firefox/133.0"), TextPatternSet::npos);

    // A pattern inside a longer one, either way round.
    const TextPatternSet shortFirst(std::vector<std::string>{"bot", "googlebot"});
    const TextPatternSet longFirst(std::vector<std::string>{"googlebot", "bot"});
    EXPECT_EQ(shortFirst.firstFound("Googlebot/2.1"), 0u);
    EXPECT_EQ(longFirst.firstFound("Googlebot/2.1"), 0u);
    EXPECT_EQ(longFirst.firstFound("bingbot/2.0"), 1u);
    EXPECT_EQ(allFound(longFirst, "Googlebot/2.1"), (std::vector<std::size_t>{0, 1}));
}

TEST(TextPatternSet, PatternsEndingInsideOthersAreAllFound)
{
    // "she" ends inside "ushers" while "hers" is still being read, and "he"
    // ends inside both: the failure links must report all of them.
    const TextPatternSet set(std::vector<std::string>{"hers", "she", "he", "his"});
    EXPECT_EQ(allFound(set, "USHERS"), (std::vector<std::size_t>{0, 1, 2}));
    EXPECT_EQ(set.firstFound("ushe"), 1u);
    EXPECT_EQ(allFound(set, "ahishers"), (std::vector<std::size_t>{0, 1, 2, 3}));
    EXPECT_TRUE(set.containsAny("xxhexx"));
    EXPECT_FALSE(set.containsAny("xhxexsx"));
}

TEST(TextPatternSet, CaseTwinsDuplicatesAndEmptyPatterns)
{
    const TextPatternSet set(std::vector<std::string>{"", "Windows+NT", "windows+nt", "", "WINDOWS"});
    EXPECT_EQ(allFound(set, "(wInDoWs+Nt+10.0)"), (std::vector<std::size_t>{1, 2, 4}));
    EXPECT_EQ(set.firstFound("Windows+98"), 4u);
    EXPECT_EQ(set.firstFound(""), TextPatternSet::npos); // an empty pattern matches nothing
    EXPECT_FALSE(set.beginsWithAny(""));

    const TextPatternSet none(std::vector<std::string>{"", ""});
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(none.firstFound("anything"), TextPatternSet::npos);
    EXPECT_TRUE(allFound(none, "anything").empty());
    EXPECT_FALSE(none.beginsWithAny("anything"));
}

TEST(TextPatternSet, OnlyAsciiLettersAreFolded)
{
    // "É" and "é" are different bytes: like text::toLower, the set folds
    // only A-Z; every other byte, 8-bit and control bytes too, matches itself.
    const TextPatternSet set(std::vector<std::string>{"caf\xC3\xA9", std::string("a\0b", 3), "\xFF"});
    EXPECT_EQ(set.firstFound("CAF\xC3\xA9"), 0u);
    EXPECT_EQ(set.firstFound("caf\xC3\x89"), TextPatternSet::npos);
    EXPECT_EQ(set.firstFound(std::string("xA\0Bx", 5)), 1u);
    EXPECT_EQ(set.firstFound("\x7F\xFF"), 2u);
}

TEST(TextPatternSet, BeginningsAreMatchedOnlyFromTheStart)
{
    const TextPatternSet set(std::vector<std::string>{"Mozilla/5.0+(compatible;+Googlebot", "Googlebot", "Slurp"});
    EXPECT_TRUE(set.beginsWithAny("mozilla/5.0+(COMPATIBLE;+googlebot/2.1"));
    EXPECT_TRUE(set.beginsWithAny("GOOGLEBOT"));
    EXPECT_FALSE(set.beginsWithAny("Mozilla/5.0+(compatible;+Googlebo"));
    EXPECT_FALSE(set.beginsWithAny("Mozilla/5.0+(X11;+Googlebot"));
    EXPECT_FALSE(set.beginsWithAny("a Googlebot")); // found inside, not at the start
    EXPECT_TRUE(set.containsAny("a Googlebot"));
}

// Small alphabets make patterns overlap, nest and repeat far more often
// than real tables do; every answer must equal the reference's.
TEST(TextPatternSet, AgreesWithTryingEachPatternInTurn)
{
    std::mt19937 random(20261210);
    const std::string alphabet = "abAB+/\xE9";
    const auto pick = [&](std::size_t maxLength) {
        std::string s(random() % (maxLength + 1), ' ');
        for (char& c : s)
            c = alphabet[random() % alphabet.size()];
        return s;
    };
    for (int round = 0; round < 300; ++round) {
        ReferenceMatcher reference;
        const std::size_t count = random() % 10;
        for (std::size_t i = 0; i < count; ++i) {
            std::string pattern = pick(4);
            // Now and then a piece or a case twin of an earlier pattern.
            if (i > 0 && random() % 3 == 0) {
                const std::string& earlier = reference.patterns[random() % i];
                pattern = earlier.substr(0, random() % (earlier.size() + 1));
                if (random() % 2) pattern = text::toUpper(pattern);
            }
            reference.patterns.push_back(pattern);
        }
        const TextPatternSet set(reference.patterns);
        for (int t = 0; t < 40; ++t) {
            const std::string text = pick(16);
            SCOPED_TRACE("round " + std::to_string(round) + " text \"" + text + "\"");
            EXPECT_EQ(set.firstFound(text), reference.firstFound(text));
            EXPECT_EQ(allFound(set, text), reference.allFound(text));
            EXPECT_EQ(set.containsAny(text), !reference.allFound(text).empty());
            EXPECT_EQ(set.beginsWithAny(text), reference.beginsWithAny(text));
        }
    }
}
