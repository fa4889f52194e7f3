#pragma once

#include <QDialog>
#include <string>

class QLineEdit;
class QRadioButton;

namespace larkspan {

class Messages;

// The Web Filter dialog: a directory made the sub-web (always the first
// line of the sub-domain list) or excluded from the reports.
class WebFilterDialog : public QDialog {
    Q_OBJECT
  public:
    static constexpr const char* kCaption = "Web Filter";

    WebFilterDialog(std::string listText, Messages& messages, QWidget* parent = nullptr);

    // The sub-domain list's text (CR LF breaks) after the dialog.
    const std::string& listText() const { return listText_; }

    QLineEdit* directoryField() const { return directory_; }
    QRadioButton* subWebChoice() const { return subWeb_; }
    QRadioButton* excludeChoice() const { return exclude_; }

    // "&Ok": nothing with an empty directory; a second sub-web is refused
    // with a message and the dialog stays; else adds and closes.
    void acceptEntry();

  private:
    std::string listText_;
    Messages& messages_;
    QLineEdit* directory_;
    QRadioButton* subWeb_;
    QRadioButton* exclude_;
};

} // namespace larkspan
