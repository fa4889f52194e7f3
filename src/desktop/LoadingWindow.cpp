#include "LoadingWindow.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace larkspan {

LoadingWindow::LoadingWindow(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName("loadingWindow");
    setCursor(Qt::WaitCursor);
    auto* panel = new QLabel(kText);
    panel->setObjectName("Panel1");
    panel->setAlignment(Qt::AlignCenter);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(2);
    QFont font = panel->font();
    font.setPointSizeF(font.pointSizeF() * 1.3);
    font.setBold(true);
    panel->setFont(font);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(panel);
    setFixedSize(300, 80);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

void LoadingWindow::showAndPaint()
{
    show();
    raise();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace larkspan
