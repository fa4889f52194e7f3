#include "MainWindow.h"

#include "AboutBox.h"
#include "DesktopIcons.h"
#include "DesktopSession.h"
#include "WindowPlacement.h"
#include "common/Error.h"
#include "profiles/ProfileStore.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <filesystem>

namespace larkspan {

namespace {
constexpr const char* kHint = "larkspanHint";
}

MainWindow::MainWindow(DesktopSession& session, QWidget* parent) : MainWindow(session, Hooks{}, parent) {}

MainWindow::MainWindow(DesktopSession& session, Hooks hooks, QWidget* parent)
    : QMainWindow(parent), session_(session), hooks_(std::move(hooks))
{
    setObjectName("MainWindow");
    setWindowTitle(kApplicationTitle);
    setWindowIcon(icons::application());
    session_.setUnattended(false);

    profileList_ = new QListWidget;
    profileList_->setObjectName("pviewer");
    profileList_->setSelectionMode(QAbstractItemView::SingleSelection);
    profileList_->setResizeMode(QListView::Adjust);
    profileList_->setContextMenuPolicy(Qt::CustomContextMenu);
    profileList_->viewport()->installEventFilter(this);
    auto* group = new QGroupBox("Available log analysis reports");
    group->setObjectName("GroupBox1");
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(profileList_);
    auto* central = new QWidget;
    auto* margins = new QVBoxLayout(central);
    margins->addWidget(group);
    setCentralWidget(central);

    buildActions();
    buildMenus();
    buildToolbars();
    buildPopup();
    buildTray();
    about_ = new AboutBox(this);

    connect(profileList_, &QListWidget::itemSelectionChanged, this, &MainWindow::selectionChanged);
    connect(profileList_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { popup_->popup(profileList_->viewport()->mapToGlobal(at)); });
    profileList_->installEventFilter(this);

    resize(680, 460);
    placement::restore(session_.settings(), *this);
    try {
        refreshProfiles();
    } catch (const std::exception&) {
        session_.messages().show(MessageKind::Error, "An error has occurred while loading the report profiles");
    }
    setStatus(kReadyText);
    loadSettings();
    applySettings();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildActions()
{
    auto make = [this](const char* name, const char* caption, const QIcon& icon, const char* hint) {
        auto* action = new QAction(icon, caption, this);
        action->setObjectName(name);
        if (hint) action->setProperty(kHint, QString::fromLatin1(hint));
        return action;
    };
    actNew_ = make("tbNew", "New", icons::newProfile(), "Create a new report profile");
    actOpen_ = make("tbOpen", "Open", icons::openProfile(), nullptr);
    actDelete_ = make("tbDelete", "Delete", icons::deleteItem(), "Delete the selected report profile");
    actRun_ = make("tbRun", "Run", icons::run(), "Run the report profile");
    actViews_ = make("tbViews", "Views", icons::views(), "Configure View");
    actExit_ = make("tbExit", "Exit", icons::exit(), "Exit Larkspan ");
    actHelp_ = make("tbHelp", "Help", icons::help(), "Help with Larkspan ");
    connect(actNew_, &QAction::triggered, this, &MainWindow::newProfile);
    connect(actOpen_, &QAction::triggered, this, &MainWindow::openProfile);
    connect(actDelete_, &QAction::triggered, this, &MainWindow::deleteSelected);
    connect(actRun_, &QAction::triggered, this, &MainWindow::runSelected);
    connect(actViews_, &QAction::triggered, this, &MainWindow::stepView);
    connect(actExit_, &QAction::triggered, this, &QWidget::close);
    connect(actHelp_, &QAction::triggered, this, [this] { showHelp(1); });
    needSelection_ = {actOpen_, actDelete_, actRun_};
}

QAction* MainWindow::addCommand(QMenu* menu, const char* name, const char* caption,
                                const std::function<void()>& handler)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, handler);
    return action;
}

void MainWindow::buildMenus()
{
    buildFileMenu();
    buildViewMenu();
    buildAutorunAndSettingsMenus();
    buildHelpMenu();
}

