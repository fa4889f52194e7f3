#pragma once

#include "AutorunCountDown.h"
#include "import/ImportRun.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

class QAction;
class QLabel;
class QMenu;
class QToolBar;

namespace larkspan {

class DesktopSession;
class MainWindow;

namespace autorun {
class AutorunRunner;
class RunnerLock;
} // namespace autorun

// Autorun in the desktop program: the schedule editor, the count-down,
// entering and leaving autorun (console hidden, tray menu and hint), the
// run timer and View Log. Where the desktop has no notification area the
// console stays up with a bar that shows the next run and Quit Autorun.
// "Quit Autorun" and "Close" during a run wait until the current web's
// import has ended.
class AutorunController : public QObject {
    Q_OBJECT
  public:
    static constexpr const char* kAutorunHint = "Larkspan Kite - Autorun";

    AutorunController(DesktopSession& session, MainWindow& window);
    ~AutorunController() override;

    // Sets the console's scheduler, Run now, View Log and count-down hooks.
    void install();

    void openScheduler();
    void viewLog();
    void startCountDown();
    // "&Run now..." and the end of the count-down.
    void enter();
    // "Quit Autorun".
    void quit();
    // "Close Larkspan Kite 1.1" of the autorun menu.
    void closeProgram();
    // The run timer's work: one run, then the next is scheduled.
    void runScheduled();

    bool active() const { return active_; }
    bool running() const { return running_; }
    // The hint the tray shows (and the console's bar without a tray).
    QString hint() const { return hint_; }
    // Milliseconds until the next run; -1 when none is scheduled.
    long long msUntilNextRun() const;
    AutorunCountDown& countDown() { return countDown_; }
    QMenu* autorunMenu() const { return menu_; }
    QToolBar* statusBar() const { return bar_; }

    // Whether the desktop offers a notification area (tests set it).
    bool trayAvailable;
    // Imports one web unattended; the import window by default.
    std::function<ImportOutcome(const std::string& web)> importWeb;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildMenu();
    void showActive(bool on);
    void setHint(const QString& hint);
    void armTimer();
    void leave();
    std::string dataDirectory() const;

    DesktopSession& session_;
    MainWindow& window_;
    AutorunCountDown countDown_;
    std::unique_ptr<autorun::RunnerLock> lock_;
    std::unique_ptr<autorun::AutorunRunner> runner_;
    QTimer runTimer_;
    QElapsedTimer armedAt_;
    long long waitMs_ = -1;
    QPointer<QMenu> normalMenu_;
    QMenu* menu_ = nullptr;
    QToolBar* bar_ = nullptr;
    QLabel* barText_ = nullptr;
    QString hint_;
    bool active_ = false;
    bool running_ = false;
    bool quitAfterRun_ = false;
    bool closeAfterRun_ = false;
    bool schedulerOpen_ = false;
    bool countDownBegun_ = false;
    bool quitOnLastWindowClosed_ = true;
};

} // namespace larkspan
