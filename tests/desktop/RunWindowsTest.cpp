// The progress dialog, the loading window, a report run cancelled from the
// dialog, and the general error handler.
#include "DesktopApp.h"
#include "DesktopFixture.h"
#include "ImportWindow.h"
#include "LarkspanApplication.h"
#include "LoadingWindow.h"
#include "QtProgress.h"
#include "ReportProgressDialog.h"
#include "common/Error.h"
#include "profiles/ProfileStore.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

namespace fs = std::filesystem;

using namespace larkspan;
using namespace larkspan::testing;

TEST(ProgressDialog, CancelOnlySetsTheRequestAndTheDialogStays)
{
    CancelRequest cancel;
    ReportProgressDialog dialog(cancel);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Larkspan (tm) - Log Analysis Solution");
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
    dialog.setTotalParts(8);
    dialog.update("Analyzing log files", "Reading 2024-03-01", 2);
    EXPECT_EQ(dialog.bar()->value(), 2);
    EXPECT_EQ(dialog.bar()->maximum(), 8);
    EXPECT_EQ(dialog.phase(), "Analyzing log files");
    EXPECT_EQ(dialog.detail(), "Reading 2024-03-01");

    QTest::mouseClick(dialog.cancelButton(), Qt::LeftButton);
    EXPECT_TRUE(cancel.requested());
    EXPECT_TRUE(dialog.isVisible());
    cancel.reset();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_TRUE(cancel.requested());
    EXPECT_TRUE(dialog.isVisible());
    cancel.reset();
    EXPECT_FALSE(dialog.close());
    EXPECT_TRUE(cancel.requested());
}

TEST(ProgressDialog, PartsBeyondTheTotalOrHugeCountsStayInRange)
{
    CancelRequest cancel;
    ReportProgressDialog dialog(cancel);
    dialog.setTotalParts(0);
    dialog.setCompleted(5);
    EXPECT_EQ(dialog.bar()->value(), dialog.bar()->maximum());
    dialog.setTotalParts(10'000'000'000LL);
    dialog.setCompleted(-3);
    EXPECT_EQ(dialog.bar()->value(), 0);
}

TEST(ProgressDialog, AppearsWithTheFirstUpdateAndGoesWithRelease)
{
    CancelRequest cancel;
    CountingPump pump;
    QtProgress progress(cancel, pump);
    EXPECT_EQ(progress.dialog(), nullptr);
    progress.setBar(0, 1, 4);
    progress.setText(0, "Building reports");
    progress.setText(1, "Top Pages");
    ASSERT_NE(progress.dialog(), nullptr);
    EXPECT_TRUE(progress.dialog()->isVisible());
    EXPECT_EQ(progress.dialog()->phase(), "Building reports");
    EXPECT_EQ(progress.dialog()->detail(), "Top Pages");
    EXPECT_EQ(progress.dialog()->bar()->maximum(), 4);
    EXPECT_GE(pump.calls, 1);
    progress.hide();
    EXPECT_FALSE(progress.dialog()->isVisible());
    progress.release();
    EXPECT_EQ(progress.dialog(), nullptr);
}

TEST(LoadingWindow, BorderlessWithTheHourglassAndItsText)
{
    LoadingWindow loading;
    loading.showAndPaint();
    EXPECT_TRUE(loading.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(loading.cursor().shape(), Qt::WaitCursor);
    auto* panel = loading.findChild<QLabel*>("Panel1");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->text(), "Loading...please wait");
}

using ReportRunFromConsole = DesktopFixture;

TEST_F(ReportRunFromConsole, CancelInTheProgressDialogStopsTheRunAfterTheCurrentStep)
{
    writeSettings(false, "0", "0");
    addProfile("weekly");
    // The real pump: the click travels through the event loop like an operator's.
    session();
    int steps = 0;
    bool dialogShownDuringRun = false;
    bool consoleHiddenDuringRun = false;
    MainWindow::Hooks hooks;
    hooks.runReport = [&] {
        Platform& platform = session().platform();
        EXPECT_FALSE(platform.cancel.requested());
        platform.progress.setBar(0, 0, 100000);
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* progressDialog = qobject_cast<ReportProgressDialog*>(top);
                progressDialog && progressDialog->isVisible()) {
                dialogShownDuringRun = true;
                QTimer::singleShot(0, progressDialog->cancelButton(), [progressDialog] {
                    QTest::mouseClick(progressDialog->cancelButton(), Qt::LeftButton);
                });
            }
        }
        consoleHiddenDuringRun = !window().isVisible();
        while (!platform.cancel.requested() && steps < 100000) {
            ++steps;
            platform.progress.setText(1, "step " + std::to_string(steps));
            platform.progress.setBar(0, steps, 100000);
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    };
    window(std::move(hooks)).show();
    select(0);
    window().runSelected();
    EXPECT_TRUE(dialogShownDuringRun);
    EXPECT_TRUE(consoleHiddenDuringRun);
    EXPECT_TRUE(session().platform().cancel.requested());
    EXPECT_LT(steps, 100000);
    EXPECT_TRUE(window().isVisible());
    EXPECT_EQ(window().statusBar()->currentMessage(), "Larkspan ");
    for (QWidget* top : QApplication::topLevelWidgets()) {
        EXPECT_EQ(qobject_cast<ReportProgressDialog*>(top), nullptr) << "the dialog goes with the run";
    }
}

