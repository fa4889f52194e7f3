#include "tracker/SessionTrackerWindow.h"

#include "DesktopSession.h"
#include "SystemDnsResolver.h"
#include "common/Error.h"
#include "platform/EventPump.h"
#include "tracker/RequestListModel.h"
#include "tracker/VisitorTreeModel.h"

#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

namespace larkspan {

namespace {

// The system resolver gives up after 5 s; the window's own guard is a
// little longer, for a resolver that does not.
constexpr auto kResolverTimeout = std::chrono::seconds(5);
constexpr auto kLookupTimeout = std::chrono::seconds(8);
constexpr int kSingleDayDelayMs = 500;
constexpr int kProgressSteps = 1000;

QString qs(const std::string& text)
{
    return QString::fromLocal8Bit(text.c_str());
}
std::string ss(const QString& text)
{
    return text.toLocal8Bit().toStdString();
}

// Dates are shown in US English, as everywhere in the program.
const QLocale& english()
{
    static const QLocale locale(QLocale::English, QLocale::UnitedStates);
    return locale;
}

QLabel* pane(const char* name)
{
    auto* label = new QLabel;
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setMinimumWidth(80);
    return label;
}

std::uintmax_t sizeOf(const std::string& path)
{
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    return error ? 0 : size;
}

} // namespace

SessionTrackerWindow::SessionTrackerWindow(DesktopSession& session, std::unique_ptr<HostLookup> lookup, QWidget* parent)
    : QDialog(parent), session_(session), webStore_(session.settings(), session.folder().home()),
      resolver_(std::move(lookup))
{
    if (!resolver_)
        resolver_ =
            std::make_unique<ThreadedHostLookup>(std::make_shared<SystemDnsResolver>(kResolverTimeout), kLookupTimeout);
    resolver_->onComplete = [this](const DnsAnswer& answer) { lookupFinished(answer); };

    setObjectName("sessionTracker");
    setWindowTitle(kCaption);
    setMinimumSize(560, 140);
    auto* menus = new QMenuBar(this);
    auto* toolbar = new QToolBar;
    buildToolbar(toolbar);
    buildMenus(menus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setMenuBar(menus);
    layout->addWidget(toolbar);
    layout->addWidget(buildBody(), 1);
    layout->addWidget(buildStatusBar());

    autoLoad_ = new QTimer(this);
    autoLoad_->setSingleShot(true);
    autoLoad_->setInterval(kSingleDayDelayMs);
    connect(autoLoad_, &QTimer::timeout, this, &SessionTrackerWindow::refreshView);

    // Opening: no lookup left over, the host names of earlier lookups, the
    // webs; year and date wait for a web.
    resolver_->abandonAll();
    names_.load(session_.folder().syss());
    listModel_->clear(RequestListModel::Columns::Host);
    applyListColumns();
    fillWebs();
    years_->setEnabled(false);
    date_->setEnabled(false);
    {
        const QSignalBlocker quiet(date_);
        date_->setDate(QDate::currentDate());
    }
    resize(900, 560);
}

SessionTrackerWindow::~SessionTrackerWindow()
{
    resolver_->onComplete = nullptr;
    resolver_->abandonAll();
}

void SessionTrackerWindow::buildToolbar(QToolBar* bar)
{
    bar->setObjectName("TrackerToolBar");
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    auto label = [bar](const char* text, QWidget* buddy) {
        auto* l = new QLabel(text);
        l->setBuddy(buddy);
        l->setContentsMargins(6, 0, 4, 0);
        bar->addWidget(l);
        bar->addWidget(buddy);
    };
    webs_ = new QComboBox;
    webs_->setObjectName("WebChooser");
    webs_->setToolTip("Select Web from the List");
    webs_->setMinimumContentsLength(12);
    years_ = new QComboBox;
    years_->setObjectName("YearChooser");
    years_->setToolTip("Select a Year from the list");
    years_->setMinimumContentsLength(4);
    date_ = new QDateEdit;
    date_->setObjectName("DatePicker");
    date_->setToolTip("Select the date you wish to view");
    date_->setCalendarPopup(true);
    date_->setLocale(english());
    date_->setDisplayFormat(english().dateFormat(QLocale::LongFormat));
    label("&Web:", webs_);
    label("&Year:", years_);
    label("&Date:", date_);
    bar->addSeparator();
    auto action = [this, bar](const char* name, const char* theme, const char* text) {
        auto* a = bar->addAction(QIcon::fromTheme(theme), text);
        a->setObjectName(name);
        a->setToolTip(text);
        a->setEnabled(false);
        return a;
    };
    refresh_ = action("RefreshView", "view-refresh", "Refresh View");
    lookup_ = action("LookupHostname", "edit-find", "Lookup Client IP Hostname");
    stop_ = action("StopLookup", "process-stop", "Stop");
    connect(refresh_, &QAction::triggered, this, &SessionTrackerWindow::refreshView);
    connect(lookup_, &QAction::triggered, this, &SessionTrackerWindow::lookupSelected);
    connect(stop_, &QAction::triggered, this, &SessionTrackerWindow::stopLookup);
    connect(webs_, &QComboBox::currentIndexChanged, this, &SessionTrackerWindow::webChosen);
    connect(years_, &QComboBox::currentIndexChanged, this, &SessionTrackerWindow::yearChosen);
    connect(date_, &QDateEdit::dateChanged, this, &SessionTrackerWindow::dateChosen);
}

void SessionTrackerWindow::buildMenus(QMenuBar* bar)
{
    QMenu* file = bar->addMenu("&File");
    QAction* exit = file->addAction("E&xit");
    exit->setObjectName("Exit1");
    connect(exit, &QAction::triggered, this, &QDialog::accept);
    QMenu* help = bar->addMenu("&Help");
    QAction* using_ = help->addAction("Using Session Tracker");
    using_->setObjectName("UsingSessionTracker1");
    using_->setShortcut(QKeySequence(Qt::Key_F1));
    addAction(using_);
    connect(using_, &QAction::triggered, this, &SessionTrackerWindow::showHelp);
    help->addSeparator();
    QAction* about = help->addAction("About...");
    about->setObjectName("About1");
    connect(about, &QAction::triggered, this, &SessionTrackerWindow::about);
}

QWidget* SessionTrackerWindow::buildBody()
{
    auto* splitter = new QSplitter(Qt::Horizontal);
    treeModel_ = new VisitorTreeModel(this);
    tree_ = new QTreeView;
    tree_->setObjectName("VisitorTree");
    tree_->setHeaderHidden(true);
    tree_->setUniformRowHeights(true);
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree_->setModel(treeModel_);
    tree_->setMinimumWidth(112); // 20 % of the narrowest window
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { nodeChosen(current); });

    listModel_ = new RequestListModel(this);
    list_ = new QTreeView;
    list_->setObjectName("RequestList");
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAlternatingRowColors(true);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setModel(listModel_);
    list_->header()->setSectionsClickable(true);
    list_->header()->setSortIndicatorShown(true);
    connect(list_->header(), &QHeaderView::sectionClicked, this, &SessionTrackerWindow::columnClicked);
    connect(list_, &QTreeView::clicked, this, &SessionTrackerWindow::openLink);

    splitter->addWidget(tree_);
    splitter->addWidget(list_);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 7);
    splitter->setSizes({270, 630});
    splitter->setChildrenCollapsible(false);
    return splitter;
}

