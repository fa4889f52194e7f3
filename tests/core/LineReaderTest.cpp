#include "import/LineReader.h"
#include "common/Error.h"
#include "fakes/Gzip.h"
#include "fakes/TempFolder.h"
#include "import/LogLine.h"
#include "import/Utf16Text.h"

#include <algorithm>
#include <gtest/gtest.h>

#include <iterator>
#include <random>

using namespace larkspan;
using larkspan::testing::gzip;
using larkspan::testing::TempFolder;

namespace {

std::vector<std::string> readAll(const std::string& path)
{
    LineReader reader;
    EXPECT_TRUE(reader.open(path));
    std::vector<std::string> lines;
    std::string_view line;
    while (reader.next(line))
        lines.emplace_back(line);
    EXPECT_TRUE(reader.atEnd());
    return lines;
}

} // namespace

TEST(LineReader, EachBreakEndsOneLine)
{
    TempFolder temp;
    const std::string nul("n\0l", 3);
    EXPECT_EQ(readAll(temp.write("a", "a\r\nb\rc\n\nd\r\r\n" + nul + "\n\xff\xfe last")),
              (std::vector<std::string>{"a", "b", "c", "", "d", "", nul, "\xff\xfe last"}));
    EXPECT_TRUE(readAll(temp.write("empty", "")).empty());
    EXPECT_EQ(readAll(temp.write("one", "\n")), std::vector<std::string>{""});
}

TEST(LineReader, BlockBoundariesAndLongLines)
{
    TempFolder temp;
    // A CR LF split over the 1 MB block boundary is one break.
    std::string first((1 << 20) - 1, 'x');
    const std::string longLine(3 << 20, 'y');
    const auto lines = readAll(temp.write("b", first + "\r\n" + longLine + "\nz"));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], first);
    EXPECT_EQ(lines[1], longLine);
    EXPECT_EQ(lines[2], "z");
    // A lone CR at the block's end, then a line.
    const auto split = readAll(temp.write("c", first + "\rq\n"));
    ASSERT_EQ(split.size(), 2u);
    EXPECT_EQ(split[1], "q");
}

TEST(LineReader, GzipIsReadTransparently)
{
    TempFolder temp;
    std::string content;
    for (int i = 0; i < 50000; ++i)
        content += "line " + std::to_string(i) + "\r\n";
    const std::string packed = gzip(content);
    const auto lines = readAll(temp.write("a.log.gz", packed));
    ASSERT_EQ(lines.size(), 50000u);
    EXPECT_EQ(lines.back(), "line 49999");
    // Damaged compressed data is a readable failure, not a crash.
    LineReader reader;
    ASSERT_TRUE(reader.open(temp.write("bad.gz", packed.substr(0, packed.size() / 2))));
    std::string_view line;
    EXPECT_THROW(while (reader.next(line)){}, Error);
    EXPECT_FALSE(LineReader().open(temp.file("missing")));
}

TEST(NcsaNormalisation, QuotedFields)
{
    std::string out, scratch;
    logline::normaliseNcsa("h - u [10/Oct/2000:13:55:36 -0700] \"GET /a  b   HTTP/1.0\" 200 1 \"r e f\" \"u a\"", out,
                           scratch);
    EXPECT_EQ(out, "h - u 2000-10-10 13:55:36 GET /a b HTTP/1.0 200 1 r+e+f u+a");
    logline::normaliseNcsa("h - u [10/Oct/2000:13:55:36 -0700] \"\" 400 1", out, scratch);
    EXPECT_EQ(out, "h - u 2000-10-10 13:55:36  400 1");
    // A field whose text begins with a quote opens another field where it stood.
    logline::normaliseNcsa("h [01/Jan/2000:00:00:00 +0000] \"G\" \"\"x y\" z\" w", out, scratch);
    EXPECT_EQ(out, "h 2000-01-01 00:00:00 G x+y+z w");
    // An unclosed field stops the rewriting and keeps its quote.
    logline::normaliseNcsa("h [01/Jan/2000:00:00:00 +0000] \"G\" \"a b\" \"c d", out, scratch);
    EXPECT_EQ(out, "h 2000-01-01 00:00:00 G a+b \"c d");
    EXPECT_EQ(logline::field("a b  c", 3), "");
    EXPECT_EQ(logline::field("a b  c", 4), "c");
    EXPECT_EQ(logline::field("a b", 5), "");
    // Runs of blanks in the request become one, wherever they stand in the
    // blocks the request is searched in.
    for (std::size_t length = 2; length < 70; ++length) {
        for (std::size_t pair = 0; pair + 1 < length; pair += 1 + length / 9) {
            std::string request(length, 'r');
            request[length / 2] = ' ';
            request[pair] = request[pair + 1] = ' ';
            std::string collapsed;
            for (const char c : request)
                if (c != ' ' || collapsed.empty() || collapsed.back() != ' ') collapsed += c;
            logline::normaliseNcsa("h - u [10/Oct/2000:13:55:36 -0700] \"" + request + "\" 200 1", out, scratch);
            ASSERT_EQ(out, "h - u 2000-10-10 13:55:36 " + collapsed + " 200 1") << length << " " << pair;
        }
    }
    // Every blank of a quoted field becomes "+", wherever it stands in the
    // blocks the field is rewritten in, both in the usual shape and not.
    for (std::size_t length = 1; length < 70; ++length) {
        for (std::size_t blank = 0; blank < length; blank += 1 + length / 8) {
            std::string agent(length, 'a');
            agent[blank] = ' ';
            agent.back() = ' ';
            std::string expected = agent;
            std::replace(expected.begin(), expected.end(), ' ', '+');
            for (const std::string lead : {"h - u", "h \"q\" u"}) {
                logline::normaliseNcsa(
                    lead + " [10/Oct/2000:13:55:36 -0700] \"GET / HTTP/1.0\" 200 1 \"" + agent + "\"", out, scratch);
                ASSERT_EQ(out.substr(out.rfind(' ') + 1), expected) << lead << " " << length << " " << blank;
            }
        }
    }
}

