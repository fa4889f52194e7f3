#include "profiles/ReferringDomainFilterDialog.h"

#include "platform/Messages.h"
#include "profiles/ProfileLists.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace larkspan {

ReferringDomainFilterDialog::ReferringDomainFilterDialog(std::string listText, Messages& messages, QWidget* parent)
    : QDialog(parent), listText_(std::move(listText)), messages_(messages), domain_(new QLineEdit)
{
    setObjectName("referringDomainFilterDialog");
    setWindowTitle(kCaption);
    domain_->setObjectName("DomainName");

    auto* group = new QGroupBox(" Enter a Domain Name ");
    auto* label = new QLabel("Domain Name");
    label->setBuddy(domain_);
    auto* explanation = new QLabel(QString("Enter a Domain to exclude from the Referring URL and Domain Reports \n"
                                           "(example: %1)")
                                       .arg(kSampleHost));
    auto* inner = new QVBoxLayout(group);
    inner->addWidget(label);
    inner->addWidget(explanation);
    inner->addWidget(domain_);

    auto* ok = new QPushButton("&Ok");
    ok->setObjectName("OkBtn");
    ok->setDefault(true);
    auto* cancel = new QPushButton("&Cancel");
    cancel->setObjectName("CancelBtn");
    connect(ok, &QPushButton::clicked, this, &ReferringDomainFilterDialog::acceptEntry);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
}

void ReferringDomainFilterDialog::acceptEntry()
{
    const std::string answer = domain_->text().toLocal8Bit().toStdString();
    const profiles::ListAddition added = profiles::addReferringDomain(listText_, answer);
    if (added.outcome == profiles::ListAddition::Refused) {
        // These two refusals name no kind of box; they are shown as errors,
        // like the other refused entries of the editor.
        messages_.show(MessageKind::Error, added.message);
        domain_->setFocus();
        return;
    }
    accept();
}

} // namespace larkspan
