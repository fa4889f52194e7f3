#include "AutorunController.h"
#include "DesktopFixture.h"
#include "ScheduleEditorWindow.h"
#include "autorun/RunnerLock.h"

#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTest>
#include <QToolBar>
#include <filesystem>

using namespace larkspan;
using namespace larkspan::testing;

namespace {

QStringList items(const QListWidget* list)
{
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        names << list->item(i)->text();
    return names;
}

// Three webs, a clock on Tuesday 5 March 2024 at 23:50:10 and an autorun
// controller whose imports are scripted.
class AutorunDesktop : public DesktopFixture {
  protected:
    AutorunDesktop()
    {
        clock = &fixed;
        for (const char* web : {"shop", "blog", "intranet"})
            std::filesystem::create_directories(temp.file(std::string("wwwstats/") + web));
        writeSettings(false, "0", "0");
    }

    AutorunController& autorun(bool tray = true)
    {
        if (!controller_) {
            controller_ = std::make_unique<AutorunController>(session(), window());
            controller_->install();
            controller_->trayAvailable = tray;
            controller_->importWeb = [this](const std::string& web) {
                imported.push_back(web);
                if (duringImport) duringImport();
                return web == "blog" ? ImportOutcome::Failed : ImportOutcome::Completed;
            };
        }
        return *controller_;
    }

    FixedClock fixed{LocalDateTime{{2024, 3, 5}, 23, 50, 10}};
    std::vector<std::string> imported;
    std::function<void()> duringImport;

  private:
    std::unique_ptr<AutorunController> controller_;
};

} // namespace

TEST_F(AutorunDesktop, TheEditorMovesWebsAndSavesTheSchedule)
{
    temp.write("Schedule.job", "gone\r\nshop\r\n");
    temp.write("Schedule.job.int", "Weekly");
    messages.scriptAnswer(Answer::No);
    ScheduleEditorWindow editor(session());
    ASSERT_EQ(messages.recorded.size(), 1u);
    EXPECT_EQ(messages.recorded[0].text,
              "The web: gone is no longer available.  \nWould you like to remove it from the Scheduled webs list?");
    EXPECT_EQ(editor.windowTitle(), "Autorun Schedule");
    EXPECT_EQ(editor.intervalBox()->currentText(), "Weekly");
    EXPECT_EQ(items(editor.availableList()), (QStringList{"blog", "intranet"}));
    EXPECT_EQ(items(editor.scheduledList()), (QStringList{"gone", "shop"}));

    editor.availableList()->setCurrentRow(1);
    QTest::mouseClick(editor.findChild<QPushButton*>("ScheduleOne"), Qt::LeftButton);
    EXPECT_EQ(items(editor.scheduledList()), (QStringList{"gone", "intranet", "shop"}));
    editor.scheduledList()->setCurrentRow(2);
    QTest::mouseClick(editor.findChild<QPushButton*>("RemoveOne"), Qt::LeftButton);
    EXPECT_EQ(items(editor.availableList()), (QStringList{"blog", "shop"}));
    EXPECT_EQ(editor.findChild<QPushButton*>("ScheduleAll")->toolTip(), "Schedule all available webs");

    editor.intervalBox()->setEditText("DAILY");
    messages.recorded.clear();
    editor.findChild<QAction*>("SaveSchedule")->trigger();
    EXPECT_EQ(temp.read("Schedule.job"), "gone\r\nintranet\r\n");
    EXPECT_EQ(temp.read("Schedule.job.int"), "DAILY");
    EXPECT_EQ(lastText(), "Schedule:" + temp.path() + "/Schedule.job updated");
    editor.findChild<QAction*>("MenuAbout")->trigger();
    EXPECT_EQ(lastText(), "Autorun Scheduler for Larkspan Kite 1.0");
}

TEST_F(AutorunDesktop, CancelledCountDownTurnsTheSettingOffForTheNextStart)
{
    writeSettings(false, "0", "0", true);
    AutorunController& controller = autorun();
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&window(), &activate);
    QCoreApplication::processEvents();
    ASSERT_TRUE(controller.countDown().running());
    controller.countDown().tick();
    CountDownWindow* shown = controller.countDown().window();
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->isVisible());
    EXPECT_EQ(shown->windowTitle(), "Autorun count down");
    EXPECT_EQ(shown->text()->text(), "Autorun will start in 25 seconds.");
    controller.countDown().tick();
    EXPECT_EQ(shown->text()->text(), "Autorun will start in 24 seconds.");

    QTest::mouseClick(shown->cancelButton(), Qt::LeftButton);
    EXPECT_FALSE(controller.countDown().running());
    EXPECT_FALSE(shown->isVisible());
    EXPECT_FALSE(action("cbAutoRun")->isChecked());
    EXPECT_FALSE(controller.active());
    window().close();
    EXPECT_EQ(SettingsStore(settingsFile).readInteger(AppSettings::kKey, "cbAutoRun"), 0);

    // The next start shows no count-down.
    FakeMessages again;
    DesktopSession second(ProgramFolder(temp.path(), ""), again);
    MainWindow next(second);
    int countDowns = 0;
    next.hooks().startCountDown = [&] { ++countDowns; };
    QApplication::sendEvent(&next, &activate);
    QCoreApplication::processEvents();
    EXPECT_EQ(countDowns, 0);
}

