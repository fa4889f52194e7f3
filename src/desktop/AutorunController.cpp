#include "AutorunController.h"

#include "DesktopSession.h"
#include "ImportWindow.h"
#include "MainWindow.h"
#include "ScheduleEditorWindow.h"
#include "autorun/AutorunRunner.h"
#include "autorun/RunnerLock.h"
#include "autorun/ScheduleLog.h"
#include "webs/WebStore.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSystemTrayIcon>
#include <QToolBar>

namespace larkspan {

namespace {
// A wait longer than a day is taken in steps (a timer holds an int of ms).
constexpr long long kLongestStepMs = 86'400'000;
} // namespace

AutorunController::AutorunController(DesktopSession& session, MainWindow& window)
    : trayAvailable(QSystemTrayIcon::isSystemTrayAvailable()), session_(session), window_(window)
{
    importWeb = [this](const std::string& web) {
        ImportWindow import(session_, web);
        import.execute();
        return import.outcome();
    };
    runTimer_.setSingleShot(true);
    runTimer_.setTimerType(Qt::PreciseTimer);
    connect(&runTimer_, &QTimer::timeout, this, [this] {
        if (msUntilNextRun() > 0)
            armTimer();
        else
            runScheduled();
    });
    countDown_.expired = [this] {
        if (session_.app.autorun) enter();
    };
    countDown_.cancelled = [this] {
        if (auto* tick = window_.findChild<QAction*>("cbAutoRun")) tick->setChecked(false);
        session_.app.autorun = false;
    };
    buildMenu();
    window_.installEventFilter(this);
}

AutorunController::~AutorunController() = default;

void AutorunController::install()
{
    MainWindow::Hooks& hooks = window_.hooks();
    hooks.scheduler = [this] { openScheduler(); };
    hooks.runAutorunNow = [this] { enter(); };
    hooks.viewAutorunLog = [this] { viewLog(); };
    hooks.startCountDown = [this] { startCountDown(); };
}

void AutorunController::buildMenu()
{
    menu_ = new QMenu(&window_);
    menu_->setObjectName("AutorunTrayMenu");
    menu_->addAction("Quit Autorun", this, &AutorunController::quit)->setObjectName("TrayQuitAutorun");
    menu_->addAction("Close Larkspan Kite 1.1", this, &AutorunController::closeProgram)
        ->setObjectName("TrayCloseAutorun");

    bar_ = new QToolBar("Autorun", &window_);
    bar_->setObjectName("AutorunBar");
    bar_->setMovable(false);
    bar_->setFloatable(false);
    bar_->toggleViewAction()->setVisible(false);
    bar_->setContextMenuPolicy(Qt::PreventContextMenu);
    barText_ = new QLabel;
    barText_->setObjectName("AutorunBarText");
    barText_->setTextFormat(Qt::PlainText);
    barText_->setContentsMargins(6, 0, 12, 0);
    bar_->addWidget(barText_);
    bar_->addAction("Quit Autorun", this, &AutorunController::quit)->setObjectName("BarQuitAutorun");
    window_.addToolBar(Qt::BottomToolBarArea, bar_);
    bar_->hide();
}

std::string AutorunController::dataDirectory() const
{
    return WebStore(session_.settings(), session_.folder().home()).dataDirectory();
}

void AutorunController::openScheduler()
{
    if (schedulerOpen_) return;
    schedulerOpen_ = true;
    ScheduleEditorWindow editor(session_, QApplication::activeWindow());
    editor.exec();
    schedulerOpen_ = false;
}

void AutorunController::viewLog()
{
    autorun::viewScheduleLog(session_.messages(), session_.platform().shell, dataDirectory());
}

void AutorunController::startCountDown()
{
    // Once per program start, whichever comes first: the console's first
    // activation or its first showing.
    if (countDownBegun_) return;
    countDownBegun_ = true;
    countDown_.start();
}

void AutorunController::enter()
{
    if (active_) return;
    countDown_.halt();
    lock_ = std::make_unique<autorun::RunnerLock>(dataDirectory());
    if (!lock_->acquire()) {
        session_.messages().show(MessageKind::Error, lock_->refusal());
        lock_.reset();
        return;
    }
    active_ = true;
    session_.setUnattended(true);
    quitOnLastWindowClosed_ = QApplication::quitOnLastWindowClosed();
    // The import windows come and go while the console is hidden.
    QApplication::setQuitOnLastWindowClosed(false);
    setHint(kAutorunHint);
    showActive(true);
    runner_ = std::make_unique<autorun::AutorunRunner>(session_.platform(), dataDirectory(), importWeb);
    try {
        runner_->start();
    } catch (const std::exception& e) {
        session_.messages().show(MessageKind::Error, e.what());
    }
    setHint(QString::fromLocal8Bit(runner_->nextRunText().c_str()));
    armTimer();
}

void AutorunController::showActive(bool on)
{
    if (trayAvailable) {
        QSystemTrayIcon* tray = window_.trayIcon();
        if (on) {
            normalMenu_ = tray->contextMenu();
            tray->setContextMenu(menu_);
            tray->show();
            window_.hide();
        } else {
            tray->setContextMenu(normalMenu_);
            tray->setToolTip(MainWindow::kTrayHint);
            window_.show();
        }
        return;
    }
    // Without a notification area the console stays up, shows the bar
    // and offers nothing else while autorun is on.
    window_.menuBar()->setEnabled(!on);
    if (QWidget* central = window_.centralWidget()) central->setEnabled(!on);
    for (QToolBar* toolbar : window_.findChildren<QToolBar*>())
        if (toolbar != bar_) toolbar->setEnabled(!on);
    bar_->setVisible(on);
    if (!on) window_.trayIcon()->setToolTip(MainWindow::kTrayHint);
}

void AutorunController::setHint(const QString& hint)
{
    hint_ = hint;
    window_.trayIcon()->setToolTip(hint);
    barText_->setText("Autorun is on. " + QString(hint).replace('\n', " - "));
}

void AutorunController::armTimer()
{
    if (!runner_) return;
    if (waitMs_ < 0 || !armedAt_.isValid()) {
        if (!runner_->next()) return;
        waitMs_ = runner_->next()->timerMs;
        armedAt_.start();
    }
    const long long left = std::max(0LL, msUntilNextRun());
    runTimer_.start(static_cast<int>(std::min(left, kLongestStepMs)));
}

long long AutorunController::msUntilNextRun() const
{
    if (waitMs_ < 0 || !armedAt_.isValid()) return -1;
    return waitMs_ - armedAt_.elapsed();
}

void AutorunController::runScheduled()
{
    if (!runner_ || running_) return;
    runTimer_.stop();
    waitMs_ = -1;
    armedAt_.invalidate();
    running_ = true;
    try {
        runner_->run([this] { return quitAfterRun_ || closeAfterRun_; });
    } catch (const std::exception& e) {
        // The log cannot be written: no further run until autorun is entered again.
        session_.messages().show(MessageKind::Error, e.what());
    }
    running_ = false;
    if (closeAfterRun_) {
        closeProgram();
        return;
    }
    if (quitAfterRun_) {
        leave();
        return;
    }
    setHint(QString::fromLocal8Bit(runner_->nextRunText().c_str()));
    armTimer();
}

void AutorunController::quit()
{
    if (!active_) return;
    if (running_) {
        quitAfterRun_ = true;
        setHint(QString(kAutorunHint) + "\nAutorun ends when the current import has finished");
        return;
    }
    leave();
}

void AutorunController::leave()
{
    runTimer_.stop();
    waitMs_ = -1;
    armedAt_.invalidate();
    runner_.reset();
    lock_.reset();
    session_.setUnattended(false);
    active_ = false;
    quitAfterRun_ = false;
    closeAfterRun_ = false;
    showActive(false);
    hint_ = MainWindow::kTrayHint;
    QApplication::setQuitOnLastWindowClosed(quitOnLastWindowClosed_);
}

void AutorunController::closeProgram()
{
    if (running_) {
        closeAfterRun_ = true;
        setHint(QString(kAutorunHint) + "\nLarkspan closes when the current import has finished");
        return;
    }
    runTimer_.stop();
    runner_.reset();
    lock_.reset();
    if (QAction* close = window_.findChild<QAction*>("TrayClose")) close->trigger();
}

bool AutorunController::eventFilter(QObject* watched, QEvent* event)
{
    // A display without a window manager never activates the console; the
    // count-down then begins when it is first shown.
    if (watched == &window_ && event->type() == QEvent::Show && !countDownBegun_ && session_.app.autorun)
        QTimer::singleShot(0, this, [this] {
            if (session_.app.autorun && !active_) startCountDown();
        });
    // Closing the console during a run ends the program once the current
    // web's import has ended.
    if (watched == &window_ && event->type() == QEvent::Close && running_) {
        closeAfterRun_ = true;
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace larkspan
