#pragma once

#include <QApplication>

namespace larkspan {

class Messages;

// The desktop program's application object. It is the general error
// handler: a failure that no window handler caught is shown with its own
// text and the program goes on.
class LarkspanApplication : public QApplication {
    Q_OBJECT
public:
    LarkspanApplication(int& argc, char** argv);

    // Where failures are shown; null shows them in a message box.
    void setMessages(Messages* messages) { messages_ = messages; }
    bool notify(QObject* receiver, QEvent* event) override;

    // Shows one failure as the handler does.
    void showFailure(const std::string& text);

private:
    Messages* messages_ = nullptr;
};

}  // namespace larkspan
