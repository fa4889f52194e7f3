#include "MiddleElidedLabel.h"

#include <QFontMetrics>

namespace larkspan {

MiddleElidedLabel::MiddleElidedLabel(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void MiddleElidedLabel::setFullText(const QString& text)
{
    if (text == full_) return;
    full_ = text;
    elide();
}

void MiddleElidedLabel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    elide();
}

void MiddleElidedLabel::elide()
{
    const QFontMetrics metrics(font());
    const int width = contentsRect().width();
    QStringList lines = full_.split('\n');
    for (QString& line : lines)
        line = metrics.elidedText(line, Qt::ElideMiddle, width);
    const QString shown = lines.join('\n');
    setText(shown);
    setToolTip(shown == full_ ? QString() : full_);
}

} // namespace larkspan
