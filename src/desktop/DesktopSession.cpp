#include "DesktopSession.h"

namespace larkspan {

DesktopSession::DesktopSession(ProgramFolder folder) : DesktopSession(std::move(folder), qtMessages_) {}

DesktopSession::DesktopSession(ProgramFolder folder, Messages& messages)
    : folder_(std::move(folder)),
      settings_(folder_.settingsFile()),
      mail_(messages, clock_),
      platform_{messages, pump_, progress_, cancel_, clock_, shell_, mail_, charts_, ftp_, dns_, help_}
{
}

}  // namespace larkspan
