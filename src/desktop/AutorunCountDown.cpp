#include "AutorunCountDown.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace larkspan {

CountDownWindow::CountDownWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), text_(new QLabel),
      cancel_(new QPushButton("Cancel Autorun"))
{
    setObjectName("cntdwn");
    setWindowTitle("Autorun count down");
    text_->setObjectName("CountDownText");
    text_->setAlignment(Qt::AlignCenter);
    cancel_->setObjectName("CancelAutorun");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(cancel_, 0, Qt::AlignCenter);
    showSeconds(AutorunCountDown::kSeconds);
    setFixedSize(320, sizeHint().height() + 10);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void CountDownWindow::showSeconds(int seconds)
{
    text_->setText(QString("Autorun will start in %1 seconds.").arg(seconds));
}

AutorunCountDown::AutorunCountDown()
{
    ticker_.setInterval(1000);
    deadline_.setInterval(kSeconds * 1000);
    deadline_.setSingleShot(true);
    connect(&ticker_, &QTimer::timeout, this, &AutorunCountDown::tick);
    connect(&deadline_, &QTimer::timeout, this, &AutorunCountDown::expire);
}

AutorunCountDown::~AutorunCountDown()
{
    delete window_;
}

void AutorunCountDown::start()
{
    shown_ = false;
    ticker_.start();
}

void AutorunCountDown::tick()
{
    if (!shown_) {
        shown_ = true;
        seconds_ = kSeconds;
        if (!window_) {
            window_ = new CountDownWindow;
            connect(window_->cancelButton(), &QPushButton::clicked, this, &AutorunCountDown::cancel);
        }
        window_->showSeconds(seconds_);
        deadline_.start();
        window_->show();
        window_->raise();
        window_->activateWindow();
        return;
    }
    seconds_ = std::max(0, seconds_ - 1);
    if (window_) window_->showSeconds(seconds_);
    if (seconds_ == 0) {
        ticker_.stop();
        if (window_) window_->hide();
    }
}

void AutorunCountDown::expire()
{
    halt();
    if (expired) expired();
}

void AutorunCountDown::halt()
{
    ticker_.stop();
    deadline_.stop();
    if (window_) window_->hide();
}

void AutorunCountDown::cancel()
{
    halt();
    if (cancelled) cancelled();
}

} // namespace larkspan
