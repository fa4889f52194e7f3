#pragma once

#include <QPlainTextEdit>
#include <string>

namespace larkspan {

// The text box of one filter list. Lines do not wrap; the text travels as
// the list file holds it (CR LF line breaks, blank lines and a missing
// final break kept). With the scroll-bar rule on, both scroll bars show
// from five lines on and neither below five.
class FilterListBox : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr int kScrollBarLines = 5;

    FilterListBox(const char* objectName, bool scrollBarRule, QWidget* parent = nullptr);

    // The text with CR LF line breaks, as saved to the list file.
    std::string listText() const;
    // Takes a list file's text; CR, LF and CR LF all break lines.
    void setListText(const std::string& text);
    // Lines as a list file counts them: a final line break opens no line.
    int lineCount() const;

private:
    void applyScrollBarRule();

    bool scrollBarRule_;
};

}  // namespace larkspan
