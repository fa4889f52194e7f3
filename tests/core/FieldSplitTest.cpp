#include "common/FieldSplit.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using larkspan::text::AdjacentDelimiters;
using larkspan::text::ByteScan;
using larkspan::text::kSplitFailed;
using larkspan::text::splitValues;

namespace {

// Every byte scan this machine runs; each must split as the plain rules say.
std::vector<ByteScan> runnableScans()
{
    std::vector<ByteScan> scans;
    for (ByteScan scan : {ByteScan::Portable, ByteScan::Sse2, ByteScan::Avx2})
        if (larkspan::text::canScan(scan)) scans.push_back(scan);
    return scans;
}

const char* nameOf(ByteScan scan)
{
    return scan == ByteScan::Avx2 ? "AVX2" : scan == ByteScan::Sse2 ? "SSE2" : "portable";
}

// The rules spelt out one byte at a time.
std::vector<std::string_view> plainSplit(std::string_view line, char delimiter, std::size_t room,
                                         AdjacentDelimiters adjacent, bool& failed)
{
    std::vector<std::string_view> values;
    std::size_t start = 0;
    failed = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] != delimiter) continue;
        if (adjacent == AdjacentDelimiters::Rejected && i > 0 && line[i - 1] == delimiter) failed = true;
        values.push_back(line.substr(start, i - start));
        start = i + 1;
    }
    values.push_back(line.substr(start));
    if (values.size() > room) failed = true;
    return values;
}

// Splits line as it lies inside a buffer framed by delimiters, so that a
// byte read outside the line would show.
void expectSameAsPlain(const std::string& line, char delimiter, std::size_t room, AdjacentDelimiters adjacent)
{
    const std::string framed = std::string(70, delimiter) + line + std::string(70, delimiter);
    const std::string_view view(framed.data() + 70, line.size());
    bool failed = false;
    const std::vector<std::string_view> expected = plainSplit(view, delimiter, room, adjacent, failed);
    for (ByteScan scan : runnableScans()) {
        std::vector<std::string_view> values(room, "unset");
        const std::size_t count = larkspan::text::splitValuesWith(scan, view, delimiter, values, adjacent);
        SCOPED_TRACE(::testing::Message() << nameOf(scan) << ", line of " << line.size() << " bytes, room " << room);
        if (failed) {
            ASSERT_EQ(count, kSplitFailed);
            continue;
        }
        ASSERT_EQ(count, expected.size());
        for (std::size_t i = 0; i < count; ++i) {
            ASSERT_EQ(values[i], expected[i]) << "value " << i;
            ASSERT_EQ(values[i].data(), expected[i].data()) << "value " << i << " does not view the line";
        }
    }
}

} // namespace

TEST(FieldSplit, EmptyValuesAtTheEndsAndAdjacentDelimiters)
{
    std::vector<std::string_view> values(4);
    EXPECT_EQ(splitValues(" a b ", ' ', values), 4u);
    EXPECT_EQ(values[0], "");
    EXPECT_EQ(values[3], "");
    EXPECT_EQ(splitValues("", ' ', values), 1u);
    EXPECT_EQ(values[0], "");
    EXPECT_EQ(splitValues("a  b", ' ', values), 3u);
    EXPECT_EQ(splitValues("a  b", ' ', values, AdjacentDelimiters::Rejected), kSplitFailed);
    EXPECT_EQ(splitValues("  ", ' ', values, AdjacentDelimiters::Rejected), kSplitFailed);
    EXPECT_EQ(splitValues(" ", ' ', values, AdjacentDelimiters::Rejected), 2u);
    // Only the delimiter asked for splits: a TAB split keeps blanks.
    EXPECT_EQ(splitValues("a b\tc d", '\t', values), 2u);
    EXPECT_EQ(values[1], "c d");
    // One value too many fails; exactly as many as there is room for does not.
    EXPECT_EQ(splitValues("1 2 3 4", ' ', values), 4u);
    EXPECT_EQ(splitValues("1 2 3 4 5", ' ', values), kSplitFailed);
    EXPECT_EQ(splitValues("1 2 3 4 ", ' ', values), kSplitFailed);
    EXPECT_EQ(splitValues("x", ' ', std::span<std::string_view>()), kSplitFailed);
}

TEST(FieldSplit, DelimitersAtEveryPositionOfTheSearchedBlocks)
{
    // One or two delimiters at each position of lines around the 16- and
    // 64-byte block lengths, in lines of every length up to three blocks.
    for (std::size_t length = 0; length <= 200; ++length) {
        for (std::size_t at = 0; at < length; ++at) {
            std::string line(length, 'x');
            line[at] = ' ';
            expectSameAsPlain(line, ' ', 3, AdjacentDelimiters::Rejected);
            if (at + 1 < length) {
                line[at + 1] = ' ';
                expectSameAsPlain(line, ' ', 3, AdjacentDelimiters::Rejected);
                expectSameAsPlain(line, ' ', 3, AdjacentDelimiters::Allowed);
            }
        }
    }
}