QStatusBar* SessionTrackerWindow::buildStatusBar()
{
    auto* bar = new QStatusBar;
    bar->setSizeGripEnabled(true);
    webPane_ = pane("WebPane");
    yearPane_ = pane("YearPane");
    activityPane_ = pane("ActivityPane");
    dayPane_ = pane("DayPane");
    progress_ = new QProgressBar;
    progress_->setObjectName("LoadProgress");
    progress_->setMaximumWidth(160);
    progress_->setTextVisible(false);
    progress_->hide();
    bar->addWidget(webPane_);
    bar->addWidget(yearPane_);
    bar->addWidget(progress_);
    bar->addWidget(activityPane_, 1);
    bar->addWidget(dayPane_);
    return bar;
}

QString SessionTrackerWindow::paneText(int which) const
{
    const QLabel* panes[] = {webPane_, yearPane_, activityPane_, dayPane_};
    return which >= 0 && which < 4 ? panes[which]->text() : QString();
}

void SessionTrackerWindow::fillWebs()
{
    const QSignalBlocker quiet(webs_);
    webs_->clear();
    for (const std::string& web : webStore_.folderNames())
        webs_->addItem(qs(web));
    webs_->setCurrentIndex(-1);
}

void SessionTrackerWindow::chooseWeb(const QString& web)
{
    webs_->setCurrentIndex(webs_->findText(web));
}