TEST(NcsaNormalisation, HostileLinesStayLinear)
{
    std::string out, scratch;
    // Hundreds of thousands of quoted fields and brackets in one line: must
    // finish (a rescan from the start per field would take hours).
    std::string line = "h [01/Jan/2000:00:00:00 +0000] ";
    for (int i = 0; i < 200000; ++i)
        line += "\"a b\" [01/Jan/2000:00:00:00 +0000] ";
    logline::normaliseNcsa(line, out, scratch);
    EXPECT_EQ(out.substr(0, 30), "h 2000-01-01 00:00:00 a b 2000");
    std::string quotes = "h [01/Jan/2000:00:00:00 +0000] \"G\" ";
    quotes += std::string(300000, '"');
    quotes += " x\" ";
    logline::normaliseNcsa(quotes, out, scratch);
    EXPECT_FALSE(out.empty());
}

// Lines near the usual record shape and far from it: pieces of real
// records, stray quotes, brackets, blanks and control characters, glued at
// random and then mutated a little.
std::string randomRecordLike(std::mt19937& random)
{
    static const char* const kPieces[] = {"host-1.example.com",
                                          " - ",
                                          "-",
                                          " ",
                                          "  ",
                                          "\"",
                                          "\"\"",
                                          "[",
                                          "]",
                                          "] ",
                                          "] \"",
                                          "/",
                                          "\t",
                                          "x\"y",
                                          "[01/Jan/2026:00:04:04 +0000]",
                                          "[10/Oct/2000:13:55:36 -0700] ",
                                          "[1/Oc",
                                          "\"GET / HTTP/1.1\"",
                                          "\"GET  /a  b HTTP/1.0\" ",
                                          " 200 20232 ",
                                          "\"https://www.bing.com/search?q=a b\"",
                                          " \"Mozilla/5.0 (X11)\"",
                                          " \"\"x y\" z\"",
                                          "\" ",
                                          " \"",
                                          "u\xE9",
                                          "\r"};
    static const char kMutations[] = {' ', '"', '[', ']', '/', 'a', '\t'};
    std::string line;
    if (random() % 2 == 0) {
        line = "host-98-77-209-99.example.co.uk - - [01/Jan/2026:00:04:04 +0000] \"GET /a b HTTP/1.1\" 200 20232 "
               "\"https://www.bing.com/search?q=web log\" \"Mozilla/5.0 (X11; Linux) Firefox/133.0\"";
    } else {
        const std::size_t count = 1 + random() % 12;
        for (std::size_t i = 0; i < count; ++i)
            line += kPieces[random() % std::size(kPieces)];
    }
    const std::size_t mutations = random() % 4;
    for (std::size_t i = 0; i < mutations && !line.empty(); ++i) {
        const std::size_t at = random() % line.size();
        switch (random() % 3) {
        case 0:
            line[at] = kMutations[random() % std::size(kMutations)];
            break;
        case 1:
            line.erase(at, 1 + random() % 3);
            break;
        default:
            line.insert(at, 1, kMutations[random() % std::size(kMutations)]);
            break;
        }
    }
    return line;
}

