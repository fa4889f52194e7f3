#include "fakes/FakePlatform.h"
#include "fakes/TempFolder.h"
#include "import/DayWriter.h"
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
    DayWriting() : writer(platform.messages) { writer.startRun(temp.path() + "/"); }
    void record(const std::string& date, const std::string& rest)
    {
        writer.writeRecord(date + " " + rest, date.substr(0, 4), date.substr(5, 2), date.substr(8, 2), kHeader);
    }

    TempFolder temp;
    FakePlatform platform;
    DayWriter writer;
};

}  // namespace

TEST_F(DayWriting, AlternatingDaysOpenNewSegments)
{
    record("2000-10-10", "a");
    record("2000-10-10", "b");
    record("2000-10-11", "c");
    record("2000-10-10", "d");
    writer.flush();
    EXPECT_EQ(temp.read("2000/LKLT1010.log"),
              kHeader + "\r\n2000-10-10 a\r\n2000-10-10 b\r\n" + kHeader + "\r\n2000-10-10 d\r\n");
    EXPECT_EQ(temp.read("2000/LKLT1011.log"), kHeader + "\r\n2000-10-11 c\r\n");
    EXPECT_EQ(writer.runDays(),
              (std::vector<std::string>{temp.path() + "/2000/LKLT1010.log", temp.path() + "/2000/LKLT1011.log"}));
}

TEST_F(DayWriting, SecondSourceFileOfADayAppendsAfterAHeader)
{
    record("2000-10-10", "first");
    writer.flush();
    writer.startSourceFile();
    record("2000-10-10", "second");
    writer.addHeaderBlock("#FileFormat: LKLT\r\n#Fields: x");
    record("2000-10-10", "third");
    writer.flush();
    EXPECT_EQ(temp.read("2000/LKLT1010.log"), kHeader + "\r\n2000-10-10 first\r\n" + kHeader +
                                                  "\r\n2000-10-10 second\r\n#FileFormat: LKLT\r\n#Fields: x\r\n"
                                                  "2000-10-10 third\r\n");
}

TEST_F(DayWriting, LaterRunReplacesTheDay)
{
    record("2000-10-10", "old1");
    record("2000-10-10", "old2");
    writer.flush();
    writer.startRun(temp.path() + "/");
    record("2000-10-10", "new");
    writer.flush();
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
    writer.flush();
    EXPECT_EQ(writer.runDays().size(), 2u);
    EXPECT_EQ(temp.read("2000/LKLT0229.log"), kHeader + "\r\n2000-02-29 leap\r\n");
    EXPECT_EQ(temp.read("2000/LKLT1010.log"),
              kHeader + "\r\n2000-10-10 a\r\n" + kHeader + "\r\n2000-10-10 b\r\n");
    EXPECT_TRUE(platform.messages.recorded.empty());
}

TEST_F(DayWriting, WriteFailuresAreReportedAndTheRunGoesOn)
{
    // A file where the year folder should be: the day file cannot be made.
    temp.write("2000", "in the way");
    record("2000-10-10", "lost");
    record("2001-01-01", "kept");
    writer.flush();
    ASSERT_EQ(platform.messages.recorded.size(), 1u);
    EXPECT_EQ(platform.messages.recorded[0].text.rfind("Error Writing Data to File: ", 0), 0u);
    EXPECT_EQ(temp.read("2001/LKLT0101.log"), kHeader + "\r\n2001-01-01 kept\r\n");

    // Once the obstacle is gone, the day whose first write failed is written
    // anew, never appended to.
    std::filesystem::remove(temp.file("2000"));
    temp.write("2000/LKLT1010.log", "from an earlier run\r\n");
    record("2000-10-10", "again");
    writer.flush();
    EXPECT_EQ(temp.read("2000/LKLT1010.log"), kHeader + "\r\n2000-10-10 again\r\n");
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
    list.record("/logs/new.log", 0);  // empty files are never recorded
    list.record("/logs/b|c.log", 8);
    list.record("/logs/new.log", 3);
    ASSERT_TRUE(list.save());
    EXPECT_EQ(temp.read("w.lkfl"), "C:\\LOGS\\a.log|10\r\n/LOGS/EX0010.LOG|500\r\n/logs/b|c.log|8\r\n/logs/new.log|3\r\n");
    EXPECT_FALSE(fs::exists(path + ".new"));
    ImportedFiles again(path);
    again.load();
    EXPECT_TRUE(again.isImported("/logs/ex0010.log", 500));
    EXPECT_FALSE(again.isImported("/logs/ex0010.log", 400));
}
