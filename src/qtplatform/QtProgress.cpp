#include "QtProgress.h"

#include "ReportProgressDialog.h"

namespace larkspan {

QtProgress::QtProgress(CancelRequest& cancel, EventPump& pump, QWidget* parent)
    : cancel_(cancel), pump_(pump), parent_(parent)
{
}

QtProgress::~QtProgress() = default;

ReportProgressDialog& QtProgress::ensure()
{
    if (!dialog_) {
        dialog_ = std::make_unique<ReportProgressDialog>(cancel_, parent_);
        dialog_->show();
        pump_.force();
    }
    return *dialog_;
}

void QtProgress::setCaption(const std::string&)
{
    // The dialog keeps its own caption.
    ensure();
}

void QtProgress::setText(int line, const std::string& text)
{
    ReportProgressDialog& dialog = ensure();
    const QString value = QString::fromLocal8Bit(text.c_str());
    if (line == 0)
        dialog.setPhase(value);
    else if (line == 1)
        dialog.setDetail(value);
    pump_.poll();
}

void QtProgress::setBar(int bar, long long position, long long maximum)
{
    if (bar != 0) return;
    ReportProgressDialog& dialog = ensure();
    dialog.setTotalParts(maximum);
    dialog.setCompleted(position);
    pump_.poll();
}

void QtProgress::show()
{
    ensure().show();
}

void QtProgress::hide()
{
    if (dialog_) dialog_->hide();
}

void QtProgress::release()
{
    dialog_.reset();
}

ReportProgressDialog* QtProgress::dialog() const
{
    return dialog_.get();
}

} // namespace larkspan