TEST(NcsaNormalisation, TheSinglePassAgreesWithTheGeneralRewriting)
{
    std::mt19937 random(20261210);
    std::string fast, general, scratch;
    for (int i = 0; i < 60000; ++i) {
        const std::string line = randomRecordLike(random);
        logline::normaliseNcsa(line, fast, scratch);
        logline::normaliseNcsaGeneral(line, general, scratch);
        ASSERT_EQ(fast, general) << "line: " << line;
        const bool record = logline::isBracketRecord(line);
        ASSERT_EQ(logline::rewriteBracketRecord(line, fast, scratch), record) << "line: " << line;
        if (record) {
            ASSERT_EQ(fast, general) << "line: " << line;
        }
    }
    // The usual shapes themselves, quote at the very end included.
    for (const char* line : {"h - - [01/Jan/2026:00:04:04 +0000] \"GET / HTTP/1.1\" 200 1 \"-\" \"a b\"",
                             "h - - [01/Jan/2026:00:04:04 +0000] \"GET / HTTP/1.1\"",
                             "h - - [01/Jan/2026:00:04:04 +0000] \"GET / HTTP/1.1\" 200 1 \"\" \"a b\"",
                             "h - - [01/Jan/2026:00:04:04 +0000] \"GET / HTTP/1.1\" 200 1 \"a\"b c\" \"d",
                             " h [1/Jan/2026:00:04:04 +0000] \" G \" 2 \t",
                             "h - - [01/Jan/2026:00:04:04 +0000] \"  GET  /x   HTTP/1.1  \" 200 1 \"a  b\""}) {
        logline::normaliseNcsa(line, fast, scratch);
        logline::normaliseNcsaGeneral(line, general, scratch);
        EXPECT_EQ(fast, general) << line;
    }
    // Brackets and quotes on either side of each 64-byte stretch a line is
    // looked at in.
    for (std::size_t pad = 0; pad < 140; ++pad) {
        const std::string line = std::string(pad, 'h') + " - - [01/Jan/2026:00:04:04 +0000] \"GET /" +
                                 std::string(pad % 70, 'p') + " HTTP/1.1\" 200 1 \"r\" \"a b\"";
        logline::normaliseNcsa(line, fast, scratch);
        logline::normaliseNcsaGeneral(line, general, scratch);
        ASSERT_EQ(fast, general) << line;
        ASSERT_NE(fast.find("2026-01-01 00:04:04 GET /"), std::string::npos) << fast;
    }
}

TEST(NcsaNormalisation, LongFieldsAndFarFieldsAreFoundAndRewrittenWhole)
{
    std::mt19937 random(7);
    // Fields of every length around the sixteen bytes searched at a time.
    for (int round = 0; round < 2000; ++round) {
        const char separator = round % 2 == 0 ? ' ' : '\t';
        std::vector<std::string> fields(1 + random() % 40);
        std::string line;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            fields[i] = std::string(random() % 35, static_cast<char>('a' + i % 26));
            if (i > 0) line += separator;
            line += fields[i];
        }
        for (std::size_t position = 1; position <= fields.size() + 2; ++position) {
            const std::string expected = position <= fields.size() ? fields[position - 1] : "";
            ASSERT_EQ(logline::field(line, position, separator), expected) << line << " @" << position;
        }
    }
    std::string agent;
    for (int i = 0; i < 70; ++i)
        agent += i % 7 == 0 ? "  " : i % 5 == 0 ? " " : "x";
    std::string plussed = agent;
    for (char& c : plussed)
        if (c == ' ') c = '+';
    std::string out, scratch;
    logline::normaliseNcsa("h - - [01/Jan/2026:00:04:04 +0000] \"GET /a      b      c HTTP/1.1\" 200 1 \"" + agent +
                               "\" \"" + agent + "\"",
                           out, scratch);
    EXPECT_EQ(out, "h - - 2026-01-01 00:04:04 GET /a b c HTTP/1.1 200 1 " + plussed + " " + plussed);
}

TEST(LineReader, TinyBlocksGiveTheSameLines)
{
    TempFolder temp;
    std::string content;
    for (int i = 0; i < 300; ++i)
        content += std::string(static_cast<std::size_t>(i % 37), 'a' + i % 26) + (i % 3 == 0   ? "\r\n"
                                                                                  : i % 3 == 1 ? "\n"
                                                                                               : "\r");
    const std::string path = temp.write("t", content);
    const auto expected = readAll(path);
    ASSERT_EQ(expected.size(), 300u);
    for (std::size_t block : {16u, 17u, 31u, 64u}) {
        LineReader reader(block);
        ASSERT_TRUE(reader.open(path));
        std::vector<std::string> lines;
        std::string_view line;
        while (reader.next(line))
            lines.emplace_back(line);
        EXPECT_EQ(lines, expected) << block;
    }
}

