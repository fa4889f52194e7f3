#pragma once

#include <QDialog>

class QProgressBar;
class QPushButton;

namespace larkspan {

class CancelRequest;
class MiddleElidedLabel;

// The report progress dialog: a bar counted in parts, the phase and the
// detail line, and Cancel. Cancel (the button, Escape or the close box)
// only sets the cancel request; the run closes the dialog when it stops.
class ReportProgressDialog : public QDialog {
    Q_OBJECT
  public:
    static constexpr const char* kCaption = "Larkspan (tm) - Log Analysis Solution";

    explicit ReportProgressDialog(CancelRequest& cancel, QWidget* parent = nullptr);

    void setTotalParts(long long total);
    void update(const QString& phase, const QString& detail, long long completed);
    void setPhase(const QString& phase);
    void setDetail(const QString& detail);
    void setCompleted(long long completed);

    QString phase() const;
    QString detail() const;
    QProgressBar* bar() const { return bar_; }
    QPushButton* cancelButton() const { return cancel_; }

  public slots:
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void requestCancel();

    CancelRequest& request_;
    QProgressBar* bar_;
    MiddleElidedLabel* phase_;
    MiddleElidedLabel* detail_;
    QPushButton* cancel_;
};

} // namespace larkspan
