// Pictures of every window for a reviewer: written into $LARKSPAN_SHOTS_DIR
// (scripts/screenshots.sh sets build/shots), else into a temporary folder
// and only checked to be there.
#include "AboutBox.h"
#include "AutorunController.h"
#include "AutorunCountDown.h"
#include "DataFolderDialog.h"
#include "DesktopFixture.h"
#include "ImportWindow.h"
#include "LoadingWindow.h"
#include "QtProgress.h"
#include "ReportProgressDialog.h"
#include "ScheduleEditorWindow.h"
#include "ScreenshotSaver.h"
#include "WebManagerWindow.h"
#include "WebPropertiesEditor.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenuBar>
#include <QPixmap>
#include <QRadioButton>
#include <QTabWidget>
#include <gtest/gtest.h>

using namespace larkspan;
using namespace larkspan::testing;

class Screenshots : public DesktopFixture {
  protected:
    void shoot(QWidget& widget, const QString& name) { shots.shoot(widget, name); }

    ScreenshotSaver shots{temp.file("shots")};
};

TEST_F(Screenshots, ConsoleInEveryViewAndToolbarLayout)
{
    writeSettings(false, "1", "0");
    for (const char* name : {"Weekly summary", "Monthly", "shop-2024", "Referrers", "Errors only"})
        addProfile(name);
    MainWindow& console = window();
    select(1);
    shoot(console, "main-large-icons-text-below");
    console.setView("2");
    console.setToolbarLayout("1");
    shoot(console, "main-small-icons-text-right");
    console.setView("0");
    console.setToolbarLayout("2");
    shoot(console, "main-list-no-toolbar");
    console.resize(1000, 640);
    console.setToolbarLayout("0");
    shoot(console, "main-list-enlarged");
}

TEST_F(Screenshots, AboutLoadingAndProgress)
{
    AboutBox about;
    shoot(about, "about");
    LoadingWindow loading;
    shoot(loading, "loading");
    CancelRequest cancel;
    ReportProgressDialog progress(cancel);
    progress.setTotalParts(12);
    progress.update("Generating Reports", "Top Requested Pages", 5);
    shoot(progress, "progress");
}

TEST_F(Screenshots, WebManagerEditorAndDataDirectory)
{
    writeSettings(false, "1", "0");
    for (const char* web : {"shop", "blog", "intranet"}) {
        temp.write(std::string("wwwstats/") + web + "/" + web + ".dat",
                   std::string(web) + "\r\n0\r\n0\r\n\r\nTRUE\r\n");
    }
    temp.write("wwwstats/mirror/mirror.dat", "mirror\r\n1\r\n0\r\n\r\n");
    WebManagerWindow manager(session());
    manager.webList()->setCurrentRow(0);
    shoot(manager, "web-manager");

    WebPropertiesEditor editor(session(), manager.webs());
    editor.nameField()->setText("shop");
    editor.pathField()->setText("/var/log/apache2/access*.log");
    editor.urlField()->setText("www.shop.example");
    shoot(editor, "web-property-editor");
    editor.ftpChoice()->setChecked(true);
    editor.pages()->setCurrentIndex(1);
    shoot(editor, "web-property-editor-ftp");

    DataFolderDialog directory(QString::fromStdString(session().app.dataDirectory), session().platform().help);
    shoot(directory, "select-data-directory");
}

TEST_F(Screenshots, ImportWindowAndItsInformationPanel)
{
    ImportWindow window(session(), "shop");
    ImportStatus status;
    status.caption = "Importing shop";
    status.currentFile = "/var/log/apache2/access.log.1";
    status.fileStatus = "Importing access.log.1";
    status.recordStatus = "12400 records imported...";
    status.filesDone = 1;
    status.filesTotal = 3;
    window.refresh(status);
    shoot(window, "import-window");
    window.showPanel("Converting line ends...\nPlease Wait", 40);
    shoot(window, "import-window-panel");
}

TEST_F(Screenshots, AutorunScheduleCountDownAndConsoleBar)
{
    writeSettings(false, "1", "0");
    for (const char* web : {"shop", "blog", "intranet", "mirror"})
        temp.write(std::string("wwwstats/") + web + "/" + web + ".dat", std::string(web) + "\r\n0\r\n0\r\n\r\n");
    temp.write("Schedule.job", "blog\r\nshop\r\n");
    temp.write("Schedule.job.int", "Daily");
    ScheduleEditorWindow editor(session());
    editor.availableList()->setCurrentRow(0);
    shoot(editor, "autorun-schedule");

    CountDownWindow countDown;
    countDown.showSeconds(17);
    shoot(countDown, "autorun-count-down");

    // Without a notification area the console shows that autorun is on.
    for (const char* name : {"Weekly summary", "Monthly"})
        addProfile(name);
    AutorunController autorun(session(), window());
    autorun.trayAvailable = false;
    autorun.importWeb = [](const std::string&) { return ImportOutcome::Completed; };
    autorun.enter();
    shoot(window(), "main-autorun-without-tray");
    autorun.quit();
}
