#include "QtEventPump.h"

#include <QCoreApplication>

namespace larkspan {

void QtEventPump::processEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents, 20); }

}  // namespace larkspan
