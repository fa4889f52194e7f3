#include "QtMessages.h"

#include <QApplication>
#include <QMessageBox>

namespace larkspan {

namespace {

QString& caption()
{
    static QString text;
    return text;
}

QMessageBox::Icon iconFor(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Error: return QMessageBox::Critical;
    case MessageKind::Warning: return QMessageBox::Warning;
    case MessageKind::Information: return QMessageBox::Information;
    case MessageKind::Confirmation: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons buttonsFor(Buttons buttons)
{
    switch (buttons) {
    case Buttons::Ok: return QMessageBox::Ok;
    case Buttons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case Buttons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

}  // namespace

void QtMessages::setCaption(const QString& text) { caption() = text; }

void QtMessages::show(MessageKind kind, const std::string& text) { ask(kind, text, Buttons::Ok); }

Answer QtMessages::ask(MessageKind kind, const std::string& text, Buttons buttons)
{
    QWidget* parent = parent_ ? parent_ : QApplication::activeWindow();
    // Some texts break lines with CR alone; the box breaks at LF.
    QString shown = QString::fromLocal8Bit(text.c_str());
    shown.replace("\r\n", "\n").replace('\r', '\n');
    const QString title = caption().isEmpty() ? QApplication::applicationDisplayName() : caption();
    QMessageBox box(iconFor(kind), title, shown, buttonsFor(buttons), parent);
    box.setTextFormat(Qt::PlainText);
    switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Cancel: return Answer::Cancel;
    default: return buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
    }
}

}  // namespace larkspan
