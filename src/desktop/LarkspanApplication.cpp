#include "LarkspanApplication.h"

#include "QtMessages.h"
#include "common/Error.h"

namespace larkspan {

LarkspanApplication::LarkspanApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool LarkspanApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const Cancelled&) {
        // Cancelled work has already stopped; there is nothing to report.
    } catch (const std::exception& e) {
        showFailure(e.what());
    } catch (...) {
        showFailure("An unexpected error has occurred.");
    }
    return false;
}

void LarkspanApplication::showFailure(const std::string& text)
{
    if (messages_) {
        messages_->show(MessageKind::Error, text);
        return;
    }
    QtMessages box;
    box.show(MessageKind::Error, text);
}

}  // namespace larkspan
