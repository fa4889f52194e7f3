#include "import/ReadAheadLines.h"
#include "common/Error.h"
#include "fakes/Gzip.h"
#include "fakes/TempFolder.h"
#include "import/LineReader.h"
#include "import/LogLine.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

using namespace larkspan;
using larkspan::testing::gzip;
using larkspan::testing::TempFolder;

namespace {

std::vector<std::string> linesOf(LineSource& source)
{
    std::vector<std::string> lines;
    std::string_view line;
    while (source.next(line))
        lines.emplace_back(line);
    EXPECT_TRUE(source.atEnd());
    return lines;
}

std::vector<std::string> readDirectly(const std::string& path, std::size_t block = LineReader::kDefaultBlockSize)
{
    LineReader reader(block);
    EXPECT_TRUE(reader.open(path));
    return linesOf(reader);
}

std::vector<std::string> readAhead(const std::string& path, std::size_t block = LineReader::kDefaultBlockSize)
{
    LineReader reader(block);
    EXPECT_TRUE(reader.open(path));
    ReadAheadLines::Blocks blocks;
    ReadAheadLines ahead(reader, blocks);
    return linesOf(ahead);
}

// Mixed breaks, blank lines, a CR LF over every small block's edge, lines
// longer than a block, NUL and 8-bit bytes, no break at the end.
std::string awkwardText(int lines)
{
    std::string text;
    for (int i = 0; i < lines; ++i) {
        text += std::string(static_cast<std::size_t>(i * 7 % 301), static_cast<char>('a' + i % 26));
        if (i % 11 == 0) text += std::string("\0\xff", 2);
        text += i % 3 == 0 ? "\r\n" : i % 3 == 1 ? "\n" : "\r";
    }
    return text + "last";
}

std::string bracketRecord(int i)
{
    return "10.0.0." + std::to_string(i % 250) + " - - [0" + std::to_string(1 + i % 9) +
           "/Oct/2000:13:55:36 -0700] \"GET /p" + std::to_string(i) + " HTTP/1.0\" 200 5 \"ref \"\"x\" \"agent " +
           std::to_string(i) + "\"";
}

} // namespace

TEST(ReadAheadParallel, GivesExactlyTheReadersLinesWhateverTheBlocks)
{
    TempFolder temp;
    const std::string plain = temp.write("plain.log", awkwardText(30000));
    const std::string packed = temp.write("packed.log.gz", gzip(awkwardText(20000)));
    const std::string empty = temp.write("empty.log", "");
    for (const std::string& path : {plain, packed, empty})
        for (std::size_t block : {std::size_t{64}, std::size_t{4096}, LineReader::kDefaultBlockSize})
            EXPECT_EQ(readAhead(path, block), readDirectly(path, block)) << path << " " << block;
    // Far more lines than the blocks in flight hold.
    EXPECT_EQ(readAhead(plain).size(), 30001u);
}

