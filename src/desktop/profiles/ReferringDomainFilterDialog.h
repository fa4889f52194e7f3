#pragma once

#include <QDialog>
#include <string>

class QLineEdit;

namespace larkspan {

class Messages;

// The Referring Domain Filter dialog: a domain to leave out of the
// referring URL and domain reports, stored as its bare host name.
class ReferringDomainFilterDialog : public QDialog {
    Q_OBJECT
  public:
    static constexpr const char* kCaption = "Referring Domain Filter";
    static constexpr const char* kSampleHost = "www.example.com";

    ReferringDomainFilterDialog(std::string listText, Messages& messages, QWidget* parent = nullptr);

    // The referring-domain list's text (CR LF breaks) after the dialog.
    const std::string& listText() const { return listText_; }

    QLineEdit* domainField() const { return domain_; }

    // "&Ok": a blank or duplicate domain is refused with a message and the
    // focus goes back to the field; else adds and closes.
    void acceptEntry();

  private:
    std::string listText_;
    Messages& messages_;
    QLineEdit* domain_;
};

} // namespace larkspan
