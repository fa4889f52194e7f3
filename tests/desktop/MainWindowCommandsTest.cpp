// The main window's commands with and without a selected profile, and the
// messages they give.
#include "AboutBox.h"
#include "DesktopFixture.h"

#include <QMenu>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <filesystem>
#include <gtest/gtest.h>

using namespace larkspan;
using namespace larkspan::testing;

namespace {
constexpr const char* kSelectToRun = "You must select the profile that you wish to run, Select a profile to continue";
}

class MainWindowCommands : public DesktopFixture {
  protected:
    MainWindowCommands()
    {
        writeSettings(false, "0", "0");
        addProfile("alpha");
        addProfile("beta");
        addProfile("gamma");
    }

    // Hooks that record the editor and report runs instead of opening them.
    MainWindow::Hooks recordingHooks()
    {
        MainWindow::Hooks hooks;
        hooks.editProfile = [this](const std::string& name) -> std::optional<std::string> {
            edited.push_back(name);
            if (editorRunsReport) session().runAfterEdit = true;
            if (!editorSaves) return std::nullopt;
            return name.empty() ? std::string("fresh") : name;
        };
        hooks.runReport = [this] { ran.push_back(session().currentProfile); };
        return hooks;
    }

    std::vector<std::string> edited;
    std::vector<std::string> ran;
    bool editorSaves = true;
    bool editorRunsReport = false;
};

TEST_F(MainWindowCommands, CommandsWithoutASelectionExplainWhatIsNeeded)
{
    window(recordingHooks());
    action("tbOpen")->trigger();
    action("tbRun")->trigger();
    action("tbDelete")->trigger();
    action("LastReportRun1")->trigger();
    window().runSelectedProfile();
    EXPECT_EQ(texts(), (std::vector<std::string>{
                           "You must select a profile to edit it's properties.",
                           kSelectToRun,
                           "You must select a Project in order to remove it.",
                           kSelectToRun,
                           "You must select a profile to run a report.",
                       }));
    for (const auto& message : messages.recorded)
        EXPECT_EQ(message.kind, MessageKind::Information);
    EXPECT_TRUE(edited.empty());
    EXPECT_TRUE(ran.empty());
}

TEST_F(MainWindowCommands, AvailabilityFollowsTheSelectionAfterTheFirstChange)
{
    window();
    // Before any selection change the commands are there and check for themselves.
    EXPECT_TRUE(action("tbRun")->isEnabled());
    select(1);
    for (const char* name : {"tbOpen", "tbDelete", "tbRun", "OpenExistingReportProfile1", "RunSelected1",
                             "DeleteSelected1", "LastReportRun1", "PopOpen", "PopRun", "PopDelete", "PopLast"}) {
        EXPECT_TRUE(action(name)->isEnabled()) << name;
    }
    clearSelection();
    for (const char* name : {"tbOpen", "tbDelete", "tbRun", "OpenExistingReportProfile1", "RunSelected1",
                             "DeleteSelected1", "LastReportRun1", "PopOpen", "PopRun", "PopDelete", "PopLast"}) {
        EXPECT_FALSE(action(name)->isEnabled()) << name;
    }
    EXPECT_TRUE(action("tbNew")->isEnabled());
    EXPECT_TRUE(action("PopNew")->isEnabled());
}

TEST_F(MainWindowCommands, RunAndDoubleClickRunTheSelectedProfile)
{
    window(recordingHooks());
    select(2);
    action("tbRun")->trigger();
    select(0);
    QTest::mouseDClick(list().viewport(), Qt::LeftButton, {}, list().visualItemRect(list().item(0)).center());
    QCoreApplication::processEvents();
    EXPECT_EQ(ran, (std::vector<std::string>{"gamma", "alpha"}));
    EXPECT_TRUE(edited.empty());
    EXPECT_EQ(window().statusBar()->currentMessage(), "Larkspan ");
    EXPECT_TRUE(texts().empty());

    // A double-click beside the entries selects nothing and runs nothing.
    window().show();
    QCoreApplication::processEvents();
    const QPoint beside = list().viewport()->rect().bottomRight() - QPoint(5, 5);
    ASSERT_FALSE(list().indexAt(beside).isValid());
    QTest::mouseDClick(list().viewport(), Qt::LeftButton, {}, beside);
    QCoreApplication::processEvents();
    EXPECT_EQ(ran.size(), 2u);
    EXPECT_EQ(lastText(), "You must select a profile to run a report.");
}