TEST(ReadAheadParallel, ALineStaysAsReadWhileTheWorkerReadsOn)
{
    // The lines are handed out where the reader read them: a line must not
    // change while the caller holds it, however far the worker gets, and
    // across files that share the blocks.
    TempFolder temp;
    const std::string plain = temp.write("plain.log", awkwardText(6000));
    const std::string packed = temp.write("packed.log.gz", gzip(awkwardText(4000)));
    ReadAheadLines::Blocks blocks;
    for (const std::string& path : {plain, packed, plain}) {
        for (std::size_t block : {std::size_t{64}, std::size_t{4096}}) {
            const auto expected = readDirectly(path, block);
            LineReader reader(block);
            ASSERT_TRUE(reader.open(path));
            ReadAheadLines ahead(reader, blocks);
            std::string_view line;
            std::size_t i = 0;
            while (ahead.next(line)) {
                ASSERT_LT(i, expected.size());
                // Now and then the worker gets time to fill every free block.
                if (i % 500 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
                ASSERT_EQ(line, expected[i]) << path << " " << block << " line " << i;
                ++i;
            }
            EXPECT_EQ(i, expected.size());
        }
    }
}

TEST(ReadAheadParallel, BracketRecordsArePreparedAsTheConverterWouldRewriteThem)
{
    TempFolder temp;
    std::string text = "#not a record\n";
    for (int i = 0; i < 20000; ++i)
        text += (i % 5 == 0 ? std::string("junk line ") + std::to_string(i) : bracketRecord(i)) + "\n";
    const std::string path = temp.write("a.log", text);
    LineReader reader;
    ASSERT_TRUE(reader.open(path));
    ReadAheadLines::Blocks blocks;
    ReadAheadLines ahead(reader, blocks, ReadAheadLines::Rewriting::Always);
    std::string_view line, record;
    std::string expected, scratch;
    int prepared = 0;
    while (ahead.next(line)) {
        const LineSource::Prepared form = ahead.prepared(line, record);
        ++prepared;
        ASSERT_EQ(form == LineSource::Prepared::Bracket, logline::isBracketRecord(line)) << line;
        if (form != LineSource::Prepared::Bracket) continue;
        logline::normaliseNcsa(line, expected, scratch);
        ASSERT_EQ(record, expected);
        // A copy of the line, or a part of it, is not the line handed out.
        const std::string copy(line);
        EXPECT_EQ(ahead.prepared(copy, record), LineSource::Prepared::Unknown);
        EXPECT_EQ(ahead.prepared(line.substr(1), record), LineSource::Prepared::Unknown);
    }
    EXPECT_EQ(prepared, 20001);
}

TEST(ReadAheadParallel, AReadFailureSurfacesAfterTheLinesBeforeIt)
{
    TempFolder temp;
    std::string text;
    for (int i = 0; i < 100000; ++i)
        text += "line " + std::to_string(i) + "\n";
    std::string packed = gzip(text);
    packed.resize(packed.size() / 2); // cut short, as an interrupted copy leaves it
    const std::string path = temp.write("cut.log.gz", packed);

    auto readUntilFailure = [&](LineSource& source, std::vector<std::string>& lines) {
        std::string_view line;
        try {
            while (source.next(line))
                lines.emplace_back(line);
        } catch (const SourceReadError& e) {
            return std::string(e.what());
        }
        return std::string("no failure");
    };
    LineReader direct;
    ASSERT_TRUE(direct.open(path));
    std::vector<std::string> directLines, aheadLines;
    const std::string directError = readUntilFailure(direct, directLines);
    LineReader reader;
    ASSERT_TRUE(reader.open(path));
    ReadAheadLines::Blocks blocks;
    ReadAheadLines ahead(reader, blocks);
    EXPECT_EQ(readUntilFailure(ahead, aheadLines), directError);
    EXPECT_NE(directError, "no failure");
    EXPECT_EQ(aheadLines, directLines);
    EXPECT_GT(aheadLines.size(), 1000u);
    // The failure stays: the stream does not pretend to end.
    std::string_view line;
    EXPECT_THROW(ahead.atEnd(), SourceReadError);
    EXPECT_THROW(ahead.next(line), SourceReadError);
}

TEST(ReadAheadParallel, StopsAtOnceWhenLeftEarlyAndTheReaderGoesOn)
{
    TempFolder temp;
    const std::string path = temp.write("big.log", awkwardText(60000));
    const auto all = readDirectly(path);
    // Left with the worker waiting for room and with it still reading:
    // either way the object's end joins it, and the blocks serve the next
    // reader.
    ReadAheadLines::Blocks blocks;
    for (int taken : {0, 1, 5000}) {
        LineReader reader;
        ASSERT_TRUE(reader.open(path));
        {
            ReadAheadLines ahead(reader, blocks);
            std::string_view line;
            for (int i = 0; i < taken; ++i) {
                ASSERT_TRUE(ahead.next(line));
                ASSERT_EQ(line, all[static_cast<std::size_t>(i)]);
            }
            if (taken > 0) {
                EXPECT_GT(ahead.filePosition(), 0u);
            }
        }
        // The reader is the caller's again and simply goes on from where
        // the worker left it.
        std::string_view line;
        while (reader.next(line)) {
        }
        EXPECT_EQ(reader.contentRead(), std::filesystem::file_size(path));
    }
}
