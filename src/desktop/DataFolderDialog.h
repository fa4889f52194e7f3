#pragma once

#include <QDialog>
#include <functional>

class QLineEdit;

namespace larkspan {

class Help;

// The select-directory dialog: warns what changing the data directory
// means and lets the operator pick a folder.
class DataFolderDialog : public QDialog {
    Q_OBJECT
  public:
    static constexpr const char* kCaption = "Select Log Import Directory";
    static constexpr const char* kWarning =
        "Changing the data directory will make all previously imported data unavailable and may cause errors in "
        "previously created profiles.";
    static constexpr const char* kChoose =
        "Choose the directory that you wish the imported data to reside in.\r\nLarkspan will create the necessary "
        "directories underneath the selected directory (if they are not there already).";
    static constexpr int kHelpTopic = 4141;

    DataFolderDialog(const QString& directory, Help& help, QWidget* parent = nullptr);

    QString directory() const;
    QLineEdit* directoryField() const { return field_; }
    // The folder picker; tests put one of their own here.
    std::function<QString(const QString& start)> chooseFolder;
    void pickFolder();

  private:
    QLineEdit* field_;
};

} // namespace larkspan
