#pragma once

#include <QDialog>
#include <QTimer>
#include <functional>

class QLabel;
class QPushButton;

namespace larkspan {

// The count-down window: "Autorun will start in N seconds." and
// "Cancel Autorun", without title-bar buttons.
class CountDownWindow : public QDialog {
    Q_OBJECT
  public:
    explicit CountDownWindow(QWidget* parent = nullptr);
    void showSeconds(int seconds);
    QLabel* text() const { return text_; }
    QPushButton* cancelButton() const { return cancel_; }

  protected:
    // Escape does not close it; only Cancel Autorun does.
    void reject() override {}

  private:
    QLabel* text_;
    QPushButton* cancel_;
};

// The 25-second count-down before autorun starts by itself: a 1-second
// ticker that shows and counts the window down, and a 25-second timer that
// starts autorun. The timers call tick() and expire(); tests call them
// directly.
class AutorunCountDown : public QObject {
    Q_OBJECT
  public:
    static constexpr int kSeconds = 25;

    AutorunCountDown();
    ~AutorunCountDown() override;

    void start();
    // The ticker: the first tick shows the window and starts the 25-second
    // timer, each later one counts down, and 0 closes the window.
    void tick();
    // The 25-second timer: stops itself and calls expired.
    void expire();
    // "Cancel Autorun": stops both timers, closes the window and calls cancelled.
    void cancel();
    // Stops both timers and closes the window without a call (autorun
    // entered another way).
    void halt();

    bool running() const { return ticker_.isActive() || deadline_.isActive(); }
    int secondsLeft() const { return seconds_; }
    CountDownWindow* window() const { return window_; }

    std::function<void()> expired;
    std::function<void()> cancelled;

  private:
    QTimer ticker_;
    QTimer deadline_;
    CountDownWindow* window_ = nullptr;
    int seconds_ = 0;
    bool shown_ = false;
};

} // namespace larkspan