void SessionTrackerWindow::chooseYear(const QString& year)
{
    years_->setCurrentIndex(years_->findText(year));
}

void SessionTrackerWindow::chooseDate(const QDate& date)
{
    date_->setDate(date);
}

void SessionTrackerWindow::webChosen()
{
    autoLoad_->stop();
    date_->setEnabled(false);
    if (webs_->currentIndex() < 0) {
        years_->setEnabled(false);
        return;
    }
    {
        const QSignalBlocker quiet(years_);
        years_->clear();
    }
    webPane_->clear();
    days_.clear();
    clearDay();
    yearPane_->clear();
    dayPane_->clear();
    refresh_->setEnabled(false);
    lookup_->setEnabled(false);

    const std::string web = ss(webs_->currentText());
    const std::string folder = webStore_.webFolder(web);
    const std::vector<int> years = tracker::yearFolders(folder);
    if (years.empty()) {
        years_->setEnabled(false);
        web_.clear();
        showError("The selected web has no Logs imported.");
        return;
    }
    {
        const QSignalBlocker quiet(years_);
        for (const int year : years)
            years_->addItem(QString::number(year));
        years_->setCurrentIndex(-1);
    }
    years_->setEnabled(true);
    web_ = web;
    webFolder_ = folder;
    year_ = 0;
    webPane_->setText("Web: " + qs(web_));
}

void SessionTrackerWindow::yearChosen()
{
    autoLoad_->stop();
    if (years_->currentIndex() < 0) {
        date_->setEnabled(false);
        return;
    }
    year_ = years_->currentText().toInt();
    yearPane_->setText("Year: " + years_->currentText());
    days_ = tracker::trackedDays(webFolder_, year_);
    clearDay();
    dayPane_->clear();
    lookup_->setEnabled(false);
    if (days_.empty()) {
        date_->setEnabled(false);
        refresh_->setEnabled(false);
        showError("The selected web and year have no logs that are session tracking ready.");
        return;
    }
    const QDate first(year_, days_.front().month, days_.front().day);
    const QDate last(year_, days_.back().month, days_.back().day);
    if (!first.isValid() || !last.isValid()) {
        date_->setEnabled(false);
        showError("Cannot set dates to select.\nThe year's days are not valid dates.");
        return;
    }
    {
        const QSignalBlocker quiet(date_);
        date_->setDateRange(first, last);
        date_->setDate(last);
    }
    date_->setEnabled(true);
    dateChosen();
}

const tracker::TrackedDay* SessionTrackerWindow::pickedDay() const
{
    const QDate picked = date_->date();
    if (picked.year() != year_) return nullptr;
    const auto found = std::find_if(days_.begin(), days_.end(), [&](const tracker::TrackedDay& d) {
        return d.month == picked.month() && d.day == picked.day();
    });
    return found == days_.end() ? nullptr : &*found;
}

