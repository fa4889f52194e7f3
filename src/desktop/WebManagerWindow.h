#pragma once

#include "webs/WebStore.h"

#include <QDialog>
#include <functional>
#include <string>

class QAction;
class QListWidget;
class QMenu;
class QMenuBar;
class QToolBar;

namespace larkspan {

class DesktopSession;
class DataFolderDialog;
class WebPropertiesEditor;

// The web manager: lists the webs of the data directory and creates,
// edits, deletes and imports them; moves the data directory.
class WebManagerWindow : public QDialog {
    Q_OBJECT
  public:
    static constexpr const char* kCaption = "Larkspan (tm) - Web Manager";
    static constexpr int kHelpTopic = 3001;

    explicit WebManagerWindow(DesktopSession& session, QWidget* parent = nullptr);

    // Imports one web: the import window, or what a test puts here.
    std::function<void(const std::string& web)> importWeb;
    // How the editor and the directory dialog are run (modal by default);
    // tests fill and close them here.
    std::function<int(WebPropertiesEditor&)> runEditor;
    std::function<int(DataFolderDialog&)> runDirectoryDialog;

    void refreshWebs();
    void newWeb();
    void editWeb();
    void deleteWeb();
    void importSelected();
    void setDataDirectory();
    void about();

    QListWidget* webList() const { return list_; }
    QToolBar* toolbar() const { return toolbar_; }
    QMenu* popupMenu() const { return popup_; }
    WebStore& webs() { return webs_; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void buildActions();
    void buildMenus(QMenuBar* bar);
    void applyView();
    void selectionChanged();
    void preparePopup();
    std::vector<std::string> selectedWebs() const;
    void selectWeb(const std::string& name);

    DesktopSession& session_;
    WebStore webs_;
    QListWidget* list_;
    QToolBar* toolbar_;
    QMenu* popup_ = nullptr;
    QAction* actNew_ = nullptr;
    QAction* actEdit_ = nullptr;
    QAction* actDelete_ = nullptr;
    QAction* actImport_ = nullptr;
    QAction* actExit_ = nullptr;
    QAction* actHelp_ = nullptr;
    QAction* menuImport_ = nullptr;
    QAction* menuDelete_ = nullptr;
    QAction* menuEdit_ = nullptr;
    QAction* popImport_ = nullptr;
    QAction* popEdit_ = nullptr;
    QAction* popDelete_ = nullptr;
};

} // namespace larkspan