void MainWindow::buildFileMenu()
{
    QMenu* file = menuBar()->addMenu("&File");
    file->setObjectName("File1");
    addCommand(file, "NewReportProfile1", "&New Report Profile...", [this] {
        newProfile();
    })->setIcon(icons::newProfile());
    QAction* open =
        addCommand(file, "OpenExistingReportProfile1", "&Open Existing Report Profile...", [this] { openProfile(); });
    open->setIcon(icons::openProfile());
    file->addSeparator();
    QAction* last = addCommand(file, "LastReportRun1", "&Last Report Run Browser Results", [this] { lastResults(); });
    file->addSeparator();
    addCommand(file, "WebManagement1", "&Web Management...", [this] { webManagement(); })->setIcon(icons::web());
    file->addSeparator();
    addCommand(file, "SessionTracker1", "&Session Tracker...", [this] { sessionTracker(); });
    file->addSeparator();
    QAction* del =
        addCommand(file, "DeleteSelected1", "&Delete Selected Report Profile...", [this] { deleteSelected(); });
    del->setIcon(icons::deleteItem());
    QAction* run = addCommand(file, "RunSelected1", "&Run Selected Report Profile...", [this] { runSelected(); });
    run->setIcon(icons::run());
    file->addSeparator();
    addCommand(file, "Exit1", "E&xit", [this] { close(); })->setShortcut(QKeySequence::Quit);
    needSelection_.insert(needSelection_.end(), {open, last, del, run});
}

void MainWindow::buildViewMenu()
{
    QMenu* view = menuBar()->addMenu("&View");
    view->setObjectName("View1");
    viewsMenu_ = new QMenu(this);
    viewsMenu_->setObjectName("ViewsDropDown");
    const char* viewCaptions[3] = {"&Large Icons", "&Small Icons", "L&ist"};
    const char* viewValues[3] = {"1", "2", "0"};
    QMenu* targets[2] = {view, viewsMenu_};
    for (int menu = 0; menu < 2; ++menu) {
        for (int i = 0; i < 3; ++i) {
            const std::string value = viewValues[i];
            const QString name = QString("%1View%2").arg(menu == 0 ? "Menu" : "DropDown").arg(viewValues[i]);
            QAction* action = addCommand(targets[menu], name.toLatin1().constData(), viewCaptions[i],
                                         [this, value] { setView(value); });
            action->setCheckable(true);
            viewTicks_[menu][i] = action;
        }
    }
    view->addSeparator();
    QMenu* toolbar = view->addMenu("&Toolbar");
    toolbar->setObjectName("Toolbar1");
    const char* toolbarCaptions[3] = {"Text &Bottom", "Text &Right", "&Hide"};
    for (int i = 0; i < 3; ++i) {
        if (i == 2) toolbar->addSeparator();
        const std::string value = std::to_string(i);
        const QString name = QString("ToolbarLayout%1").arg(i);
        QAction* action = addCommand(toolbar, name.toLatin1().constData(), toolbarCaptions[i],
                                     [this, value] { setToolbarLayout(value); });
        action->setCheckable(true);
        toolbarTicks_[i] = action;
    }
}

void MainWindow::buildAutorunAndSettingsMenus()
{
    QMenu* autorun = menuBar()->addMenu("&Autorun");
    autorun->setObjectName("Autorun1");
    addCommand(autorun, "OpenScheduler1", "&Open Scheduler...", [this] {
        if (hooks_.scheduler)
            hooks_.scheduler();
        else
            notAvailable("The autorun scheduler");
    });
    autorun->addSeparator();
    addCommand(autorun, "RunNow1", "&Run now...", [this] {
        if (hooks_.runAutorunNow)
            hooks_.runAutorunNow();
        else
            notAvailable("The autorun scheduler");
    });
    autorun->addSeparator();
    addCommand(autorun, "ViewLog1", "&View Log...", [this] {
        if (hooks_.viewAutorunLog)
            hooks_.viewAutorunLog();
        else
            notAvailable("The autorun log");
    });

    QMenu* settings = menuBar()->addMenu("&Settings");
    settings->setObjectName("Settings1");
    confirmBeforeRun_ = settings->addAction("&Confirm Before Run");
    confirmBeforeRun_->setObjectName("cbConfirmB4Analyzing");
    confirmBeforeRun_->setCheckable(true);
    connect(confirmBeforeRun_, &QAction::toggled, this, [this](bool on) { session_.app.confirmBeforeRun = on; });
    openInAutorun_ = settings->addAction("Open in Autorun mode");
    openInAutorun_->setObjectName("cbAutoRun");
    openInAutorun_->setCheckable(true);
    connect(openInAutorun_, &QAction::toggled, this, [this](bool on) { session_.app.autorun = on; });
}

