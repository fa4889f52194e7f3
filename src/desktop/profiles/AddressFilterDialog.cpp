#include "profiles/AddressFilterDialog.h"

#include "platform/Messages.h"
#include "profiles/ProfileLists.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace larkspan {

namespace {

// Label texts break lines with CR LF; a label breaks at LF.
QLabel* note(const char* text)
{
    QString shown = QString::fromLatin1(text);
    shown.replace("\r\n", "\n");
    return new QLabel(shown);
}

} // namespace

AddressFilterDialog::AddressFilterDialog(std::string listText, Messages& messages, QWidget* parent)
    : QDialog(parent), listText_(std::move(listText)), messages_(messages), address_(new QLineEdit),
      lastOctet_(new QLineEdit), single_(new QRadioButton("Exclude single IP address")),
      range_(new QRadioButton("Exclude IP Address Range"))
{
    setObjectName("addressFilterDialog");
    setWindowTitle(kCaption);
    address_->setObjectName("IPAddress");
    lastOctet_->setObjectName("LastOctet");
    single_->setObjectName("SingleIP");
    range_->setObjectName("IPRange");
    single_->setChecked(true);

    auto* panel = new QFrame;
    panel->setFrameShape(QFrame::StyledPanel);
    auto* addressLabel = new QLabel("IP Address");
    addressLabel->setBuddy(address_);
    auto* octetRow = new QHBoxLayout;
    octetRow->addWidget(lastOctet_);
    octetRow->addWidget(note("Enter an additional last IP octect \r\nto exclude a range.\r\n"), 1);
    auto* inner = new QVBoxLayout(panel);
    inner->addWidget(addressLabel);
    inner->addWidget(note("Enter the IP address to exclude.\r\nexample: 172.16.0.1"));
    inner->addWidget(address_);
    inner->addWidget(single_);
    inner->addWidget(range_);
    inner->addLayout(octetRow);
    inner->addWidget(note("For example: Entering 55 along with the \r\nabove example would exclude all IP addresses "
                          "\r\nfrom 172.16.0.1 through 172.16.0.55"));
    lastOctet_->setMaximumWidth(60);

    auto* ok = new QPushButton("&OK");
    ok->setObjectName("OKBtn");
    ok->setDefault(true);
    auto* cancel = new QPushButton("&Cancel");
    cancel->setObjectName("CancelBtn");
    connect(ok, &QPushButton::clicked, this, &AddressFilterDialog::acceptEntry);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(range_, &QRadioButton::toggled, this, &AddressFilterDialog::rangeChoiceChanged);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel);
    layout->addLayout(buttons);
    rangeChoiceChanged();
}

void AddressFilterDialog::rangeChoiceChanged()
{
    const bool range = range_->isChecked();
    lastOctet_->setEnabled(range);
    // Window colour while it takes a value, button face while it does not.
    QPalette palette = lastOctet_->palette();
    const QColor colour = this->palette().color(range ? QPalette::Base : QPalette::Button);
    palette.setColor(QPalette::Active, QPalette::Base, colour);
    palette.setColor(QPalette::Inactive, QPalette::Base, colour);
    palette.setColor(QPalette::Disabled, QPalette::Base, colour);
    lastOctet_->setPalette(palette);
}

void AddressFilterDialog::acceptEntry()
{
    const std::string address = address_->text().toLocal8Bit().toStdString();
    if (address.empty()) return;
    const std::string lastOctet = range_->isChecked() ? lastOctet_->text().toLocal8Bit().toStdString() : std::string();
    const profiles::ListAddition added = profiles::addIpFilter(listText_, address, lastOctet);
    if (added.outcome == profiles::ListAddition::Refused) {
        messages_.show(MessageKind::Error, added.message);
        return;
    }
    accept();
}

} // namespace larkspan
