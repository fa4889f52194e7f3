#include "profiles/WebFilterDialog.h"

#include "platform/Messages.h"
#include "profiles/ProfileLists.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace larkspan {

WebFilterDialog::WebFilterDialog(std::string listText, Messages& messages, QWidget* parent)
    : QDialog(parent), listText_(std::move(listText)), messages_(messages), directory_(new QLineEdit),
      subWeb_(new QRadioButton("Set to Subweb")), exclude_(new QRadioButton("Exclude Directory"))
{
    setObjectName("webFilterDialog");
    setWindowTitle(kCaption);
    directory_->setObjectName("DirName");
    subWeb_->setObjectName("SetSubweb");
    exclude_->setObjectName("ExcludeDir");
    subWeb_->setChecked(true);

    auto* directoryGroup = new QGroupBox("Directory Name");
    auto* label = new QLabel("Dir Name");
    label->setBuddy(directory_);
    auto* directoryRow = new QHBoxLayout(directoryGroup);
    directoryRow->addWidget(label);
    directoryRow->addWidget(directory_, 1);

    auto* actionGroup = new QGroupBox("Action ");
    auto* actionRow = new QVBoxLayout(actionGroup);
    actionRow->addWidget(subWeb_);
    actionRow->addWidget(exclude_);

    auto* cancel = new QPushButton("&Cancel");
    cancel->setObjectName("CancelBtn");
    auto* ok = new QPushButton("&Ok");
    ok->setObjectName("OkBtn");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &WebFilterDialog::acceptEntry);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel);
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(directoryGroup);
    layout->addWidget(actionGroup);
    layout->addLayout(buttons);
    setMinimumWidth(320);
}

void WebFilterDialog::acceptEntry()
{
    const std::string directory = directory_->text().toLocal8Bit().toStdString();
    if (directory.empty()) return;
    const profiles::ListAddition added = profiles::addWebFilter(listText_, directory, subWeb_->isChecked());
    if (added.outcome == profiles::ListAddition::Refused) {
        messages_.show(MessageKind::Error, added.message);
        return;
    }
    accept();
}

} // namespace larkspan