TEST(GeneralErrorHandler, AFailureNoHandlerCaughtIsShownAndTheProgramGoesOn)
{
    auto* app = qobject_cast<LarkspanApplication*>(QCoreApplication::instance());
    ASSERT_NE(app, nullptr);
    FakeMessages messages;
    app->setMessages(&messages);
    QObject receiver;
    bool later = false;
    QTimer::singleShot(0, &receiver, [] { throw Error("Cannot open file /x/y.rpf"); });
    QTimer::singleShot(0, &receiver, [] { throw std::runtime_error("stoi"); });
    QTimer::singleShot(0, &receiver, [] { throw Cancelled(); });
    QTimer::singleShot(0, &receiver, [&] { later = true; });
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    app->setMessages(nullptr);
    EXPECT_TRUE(later);
    EXPECT_EQ(messages.texts(), (std::vector<std::string>{"Cannot open file /x/y.rpf", "stoi"}));
    EXPECT_EQ(messages.recorded[0].kind, MessageKind::Error);
}

TEST_F(ReportRunFromConsole, ARealRunWritesTheReportSetAndOpensIt)
{
    shippedData = LARKSPAN_TEST_DATA_DIR "/../../data";
    fs::remove(temp.file("My Profiles/base.rpf.def")); // the shipped one instead
    writeSettings(false, "0", "0");
    // A web with two imported days and a profile over them.
    std::string log;
    for (int i = 0; i < 40; ++i) {
        log += "10.0.0." + std::to_string(i % 9) + " - - [1" + std::to_string(i % 2) +
               "/Oct/2000:13:55:36 -0700] \"GET /page" + std::to_string(i % 5) + ".html HTTP/1.0\" 200 2326\r\n";
    }
    temp.write("logs/access.log", log);
    temp.write("wwwstats/site/site.dat", "site\r\n0\r\n0\r\nwww.example.com\r\nFALSE\r\n");
    temp.write("wwwstats/site/site.wfl", temp.file("logs/access.log") + "\r\n");
    {
        ImportWindow window(session(), "site");
        window.startImport();
        ASSERT_EQ(texts(), std::vector<std::string>{"Import Complete"});
    }
    KeyValueTable profile = profiles::loadBaseTable(session().folder());
    profile.setText("path", "site");
    profile.setText("url", "www.example.com");
    profile.setText("pre-date", "7");
    profile.setInteger("start", dayNumber({2000, 10, 10}));
    profile.setInteger("end", dayNumber({2000, 10, 11}));
    profile.save(temp.file("My Profiles/weekly.rpf"));

    messages.recorded.clear();
    window(desktopHooks(session())).show();
    select(0);
    window().runSelected();
    EXPECT_TRUE(fs::exists(temp.file("Reports/weekly/index.html"))) << ::testing::PrintToString(texts());
    EXPECT_EQ(shell.opened, std::vector<std::string>{temp.file("Reports/weekly/index.html")})
        << ::testing::PrintToString(texts());
    EXPECT_TRUE(window().isVisible());
    EXPECT_EQ(window().statusBar()->currentMessage(), "Larkspan ");

    // The console's Last Report Run opens the same index again.
    action("LastReportRun1")->trigger();
    EXPECT_EQ(shell.opened.size(), 2u);
}

TEST_F(ReportRunFromConsole, ARunThatFailsSaysWhyAndTheConsoleComesBack)
{
    writeSettings(false, "0", "0");
    addProfile("weekly");
    MainWindow::Hooks hooks;
    hooks.runReport = [] { throw Error("Cannot create folder /nowhere/Reports/weekly"); };
    window(std::move(hooks)).show();
    select(0);
    window().runSelected();
    EXPECT_EQ(texts(), std::vector<std::string>{"Cannot create folder /nowhere/Reports/weekly"});
    EXPECT_TRUE(window().isVisible());
    EXPECT_EQ(window().statusBar()->currentMessage(), "Larkspan ");
    EXPECT_TRUE(QApplication::quitOnLastWindowClosed());
}
