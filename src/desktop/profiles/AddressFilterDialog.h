#pragma once

#include <QDialog>
#include <string>

class QLineEdit;
class QRadioButton;

namespace larkspan {

class Messages;

// The Add IP Filter dialog: one address to exclude, or a range over the
// last octet. OK adds the entry to the IP list's text unless the list
// already holds it; an entry with "*", which the filter cannot read, is
// refused with a message that shows the range form.
class AddressFilterDialog : public QDialog {
    Q_OBJECT
  public:
    static constexpr const char* kCaption = "Add IP Filter";

    AddressFilterDialog(std::string listText, Messages& messages, QWidget* parent = nullptr);

    // The IP list's text (CR LF breaks) after the dialog.
    const std::string& listText() const { return listText_; }

    QLineEdit* addressField() const { return address_; }
    QLineEdit* lastOctetField() const { return lastOctet_; }
    QRadioButton* singleChoice() const { return single_; }
    QRadioButton* rangeChoice() const { return range_; }

    // "&OK": nothing with an empty address; a refused entry keeps the
    // dialog open; else adds and closes.
    void acceptEntry();

  private:
    void rangeChoiceChanged();

    std::string listText_;
    Messages& messages_;
    QLineEdit* address_;
    QLineEdit* lastOctet_;
    QRadioButton* single_;
    QRadioButton* range_;
};

} // namespace larkspan
