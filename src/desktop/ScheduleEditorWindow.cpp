#include "ScheduleEditorWindow.h"

#include "DesktopIcons.h"
#include "DesktopSession.h"
#include "autorun/RunInterval.h"
#include "webs/WebStore.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

namespace larkspan {

namespace {

QString qs(const std::string& text)
{
    return QString::fromLocal8Bit(text.c_str());
}

std::string selectedWeb(const QListWidget* list)
{
    const QListWidgetItem* item = list->currentItem();
    return item && item->isSelected() ? item->text().toLocal8Bit().toStdString() : std::string();
}

void fill(QListWidget* list, const std::vector<std::string>& webs)
{
    list->clear();
    for (const std::string& web : webs)
        list->addItem(qs(web));
}

autorun::ScheduleEditing openEditing(DesktopSession& session)
{
    const WebStore webs(session.settings(), session.folder().home());
    return autorun::ScheduleEditing(session.messages(), webs.dataDirectory(), webs.folderNames());
}

} // namespace

ScheduleEditorWindow::ScheduleEditorWindow(DesktopSession& session, QWidget* parent)
    : QDialog(parent), session_(session), editing_(openEditing(session)), available_(new QListWidget),
      scheduled_(new QListWidget), interval_(new QComboBox)
{
    setObjectName("Schedule");
    setWindowTitle("Autorun Schedule");
    auto* layout = new QVBoxLayout(this);
    buildMenus(layout);
    layout->addWidget(buildLists(), 1);

    auto* intervalGroup = new QGroupBox("Interval ");
    intervalGroup->setObjectName("IntervalGroup");
    auto* intervalLayout = new QHBoxLayout(intervalGroup);
    interval_->setObjectName("IntervalBox");
    interval_->setEditable(true);
    interval_->setInsertPolicy(QComboBox::NoInsert);
    for (const char* offered : autorun::kOfferedIntervals)
        interval_->addItem(offered);
    intervalLayout->addWidget(interval_);
    intervalLayout->addStretch();
    layout->addWidget(intervalGroup);

    editing_.open();
    interval_->setCurrentText(qs(editing_.interval));
    refill();
    resize(520, 400);
}

void ScheduleEditorWindow::buildMenus(QVBoxLayout* layout)
{
    auto* bar = new QMenuBar(this);
    QMenu* scheduleMenu = bar->addMenu("&Schedule");
    scheduleMenu->addAction("&Save", this, &ScheduleEditorWindow::save)->setObjectName("MenuSave");
    scheduleMenu->addSeparator();
    scheduleMenu->addAction("Ex&it", this, &QDialog::reject)->setObjectName("MenuExit");
    QMenu* actions = bar->addMenu("&Actions");
    actions->addAction("&Schedule Web", this, &ScheduleEditorWindow::scheduleSelected);
    actions->addAction("Schedule &All Webs", this, &ScheduleEditorWindow::scheduleAll);
    actions->addAction("&Remove Web from Schedule", this, &ScheduleEditorWindow::removeSelected);
    actions->addAction("&Clear Schedule", this, &ScheduleEditorWindow::clearSchedule);
    QMenu* help = bar->addMenu("&Help");
    help->addAction("&Using the Autorun Scheduler", this, [this] { showHelp(); });
    help->addSeparator();
    help->addAction("&About...", this, [this] { session_.messages().show(MessageKind::Information, kAboutText); })
        ->setObjectName("MenuAbout");
    layout->setMenuBar(bar);

    auto* toolbar = new QToolBar;
    toolbar->setObjectName("ScheduleToolbar");
    toolbar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    QAction* saveAction = toolbar->addAction(style()->standardIcon(QStyle::SP_DialogSaveButton), "Save Autorun List",
                                             this, &ScheduleEditorWindow::save);
    saveAction->setObjectName("SaveSchedule");
    saveAction->setToolTip("Save the Autorun list");
    QAction* exitAction = toolbar->addAction(icons::exit(), "Exit", this, &QDialog::reject);
    exitAction->setObjectName("ExitSchedule");
    exitAction->setToolTip("Exit");
    QAction* helpAction = toolbar->addAction(icons::help(), "Help", this, [this] { showHelp(); });
    helpAction->setObjectName("HelpSchedule");
    helpAction->setToolTip("Help");
    layout->addWidget(toolbar);
}

QWidget* ScheduleEditorWindow::buildLists()
{
    auto* lists = new QWidget;
    auto* row = new QHBoxLayout(lists);
    row->setContentsMargins(0, 0, 0, 0);
    auto group = [](const char* caption, const char* name, QListWidget* list) {
        auto* box = new QGroupBox(caption);
        box->setObjectName(name);
        list->setObjectName(QString(name) + "List");
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        (new QVBoxLayout(box))->addWidget(list);
        return box;
    };
    auto* buttons = new QVBoxLayout;
    buttons->addStretch();
    auto button = [&](const char* name, const QString& text, const char* hint, void (ScheduleEditorWindow::*slot)()) {
        auto* b = new QPushButton(text);
        b->setObjectName(name);
        b->setToolTip(hint);
        b->setFixedWidth(44);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, slot);
        buttons->addWidget(b);
    };
    button("ScheduleOne", ">", "Schedule selected web", &ScheduleEditorWindow::scheduleSelected);
    button("ScheduleAll", ">>", "Schedule all available webs", &ScheduleEditorWindow::scheduleAll);
    button("RemoveOne", "<", "Remove selected web from schedule", &ScheduleEditorWindow::removeSelected);
    button("RemoveAll", "<<", "Remove all scheduled webs", &ScheduleEditorWindow::clearSchedule);
    buttons->addStretch();
    row->addWidget(group(" Available Webs ", "Available", available_), 1);
    row->addLayout(buttons);
    row->addWidget(group(" Scheduled Webs ", "Scheduled", scheduled_), 1);
    connect(available_, &QListWidget::itemDoubleClicked, this, [this] { scheduleSelected(); });
    connect(scheduled_, &QListWidget::itemDoubleClicked, this, [this] { removeSelected(); });
    return lists;
}

void ScheduleEditorWindow::showHelp()
{
    if (!session_.platform().help.showTopic(kHelpTopic))
        session_.messages().show(MessageKind::Error, "The help pages could not be opened.");
}

void ScheduleEditorWindow::refill()
{
    fill(available_, editing_.available());
    fill(scheduled_, editing_.scheduled());
}

void ScheduleEditorWindow::scheduleSelected()
{
    const std::string web = selectedWeb(available_);
    if (web.empty()) return;
    editing_.schedule(web);
    refill();
}

void ScheduleEditorWindow::scheduleAll()
{
    editing_.scheduleAll();
    refill();
}

void ScheduleEditorWindow::removeSelected()
{
    const std::string web = selectedWeb(scheduled_);
    if (web.empty()) return;
    editing_.unschedule(web);
    refill();
}

void ScheduleEditorWindow::clearSchedule()
{
    editing_.clear();
    refill();
}

void ScheduleEditorWindow::save()
{
    editing_.interval = interval_->currentText().toLocal8Bit().toStdString();
    editing_.save();
}

} // namespace larkspan