void MainWindow::buildHelpMenu()
{
    QMenu* help = menuBar()->addMenu("&Help");
    help->setObjectName("Help1");
    QAction* contents = addCommand(help, "Contents1", "&Contents", [this] { showHelp(1); });
    contents->setShortcut(QKeySequence(Qt::Key_F1));
    contents->setShortcutContext(Qt::ApplicationShortcut);
    contents->setIcon(icons::help());
    help->addSeparator();
    addCommand(help, "UsingTheReports1", "&Using the Reports", [this] { showHelp(200); });
    addCommand(help, "UsingIPFilters1", "Using &IP Filters", [this] { showHelp(300); });
    addCommand(help, "UsingSubDomains1", "Using &Sub Domains", [this] { showHelp(400); });
    help->addSeparator();
    addCommand(help, "QuennetOnline1", "&Quennet Online", [this] {
        if (!session_.platform().shell.openDocument(kMakerHomePage)) {
            session_.messages().show(MessageKind::Error, std::string("Unable to open ") + kMakerHomePage);
        }
    });
    help->addSeparator();
    addCommand(help, "About1", "&About ...", [this] { showAbout(); });
}

QToolBar* MainWindow::makeToolbar(const char* name, Qt::ToolButtonStyle style)
{
    auto* toolbar = new QToolBar(name, this);
    toolbar->setObjectName(name);
    toolbar->setToolButtonStyle(style);
    toolbar->setMovable(false);
    toolbar->setContextMenuPolicy(Qt::PreventContextMenu);
    toolbar->setIconSize(style == Qt::ToolButtonTextUnderIcon ? QSize(32, 32) : QSize(22, 22));
    for (QAction* action : {actNew_, actOpen_, actDelete_, actRun_, actViews_, actExit_, actHelp_}) {
        if (action == actExit_) toolbar->addSeparator();
        toolbar->addAction(action);
        QWidget* button = toolbar->widgetForAction(action);
        button->setObjectName(QString("%1_%2").arg(name, action->objectName()));
        button->installEventFilter(this);
        if (action == actViews_) {
            auto* tool = qobject_cast<QToolButton*>(button);
            tool->setMenu(viewsMenu_);
            tool->setPopupMode(QToolButton::MenuButtonPopup);
        }
    }
    addToolBar(Qt::TopToolBarArea, toolbar);
    return toolbar;
}

void MainWindow::buildToolbars()
{
    tbBottom_ = makeToolbar("ToolBarBottom", Qt::ToolButtonTextUnderIcon);
    tbRight_ = makeToolbar("ToolBarRight", Qt::ToolButtonTextBesideIcon);
}

void MainWindow::buildPopup()
{
    popup_ = new QMenu(this);
    popup_->setObjectName("PopupMenu1");
    auto add = [this](const char* name, const char* caption, auto handler) {
        QAction* action = popup_->addAction(caption);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    add("PopNew", "Create a &new profile ...", &MainWindow::newProfile);
    popup_->addSeparator();
    QAction* open = add("PopOpen", "Open the selected profile ...", &MainWindow::openProfile);
    QAction* run = add("PopRun", "Run the selected profile ...", &MainWindow::runSelected);
    QAction* del = add("PopDelete", "Delete the selected profile", &MainWindow::deleteSelected);
    popup_->addSeparator();
    QAction* last = add("PopLast", "Last Report Run Browser Results", &MainWindow::lastResults);
    needSelection_.insert(needSelection_.end(), {open, run, del, last});
}

void MainWindow::buildTray()
{
    tray_ = new QSystemTrayIcon(icons::application(), this);
    tray_->setObjectName("TrayIcon1");
    tray_->setToolTip(kTrayHint);
    auto* menu = new QMenu(this);
    menu->setObjectName("TrayMenu");
    menu->addAction("About Larkspan Kite 1.1 ...", this, &MainWindow::showAbout)->setObjectName("TrayAbout");
    menu->addAction("Show Console ...", this,
                    [this] {
                        showNormal();
                        raise();
                        activateWindow();
                    })
        ->setObjectName("TrayShow");
    menu->addAction("Open Autorun Scheduler ...", this,
                    [this] {
                        if (hooks_.scheduler)
                            hooks_.scheduler();
                        else
                            notAvailable("The autorun scheduler");
                    })
        ->setObjectName("TrayScheduler");
    menu->addSeparator();
    menu->addAction("Close Larkspan Kite 1.1", this, &MainWindow::closeFromTray)->setObjectName("TrayClose");
    tray_->setContextMenu(menu);
    connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::DoubleClick) showAbout();
    });
    // Shown from the start, not only once the window is first activated
    // (a desktop may never activate it, say when it starts minimised).
    if (QSystemTrayIcon::isSystemTrayAvailable()) tray_->show();
}

