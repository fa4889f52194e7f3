#include "autorun/ScheduleEditing.h"
#include "fakes/FakePlatform.h"
#include "fakes/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace larkspan;
using namespace larkspan::autorun;
using larkspan::testing::FakeMessages;
using larkspan::testing::TempFolder;

namespace {

using Names = std::vector<std::string>;

class Editing : public ::testing::Test {
  protected:
    Editing() : data(temp.path() + "/") {}

    ScheduleEditing open(Names existing = {"shop", "Blog", "intranet"})
    {
        ScheduleEditing editing(messages, data, std::move(existing));
        editing.open();
        return editing;
    }

    TempFolder temp;
    std::string data;
    FakeMessages messages;
};

} // namespace

TEST_F(Editing, ANewScheduleOffersEveryWebAndFifteenMinutes)
{
    ScheduleEditing editing = open();
    EXPECT_EQ(editing.interval, "15 Minutes");
    EXPECT_EQ(editing.available(), (Names{"Blog", "intranet", "shop"}));
    EXPECT_TRUE(editing.scheduled().empty());
    EXPECT_TRUE(messages.recorded.empty());
}

TEST_F(Editing, SavingWritesSortedWebsAndTheIntervalAsTyped)
{
    ScheduleEditing editing = open();
    editing.schedule("shop");
    editing.schedule("Blog");
    editing.schedule("shop");
    editing.schedule("nowhere");
    editing.interval = "DAILY";
    ASSERT_TRUE(editing.save());
    EXPECT_EQ(temp.read("Schedule.job"), "Blog\r\nshop\r\n");
    EXPECT_EQ(temp.read("Schedule.job.int"), "DAILY");
    EXPECT_EQ(messages.texts(), (Names{"Schedule:" + data + "Schedule.job updated"}));
    EXPECT_EQ((fs::status(data + "Schedule.job").permissions() & fs::perms::group_all), fs::perms::none);

    ScheduleEditing reopened = open();
    EXPECT_EQ(reopened.interval, "DAILY");
    EXPECT_EQ(reopened.scheduled(), (Names{"Blog", "shop"}));
    EXPECT_EQ(reopened.available(), (Names{"intranet"}));
}

TEST_F(Editing, MovingAllAndBackKeepsBothListsSortedWithoutRepeats)
{
    ScheduleEditing editing = open();
    editing.scheduleAll();
    EXPECT_TRUE(editing.available().empty());
    EXPECT_EQ(editing.scheduled(), (Names{"Blog", "intranet", "shop"}));
    editing.unschedule("intranet");
    editing.unschedule("intranet");
    EXPECT_EQ(editing.available(), (Names{"intranet"}));
    editing.clear();
    EXPECT_EQ(editing.available(), (Names{"Blog", "intranet", "shop"}));
    EXPECT_TRUE(editing.scheduled().empty());
}

TEST_F(Editing, ARemovedWebIsOfferedForRemovalFromTheLastToTheFirst)
{
    temp.write("Schedule.job", "gone2\r\nshop\r\ngone1\r\n");
    messages.scriptAnswer(Answer::No);  // gone2, asked first
    messages.scriptAnswer(Answer::Yes); // gone1
    ScheduleEditing editing = open();
    ASSERT_EQ(messages.recorded.size(), 2u);
    EXPECT_EQ(messages.recorded[0].text,
              "The web: gone2 is no longer available.  \nWould you like to remove it from the Scheduled webs list?");
    EXPECT_EQ(messages.recorded[0].kind, MessageKind::Confirmation);
    EXPECT_EQ(messages.recorded[0].buttons, Buttons::YesNo);
    EXPECT_NE(messages.recorded[1].text.find("gone1"), std::string::npos);
    EXPECT_EQ(editing.scheduled(), (Names{"gone2", "shop"}));
    EXPECT_EQ(editing.available(), (Names{"Blog", "intranet"}));

    // Answering No keeps it in the file.
    messages.recorded.clear();
    ASSERT_TRUE(editing.save());
    EXPECT_EQ(temp.read("Schedule.job"), "gone2\r\nshop\r\n");

    // Removing it later asks again; No keeps it, Yes drops it and it never
    // becomes available.
    messages.recorded.clear();
    editing.unschedule("gone2");
    EXPECT_EQ(messages.recorded.at(0).text,
              "The web: gone2 is no longer an available web and cannot be added to the available webs list."
              "\nWould you like to remove it from the Scheduled webs list?");
    EXPECT_EQ(editing.scheduled(), (Names{"gone2", "shop"}));
    messages.scriptAnswer(Answer::Yes);
    editing.unschedule("gone2");
    EXPECT_EQ(editing.scheduled(), (Names{"shop"}));
    EXPECT_EQ(editing.available(), (Names{"Blog", "intranet"}));
}

TEST_F(Editing, UnreadableOrUnwritableFilesAreReported)
{
    fs::create_directories(data + "Schedule.job");
    ScheduleEditing editing = open();
    EXPECT_EQ(messages.texts(), (Names{"Could not load schedule:" + data + "Schedule.job"}));
    EXPECT_EQ(editing.available().size(), 3u);
    messages.recorded.clear();
    editing.schedule("shop");
    EXPECT_FALSE(editing.save());
    EXPECT_EQ(messages.texts(), (Names{"Could not save schedule:" + data + "Schedule.job"}));
    EXPECT_EQ(messages.recorded[0].kind, MessageKind::Error);
}
