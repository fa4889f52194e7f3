#pragma once

#include "tracker/ClientLookup.h"
#include "tracker/HostLookup.h"
#include "tracker/TrackerFiles.h"
#include "webs/WebStore.h"

#include <QDate>
#include <QDialog>
#include <QModelIndex>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QComboBox;
class QDateEdit;
class QLabel;
class QMenuBar;
class QProgressBar;
class QStatusBar;
class QTimer;
class QToolBar;
class QTreeView;

namespace larkspan {

class DesktopSession;
class RequestListModel;
class VisitorTreeModel;

// The session tracker viewer: pick a web, a year and a tracked day, browse
// the day's hosts with their clients and the requests of each, and look a
// client's host name up. Answers and failures go into the program-wide
// host name cache and failure list as they arrive.
class SessionTrackerWindow : public QDialog {
    Q_OBJECT
  public:
    static constexpr const char* kCaption = "Larkspan (tm) - Session Tracker";
    static constexpr int kHelpTopic = 2112;
    // Without a lookup given, host names are asked of the system's resolver.
    explicit SessionTrackerWindow(DesktopSession& session, std::unique_ptr<HostLookup> lookup = nullptr,
                                  QWidget* parent = nullptr);
    ~SessionTrackerWindow() override;

    void chooseWeb(const QString& web);
    void chooseYear(const QString& year);
    void chooseDate(const QDate& date);
    void refreshView();
    void lookupSelected();
    void stopLookup();
    // A click on a request list column: the sorted column reverses, another
    // column sorts descending.
    void columnClicked(int column);
    // Opens the cell's address in the browser when it is a web link.
    void openLink(const QModelIndex& index);
    void showHelp();
    void about();

    QComboBox* webChooser() const { return webs_; }
    QComboBox* yearChooser() const { return years_; }
    QDateEdit* datePicker() const { return date_; }
    QTreeView* tree() const { return tree_; }
    QTreeView* requestList() const { return list_; }
    VisitorTreeModel* treeModel() const { return treeModel_; }
    RequestListModel* listModel() const { return listModel_; }
    QAction* refreshAction() const { return refresh_; }
    QAction* lookupAction() const { return lookup_; }
    QAction* stopAction() const { return stop_; }
    QProgressBar* progressBar() const { return progress_; }
    QTimer* autoLoadTimer() const { return autoLoad_; }
    QString paneText(int pane) const; // 0 web, 1 year, 2 activity, 3 day
    bool isLoading() const { return loading_; }

    // Closing (Exit, Escape, the close box) stops a load and any lookup
    // and saves the host names.
    void done(int result) override;

  private:
    void buildToolbar(QToolBar* bar);
    void buildMenus(QMenuBar* bar);
    QWidget* buildBody();
    QStatusBar* buildStatusBar();
    void fillWebs();
    void webChosen();
    void yearChosen();
    void dateChosen();
    void loadDay();
    void readDay(const tracker::TrackedDay& day);
    void nodeChosen(const QModelIndex& index);
    void lookupFinished(const DnsAnswer& answer);
    void clearDay();
    void applyListColumns();
    void setChoosersEnabled(bool on);
    void showError(const std::string& text);
    void saveHostNames();
    const tracker::TrackedDay* pickedDay() const;

    DesktopSession& session_;
    WebStore webStore_;
    std::unique_ptr<HostLookup> resolver_;
    tracker::ProgramHostNames names_;

    QComboBox* webs_ = nullptr;
    QComboBox* years_ = nullptr;
    QDateEdit* date_ = nullptr;
    QAction* refresh_ = nullptr;
    QAction* lookup_ = nullptr;
    QAction* stop_ = nullptr;
    QTreeView* tree_ = nullptr;
    QTreeView* list_ = nullptr;
    VisitorTreeModel* treeModel_ = nullptr;
    RequestListModel* listModel_ = nullptr;
    QLabel* webPane_ = nullptr;
    QLabel* yearPane_ = nullptr;
    QLabel* activityPane_ = nullptr;
    QLabel* dayPane_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QTimer* autoLoad_ = nullptr;

    std::string web_;
    std::string webFolder_;
    int year_ = 0;
    std::vector<tracker::TrackedDay> days_;
    std::unique_ptr<tracker::TrackerDay> day_;
    QDate shownDay_;
    bool loading_ = false;
    bool leaving_ = false;
};

} // namespace larkspan
