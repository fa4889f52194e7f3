// The import window with an FTP web on a real loopback server: a finished
// run, and "Cancel Import" pressed in the middle of a download.
#include "DesktopFixture.h"
#include "ImportWindow.h"
#include "fakes/LocalFtpServer.h"
#include "webs/FtpSettings.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>

using namespace larkspan;
using namespace larkspan::testing;

namespace fs = std::filesystem;

namespace {

std::string ncsa(int lines)
{
    std::string text;
    for (int i = 0; i < lines; ++i)
        text +=
            "10.0.0.1 - - [10/Oct/2000:13:55:36 -0700] \"GET /page" + std::to_string(i) + ".html HTTP/1.0\" 200 2326\n";
    return text;
}

class FtpImportWindowTest : public DesktopFixture {
  protected:
    void makeFtpWeb(const LocalFtpServer& server)
    {
        temp.write("wwwstats/site/site.dat", "site\r\n1\r\n0\r\nwww.example.com\r\nFALSE\r\n");
        FtpSettings settings = server.webSettings();
        settings.deleteAfterDownload = true;
        writeFtpSettings(session().settings(), messages, "site", settings);
    }

    TempFolder root;
};

} // namespace

TEST_F(FtpImportWindowTest, AFinishedFtpRunImportsTheFetchedFiles)
{
    root.write("logs/a.log", ncsa(5));
    LocalFtpServer server(root.path());
    makeFtpWeb(server);
    ImportWindow window(session(), "site");
    window.pumpInterval = std::chrono::milliseconds(0);
    window.startImport();
    EXPECT_EQ(texts(), std::vector<std::string>{"Import Complete"});
    EXPECT_TRUE(fs::exists(temp.file("wwwstats/site/2000/LKLT1010.log")));
    EXPECT_FALSE(fs::exists(root.file("logs/a.log")));
    EXPECT_FALSE(window.panelShown());
}

TEST_F(FtpImportWindowTest, CancelImportStopsTheDownloadUnderWay)
{
    root.write("logs/big.log", ncsa(60000));
    LocalFtpServer server(root.path(), {"--throttle", "500000"});
    makeFtpWeb(server);
    ImportWindow window(session(), "site");
    window.pumpInterval = std::chrono::milliseconds(0);
    QString panelSeen;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, &window, [&] {
        const QString kilobytes = window.statusText(1);
        if (kilobytes.startsWith("KB Transferred: ") && kilobytes != "KB Transferred: 0") {
            panelSeen = window.findChild<QLabel*>("PanelText")->text();
            watcher.stop();
            window.cancelButton()->click();
        }
    });
    watcher.start(0);
    window.startImport();
    EXPECT_EQ(window.result(), QDialog::Rejected);
    EXPECT_EQ(texts(), std::vector<std::string>{"Import cancelled."});
    EXPECT_TRUE(panelSeen.startsWith("Preparing to import log files...Running FTP\n\n")) << panelSeen.toStdString();
    EXPECT_TRUE(fs::is_empty(temp.file("FTPTemp/site")));
    EXPECT_EQ(fs::file_size(root.file("logs/big.log")), ncsa(60000).size());
    EXPECT_FALSE(fs::exists(temp.file("wwwstats/site/2000")));
}
