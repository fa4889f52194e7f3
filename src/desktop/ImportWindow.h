#pragma once

#include "import/ImportRun.h"
#include "import/ImportView.h"

#include <QDialog>
#include <chrono>
#include <functional>
#include <string>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QStackedWidget;

namespace larkspan {

class DesktopSession;

// The import window: runs the core's import of one web when "Import Now"
// is pressed, shows its progress and offers "Cancel Import". Every
// question of the run appears as a dialog over it.
class ImportWindow : public QDialog, public ImportView {
    Q_OBJECT
  public:
    static constexpr const char* kPanelRestingText =
        "Preparing to build Session Tracker Database\n\nGathering information....please wait";

    ImportWindow(DesktopSession& session, std::string web, QWidget* parent = nullptr);
    ~ImportWindow() override;

    // Shows the window (modal; unattended: started at once) and returns
    // true when it was closed with "Close" after a finished run.
    bool execute();
    // How the last run ended; Failed while none has run.
    ImportOutcome outcome() const { return outcome_; }

    // "Import Now" / "Close", and "Cancel Import".
    void startImport();
    void cancelImport();

    void refresh(const ImportStatus& status) override;
    void showPanel(const std::string& text, int percent) override;
    void hidePanel() override;

    // How often the run lets window events through; tests make it 0.
    std::chrono::milliseconds pumpInterval{50};
    // The open-file dialog for a local web that names no files.
    std::function<QStringList()> chooseFiles;

    QPushButton* importButton() const { return import_; }
    QPushButton* cancelButton() const { return cancel_; }
    QCheckBox* trackerBox() const { return tracker_; }
    QCheckBox* unixBox() const { return unix_; }
    bool panelShown() const;
    QString statusText(int part) const;

  protected:
    void done(int result) override;
    void showEvent(QShowEvent* event) override;

  private:
    QWidget* buildProgressPage();
    QWidget* buildPanel();
    void runImport();

    DesktopSession& session_;
    std::string web_;
    bool running_ = false;
    bool finished_ = false;
    bool userCancelled_ = false;
    bool started_ = false;
    ImportOutcome outcome_ = ImportOutcome::Failed;

    QStackedWidget* upper_;
    QLabel* currentFile_;
    QProgressBar* files_;
    QProgressBar* fileProgress_;
    QLabel* panelText_;
    QProgressBar* panelBar_;
    QCheckBox* tracker_;
    QCheckBox* unix_;
    QPushButton* import_;
    QPushButton* cancel_;
    QLabel* status_[2];
};

} // namespace larkspan