TEST(LineReader, OverlongLinesAreCut)
{
    TempFolder temp;
    const std::string path =
        temp.write("long", "short\n" + std::string(1000, 'x') + "\r\nnext\r" + std::string(50, 'y'));
    for (std::size_t block : {16u, 64u, 4096u}) {
        LineReader reader(block, 100);
        ASSERT_TRUE(reader.open(path));
        std::vector<std::string> lines;
        std::string_view line;
        while (reader.next(line))
            lines.emplace_back(line);
        EXPECT_EQ(lines, (std::vector<std::string>{"short", std::string(100, 'x'), "next", std::string(50, 'y')}))
            << block;
    }
}

namespace {

std::string utf16(const std::u16string& text, bool bigEndian)
{
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        out += bigEndian ? high : low;
        out += bigEndian ? low : high;
    }
    return out;
}

} // namespace

TEST(LineReader, Utf16IsReadAsUtf8)
{
    TempFolder temp;
    // U+010A holds the byte of a line feed: only whole code units break lines.
    const std::u16string text = u"#Fields: date cs-uri-stem\r\n2000-10-10 /caf\u00e9/\u010a/\U0001F600\r\nlast";
    const std::vector<std::string> expected = {"#Fields: date cs-uri-stem",
                                               "2000-10-10 /caf\xC3\xA9/\xC4\x8A/\xF0\x9F\x98\x80", "last"};
    EXPECT_EQ(readAll(temp.write("le.log", utf16(text, false))), expected);
    EXPECT_EQ(readAll(temp.write("be.log", utf16(text, true))), expected);
    // A lone surrogate and a dangling last byte are replaced, not dropped silently.
    const std::u16string loneSurrogate{u'a', char16_t(0xD800), u'b'};
    EXPECT_EQ(readAll(temp.write("bad.log", utf16(loneSurrogate, false) + "c")),
              std::vector<std::string>{"a\xEF\xBF\xBD"
                                       "b\xEF\xBF\xBD"});

    // Code units and surrogate pairs split between blocks are carried over.
    const std::string bytes = utf16(text, false).substr(2);
    std::string whole, pieces;
    Utf16Decoder(Utf16Order::LittleEndian).decode(bytes, whole);
    Utf16Decoder split(Utf16Order::LittleEndian);
    for (char c : bytes)
        split.decode(std::string_view(&c, 1), pieces);
    split.finish(pieces);
    EXPECT_EQ(pieces, whole);
}

namespace {

// Keeps every buffer a reader leaves, and counts them.
class KeepEverything : public LineReader::BufferKeeper {
  public:
    std::vector<char> freshBuffer(std::size_t size) override { return std::vector<char>(size, '#'); }
    void keep(std::vector<char> used) override { kept.push_back(std::move(used)); }
    std::vector<std::vector<char>> kept;
};

} // namespace

TEST(LineReader, WithAKeeperEveryLineHandedOutStaysAsItWasRead)
{
    TempFolder temp;
    std::string content;
    for (int i = 0; i < 400; ++i)
        content += std::string(static_cast<std::size_t>(i * 13 % 211), 'a' + i % 26) + (i % 3 == 0   ? "\r\n"
                                                                                        : i % 3 == 1 ? "\n"
                                                                                                     : "\r");
    content += std::string(900, 'L') + "\nend";
    const std::string plain = temp.write("k", content);
    const std::string packed = temp.write("k.gz", gzip(content));
    const auto expected = readAll(plain);
    for (const std::string& path : {plain, packed}) {
        for (std::size_t block : {16u, 64u, 1000u}) {
            KeepEverything keeper;
            LineReader reader(block);
            ASSERT_TRUE(reader.open(path));
            reader.keepBuffers(&keeper);
            std::vector<std::string_view> views;
            std::string_view line;
            while (reader.next(line)) {
                views.push_back(line);
                // Text put in front mid-way moves the unread bytes, but not
                // the lines read.
                if (views.size() == 200) reader.prepend("front\n");
            }
            ASSERT_EQ(views.size(), expected.size() + 1) << path << " " << block;
            for (std::size_t i = 0, e = 0; i < views.size(); ++i) {
                if (i == 200) {
                    EXPECT_EQ(views[i], "front");
                    continue;
                }
                EXPECT_EQ(views[i], expected[e++]) << path << " " << block << " line " << i;
            }
            EXPECT_FALSE(keeper.kept.empty());
        }
    }
}
