#pragma once

#include "platform/EventPump.h"
#include "platform/Progress.h"

#include <QPointer>
#include <memory>

class QWidget;

namespace larkspan {

class CancelRequest;
class ReportProgressDialog;

// The report run's progress shown in the progress dialog. The dialog
// appears with the first update and goes with release() (or the object).
// Text line 0 is the phase, line 1 the detail; bar 0 counts parts. Every
// update lets pending window events through (throttled), so the dialog
// repaints and its Cancel click reaches the cancel request.
class QtProgress : public Progress {
  public:
    QtProgress(CancelRequest& cancel, EventPump& pump, QWidget* parent = nullptr);
    ~QtProgress() override;

    void setCaption(const std::string& caption) override;
    void setText(int line, const std::string& text) override;
    void setBar(int bar, long long position, long long maximum) override;

    void show();
    void hide();
    void release();
    // The dialog while it is there, else null.
    ReportProgressDialog* dialog() const;

  private:
    ReportProgressDialog& ensure();

    CancelRequest& cancel_;
    ThrottledPump pump_;
    QWidget* parent_;
    std::unique_ptr<ReportProgressDialog> dialog_;
};

} // namespace larkspan
