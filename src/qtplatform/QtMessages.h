#pragma once

#include "platform/Messages.h"

class QString;
class QWidget;

namespace larkspan {

// Message boxes over the active window (or the given parent).
class QtMessages : public Messages {
public:
    explicit QtMessages(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    // The boxes' caption (the program's title); the application's display
    // name when none is set.
    static void setCaption(const QString& caption);

    void show(MessageKind kind, const std::string& text) override;
    Answer ask(MessageKind kind, const std::string& text, Buttons buttons) override;

private:
    QWidget* parent_;
};

}  // namespace larkspan