void MainWindow::loadSettings()
{
    const AppSettingsRead read = readAppSettings(session_.settings(), session_.folder().homeWithSeparator());
    session_.app = read.settings;
    if (!read.ok) session_.messages().show(MessageKind::Error, "An error has occurred while loading system defaults");
}

void MainWindow::applySettings()
{
    const AppSettings settings = session_.app;
    openInAutorun_->setChecked(settings.autorun);
    setToolbarLayout(settings.toolbar);
    setView(settings.view);
    confirmBeforeRun_->setChecked(settings.confirmBeforeRun);
}

void MainWindow::refreshProfiles()
{
    const int selected = profileList_->currentRow();
    const bool hadSelection = !profileList_->selectedItems().isEmpty();
    profileList_->clear();
    const std::string folder = session_.folder().myProfiles();
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        session_.messages().show(MessageKind::Error, "Invalid Directory - " + folder);
        return;
    }
    for (const std::string& name : profiles::listProfiles(session_.folder())) {
        auto* item = new QListWidgetItem(icons::profile(), QString::fromLocal8Bit(name.c_str()));
        profileList_->addItem(item);
    }
    if (hadSelection && selected >= 0 && selected < profileList_->count()) profileList_->setCurrentRow(selected);
}

void MainWindow::selectionChanged()
{
    const bool selected = !profileList_->selectedItems().isEmpty();
    for (QAction* action : needSelection_)
        action->setEnabled(selected);
}

void MainWindow::setStatus(const QString& text)
{
    statusBar()->showMessage(text);
}

bool MainWindow::event(QEvent* event)
{
    // Menus would clear the status text with their (empty) status tips.
    if (event->type() == QEvent::StatusTip) return true;
    if (event->type() == QEvent::WindowActivate) {
        if (!activated_) {
            activated_ = true;
            countDownStarted_ = false;
            if (session_.app.autorun) {
                if (hooks_.startCountDown) {
                    countDownStarted_ = true;
                    QTimer::singleShot(0, this, [this] { hooks_.startCountDown(); });
                } else {
                    QTimer::singleShot(0, this, [this] { notAvailable("The autorun scheduler"); });
                }
            }
        }
        if (QSystemTrayIcon::isSystemTrayAvailable() && !tray_->isVisible()) tray_->show();
    }
    return QMainWindow::event(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == profileList_->viewport() &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)) {
        // A click beside the entries leaves nothing selected.
        const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
        if (!profileList_->indexAt(at).isValid()) profileList_->clearSelection();
    }
    if (watched == profileList_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        QTimer::singleShot(0, this, &MainWindow::runSelectedProfile);
        return false;
    }
    if (watched == profileList_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Delete) {
            deleteSelected();
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            runSelectedProfile();
            return true;
        }
    }
    if (auto* button = qobject_cast<QToolButton*>(watched)) {
        if (event->type() == QEvent::Enter && button->defaultAction()) {
            const QString hint = button->defaultAction()->property(kHint).toString();
            if (!hint.isEmpty()) setStatus(hint);
        } else if (event->type() == QEvent::Leave) {
            setStatus(kRestingText);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!closingFromTray_) saveSettings();
    try {
        placement::remember(session_.settings(), *this);
    } catch (const std::exception&) {
        // Where the window stood is not worth a message at the end.
    }
    if (tray_) tray_->hide();
    event->accept();
}

bool MainWindow::saveSettings()
{
    try {
        saveAppSettings(session_.settings(), session_.app);
        return true;
    } catch (const std::exception& e) {
        session_.messages().show(MessageKind::Error, e.what());
        return false;
    }
}

void MainWindow::closeFromTray()
{
    try {
        saveAppSettings(session_.settings(), session_.app);
    } catch (...) {
        // The program ends anyway.
    }
    closingFromTray_ = true;
    close();
    QCoreApplication::quit();
}

} // namespace larkspan
