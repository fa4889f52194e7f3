#include "WebManagerWindow.h"

#include "DataFolderDialog.h"
#include "DesktopIcons.h"
#include "DesktopSession.h"
#include "ImportWindow.h"
#include "WebPropertiesEditor.h"
#include "common/FolderListing.h"
#include "import/FolderTree.h"
#include "webs/WebRemoval.h"

#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QVBoxLayout>
#include <filesystem>

namespace larkspan {

namespace fs = std::filesystem;

namespace {
QString qs(const std::string& text)
{
    return QString::fromLocal8Bit(text.c_str());
}
std::string ss(const QString& text)
{
    return text.toLocal8Bit().toStdString();
}
} // namespace

WebManagerWindow::WebManagerWindow(DesktopSession& session, QWidget* parent)
    : QDialog(parent), session_(session), webs_(session.settings(), session.folder().home()), list_(new QListWidget),
      toolbar_(new QToolBar)
{
    setObjectName("webManager");
    setWindowTitle(kCaption);
    list_->setObjectName("WebList");
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    list_->setSortingEnabled(false);
    toolbar_->setObjectName("WebToolBar");
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolbar_->setIconSize(QSize(32, 32));

    buildActions();
    auto* bar = new QMenuBar(this);
    buildMenus(bar);

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(bar);
    layout->addWidget(toolbar_);
    layout->addWidget(list_, 1);

    connect(list_, &QListWidget::itemSelectionChanged, this, &WebManagerWindow::selectionChanged);
    connect(list_, &QListWidget::itemDoubleClicked, this, [this] { editWeb(); });
    connect(list_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        preparePopup();
        popup_->popup(list_->viewport()->mapToGlobal(at));
    });

    // Opening: the console's view, the data directory with its separator
    // (created when missing, with its wwwstats folder so a first web can be
    // made), and the list.
    applyView();
    session_.app.dataDirectory = withTrailingSeparator(session_.app.dataDirectory);
    WebStore::createDataFolders(session_.app.dataDirectory);
    refreshWebs();
    resize(560, 400);
    importWeb = [this](const std::string& web) {
        ImportWindow window(session_, web, this);
        window.execute();
    };
}

void WebManagerWindow::buildActions()
{
    auto make = [this](const char* name, const char* caption, const QIcon& icon, const char* hint) {
        auto* action = new QAction(icon, caption, this);
        action->setObjectName(name);
        action->setToolTip(hint);
        toolbar_->addAction(action);
        return action;
    };
    actNew_ = make("tbNew", "New", icons::newProfile(), "Create a new web");
    actEdit_ = make("tbEdit", "Edit", icons::properties(), "Edit import settings for selected web");
    actDelete_ = make("tbDelete", "Delete", icons::deleteItem(), "Delete the selected web");
    actImport_ = make("tbImport", "Import", icons::import(), "Import logs for the selected web");
    toolbar_->addSeparator();
    actExit_ = make("tbExit", "Exit", icons::exit(), "Exit Web Manager");
    actHelp_ = make("tbHelp", "Help", icons::help(), "Help with Larkspan Web Manager");
    connect(actNew_, &QAction::triggered, this, &WebManagerWindow::newWeb);
    connect(actEdit_, &QAction::triggered, this, &WebManagerWindow::editWeb);
    connect(actDelete_, &QAction::triggered, this, &WebManagerWindow::deleteWeb);
    connect(actImport_, &QAction::triggered, this, &WebManagerWindow::importSelected);
    connect(actExit_, &QAction::triggered, this, &QDialog::accept);
    connect(actHelp_, &QAction::triggered, this, [this] { session_.platform().help.showTopic(kHelpTopic); });
}

void WebManagerWindow::buildMenus(QMenuBar* bar)
{
    auto add = [this](QMenu* menu, const char* name, const char* caption, auto handler) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    QMenu* file = bar->addMenu("&File");
    add(file, "New1", "&New...", &WebManagerWindow::newWeb);
    file->addSeparator();
    add(file, "Exit1", "E&xit", &QDialog::accept);

    QMenu* edit = bar->addMenu("&Edit");
    menuImport_ = add(edit, "Import1", "&Import...", &WebManagerWindow::importSelected);
    menuDelete_ = add(edit, "Delete1", "&Delete...", &WebManagerWindow::deleteWeb);
    menuEdit_ = add(edit, "Edit1", "&Edit..", &WebManagerWindow::editWeb);
    edit->addSeparator();
    add(edit, "SetDataDirectory1", "Set Log Import Data Directory...", &WebManagerWindow::setDataDirectory);

    QMenu* help = bar->addMenu("&Help");
    QAction* contents = add(help, "Contents1", "&Contents", [this] { session_.platform().help.showTopic(kHelpTopic); });
    contents->setShortcut(QKeySequence(Qt::Key_F1));
    help->addSeparator();
    add(help, "About1", "&About...", &WebManagerWindow::about);

    popup_ = new QMenu(this);
    popup_->setObjectName("WebPopup");
    popImport_ = add(popup_, "PopImport", "&Import...", &WebManagerWindow::importSelected);
    popup_->addSeparator();
    add(popup_, "PopNew", "New...", &WebManagerWindow::newWeb);
    popEdit_ = add(popup_, "PopEdit", "Edit...", &WebManagerWindow::editWeb);
    popDelete_ = add(popup_, "PopDelete", "&Delete", &WebManagerWindow::deleteWeb);
}