void SessionTrackerWindow::dateChosen()
{
    if (loading_) return;
    lookup_->setEnabled(false);
    refresh_->setEnabled(pickedDay() != nullptr);
    if (days_.size() == 1) autoLoad_->start();
}

void SessionTrackerWindow::refreshView()
{
    autoLoad_->stop();
    if (loading_ || leaving_) return;
    resolver_->abandonAll();
    unsetCursor();
    stop_->setEnabled(false);
    lookup_->setEnabled(false);
    try {
        loadDay();
    } catch (const Cancelled&) {
        return;
    } catch (const std::exception& e) {
        showError(std::string("An error occurred loading Sessions for the selected date.\n") + e.what());
    }
    lookup_->setEnabled(true);
}

void SessionTrackerWindow::setChoosersEnabled(bool on)
{
    webs_->setEnabled(on);
    years_->setEnabled(on && years_->count() > 0);
    date_->setEnabled(on && !days_.empty());
    refresh_->setEnabled(on && pickedDay() != nullptr);
}

void SessionTrackerWindow::loadDay()
{
    const tracker::TrackedDay* picked = pickedDay();
    if (!picked) {
        showError("Cannot load tree with visitor list for date selected.\n" +
                  ss(english().toString(date_->date(), QLocale::LongFormat)));
        return;
    }
    const tracker::TrackedDay day = *picked;
    loading_ = true;
    setCursor(Qt::WaitCursor);
    activityPane_->setText("Loading Data...");
    setChoosersEnabled(false);
    auto finish = [this] {
        loading_ = false;
        unsetCursor();
        progress_->hide();
        activityPane_->clear();
        if (shownDay_.isValid()) dayPane_->setText("Day: " + english().toString(shownDay_, "MMM dd"));
        if (!leaving_) setChoosersEnabled(true);
    };
    try {
        readDay(day);
    } catch (const Cancelled&) {
        clearDay();
        finish();
        throw;
    } catch (const std::exception&) {
        clearDay();
        finish();
        showError("Cannot load tree with visitor list for date selected.");
        return;
    }
    finish();
}

// Reads the day's files, then groups the visitors by host, moving the
// progress bar and letting events through as it goes; leaving the window
// stops it.
void SessionTrackerWindow::readDay(const tracker::TrackedDay& day)
{
    clearDay();
    ThrottledPump pump(session_.platform().pump);
    const std::uintmax_t total = std::max<std::uintmax_t>(1, sizeOf(tracker::summaryPathFor(day.summaryPath)) +
                                                                 sizeOf(tracker::detailPathFor(day.summaryPath)));
    progress_->setRange(0, kProgressSteps);
    progress_->setValue(0);
    progress_->show();
    pump.force();
    if (leaving_) throw Cancelled();
    std::uintmax_t read = 0;
    auto tick = [&](int value) {
        if (!pump.poll()) return;
        if (leaving_) throw Cancelled();
        progress_->setValue(value);
    };
    auto loaded = std::make_unique<tracker::TrackerDay>(tracker::loadTrackerDay(day.summaryPath, [&](std::size_t n) {
        read += n + 2;
        tick(static_cast<int>(std::min(read, total) * kProgressSteps / total));
    }));

    progress_->setRange(0, std::max<int>(1, static_cast<int>(loaded->visitors.size())));
    progress_->setValue(0);
    int grouped = 0;
    std::vector<HostNode> hosts = groupByHost(*loaded, [&] { tick(++grouped); });

    day_ = std::move(loaded);
    treeModel_->reset(day_.get(), std::move(hosts));
    loading_ = false;
    shownDay_ = QDate(year_, day.month, day.day);
    const QModelIndex first = treeModel_->index(0, 0);
    if (first.isValid()) {
        tree_->setCurrentIndex(first);
        tree_->expand(first);
    }
    tree_->setFocus();
}

void SessionTrackerWindow::clearDay()
{
    treeModel_->clear();
    listModel_->clear(listModel_->columns());
    applyListColumns();
    day_.reset();
}

