#include "DesktopApp.h"
#include "DesktopSession.h"
#include "QtInstanceLock.h"
#include "Tmainfrm.h"
#include "fakes/FakePlatform.h"
#include "fakes/TempFolder.h"

#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QStatusBar>
#include <gtest/gtest.h>

using namespace larkspan;
using namespace larkspan::testing;

TEST(DesktopStart, SecondCopyIsRefusedWithTheMessage)
{
    TempFolder temp;
    const QString lockPath = QDir(QString::fromStdString(temp.path())).filePath("larkspan.lock");
    QtInstanceLock first(lockPath);
    QtInstanceLock second(lockPath);
    FakeMessages messages;
    EXPECT_TRUE(claimSingleInstance(first, messages));
    EXPECT_TRUE(messages.recorded.empty());
    EXPECT_FALSE(claimSingleInstance(second, messages));
    ASSERT_EQ(messages.recorded.size(), 1u);
    EXPECT_EQ(messages.recorded[0].kind, MessageKind::Information);
    EXPECT_EQ(messages.recorded[0].text, "Another copy of Larkspan(tm) Kite is currently running.");
}

TEST(MainWindow, TitleStatusAndProfileList)
{
    TempFolder temp;
    temp.write("My Profiles/weekly.rpf", "2,1\r\n");
    temp.write("My Profiles/base.rpf.def", "2,1\r\n");
    temp.write("My Profiles/weekly.ip", "");
    FakeMessages messages;
    DesktopSession session(ProgramFolder(temp.path(), ""), messages);
    Tmainfrm window(session);
    EXPECT_EQ(window.windowTitle(), "Larkspan (tm) Log Analysis Solution");
    EXPECT_EQ(window.statusBar()->currentMessage(), "Larkspan - Ready");
    auto* list = window.findChild<QListWidget*>("pviewer");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), "weekly");
    EXPECT_TRUE(messages.recorded.empty());
}

TEST(MainWindow, MissingProfileFolderIsReported)
{
    TempFolder temp;
    FakeMessages messages;
    DesktopSession session(ProgramFolder(temp.file("nowhere"), ""), messages);
    Tmainfrm window(session);
    ASSERT_EQ(messages.recorded.size(), 1u);
    EXPECT_EQ(messages.recorded[0].text, "Invalid Directory - " + temp.file("nowhere/My Profiles"));
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
