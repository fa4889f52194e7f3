#pragma once

#include "autorun/ScheduleEditing.h"

#include <QDialog>

class QComboBox;
class QListWidget;
class QListWidgetItem;
class QVBoxLayout;

namespace larkspan {

class DesktopSession;

// The schedule editor ("Autorun Schedule"): the available and the scheduled
// webs side by side, the interval box, Save and Exit. Opening it reads the
// schedule files and offers to drop scheduled webs that are gone; the rules
// are the core's ScheduleEditing.
class ScheduleEditorWindow : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kHelpTopic = 3333;
    static constexpr const char* kAboutText = "Autorun Scheduler for Larkspan Kite 1.0";

    explicit ScheduleEditorWindow(DesktopSession& session, QWidget* parent = nullptr);

    void scheduleSelected();
    void scheduleAll();
    void removeSelected();
    void clearSchedule();
    // Writes the files and says so (the window stays open).
    void save();

    QListWidget* availableList() const { return available_; }
    QListWidget* scheduledList() const { return scheduled_; }
    QComboBox* intervalBox() const { return interval_; }
    const autorun::ScheduleEditing& editing() const { return editing_; }

  private:
    void buildMenus(QVBoxLayout* layout);
    QWidget* buildLists();
    void refill();
    void showHelp();

    DesktopSession& session_;
    autorun::ScheduleEditing editing_;
    QListWidget* available_;
    QListWidget* scheduled_;
    QComboBox* interval_;
};

} // namespace larkspan
