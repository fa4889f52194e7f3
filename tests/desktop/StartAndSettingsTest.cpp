// Program start: the single-instance check, the profile list, reading the
// application settings on start and writing them on close.
#include "DesktopApp.h"
#include "DesktopFixture.h"
#include "HelpViewer.h"
#include "QtInstanceLock.h"

#include <QApplication>
#include <QDir>
#include <QStatusBar>
#include <QTextBrowser>
#include <QToolBar>
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
    // The first copy still holds the lock.
    EXPECT_TRUE(claimSingleInstance(first, messages));
    EXPECT_EQ(messages.recorded.size(), 1u);
}

using MainWindowStart = DesktopFixture;

TEST_F(MainWindowStart, TitleStatusAndProfilesInFolderOrder)
{
    writeSettings(false, "0", "0");
    addProfile("weekly");
    addProfile("Annual");
    temp.write("My Profiles/weekly.ip", "");
    temp.write("My Profiles/folder.rpf/inner.txt", "");
    EXPECT_EQ(window().windowTitle(), "Larkspan (tm) Log Analysis Solution");
    EXPECT_EQ(window().statusBar()->currentMessage(), "Larkspan - Ready");
    ASSERT_EQ(list().count(), 2);
    EXPECT_EQ(list().item(0)->text(), "Annual");
    EXPECT_EQ(list().item(1)->text(), "weekly");
    EXPECT_TRUE(texts().empty());
}

TEST_F(MainWindowStart, MissingProfileFolderIsReportedOnce)
{
    FakeMessages own;
    DesktopSession session(ProgramFolder(temp.file("nowhere"), ""), own);
    MainWindow window(session);
    ASSERT_GE(own.recorded.size(), 1u);
    EXPECT_EQ(own.recorded[0].kind, MessageKind::Error);
    EXPECT_EQ(own.recorded[0].text, "Invalid Directory - " + temp.file("nowhere/My Profiles"));
    int invalid = 0;
    for (const auto& text : own.texts())
        invalid += text.rfind("Invalid Directory - ", 0) == 0;
    EXPECT_EQ(invalid, 1);
    EXPECT_EQ(window.profileList()->count(), 0);
}

TEST_F(MainWindowStart, FirstStartSaysSoOnceUsesDefaultsAndTheNextStartFindsTheKey)
{
    addProfile("weekly");
    {
        MainWindow& first = window();
        EXPECT_EQ(texts(), std::vector<std::string>{"An error has occurred while loading system defaults"});
        EXPECT_EQ(messages.recorded[0].kind, MessageKind::Error);
        EXPECT_EQ(session().app.dataDirectory, temp.path() + "/");
        EXPECT_EQ(first.profileList()->viewMode(), QListView::ListMode);
        EXPECT_TRUE(first.toolbarBottom()->isVisibleTo(&first));
        EXPECT_FALSE(first.toolbarRight()->isVisibleTo(&first));
        EXPECT_FALSE(action("ToolbarLayout0")->isChecked());
        EXPECT_FALSE(action("MenuView0")->isChecked());
        first.close();
    }
    SettingsStore store(settingsFile);
    EXPECT_EQ(store.readInteger(AppSettings::kKey, "cbConfirmB4Analyzing"), 0);
    EXPECT_EQ(store.readInteger(AppSettings::kKey, "cbAutoRun"), 0);
    EXPECT_EQ(store.readString(AppSettings::kKey, "vs"), "");
    EXPECT_EQ(store.readString(AppSettings::kWebsKey, "statsdatadir"), temp.path() + "/");

    FakeMessages again;
    DesktopSession second(ProgramFolder(temp.path(), ""), again);
    MainWindow next(second);
    EXPECT_TRUE(again.recorded.empty());
}