void SessionTrackerWindow::nodeChosen(const QModelIndex& index)
{
    if (loading_ || !day_) return;
    if (!index.isValid()) {
        listModel_->clear(listModel_->columns());
    } else if (treeModel_->isHost(index)) {
        listModel_->show(RequestListModel::Columns::Host, tracker::requestsOf(*day_, treeModel_->label(index), ""));
    } else {
        listModel_->show(RequestListModel::Columns::Client,
                         tracker::requestsOf(*day_, treeModel_->hostOf(index), treeModel_->clientOf(index)));
    }
    applyListColumns();
}

void SessionTrackerWindow::applyListColumns()
{
    QHeaderView* header = list_->header();
    const QStringList names = listModel_->headers();
    for (int column = 0; column < names.size(); ++column) {
        const QString& name = names[column];
        if (name == "Client IP Address")
            header->resizeSection(column, 100);
        else if (name == "File or Page visited" || name == "Referring URL")
            header->resizeSection(column, 200);
    }
    header->setSortIndicator(listModel_->sortColumn(), listModel_->sortOrder());
}

void SessionTrackerWindow::columnClicked(int column)
{
    Qt::SortOrder order = Qt::DescendingOrder;
    if (column == listModel_->sortColumn())
        order = listModel_->sortOrder() == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    listModel_->sort(column, order);
    list_->header()->setSortIndicator(column, order);
}

void SessionTrackerWindow::openLink(const QModelIndex& index)
{
    const QVariant target = index.data(RequestListModel::kLinkRole);
    if (!target.isValid()) return;
    session_.platform().shell.openDocument(target.toUrl().toString(QUrl::FullyEncoded).toStdString());
}

void SessionTrackerWindow::lookupSelected()
{
    const QModelIndexList selected = tree_->selectionModel()->selectedIndexes();
    if (selected.isEmpty()) {
        showError("You must select an item to lookup.");
        return;
    }
    const std::string text = treeModel_->label(selected.front());
    const tracker::LookupOutcome cached = tracker::cachedLookup(names_, text);
    if (cached.found) {
        session_.messages().show(MessageKind::Information, cached.message);
        return;
    }
    setCursor(Qt::BusyCursor);
    refresh_->setEnabled(false);
    lookup_->setEnabled(false);
    stop_->setEnabled(true);
    resolver_->start(text, tracker::isAddressText(text));
}

void SessionTrackerWindow::lookupFinished(const DnsAnswer& answer)
{
    unsetCursor();
    if (resolver_->pending() == 0) stop_->setEnabled(false);
    refresh_->setEnabled(!loading_ && pickedDay() != nullptr);
    lookup_->setEnabled(true);
    const tracker::LookupOutcome outcome = tracker::recordAnswer(names_, answer);
    saveHostNames();
    session_.messages().show(MessageKind::Information, outcome.message);
}

void SessionTrackerWindow::stopLookup()
{
    resolver_->abandonAll();
    refresh_->setEnabled(!loading_ && pickedDay() != nullptr);
    lookup_->setEnabled(true);
    stop_->setEnabled(false);
    unsetCursor();
}

void SessionTrackerWindow::showHelp()
{
    session_.platform().help.showTopic(kHelpTopic);
}

void SessionTrackerWindow::about()
{
    session_.messages().show(MessageKind::Information, "Larkspan (tm) Session Tracker\nVersion 1.0");
}

void SessionTrackerWindow::showError(const std::string& text)
{
    session_.messages().show(MessageKind::Error, text);
}

// Merged into the files under their locks, so answers saved meanwhile by a
// tracker build or the command line stay.
void SessionTrackerWindow::saveHostNames()
{
    names_.save(session_.folder().syss());
}

void SessionTrackerWindow::done(int result)
{
    leaving_ = true;
    autoLoad_->stop();
    resolver_->abandonAll();
    stop_->setEnabled(false);
    unsetCursor();
    saveHostNames();
    QDialog::done(result);
}

} // namespace larkspan
