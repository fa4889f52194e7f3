#include "DataFolderDialog.h"

#include "DesktopIcons.h"
#include "platform/Help.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace larkspan {

DataFolderDialog::DataFolderDialog(const QString& directory, Help& help, QWidget* parent)
    : QDialog(parent), field_(new QLineEdit)
{
    setObjectName("dataFolderDialog");
    setWindowTitle(kCaption);

    auto* warningIcon = new QLabel;
    warningIcon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
    warningIcon->setAlignment(Qt::AlignTop);
    auto* warningTitle = new QLabel("Warning");
    QFont bold = warningTitle->font();
    bold.setBold(true);
    warningTitle->setFont(bold);
    auto* warning = new QLabel(kWarning);
    warning->setWordWrap(true);
    auto* choose = new QLabel(QString(kChoose).replace("\r\n", "\n"));
    choose->setWordWrap(true);
    auto* warningTexts = new QVBoxLayout;
    warningTexts->addWidget(warningTitle);
    warningTexts->addWidget(warning);
    auto* warningRow = new QHBoxLayout;
    warningRow->addWidget(warningIcon);
    warningRow->addLayout(warningTexts, 1);

    field_->setObjectName("DirEdit");
    field_->setReadOnly(true);
    field_->setText(directory);
    auto* pick = new QToolButton;
    pick->setObjectName("DirBtn");
    pick->setIcon(icons::folder());
    pick->setToolTip("Select Directory");
    connect(pick, &QToolButton::clicked, this, &DataFolderDialog::pickFolder);
    auto* directoryRow = new QHBoxLayout;
    auto* label = new QLabel("Directory: ");
    directoryRow->addWidget(label);
    directoryRow->addWidget(field_, 1);
    directoryRow->addWidget(pick);

    auto* ok = new QPushButton("&Ok");
    ok->setObjectName("OkBtn");
    ok->setDefault(true);
    auto* cancel = new QPushButton("&Cancel");
    cancel->setObjectName("CancelBtn");
    auto* helpButton = new QPushButton("&Help");
    helpButton->setObjectName("HelpBtn");
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(helpButton, &QPushButton::clicked, this, [&help] { help.showTopic(kHelpTopic); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(helpButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(warningRow);
    layout->addSpacing(8);
    layout->addWidget(choose);
    layout->addSpacing(8);
    layout->addLayout(directoryRow);
    layout->addStretch();
    layout->addLayout(buttons);

    chooseFolder = [this](const QString& start) {
        return QFileDialog::getExistingDirectory(this, "Select a Folder", start);
    };
    resize(500, sizeHint().height());
}

QString DataFolderDialog::directory() const
{
    return field_->text();
}

void DataFolderDialog::pickFolder()
{
    const QString chosen = chooseFolder(field_->text());
    if (!chosen.isEmpty()) field_->setText(chosen);
}

} // namespace larkspan