TEST_F(MainWindowCommands, ConfirmBeforeRunOpensTheEditorAndRunsOnlyOnRunReport)
{
    writeSettings(true, "0", "0");
    window(recordingHooks());
    select(1);
    window().runSelectedProfile(); // closed with Close: nothing saved, nothing run
    editorSaves = false;
    window().runSelectedProfile();
    EXPECT_EQ(edited, (std::vector<std::string>{"beta", "beta"}));
    EXPECT_TRUE(ran.empty());
    editorSaves = true;
    editorRunsReport = true;
    window().runSelectedProfile();
    EXPECT_EQ(ran, std::vector<std::string>{"beta"});
}

TEST_F(MainWindowCommands, NewAndOpenTakeTheEditorsNameAndRunAfterRunReport)
{
    window(recordingHooks());
    editorRunsReport = true;
    action("tbNew")->trigger();
    EXPECT_EQ(session().currentProfile, "fresh");
    EXPECT_EQ(ran, std::vector<std::string>{"fresh"});

    // A Run Report earlier must not make a plain save of a new profile run it.
    editorRunsReport = false;
    action("PopNew")->trigger();
    EXPECT_EQ(ran.size(), 1u);

    select(0);
    action("tbOpen")->trigger();
    EXPECT_EQ(edited, (std::vector<std::string>{"", "", "alpha"}));
    EXPECT_EQ(session().currentProfile, "alpha");
    EXPECT_EQ(ran.size(), 1u);
}

TEST_F(MainWindowCommands, FeaturesNotYetThereSaySo)
{
    window();
    select(0);
    for (const char* name :
         {"tbNew", "tbOpen", "tbRun", "WebManagement1", "SessionTracker1", "OpenScheduler1", "RunNow1", "ViewLog1"}) {
        messages.recorded.clear();
        action(name)->trigger();
        ASSERT_EQ(messages.recorded.size(), 1u) << name;
        EXPECT_EQ(messages.recorded[0].kind, MessageKind::Information);
        EXPECT_NE(messages.recorded[0].text.find("is not available"), std::string::npos) << name;
    }
}

TEST_F(MainWindowCommands, DeleteAsksAndRemovesTheProfileWithItsFilesOnlyOnYes)
{
    temp.write("My Profiles/beta.ip", "10.0.0.1\r\n");
    temp.write("My Profiles/beta.dmgrpt", "x");
    temp.write("Reports/beta/index.html", "<html>");
    const std::string locked = temp.write("Reports/beta/LKRPages.html", "<html>");
    std::filesystem::permissions(locked, std::filesystem::perms::owner_read);
    window();
    select(1);
    messages.scriptAnswer(Answer::No);
    action("tbDelete")->trigger();
    ASSERT_EQ(messages.recorded.size(), 1u);
    EXPECT_TRUE(messages.recorded[0].question);
    EXPECT_EQ(messages.recorded[0].kind, MessageKind::Confirmation);
    EXPECT_EQ(messages.recorded[0].buttons, Buttons::YesNo);
    EXPECT_EQ(messages.recorded[0].text,
              "Do you really want to delete the Profile: beta \r\rThis cannot be undone. Continue?");
    EXPECT_EQ(list().count(), 3);

    messages.scriptAnswer(Answer::Yes);
    action("DeleteSelected1")->trigger();
    ASSERT_EQ(list().count(), 2);
    EXPECT_EQ(list().item(1)->text(), "gamma");
    EXPECT_FALSE(std::filesystem::exists(temp.file("My Profiles/beta.rpf")));
    EXPECT_FALSE(std::filesystem::exists(temp.file("My Profiles/beta.ip")));
    EXPECT_FALSE(std::filesystem::exists(temp.file("My Profiles/beta.dmgrpt")));
    EXPECT_FALSE(std::filesystem::exists(temp.file("Reports/beta")));
    EXPECT_TRUE(std::filesystem::exists(temp.file("My Profiles/base.rpf.def")));
    EXPECT_EQ(messages.recorded.size(), 2u);
}

TEST_F(MainWindowCommands, AfterDeletingTheLastEntryRunAsksForASelection)
{
    window();
    select(2);
    messages.setDefaultAnswer(Answer::Yes);
    QTest::keyClick(&list(), Qt::Key_Delete);
    ASSERT_EQ(list().count(), 2);
    EXPECT_TRUE(list().selectedItems().isEmpty());
    window().runSelected();
    EXPECT_EQ(lastText(), kSelectToRun);
}

TEST_F(MainWindowCommands, LastResultsOpensTheIndexOrSaysItIsMissing)
{
    temp.write("Reports/alpha/index.html", "<html>");
    window();
    select(0);
    action("LastReportRun1")->trigger();
    EXPECT_EQ(shell.opened, std::vector<std::string>{temp.file("Reports/alpha/index.html")});
    select(1);
    action("PopLast")->trigger();
    EXPECT_EQ(lastText(),
              "The profile that you have selected has not either not been run or the results have been removed.\n"
              "Select run to regenerate the reports.");
    EXPECT_EQ(shell.opened.size(), 1u);
}