void WebManagerWindow::applyView()
{
    const std::string& vs = session_.app.view;
    if (vs == "1") {
        list_->setViewMode(QListView::IconMode);
        list_->setIconSize(QSize(48, 48));
        list_->setGridSize(QSize(104, 84));
    } else {
        list_->setViewMode(QListView::ListMode);
        list_->setIconSize(QSize(16, 16));
        list_->setFlow(vs == "2" ? QListView::LeftToRight : QListView::TopToBottom);
    }
    list_->setWrapping(true);
    list_->setMovement(QListView::Static);
    list_->setResizeMode(QListView::Adjust);
}

void WebManagerWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    refreshWebs();
}

void WebManagerWindow::refreshWebs()
{
    const int remembered = list_->currentRow();
    list_->clear();
    const std::string folder = webs_.wwwstats();
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        session_.messages().show(MessageKind::Error, "Could not access " + folder + ". Update of listview terminated.");
    } else {
        for (const std::string& name : webs_.folderNames()) {
            const auto settings = webs_.readSettings(name);
            const bool ftp = settings && settings->importType == ImportType::Ftp;
            list_->addItem(new QListWidgetItem(ftp ? icons::ftpWeb() : icons::web(), qs(name)));
        }
    }
    if (remembered >= 0 && remembered < list_->count()) list_->setCurrentRow(remembered);
    selectionChanged();
}

std::vector<std::string> WebManagerWindow::selectedWebs() const
{
    std::vector<std::string> names;
    // In list order, so "the first selected" is the topmost one.
    for (int row = 0; row < list_->count(); ++row) {
        if (list_->item(row)->isSelected()) names.push_back(ss(list_->item(row)->text()));
    }
    return names;
}

void WebManagerWindow::selectionChanged()
{
    const std::size_t selected = selectedWebs().size();
    for (QAction* one : {actEdit_, actDelete_, menuEdit_, menuDelete_})
        one->setEnabled(selected == 1);
    for (QAction* some : {actImport_, menuImport_})
        some->setEnabled(selected >= 1);
}

void WebManagerWindow::preparePopup()
{
    const std::size_t selected = selectedWebs().size();
    popImport_->setEnabled(selected >= 1);
    popEdit_->setEnabled(selected == 1);
    popDelete_->setEnabled(selected == 1);
}

void WebManagerWindow::selectWeb(const std::string& name)
{
    list_->clearSelection();
    for (int row = 0; row < list_->count(); ++row) {
        if (ss(list_->item(row)->text()) == name) {
            list_->setCurrentRow(row);
            return;
        }
    }
}

void WebManagerWindow::newWeb()
{
    WebPropertiesEditor editor(session_, webs_, this);
    const int result = runEditor ? runEditor(editor) : editor.exec();
    if (result != QDialog::Accepted) return;
    refreshWebs();
    selectWeb(editor.webName());
}

void WebManagerWindow::editWeb()
{
    const std::vector<std::string> selected = selectedWebs();
    if (selected.empty()) {
        session_.messages().show(MessageKind::Error, "You must select a Web before you can edit its properties.");
        return;
    }
    if (selected.size() > 1) {
        session_.messages().show(MessageKind::Error, "You can only edit one Web's properties at a time.\r\nPlease "
                                                     "select only one Web Log and try again.");
        return;
    }
    WebPropertiesEditor editor(session_, webs_, this);
    if (!editor.loadWeb(selected.front())) return;
    const int result = runEditor ? runEditor(editor) : editor.exec();
    if (result == QDialog::Accepted) refreshWebs();
}

void WebManagerWindow::deleteWeb()
{
    const std::vector<std::string> selected = selectedWebs();
    if (selected.empty()) return;
    const std::string& name = selected.front();
    if (session_.messages().ask(MessageKind::Confirmation, deleteWebQuestion(name), Buttons::YesNo) != Answer::Yes) {
        return;
    }
    try {
        larkspan::deleteWeb(webs_, session_.messages(), name, session_.folder().ftpTemporary());
    } catch (const std::exception& e) {
        session_.messages().show(MessageKind::Error, e.what());
    }
    refreshWebs();
}

void WebManagerWindow::importSelected()
{
    const std::vector<std::string> selected = selectedWebs();
    if (selected.empty()) return;
    if (importWeb) importWeb(selected.front());
}

void WebManagerWindow::setDataDirectory()
{
    DataFolderDialog dialog(qs(session_.app.dataDirectory), session_.platform().help, this);
    const int result = runDirectoryDialog ? runDirectoryDialog(dialog) : dialog.exec();
    if (result == QDialog::Accepted) {
        const std::string chosen = withTrailingSeparator(ss(dialog.directory()));
        if (!WebStore::createDataFolders(chosen)) {
            session_.messages().show(MessageKind::Error, "Unable to create wwwstats directory under " + chosen + "\n" +
                                                             "Import Data Directory not changed.");
        } else {
            try {
                webs_.setDataDirectory(chosen);
                session_.app.dataDirectory = chosen;
            } catch (const std::exception& e) {
                session_.messages().show(MessageKind::Error, e.what());
            }
        }
    }
    refreshWebs();
}

void WebManagerWindow::about()
{
    session_.messages().show(MessageKind::Information, "Larkspan Web Manager 1.0");
}

} // namespace larkspan