TEST(FieldSplit, TheMachinesWidestScanIsTheOneUsed)
{
    EXPECT_TRUE(larkspan::text::canScan(ByteScan::Portable));
    EXPECT_TRUE(larkspan::text::canScan(larkspan::text::bestByteScan()));
    EXPECT_EQ(larkspan::text::bestByteScan(), runnableScans().back());
    // The splitter fetched once is that scan's, with the rule asked for.
    std::vector<std::string_view> values(3);
    const larkspan::text::LineSplitter split = larkspan::text::bestLineSplitter();
    const larkspan::text::SplitLine line = split("a b c\r\nd e", ' ', values, true);
    EXPECT_EQ(line.length, 6u);
    EXPECT_EQ(line.count, 3u);
    EXPECT_EQ(values[2], "c\r");
    EXPECT_EQ(split("a  b\n", ' ', values, true).count, kSplitFailed);
    EXPECT_EQ(split("a  b\n", ' ', values, false).count, 3u);
}

TEST(FieldSplit, RunsOfDelimitersFillWholeStretches)
{
    // Up to 64 delimiters in one stretch, with room for exactly as many
    // values, one fewer, one more and a few hundred.
    for (std::size_t length = 0; length <= 300; ++length) {
        const std::string line(length, ' ');
        for (std::size_t room : {length, length + 1, length + 2, std::size_t{256}, std::size_t{257}})
            expectSameAsPlain(line, ' ', room, AdjacentDelimiters::Allowed);
        std::string alternating(length, 'a');
        for (std::size_t i = 1; i < length; i += 2)
            alternating[i] = '\t';
        for (std::size_t room : {length / 2, length / 2 + 1, length / 2 + 2})
            expectSameAsPlain(alternating, '\t', room, AdjacentDelimiters::Rejected);
    }
}

TEST(FieldSplit, RandomLinesSplitAsThePlainRulesSay)
{
    std::mt19937 random(20261210);
    // Delimiters, blanks, TABs, CR, NUL and 8-bit bytes, with the delimiter
    // common enough to give runs of it.
    const std::string alphabet = std::string("  \t\tab\r\x00\x80\xff\xe9-/.", 15);
    for (int round = 0; round < 20000; ++round) {
        const std::size_t length = random() % (round % 10 == 0 ? 600 : 130);
        std::string line(length, 'x');
        for (char& c : line)
            if (random() % 3 == 0) c = alphabet[random() % alphabet.size()];
        const char delimiter = random() % 2 ? ' ' : '\t';
        // Rooms around the usual field counts and far beyond the inline store.
        const std::size_t rooms[] = {1, 2, 12, 40, 70, 300};
        const std::size_t room = rooms[random() % std::size(rooms)];
        expectSameAsPlain(line, delimiter, room,
                          random() % 2 ? AdjacentDelimiters::Rejected : AdjacentDelimiters::Allowed);
    }
}

TEST(FieldSplit, ALineSplitAtTheStartOfATextEndsAtItsFirstLineBreak)
{
    std::mt19937 random(4);
    const std::string alphabet = std::string("  \t\n\r\x00\x80"
                                             "ab",
                                             9);
    for (int round = 0; round < 20000; ++round) {
        std::string text(random() % (round % 10 == 0 ? 400 : 150), 'x');
        for (char& c : text)
            if (random() % 4 == 0) c = alphabet[random() % alphabet.size()];
        // Line breaks beyond the text must not count.
        const std::string framed = text + "\n\n";
        const std::string_view view(framed.data(), text.size());
        const std::size_t room = 1 + random() % 20;
        const auto adjacent = random() % 2 ? AdjacentDelimiters::Rejected : AdjacentDelimiters::Allowed;
        const std::size_t lineBreak = view.find('\n');
        bool failed = false;
        const std::vector<std::string_view> expected =
            plainSplit(view.substr(0, lineBreak), ' ', room, adjacent, failed);
        for (ByteScan scan : runnableScans()) {
            SCOPED_TRACE(::testing::Message() << nameOf(scan) << ", round " << round);
            std::vector<std::string_view> values(room);
            const larkspan::text::SplitLine split = larkspan::text::splitLineWith(scan, view, ' ', values, adjacent);
            ASSERT_EQ(split.length, lineBreak);
            if (failed) {
                ASSERT_EQ(split.count, kSplitFailed);
                continue;
            }
            ASSERT_EQ(split.count, expected.size());
            for (std::size_t i = 0; i < split.count; ++i)
                ASSERT_EQ(values[i], expected[i]) << "value " << i;
        }
    }
}
