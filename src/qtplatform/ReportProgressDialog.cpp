#include "ReportProgressDialog.h"

#include "MiddleElidedLabel.h"

#include "platform/CancelRequest.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <limits>

namespace larkspan {

namespace {
// QProgressBar counts in int; larger totals are scaled down alike.
int clampToInt(long long value)
{
    if (value < 0) return 0;
    return value > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max() : static_cast<int>(value);
}
} // namespace

ReportProgressDialog::ReportProgressDialog(CancelRequest& cancel, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      request_(cancel), bar_(new QProgressBar), phase_(new MiddleElidedLabel), detail_(new MiddleElidedLabel),
      cancel_(new QPushButton("Cancel"))
{
    setObjectName("reportProgressDialog");
    setWindowTitle(kCaption);
    bar_->setObjectName("Progress");
    bar_->setRange(0, 1);
    bar_->setValue(0);
    bar_->setTextVisible(true);
    phase_->setObjectName("Label1");
    detail_->setObjectName("Label2");
    for (QLabel* line : {phase_, detail_})
        line->setMinimumWidth(360);
    cancel_->setObjectName("CancelBtn");
    connect(cancel_, &QPushButton::clicked, this, &ReportProgressDialog::requestCancel);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel_);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(bar_);
    layout->addSpacing(4);
    layout->addWidget(phase_);
    layout->addWidget(detail_);
    layout->addSpacing(4);
    layout->addLayout(buttons);
    setFixedSize(QSize(420, sizeHint().height()));
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

void ReportProgressDialog::setTotalParts(long long total)
{
    bar_->setRange(0, std::max(1, clampToInt(total)));
}

void ReportProgressDialog::update(const QString& phase, const QString& detail, long long completed)
{
    setPhase(phase);
    setDetail(detail);
    setCompleted(completed);
}

void ReportProgressDialog::setPhase(const QString& phase)
{
    phase_->setFullText(phase);
}
void ReportProgressDialog::setDetail(const QString& detail)
{
    detail_->setFullText(detail);
}

void ReportProgressDialog::setCompleted(long long completed)
{
    bar_->setValue(std::min(bar_->maximum(), clampToInt(completed)));
}

QString ReportProgressDialog::phase() const
{
    return phase_->fullText();
}
QString ReportProgressDialog::detail() const
{
    return detail_->fullText();
}

void ReportProgressDialog::requestCancel()
{
    request_.request();
}

void ReportProgressDialog::reject()
{
    requestCancel();
}

void ReportProgressDialog::closeEvent(QCloseEvent* event)
{
    requestCancel();
    event->ignore();
}

} // namespace larkspan
