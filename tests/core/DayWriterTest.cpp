#include "import/DayWriter.h"
#include "common/Error.h"
#include "fakes/FakePlatform.h"
#include "fakes/TempFolder.h"
#include "import/ImportJournal.h"
#include "import/ImportedFiles.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace larkspan;
using larkspan::testing::FakePlatform;
using larkspan::testing::TempFolder;

namespace {

const std::string kHeader = "#FileFormat: LKLT\r\n#Delim: SPACEDELIMITED\r\n#Fields: date c-ip";

class DayWriting : public ::testing::Test {
  protected:
    DayWriting() : journal(temp.file("w.lkjn")), writer(journal) { startRun(); }
    void startRun(bool appendOnly = false)
    {
        writer.startRun(temp.path() + "/", appendOnly);
        journal.begin();
    }
    void record(const std::string& date, const std::string& rest)
    {
        writer.writeRecord(date + " " + rest, date.substr(0, 4), date.substr(5, 2), date.substr(8, 2), kHeader);
    }
    // Ends the source file under way and starts the next.
    void commit()
    {
        writer.flush();
        journal.commit();
        writer.commitSourceFile();
        journal.begin();
        writer.startSourceFile();
    }

    TempFolder temp;
    FakePlatform platform;
    ImportJournal journal;
    DayWriter writer;
};

} // namespace

TEST_F(DayWriting, AlternatingDaysOpenNewSegments)
{
    record("2000-10-10", "a");
    record("2000-10-10", "b");
    record("2000-10-11", "c");
    record("2000-10-10", "d");
    commit();
    EXPECT_EQ(temp.read("2000/LKLT1010.log"),
              kHeader + "\r\n2000-10-10 a\r\n2000-10-10 b\r\n" + kHeader + "\r\n2000-10-10 d\r\n");
    EXPECT_EQ(temp.read("2000/LKLT1011.log"), kHeader + "\r\n2000-10-11 c\r\n");
    EXPECT_EQ(writer.runDays(),
              (std::vector<std::string>{temp.path() + "/2000/LKLT1010.log", temp.path() + "/2000/LKLT1011.log"}));
}

TEST_F(DayWriting, SecondSourceFileOfADayAppendsAfterAHeader)
{
    record("2000-10-10", "first");
    commit();
    record("2000-10-10", "second");
    writer.addHeaderBlock("#FileFormat: LKLT\r\n#Fields: x");
    record("2000-10-10", "third");
    commit();
    EXPECT_EQ(temp.read("2000/LKLT1010.log"), kHeader + "\r\n2000-10-10 first\r\n" + kHeader +
                                                  "\r\n2000-10-10 second\r\n#FileFormat: LKLT\r\n#Fields: x\r\n"
                                                  "2000-10-10 third\r\n");
}

TEST_F(DayWriting, LaterRunReplacesTheDay)
{
    record("2000-10-10", "old1");
    record("2000-10-10", "old2");
    commit();
    startRun();
    record("2000-10-10", "new");
    commit();
    EXPECT_EQ(temp.read("2000/LKLT1010.log"), kHeader + "\r\n2000-10-10 new\r\n");
}

TEST_F(DayWriting, ImpossibleDatesAreDroppedSilently)
{
    record("2000-10-10", "a");
    record("2000-02-30", "bad");
    record("1999-02-29", "bad");
    record("2000-02-29", "leap");
    writer.writeRecord("x", "2000", "ab", "01", kHeader);
    writer.writeRecord("x", "20x0", "01", "01", kHeader);
    writer.writeRecord("x", "0000", "01", "01", kHeader);
    record("2000-10-10", "b");
    commit();
    EXPECT_EQ(writer.runDays().size(), 2u);
    EXPECT_EQ(temp.read("2000/LKLT0229.log"), kHeader + "\r\n2000-02-29 leap\r\n");
    EXPECT_EQ(temp.read("2000/LKLT1010.log"), kHeader + "\r\n2000-10-10 a\r\n" + kHeader + "\r\n2000-10-10 b\r\n");
    EXPECT_TRUE(platform.messages.recorded.empty());
}