TEST_F(MainWindowCommands, HelpEntriesOpenTheirTopics)
{
    window();
    for (const char* name : {"Contents1", "UsingTheReports1", "UsingIPFilters1", "UsingSubDomains1", "tbHelp"}) {
        action(name)->trigger();
    }
    EXPECT_EQ(help.topics, (std::vector<int>{1, 200, 300, 400, 1}));
    action("QuennetOnline1")->trigger();
    EXPECT_EQ(shell.opened, std::vector<std::string>{MainWindow::kMakerHomePage});
}

TEST_F(MainWindowCommands, ToolbarHintsAndRestingText)
{
    window().show();
    QWidget* run = window().findChild<QWidget*>("ToolBarBottom_tbRun");
    QWidget* views = window().findChild<QWidget*>("ToolBarBottom_tbViews");
    ASSERT_NE(run, nullptr);
    ASSERT_NE(views, nullptr);
    QEvent enter(QEvent::Enter);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(run, &enter);
    EXPECT_EQ(window().statusBar()->currentMessage(), "Run the report profile");
    QCoreApplication::sendEvent(run, &leave);
    EXPECT_EQ(window().statusBar()->currentMessage(), "Larkspan ");
    QCoreApplication::sendEvent(views, &enter);
    EXPECT_EQ(window().statusBar()->currentMessage(), "Configure View");
}

TEST_F(MainWindowCommands, ViewsButtonStepsThroughTheViews)
{
    window();
    struct Step {
        const char* from;
        const char* to;
    };
    for (const Step& step : {Step{"1", "2"}, Step{"2", "0"}, Step{"0", "1"}}) {
        window().setView(step.from);
        action("tbViews")->trigger();
        EXPECT_EQ(session().app.view, step.to) << step.from;
    }
    window().setView("");
    action("tbViews")->trigger();
    EXPECT_EQ(session().app.view, "");
    action("DropDownView2")->trigger();
    EXPECT_TRUE(action("MenuView2")->isChecked());
    EXPECT_FALSE(action("MenuView1")->isChecked());
    EXPECT_EQ(list().flow(), QListView::LeftToRight);
    EXPECT_EQ(list().viewMode(), QListView::ListMode);
}

TEST_F(MainWindowCommands, AboutBoxOpensAgainAndIgnoresASecondRequest)
{
    int opened = 0;
    AboutBox* about = window().aboutBox();
    for (int round = 0; round < 2; ++round) {
        QTimer::singleShot(0, about, [&] {
            ++opened;
            // A tray double-click while the box is open does nothing.
            emit window().trayIcon()->activated(QSystemTrayIcon::DoubleClick);
            about->accept();
        });
        window().showAbout();
    }
    EXPECT_EQ(opened, 2);
    EXPECT_EQ(window().trayIcon()->toolTip(), "Larkspan Kite 1.1");
    QMenu* tray = window().trayIcon()->contextMenu();
    QStringList captions;
    for (QAction* entry : tray->actions())
        captions << (entry->isSeparator() ? "-" : entry->text());
    EXPECT_EQ(captions, (QStringList{"About Larkspan Kite 1.1 ...", "Show Console ...", "Open Autorun Scheduler ...",
                                     "-", "Close Larkspan Kite 1.1"}));
}

TEST_F(MainWindowCommands, TrayCloseSavesTheSettingsAndEnds)
{
    window().show();
    action("MenuView1")->trigger();
    window().trayIcon()->contextMenu()->findChild<QAction*>("TrayClose")->trigger();
    EXPECT_FALSE(window().isVisible());
    EXPECT_EQ(SettingsStore(settingsFile).readString(AppSettings::kKey, "vs"), "1");
    EXPECT_TRUE(texts().empty());
}

TEST_F(MainWindowCommands, TrayCloseIgnoresSettingsThatCannotBeWritten)
{
    window().show();
    std::filesystem::remove(settingsFile);
    std::filesystem::create_directory(settingsFile); // the store cannot replace a folder
    window().trayIcon()->contextMenu()->findChild<QAction*>("TrayClose")->trigger();
    EXPECT_FALSE(window().isVisible());
    EXPECT_TRUE(texts().empty());
    std::filesystem::remove(settingsFile);
}

TEST_F(MainWindowCommands, SettingsThatCannotBeWrittenOnExitAreReported)
{
    window().show();
    std::filesystem::remove(settingsFile);
    std::filesystem::create_directory(settingsFile); // the store cannot replace a folder
    window().close();
    ASSERT_EQ(messages.recorded.size(), 1u);
    EXPECT_EQ(messages.recorded[0].kind, MessageKind::Error);
    std::filesystem::remove(settingsFile);
}
