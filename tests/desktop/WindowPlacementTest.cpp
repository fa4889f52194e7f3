#include "WindowPlacement.h"
#include "DesktopFixture.h"

#include <QApplication>

using namespace larkspan;
using larkspan::testing::DesktopFixture;

class ConsolePlacement : public DesktopFixture {};

TEST_F(ConsolePlacement, TheConsoleOpensWhereItWasClosed)
{
    writeSettings(false, "0", "0");
    window().show();
    window().setGeometry(140, 120, 720, 510);
    const QRect placed = window().geometry();
    window().close();

    MainWindow next(session(), {});
    EXPECT_EQ(next.geometry(), placed);
}

TEST_F(ConsolePlacement, NothingUsableRememberedKeepsTheDefaultSize)
{
    writeSettings(false, "0", "0");
    {
        SettingsStore store(settingsFile);
        store.writeString(placement::kKey, "MainWindow", "not a geometry");
    }
    EXPECT_EQ(window().size(), QSize(680, 460));
}

// The console is hidden while a report runs; the window manager may place a
// window anew when it is shown again, which here the run stands in for.
TEST_F(ConsolePlacement, AReportRunLeavesTheConsoleWhereItStood)
{
    writeSettings(false, "0", "0");
    addProfile("weekly");
    MainWindow::Hooks hooks;
    hooks.runReport = [this] { window().setGeometry(0, 0, 300, 200); };
    window(std::move(hooks)).show();
    window().setGeometry(200, 150, 700, 480);
    const QRect placed = window().geometry();
    select(0);
    window().runSelected();
    EXPECT_TRUE(window().isVisible());
    EXPECT_EQ(window().geometry(), placed);
}
