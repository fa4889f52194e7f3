#pragma once

#include "platform/Messages.h"

class QWidget;

namespace larkspan {

// Message boxes over the active window (or the given parent).
class QtMessages : public Messages {
public:
    explicit QtMessages(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    void show(MessageKind kind, const std::string& text) override;
    Answer ask(MessageKind kind, const std::string& text, Buttons buttons) override;

private:
    QWidget* parent_;
};

}  // namespace larkspan
