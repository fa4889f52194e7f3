// The import window around the core's import run: a finished run, a run
// with nothing to import, "Cancel Import" during a run, and its stored
// check box.
#include "ImportWindow.h"
#include "DesktopFixture.h"
#include "webs/FtpSettings.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

using namespace larkspan;
using namespace larkspan::testing;

namespace fs = std::filesystem;

class ImportWindowTest : public DesktopFixture {
  protected:
    // A local web "site" reading every "*.log" of the logs folder.
    void makeWeb(const std::string& mask = "*.log")
    {
        fs::create_directories(temp.file("logs"));
        temp.write("wwwstats/site/site.dat", "site\r\n0\r\n0\r\nwww.example.com\r\nFALSE\r\n");
        temp.write("wwwstats/site/site.wfl", temp.file("logs") + "/" + mask + "\r\n");
    }

    // NCSA common lines on 10 and 11 October 2000.
    void writeLog(const std::string& name, int lines)
    {
        std::string text;
        for (int i = 0; i < lines; ++i) {
            text += "10.0.0." + std::to_string(i % 200) + " - - [" + (i % 2 ? "10" : "11") +
                    "/Oct/2000:13:55:36 -0700] \"GET /page" + std::to_string(i % 7) + ".html HTTP/1.0\" 200 2326\r\n";
        }
        temp.write("logs/" + name, text);
    }
};

TEST_F(ImportWindowTest, AFinishedRunSaysSoAndClosesWithOk)
{
    makeWeb();
    writeLog("a.log", 20);
    writeLog("b.log", 10);
    ImportWindow window(session(), "site");
    EXPECT_EQ(window.windowTitle(), "Importing site");
    EXPECT_EQ(window.importButton()->text(), "Import Now");
    EXPECT_FALSE(window.cancelButton()->isEnabled());
    EXPECT_TRUE(window.trackerBox()->isChecked());
    window.startImport();
    EXPECT_EQ(texts(), std::vector<std::string>{"Import Complete"});
    EXPECT_EQ(window.importButton()->text(), "Close");
    EXPECT_TRUE(window.importButton()->isEnabled());
    EXPECT_TRUE(window.importButton()->isDefault());
    EXPECT_FALSE(window.cancelButton()->isEnabled());
    EXPECT_FALSE(window.panelShown());
    EXPECT_TRUE(fs::exists(temp.file("wwwstats/site/2000/LKLT1010.log")));
    EXPECT_TRUE(fs::exists(temp.file("wwwstats/site/2000/LKLT1011.log")));
    window.startImport();
    EXPECT_EQ(window.result(), QDialog::Accepted);
}

TEST_F(ImportWindowTest, NothingToImportClosesWithoutImportComplete)
{
    makeWeb("*.nothing");
    ImportWindow window(session(), "site");
    window.startImport();
    EXPECT_EQ(texts(), std::vector<std::string>{"There are no files to import."});
    EXPECT_EQ(window.result(), QDialog::Rejected);
}

TEST_F(ImportWindowTest, CancelImportStopsTheRunAndClosesWithCancel)
{
    makeWeb();
    writeLog("big.log", 20000);
    writeLog("later.log", 10);
    ImportWindow window(session(), "site");
    window.pumpInterval = std::chrono::milliseconds(0);
    bool cancelWasEnabled = false;
    bool panelShown = true;
    int readPercent = -1;
    // Pressed while the run lets window events through, once reading has
    // gone some way into the file.
    std::function<void()> pressWhenReading = [&] {
        if (window.fileProgress()->isHidden() && window.cancelButton()->isEnabled()) {
            QTimer::singleShot(0, &window, pressWhenReading);
            return;
        }
        cancelWasEnabled = window.cancelButton()->isEnabled();
        panelShown = window.panelShown();
        readPercent = window.fileProgress()->value();
        window.cancelButton()->click();
    };
    QTimer::singleShot(0, &window, pressWhenReading);
    window.startImport();
    EXPECT_TRUE(cancelWasEnabled);
    // LF or CR LF, no "Converting files" panel: the file's own progress.
    EXPECT_FALSE(panelShown);
    EXPECT_GE(readPercent, 0);
    EXPECT_LE(readPercent, 100);
    EXPECT_EQ(window.result(), QDialog::Rejected);
    EXPECT_EQ(texts(), std::vector<std::string>{"Import cancelled."});
    EXPECT_TRUE(session().platform().cancel.requested());
    // The file under way was rolled back.
    EXPECT_FALSE(fs::exists(temp.file("wwwstats/site/2000/LKLT1010.log")));
}

TEST_F(ImportWindowTest, SessionTrackerBoxIsRememberedForTheNextImport)
{
    makeWeb("*.nothing");
    {
        ImportWindow window(session(), "site");
        window.trackerBox()->setChecked(false);
        window.reject();
    }
    EXPECT_FALSE(readBuildSessionTracker(session().settings()));
    ImportWindow next(session(), "site");
    EXPECT_FALSE(next.trackerBox()->isChecked());
}

TEST_F(ImportWindowTest, AnUnknownWebEndsWithTheErrorAndCloses)
{
    ImportWindow window(session(), "ghost");
    window.startImport();
    ASSERT_EQ(messages.recorded.size(), 1u);
    EXPECT_EQ(messages.recorded[0].kind, MessageKind::Error);
    EXPECT_EQ(messages.recorded[0].text.rfind("Error Importing Files\n", 0), 0u) << messages.recorded[0].text;
    EXPECT_EQ(window.result(), QDialog::Rejected);
}

TEST_F(ImportWindowTest, UnattendedImportStartsByItselfAndSaysNothingWhenDone)
{
    makeWeb();
    writeLog("a.log", 10);
    session().setUnattended(true);
    ImportWindow window(session(), "site");
    window.show();
    for (int i = 0; i < 5 && window.isVisible(); ++i)
        QCoreApplication::processEvents();
    session().setUnattended(false);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_TRUE(texts().empty());
    EXPECT_TRUE(fs::exists(temp.file("wwwstats/site/2000/LKLT1010.log")));
}