TEST_F(AutorunDesktop, TheEndOfTheCountDownEntersAutorunWithTheNextRunAsHint)
{
    temp.write("Schedule.job", "blog\r\nshop\r\n");
    temp.write("Schedule.job.int", "15 Minutes");
    writeSettings(false, "0", "0", true);
    AutorunController& controller = autorun();
    // Shown without being activated (no window manager): the count-down begins.
    window().show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(controller.countDown().running());
    controller.countDown().tick();
    controller.countDown().expire();
    ASSERT_TRUE(controller.active());
    EXPECT_TRUE(session().unattended());
    EXPECT_FALSE(window().isVisible());
    EXPECT_EQ(window().trayIcon()->contextMenu(), controller.autorunMenu());
    EXPECT_EQ(window().trayIcon()->toolTip(), "Larkspan - Kite\nAutorun Enabled\nNext Run: 03/06/2024 12:05:10 AM");
    EXPECT_GT(controller.msUntilNextRun(), 0);
    EXPECT_LE(controller.msUntilNextRun(), 900'000);
    autorun::RunnerLock probe(temp.path() + "/");
    EXPECT_FALSE(probe.acquire());

    // A run: the failed web is logged and the next one still imported.
    controller.runScheduled();
    EXPECT_EQ(imported, (std::vector<std::string>{"blog", "shop"}));
    const std::string log = temp.read("Schedule.log");
    EXPECT_NE(log.find("  **Import of Web: blog Failed.\r\n"), std::string::npos);
    EXPECT_NE(log.find("  Import of Web: shop completed at: 11:50:10 PM\r\n"), std::string::npos);
    EXPECT_GT(controller.msUntilNextRun(), 0);

    controller.autorunMenu()->findChild<QAction*>("TrayQuitAutorun")->trigger();
    EXPECT_FALSE(controller.active());
    EXPECT_FALSE(session().unattended());
    EXPECT_TRUE(window().isVisible());
    EXPECT_NE(window().trayIcon()->contextMenu(), controller.autorunMenu());
    EXPECT_EQ(window().trayIcon()->toolTip(), "Larkspan Kite 1.1");
    EXPECT_EQ(controller.msUntilNextRun(), -1);
    EXPECT_TRUE(probe.acquire());
}

TEST_F(AutorunDesktop, QuitAndCloseDuringARunWaitForTheCurrentWeb)
{
    temp.write("Schedule.job", "intranet\r\nshop\r\n");
    temp.write("Schedule.job.int", "5 Minutes");
    AutorunController& controller = autorun();
    window().show();
    action("RunNow1")->trigger();
    ASSERT_TRUE(controller.active());
    duringImport = [&] { controller.quit(); };
    controller.runScheduled();
    EXPECT_EQ(imported, (std::vector<std::string>{"intranet"}));
    EXPECT_FALSE(controller.active());
    EXPECT_NE(temp.read("Schedule.log").find("Autorun Import Stopped on 03/05/2024 at 11:50:10 PM"), std::string::npos);

    // Closing the console during a run ends the program after that web.
    imported.clear();
    action("RunNow1")->trigger();
    duringImport = [&] {
        window().close();
        EXPECT_TRUE(controller.running());
    };
    controller.runScheduled();
    EXPECT_EQ(imported, (std::vector<std::string>{"intranet"}));
    EXPECT_FALSE(window().isVisible());
    autorun::RunnerLock probe(temp.path() + "/");
    EXPECT_TRUE(probe.acquire());
}

TEST_F(AutorunDesktop, WithoutANotificationAreaTheConsoleShowsAutorunAndQuitsIt)
{
    temp.write("Schedule.job.int", "Daily");
    AutorunController& controller = autorun(false);
    window().show();
    action("RunNow1")->trigger();
    ASSERT_TRUE(controller.active());
    EXPECT_TRUE(window().isVisible());
    EXPECT_TRUE(controller.statusBar()->isVisible());
    EXPECT_FALSE(window().menuBar()->isEnabled());
    EXPECT_FALSE(window().toolbarBottom()->isEnabled());
    EXPECT_EQ(controller.statusBar()->findChild<QLabel*>("AutorunBarText")->text(),
              "Autorun is on. Larkspan - Kite - Autorun Enabled - Next Run: 03/06/2024 12:00:01 AM");
    controller.statusBar()->findChild<QAction*>("BarQuitAutorun")->trigger();
    EXPECT_FALSE(controller.active());
    EXPECT_FALSE(controller.statusBar()->isVisible());
    EXPECT_TRUE(window().menuBar()->isEnabled());
}

TEST_F(AutorunDesktop, ASecondRunnerIsRefusedAndTheLogIsOpenedOrExplained)
{
    autorun::RunnerLock other(temp.path() + "/");
    ASSERT_TRUE(other.acquire());
    AutorunController& controller = autorun();
    action("RunNow1")->trigger();
    EXPECT_FALSE(controller.active());
    EXPECT_NE(lastText().find("Autorun is already running for the data directory"), std::string::npos);
    other.release();

    const std::string log = temp.path() + "/Schedule.log";
    action("ViewLog1")->trigger();
    EXPECT_EQ(lastText(), "The log file " + log + " has either not been created or has been removed.");
    temp.write("Schedule.log", "x\r\n");
    action("ViewLog1")->trigger();
    EXPECT_EQ(shell.edited, (std::vector<std::string>{log}));
    shell.desktop = false;
    action("ViewLog1")->trigger();
    EXPECT_EQ(lastText(), "Unable to open " + log + ".");
}
