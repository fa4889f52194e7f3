#include "DesktopFixture.h"
#include "DesktopIcons.h"
#include "ReportProgressDialog.h"
#include "WebPropertiesEditor.h"
#include "platform/CancelRequest.h"
#include "webs/WebStore.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>

using namespace larkspan;
using larkspan::testing::DesktopFixture;

TEST(ProgressDialogText, ALongPathKeepsItsStartAndItsFileName)
{
    CancelRequest cancel;
    ReportProgressDialog dialog(cancel);
    dialog.show();
    const QString path = "/srv/www/" + QString("very-long-folder-name/").repeated(12) + "access.log";
    dialog.update("Reading log files", path, 1);
    QApplication::processEvents();
    const QString shown = dialog.findChild<QLabel*>("Label2")->text();
    EXPECT_TRUE(shown.startsWith("/srv/www/")) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith("access.log")) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QChar(0x2026)));
    EXPECT_EQ(dialog.detail(), path);
    // A short text stays whole.
    dialog.update("Reading log files", "/tmp/a.log", 2);
    EXPECT_EQ(dialog.findChild<QLabel*>("Label2")->text(), "/tmp/a.log");
}

class WebPropertiesLooks : public DesktopFixture {};

TEST_F(WebPropertiesLooks, TheNameOfAnExistingWebLooksReadOnly)
{
    temp.write("wwwstats/site/site.dat", "site\r\n0\r\n0\r\nwww.example.com\r\nFALSE\r\n");
    WebStore webs(session().settings(), temp.path());
    WebPropertiesEditor fresh(session(), webs);
    WebPropertiesEditor existing(session(), webs);
    ASSERT_TRUE(existing.loadWeb("site"));
    const auto base = [](WebPropertiesEditor& editor) {
        return editor.findChild<QLineEdit*>("WebName")->palette().color(QPalette::Base);
    };
    EXPECT_TRUE(existing.findChild<QLineEdit*>("WebName")->isReadOnly());
    EXPECT_NE(base(existing), base(fresh));
    EXPECT_EQ(base(existing), QPalette().color(QPalette::Button));
}

TEST_F(WebPropertiesLooks, TheFtpFieldsLineUpAcrossBothGroups)
{
    WebStore webs(session().settings(), temp.path());
    WebPropertiesEditor editor(session(), webs);
    editor.findChild<QAbstractButton*>("TypeFtp")->click();
    editor.findChild<QTabWidget*>()->setCurrentIndex(1);
    editor.show();
    QApplication::processEvents();
    const auto left = [&editor](const char* name) {
        QWidget* field = editor.findChild<QWidget*>(name);
        return field->mapTo(&editor, QPoint(0, 0)).x();
    };
    for (const char* name : {"FtpProxy", "FtpUser", "FtpPassword", "FtpDirectory", "FtpMask"})
        EXPECT_EQ(left(name), left("FtpServer")) << name;
}

TEST(RunIcon, LooksDifferentWhenDisabled)
{
    const QIcon run = icons::run();
    const QImage normal = run.pixmap(24, QIcon::Normal).toImage();
    const QImage disabled = run.pixmap(24, QIcon::Disabled).toImage();
    ASSERT_FALSE(normal.isNull());
    // The enabled picture is coloured (green), the disabled one is not.
    const QColor centre = normal.pixelColor(normal.width() / 4, normal.height() / 2);
    EXPECT_GT(centre.saturation(), 100);
    EXPECT_NE(normal, disabled);
}
