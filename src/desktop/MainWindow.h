#pragma once

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QActionGroup;
class QListWidget;
class QMenu;
class QSystemTrayIcon;
class QToolBar;

namespace larkspan {

class DesktopSession;
class AboutBox;

// The program's console: lists the report profiles of "My Profiles",
// creates, opens, runs and deletes them, opens the other windows, holds the
// application settings and keeps the tray icon.
class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    static constexpr const char* kApplicationTitle = "Larkspan (tm) Log Analysis Solution";
    static constexpr const char* kReadyText = "Larkspan - Ready";
    static constexpr const char* kRestingText = "Larkspan ";
    static constexpr const char* kTrayHint = "Larkspan Kite 1.1";
    // The maker's home page ("Quennet Online"); set when the program is packaged.
    static constexpr const char* kMakerHomePage = "https://www.example.com/larkspan/";

    // What the main window hands to windows and runs that arrive with
    // other parts of the program. Unset hooks say the feature is not
    // available yet.
    struct Hooks {
        // Opens the profile editor; name empty for a new profile. Returns
        // the editor's profile name when it saved and closed (its Run
        // Report also sets the session's run-after-edit flag), nothing when
        // it closed without saving.
        std::function<std::optional<std::string>(const std::string& name)> editProfile;
        // Runs the report for the session's current profile.
        std::function<void()> runReport;
        std::function<void()> webManager;
        std::function<void()> sessionTracker;
        std::function<void()> scheduler;
        std::function<void()> runAutorunNow;
        std::function<void()> viewAutorunLog;
        std::function<void()> startCountDown;
    };

    explicit MainWindow(DesktopSession& session, QWidget* parent = nullptr);
    MainWindow(DesktopSession& session, Hooks hooks, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Fills the list from the ".rpf" files of "My Profiles", keeping the
    // selected position.
    void refreshProfiles();
    // Writes the settings back; false (after saying so) when they could
    // not be written.
    bool saveSettings();
    Hooks& hooks() { return hooks_; }

    // The commands of the menus, toolbars and pop-up menu.
    void newProfile();
    void openProfile();
    void runSelected();
    void runSelectedProfile();
    void deleteSelected();
    void lastResults();
    void webManagement();
    void sessionTracker();
    void stepView();
    void setView(const std::string& vs);
    void setToolbarLayout(const std::string& tb);
    void showHelp(int topic);
    void showAbout();
    // Runs the report of the current profile: loading window, report run,
    // resting status text.
    void runCurrentProfile();

    QListWidget* profileList() const { return profileList_; }
    QToolBar* toolbarBottom() const { return tbBottom_; }
    QToolBar* toolbarRight() const { return tbRight_; }
    QMenu* popupMenu() const { return popup_; }
    QSystemTrayIcon* trayIcon() const { return tray_; }
    AboutBox* aboutBox() const { return about_; }

  protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildActions();
    void buildMenus();
    void buildFileMenu();
    void buildViewMenu();
    void buildAutorunAndSettingsMenus();
    void buildHelpMenu();
    QAction* addCommand(QMenu* menu, const char* name, const char* caption, const std::function<void()>& handler);
    void buildToolbars();
    QToolBar* makeToolbar(const char* name, Qt::ToolButtonStyle style);
    void buildPopup();
    void buildTray();
    void loadSettings();
    void applySettings();
    void selectionChanged();
    void setStatus(const QString& text);
    std::string selectedName(bool& selected) const;
    // Opens the editor and takes its name as current; true when saved.
    bool editAndTakeName(const std::string& name);
    void notAvailable(const char* what);
    void closeFromTray();

    DesktopSession& session_;
    Hooks hooks_;
    QListWidget* profileList_ = nullptr;
    QToolBar* tbBottom_ = nullptr;
    QToolBar* tbRight_ = nullptr;
    QMenu* popup_ = nullptr;
    QMenu* viewsMenu_ = nullptr;
    QSystemTrayIcon* tray_ = nullptr;
    AboutBox* about_ = nullptr;
    bool aboutOpen_ = false;
    bool activated_ = false;
    bool countDownStarted_ = false;
    bool closingFromTray_ = false;

    // Commands that need a selected profile (toolbar, File menu, pop-up).
    std::vector<QAction*> needSelection_;
    QAction* actNew_ = nullptr;
    QAction* actOpen_ = nullptr;
    QAction* actDelete_ = nullptr;
    QAction* actRun_ = nullptr;
    QAction* actViews_ = nullptr;
    QAction* actExit_ = nullptr;
    QAction* actHelp_ = nullptr;
    QAction* confirmBeforeRun_ = nullptr;
    QAction* openInAutorun_ = nullptr;
    // View ticks in the View menu [0] and the Views drop-down [1]:
    // large icons, small icons, list.
    QAction* viewTicks_[2][3] = {};
    QAction* toolbarTicks_[3] = {};
};

} // namespace larkspan
