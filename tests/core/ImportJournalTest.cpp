// What the next run makes of a journal that a killed run left behind.
#include "import/ImportJournal.h"
#include "fakes/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace larkspan;
using larkspan::testing::TempFolder;

namespace {

class JournalRecovery : public ::testing::Test {
  protected:
    JournalRecovery()
    {
        appended = temp.write("web/2000/LKLT1010.log", "old day\r\nappended before the kill\r\n");
        replaced = temp.write("web/2000/LKLT1011.log", "old content\r\n");
        temp.write("web/2000/LKLT1011.log.lkst", "new content\r\n");
        list = temp.write("web/w.lkfl", "old list\r\n");
        temp.write("web/w.lkfl.lkst", "new list\r\n");
        temp.write("web/2000/LKLT1012.log.lkst", "left by an earlier file\r\n");
    }
    std::string journalText(bool committed) const
    {
        return "A 9 " + appended + "\nR " + replaced + "\nR " + list + "\n" + (committed ? "COMMIT\n" : "");
    }
    void recover(const std::string& text)
    {
        temp.write("web/w.lkjn", text);
        ImportJournal journal(temp.file("web/w.lkjn"));
        journal.recover(temp.file("web"));
        EXPECT_FALSE(fs::exists(temp.file("web/w.lkjn")));
        // No staged file survives recovery, committed or not.
        for (const auto& entry : fs::recursive_directory_iterator(temp.file("web")))
            EXPECT_NE(entry.path().extension(), ".lkst") << entry.path();
    }

    TempFolder temp;
    std::string appended, replaced, list;
};

} // namespace

TEST_F(JournalRecovery, AnUncommittedFileIsUndone)
{
    recover(journalText(false));
    EXPECT_EQ(temp.read("web/2000/LKLT1010.log"), "old day\r\n");
    EXPECT_EQ(temp.read("web/2000/LKLT1011.log"), "old content\r\n");
    EXPECT_EQ(temp.read("web/w.lkfl"), "old list\r\n");
}

TEST_F(JournalRecovery, ACommittedFileIsFinished)
{
    // Killed after the commit line, with one rename already done.
    fs::rename(temp.file("web/w.lkfl.lkst"), list);
    recover(journalText(true));
    EXPECT_EQ(temp.read("web/2000/LKLT1010.log"), "old day\r\nappended before the kill\r\n");
    EXPECT_EQ(temp.read("web/2000/LKLT1011.log"), "new content\r\n");
    EXPECT_EQ(temp.read("web/w.lkfl"), "new list\r\n");
}

TEST_F(JournalRecovery, ATornLastLineCountsForNothing)
{
    // The commit line was being written when the process died.
    recover(journalText(false) + "COMM");
    EXPECT_EQ(temp.read("web/2000/LKLT1011.log"), "old content\r\n");
    EXPECT_EQ(temp.read("web/2000/LKLT1010.log"), "old day\r\n");
}
