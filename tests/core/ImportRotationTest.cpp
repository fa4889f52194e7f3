// "New files only" with a mask under log rotation: every record is imported
// exactly once whatever logrotate did between runs.
#include "ImportFixture.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <zlib.h>

namespace fs = std::filesystem;
using namespace larkspan;
using larkspan::testing::Importing;
using larkspan::testing::ncsa;

namespace {

class Rotation : public Importing {
  protected:
    Rotation()
    {
        fs::create_directories(temp.file("logs"));
        makeWeb(temp.file("logs") + "/access.log*", true);
    }
    std::string log(const std::string& name) const { return temp.file("logs/" + name); }
    // Records /r<first> .. /r<last>, alternating between two days.
    static std::string records(int first, int last)
    {
        std::string text;
        for (int i = first; i <= last; ++i)
            text += ncsa(i % 2 ? "10" : "11", "/r" + std::to_string(i));
        return text;
    }
    void append(const std::string& name, const std::string& text) const
    {
        std::ofstream(log(name), std::ios::app | std::ios::binary) << text;
    }
    void gzip(const std::string& from, const std::string& to) const
    {
        const std::string content = temp.read("logs/" + from);
        gzFile out = gzopen(log(to).c_str(), "wb");
        gzwrite(out, content.data(), static_cast<unsigned>(content.size()));
        gzclose(out);
        fs::remove(log(from));
    }
    void importOk()
    {
        const ImportOutcome outcome = import();
        EXPECT_NE(outcome, ImportOutcome::Failed) << ::testing::PrintToString(messages());
    }
    // Every record /r1 .. /r<last> occurs exactly once.
    void expectEachOnce(int last)
    {
        const auto counts = recordCounts();
        for (int i = 1; i <= last; ++i)
            EXPECT_EQ(counts.count("/r" + std::to_string(i)) ? counts.at("/r" + std::to_string(i)) : 0, 1) << "/r" << i;
        EXPECT_EQ(counts.size(), static_cast<std::size_t>(last));
    }
};

} // namespace

TEST_F(Rotation, GrowthBetweenRunsAndTwoRunsInAMinute)
{
    append("access.log", records(1, 3));
    importOk();
    append("access.log", records(4, 6));
    importOk();
    importOk(); // nothing new
    append("access.log", records(7, 7));
    importOk();
    expectEachOnce(7);
    // The imported-files list keeps its form: name "|" size.
    EXPECT_EQ(temp.read("wwwstats/w/w.lkfl"),
              log("access.log") + "|" + std::to_string(fs::file_size(log("access.log"))) + "\r\n");
}

TEST_F(Rotation, RenameWithoutCompression)
{
    append("access.log", records(1, 3));
    importOk();
    append("access.log", records(4, 5)); // written before the rotation, not yet imported
    fs::rename(log("access.log"), log("access.log.1"));
    append("access.log", records(6, 8));
    importOk();
    append("access.log", records(9, 9));
    importOk();
    expectEachOnce(9);
}

TEST_F(Rotation, RenameAndCompressAtOnce)
{
    append("access.log", records(1, 3));
    importOk();
    append("access.log", records(4, 4));
    fs::rename(log("access.log"), log("access.log.1"));
    gzip("access.log.1", "access.log.1.gz");
    append("access.log", records(5, 6));
    importOk();
    expectEachOnce(6);
}

TEST_F(Rotation, DelayedCompression)
{
    append("access.log", records(1, 3));
    importOk();
    // First rotation: the old log stays plain as access.log.1.
    append("access.log", records(4, 4));
    fs::rename(log("access.log"), log("access.log.1"));
    append("access.log", records(5, 6));
    importOk();
    // Second: access.log.1 is compressed to .2.gz and holds nothing new.
    gzip("access.log.1", "access.log.2.gz");
    append("access.log", records(7, 7));
    fs::rename(log("access.log"), log("access.log.1"));
    append("access.log", records(8, 9));
    importOk();
    importOk();
    expectEachOnce(9);
}

TEST_F(Rotation, CopyTruncate)
{
    append("access.log", records(1, 3));
    importOk();
    append("access.log", records(4, 4));
    fs::copy_file(log("access.log"), log("access.log.1"));
    // A run between the copy and the truncation sees the same log twice.
    importOk();
    fs::resize_file(log("access.log"), 0);
    append("access.log", records(5, 6));
    importOk();
    expectEachOnce(6);
}

TEST_F(Rotation, ANewFileAppendsToTheDaysItShares)
{
    append("access.log", records(1, 4));
    importOk();
    append("access.log.new", records(5, 8)); // same days, another file
    importOk();
    expectEachOnce(8);
}

TEST_F(Rotation, AWebListedBeforeFingerprintsWereKeptIsNotReadAgain)
{
    append("access.log", records(1, 3));
    append("access.log.1", records(4, 5));
    importOk();
    // As an older version left the web: the list, but no fingerprints.
    fs::remove(temp.file("wwwstats/w/w.lkfp"));
    append("access.log", records(6, 7));
    importOk();
    expectEachOnce(7);
}
