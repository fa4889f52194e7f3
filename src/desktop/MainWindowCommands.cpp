// The main window's commands: what New, Open, Run, Delete and the other
// entries of the menus, toolbars and pop-up menu do.
#include "AboutBox.h"
#include "DesktopSession.h"
#include "LoadingWindow.h"
#include "MainWindow.h"
#include "QtProgress.h"
#include "common/Error.h"
#include "common/FolderListing.h"
#include "profiles/ProfileStore.h"

#include <QApplication>
#include <QListWidget>
#include <QStatusBar>
#include <QToolBar>
#include <filesystem>

namespace larkspan {

namespace {
constexpr const char* kSelectToRun = "You must select the profile that you wish to run, Select a profile to continue";
}

std::string MainWindow::selectedName(bool& selected) const
{
    const QList<QListWidgetItem*> items = profileList_->selectedItems();
    selected = !items.isEmpty();
    return selected ? items.first()->text().toLocal8Bit().toStdString() : std::string();
}

void MainWindow::notAvailable(const char* what)
{
    session_.messages().show(MessageKind::Information,
                             std::string(what) + " is not available in this version of Larkspan yet.");
}

bool MainWindow::editAndTakeName(const std::string& name)
{
    if (!hooks_.editProfile) {
        notAvailable("The report profile editor");
        return false;
    }
    const std::optional<std::string> saved = hooks_.editProfile(name);
    if (!saved) return false;
    refreshProfiles();
    session_.currentProfile = *saved;
    return true;
}

void MainWindow::newProfile()
{
    session_.currentProfile.clear();
    // A Run Report of an earlier editor session must not run the new profile.
    session_.runAfterEdit = false;
    if (editAndTakeName("") && session_.runAfterEdit) runCurrentProfile();
}

void MainWindow::openProfile()
{
    bool selected = false;
    const std::string name = selectedName(selected);
    if (!selected) {
        session_.messages().show(MessageKind::Information, "You must select a profile to edit it's properties.");
        return;
    }
    session_.runAfterEdit = false;
    session_.currentProfile = name;
    if (editAndTakeName(name) && session_.runAfterEdit) runCurrentProfile();
}

void MainWindow::runSelected()
{
    bool selected = false;
    selectedName(selected);
    if (!selected) {
        session_.messages().show(MessageKind::Information, kSelectToRun);
        return;
    }
    runSelectedProfile();
}

void MainWindow::runSelectedProfile()
{
    bool selected = false;
    const std::string name = selectedName(selected);
    if (!selected) {
        session_.messages().show(MessageKind::Information, "You must select a profile to run a report.");
        return;
    }
    session_.currentProfile = name;
    if (session_.app.confirmBeforeRun) {
        session_.runAfterEdit = false;
        if (editAndTakeName(name) && session_.runAfterEdit) runCurrentProfile();
        return;
    }
    runCurrentProfile();
}

void MainWindow::deleteSelected()
{
    bool selected = false;
    const std::string name = selectedName(selected);
    if (!selected) {
        session_.messages().show(MessageKind::Information, "You must select a Project in order to remove it.");
        return;
    }
    if (name.empty()) {
        session_.messages().show(MessageKind::Error, "Cannot delete profile.\nNo profile selected");
        return;
    }
    const std::string question = "Do you really want to delete the Profile: " + name + " " +
                                 "\r\rThis cannot be undone." + " " + "Continue" + "?";
    if (session_.messages().ask(MessageKind::Confirmation, question, Buttons::YesNo) != Answer::Yes) return;
    try {
        profiles::deleteProfile(session_.platform(), session_.folder(), name);
    } catch (...) {
        // A failed deletion leaves what it could not remove; the list shows it.
    }
    refreshProfiles();
}

void MainWindow::lastResults()
{
    bool selected = false;
    const std::string name = selectedName(selected);
    if (!selected) {
        session_.messages().show(MessageKind::Information, kSelectToRun);
        return;
    }
    const std::string index = joinPath(joinPath(session_.folder().reports(), name), "index.html");
    std::error_code error;
    if (std::filesystem::is_regular_file(index, error)) {
        if (!session_.platform().shell.openDocument(index)) {
            session_.messages().show(MessageKind::Error, "Unable to open " + index);
        }
        return;
    }
    session_.messages().show(MessageKind::Information,
                             "The profile that you have selected has not either not been run or the results have "
                             "been removed.\nSelect run to regenerate the reports.");
}

void MainWindow::webManagement()
{
    if (hooks_.webManager)
        hooks_.webManager();
    else
        notAvailable("The web manager");
}

void MainWindow::sessionTracker()
{
    if (hooks_.sessionTracker)
        hooks_.sessionTracker();
    else
        notAvailable("The session tracker");
}

void MainWindow::stepView()
{
    const std::string& vs = session_.app.view;
    if (vs == "0")
        setView("1");
    else if (vs == "1")
        setView("2");
    else if (vs == "2")
        setView("0");
}

void MainWindow::setView(const std::string& vs)
{
    session_.app.view = vs;
    const int tick = vs == "1" ? 0 : vs == "2" ? 1 : vs == "0" ? 2 : -1;
    for (auto& menu : viewTicks_) {
        for (int i = 0; i < 3; ++i)
            menu[i]->setChecked(i == tick);
    }
    if (vs == "1") {
        profileList_->setViewMode(QListView::IconMode);
        profileList_->setIconSize(QSize(48, 48));
        profileList_->setGridSize(QSize(112, 88));
        profileList_->setFlow(QListView::LeftToRight);
        profileList_->setWordWrap(true);
    } else {
        profileList_->setViewMode(QListView::ListMode);
        profileList_->setIconSize(QSize(16, 16));
        profileList_->setGridSize(QSize());
        profileList_->setWordWrap(false);
        // Small icons fill rows, the list fills columns.
        profileList_->setFlow(vs == "2" ? QListView::LeftToRight : QListView::TopToBottom);
        profileList_->setSpacing(vs == "2" ? 6 : 1);
    }
    profileList_->setWrapping(true);
    profileList_->setMovement(QListView::Static);
    profileList_->setResizeMode(QListView::Adjust);
}

void MainWindow::setToolbarLayout(const std::string& tb)
{
    session_.app.toolbar = tb;
    const int tick = tb == "0" ? 0 : tb == "1" ? 1 : tb == "2" ? 2 : -1;
    for (int i = 0; i < 3; ++i)
        toolbarTicks_[i]->setChecked(i == tick);
    tbBottom_->setVisible(tick == 0 || tick == -1);
    tbRight_->setVisible(tick == 1);
}

void MainWindow::showHelp(int topic)
{
    if (!session_.platform().help.showTopic(topic)) {
        session_.messages().show(MessageKind::Error, "The help pages could not be opened.");
    }
}

void MainWindow::showAbout()
{
    if (aboutOpen_) return;
    aboutOpen_ = true;
    about_->exec();
    aboutOpen_ = false;
}

void MainWindow::runCurrentProfile()
{
    if (!hooks_.runReport) {
        notAvailable("Running report profiles");
        return;
    }
    {
        LoadingWindow loading;
        loading.showAndPaint();
    }
    // The run hides the console while it works and feeds the progress dialog.
    session_.platform().cancel.reset();
    QtProgress dialog(session_.platform().cancel, session_.platform().pump);
    ProgressSwitch::Use use(session_.progress(), dialog);
    // While the console is hidden, the run's own windows coming and going
    // must not end the program.
    const bool wasVisible = isVisible();
    const bool quitOnClose = QApplication::quitOnLastWindowClosed();
    QApplication::setQuitOnLastWindowClosed(false);
    // Shown again where it stood: a window hidden and shown again may
    // otherwise be placed anew by the window manager.
    struct Restore {
        MainWindow& window;
        bool visible;
        bool quitOnClose;
        QByteArray geometry;
        ~Restore()
        {
            if (visible) {
                window.restoreGeometry(geometry);
                window.show();
            }
            window.statusBar()->showMessage(kRestingText);
            QApplication::setQuitOnLastWindowClosed(quitOnClose);
        }
    } restore{*this, wasVisible, quitOnClose, saveGeometry()};
    hide();
    try {
        hooks_.runReport();
    } catch (const Cancelled&) {
        // The run has stopped; nothing more to say.
    } catch (const std::exception& e) {
        session_.messages().show(MessageKind::Error, e.what());
    }
}

} // namespace larkspan