TEST_F(MainWindowStart, SettingsAreAppliedAndWrittenBackOnClose)
{
    writeSettings(true, "1", "1", true);
    MainWindow& w = window();
    EXPECT_TRUE(action("cbConfirmB4Analyzing")->isChecked());
    EXPECT_TRUE(action("cbAutoRun")->isChecked());
    EXPECT_EQ(w.profileList()->viewMode(), QListView::IconMode);
    EXPECT_TRUE(action("MenuView1")->isChecked());
    EXPECT_TRUE(action("DropDownView1")->isChecked());
    EXPECT_TRUE(action("ToolbarLayout1")->isChecked());
    EXPECT_TRUE(w.toolbarRight()->isVisibleTo(&w));
    EXPECT_FALSE(w.toolbarBottom()->isVisibleTo(&w));

    action("cbConfirmB4Analyzing")->trigger();
    action("cbAutoRun")->trigger();
    action("MenuView2")->trigger();
    action("ToolbarLayout2")->trigger();
    w.close();
    SettingsStore store(settingsFile);
    EXPECT_EQ(store.readInteger(AppSettings::kKey, "cbConfirmB4Analyzing"), 0);
    EXPECT_EQ(store.readInteger(AppSettings::kKey, "cbAutoRun"), 0);
    EXPECT_EQ(store.readString(AppSettings::kKey, "vs"), "2");
    EXPECT_EQ(store.readString(AppSettings::kKey, "tb"), "2");
}

TEST(AppSettingsRead, AutorunNameIsMatchedWithoutCaseAndDataDirectoryIsTidied)
{
    TempFolder temp;
    SettingsStore store(temp.file("settings.conf"));
    store.writeInteger(AppSettings::kKey, "cbConfirmB4Analyzing", 1);
    store.writeInteger(AppSettings::kKey, "CBAUTORUN", 1);
    store.writeString(AppSettings::kWebsKey, "statsdatadir", "  /srv/larkspan  ");
    const AppSettingsRead read = readAppSettings(store, "/opt/home/");
    EXPECT_TRUE(read.ok);
    EXPECT_TRUE(read.settings.confirmBeforeRun);
    EXPECT_TRUE(read.settings.autorun);
    EXPECT_EQ(read.settings.view, "");
    EXPECT_EQ(read.settings.dataDirectory, "/srv/larkspan/");

    store.writeString(AppSettings::kWebsKey, "statsdatadir", "   ");
    EXPECT_EQ(readAppSettings(store, "/opt/home/").settings.dataDirectory, "/opt/home/");
    EXPECT_EQ(store.readString(AppSettings::kWebsKey, "statsdatadir"), "/opt/home/");
}

TEST(AppSettingsRead, AFailedReadStillKeepsTheChosenDataDirectory)
{
    TempFolder temp;
    SettingsStore store(temp.file("settings.conf"));
    // Webs were set up (by the command line) before the desktop ever ran.
    store.writeString(AppSettings::kWebsKey, "statsdatadir", "/srv/weblogs/");
    AppSettingsRead read = readAppSettings(store, "/opt/home/");
    EXPECT_FALSE(read.ok);
    EXPECT_EQ(read.settings.dataDirectory, "/srv/weblogs/");

    // A key without the confirm value fails too and keeps the defaults.
    store.writeString(AppSettings::kKey, "vs", "1");
    read = readAppSettings(store, "/opt/home/");
    EXPECT_FALSE(read.ok);
    EXPECT_EQ(read.settings.view, "");
    EXPECT_EQ(read.settings.dataDirectory, "/srv/weblogs/");
}

TEST(DesktopHelpPages, BrowserFirstThenTheProgramsOwnHelpWindow)
{
    TempFolder temp;
    temp.write("help/index.html", "<h1>Contents</h1>");
    temp.write("help/topic200.html", "<h1>Using the Reports</h1>");
    RecordingShell shell;
    DesktopHelp help(temp.file("help"), shell);
    EXPECT_TRUE(help.showTopic(200));
    EXPECT_TRUE(help.showTopic(3001)); // no page of its own: the contents
    EXPECT_EQ(shell.opened, (std::vector<std::string>{temp.file("help/topic200.html"), temp.file("help/index.html")}));

    shell.desktop = false; // no browser can be started
    EXPECT_TRUE(help.showTopic(200));
    QWidget* viewer = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->objectName() == "HelpViewer" && top->isVisible()) viewer = top;
    }
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->findChild<QTextBrowser*>("HelpBrowser")->toPlainText().contains("Using the Reports"));
    viewer->close();

    DesktopHelp nowhere(temp.file("missing"), shell);
    EXPECT_FALSE(nowhere.showTopic(1));
}
