#include "profiles/FilterListBox.h"

#include "common/Text.h"

namespace larkspan {

FilterListBox::FilterListBox(const char* objectName, bool scrollBarRule, QWidget* parent)
    : QPlainTextEdit(parent), scrollBarRule_(scrollBarRule)
{
    setObjectName(objectName);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTabChangesFocus(true);
    if (scrollBarRule_) {
        connect(this, &QPlainTextEdit::textChanged, this, &FilterListBox::applyScrollBarRule);
        applyScrollBarRule();
    }
}

std::string FilterListBox::listText() const { return text::toCrLf(toPlainText().toLocal8Bit().toStdString()); }

void FilterListBox::setListText(const std::string& text)
{
    QString shown = QString::fromLocal8Bit(text.c_str());
    shown.replace("\r\n", "\n").replace('\r', '\n');
    setPlainText(shown);
}

int FilterListBox::lineCount() const
{
    return static_cast<int>(text::splitLines(toPlainText().toLocal8Bit().toStdString()).size());
}

void FilterListBox::applyScrollBarRule()
{
    const Qt::ScrollBarPolicy policy = lineCount() >= kScrollBarLines ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
    setHorizontalScrollBarPolicy(policy);
    setVerticalScrollBarPolicy(policy);
}

}  // namespace larkspan