TEST_F(DayWriting, AFailedOrCancelledFileLeavesTheDaysAsTheyWere)
{
    record("2000-10-10", "kept");
    commit();
    const std::string before = temp.read("2000/LKLT1010.log");
    // Appended in place, a new day staged, then undone.
    record("2000-10-10", "undone");
    record("2000-10-12", "undone");
    writer.flush();
    journal.rollback();
    writer.rollbackSourceFile();
    EXPECT_EQ(temp.read("2000/LKLT1010.log"), before);
    EXPECT_FALSE(fs::exists(temp.file("2000/LKLT1012.log")));
    EXPECT_EQ(writer.runDays().size(), 1u);
    // A file where the year folder belongs: the write fails with its reason.
    journal.begin();
    temp.write("2001", "in the way");
    EXPECT_THROW(record("2001-01-01", "lost"), ImportWriteError);
    journal.rollback();
    writer.rollbackSourceFile();
    // A day whose only file was undone is written anew by the next file.
    journal.begin();
    temp.write("2000/LKLT1012.log", "from an earlier run\r\n");
    record("2000-10-12", "again");
    commit();
    EXPECT_EQ(temp.read("2000/LKLT1012.log"), kHeader + "\r\n2000-10-12 again\r\n");
}

TEST_F(DayWriting, HeaderBlocksAreRepeatedOnlyWhenTheyChangeAndStayBounded)
{
    record("2000-10-10", "a");
    for (int i = 0; i < 1000; ++i)
        writer.addHeaderBlock(kHeader); // unchanged: nothing written
    record("2000-10-10", "b");
    writer.addHeaderBlock(kHeader + "\r\n#Software: y");
    writer.addHeaderBlock(kHeader + "\r\n#Software: y");
    record("2000-10-10", "c");
    commit();
    EXPECT_EQ(temp.read("2000/LKLT1010.log"),
              kHeader + "\r\n2000-10-10 a\r\n2000-10-10 b\r\n" + kHeader + "\r\n#Software: y\r\n2000-10-10 c\r\n");

    // A hostile source: a large block, then a changed #Date before every
    // tiny record, and directives without records between. The output stays
    // within a small factor of the input.
    startRun();
    const std::string big = kHeader + "\r\n#Remark: " + std::string(20000, 'r');
    std::size_t input = big.size();
    for (int i = 0; i < 3000; ++i) {
        const std::string block = big + "\r\n#Date: 2000-10-1" + std::to_string(i % 2);
        const std::string other = big + "\r\n#Date: 2000-10-1" + std::to_string(2 + i % 2);
        writer.addHeaderBlock(block);
        writer.addHeaderBlock(other);
        writer.addHeaderBlock(block);
        input += 3 * 20 + 16; // the #Date lines and the record as they stood in the source
        writer.writeRecord("2000-10-10 x", "2000", "10", "10", block);
    }
    commit();
    const auto size = fs::file_size(temp.file("2000/LKLT1010.log"));
    EXPECT_LT(size, 8 * input);
    const std::string day = temp.read("2000/LKLT1010.log");
    EXPECT_NE(day.rfind("#Date: 2000-10-11\r\n2000-10-10 x\r\n"), std::string::npos);
}

TEST(ImportedFilesList, MatchingAndSaving)
{
    TempFolder temp;
    const std::string path = temp.write("w.lkfl", "C:\\LOGS\\a.log|10\r\n/logs/ex0010.log|400\n/logs/b|c.log|7\r\n");
    ImportedFiles list(path);
    list.load();
    EXPECT_TRUE(list.isImported("/LOGS/EX0010.LOG", 400));
    EXPECT_FALSE(list.isImported("/logs/ex0010.log", 401));
    list.record("/LOGS/EX0010.LOG", 500);
    list.record("/logs/new.log", 0); // empty files are never recorded
    list.record("/logs/b|c.log", 8);
    list.record("/logs/new.log", 3);
    ASSERT_TRUE(list.save());
    EXPECT_EQ(temp.read("w.lkfl"),
              "C:\\LOGS\\a.log|10\r\n/LOGS/EX0010.LOG|500\r\n/logs/b|c.log|8\r\n/logs/new.log|3\r\n");
    EXPECT_FALSE(fs::exists(path + ".new"));
    ImportedFiles again(path);
    again.load();
    EXPECT_TRUE(again.isImported("/logs/ex0010.log", 500));
    EXPECT_FALSE(again.isImported("/logs/ex0010.log", 400));
}
