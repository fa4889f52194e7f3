#include "DesktopSession.h"

namespace larkspan {

DesktopSession::DesktopSession(ProgramFolder folder, SessionServices services)
    : folder_(std::move(folder)),
      settings_(folder_.settingsFile()),
      pageHelp_(folder_.help(), services.shell ? *services.shell : qtShell_),
      mail_(services.messages ? *services.messages : qtMessages_, services.clock ? *services.clock : clock_),
      platform_{services.messages ? *services.messages : qtMessages_,
                services.pump ? *services.pump : qtPump_,
                progress_,
                cancel_,
                services.clock ? *services.clock : clock_,
                services.shell ? *services.shell : qtShell_,
                mail_,
                charts_,
                ftp_,
                dns_,
                services.help ? *services.help : pageHelp_}
{
    app.dataDirectory = folder_.homeWithSeparator();
}

DesktopSession::DesktopSession(ProgramFolder folder, Messages& messages)
    : DesktopSession(std::move(folder), SessionServices{&messages, nullptr, nullptr, nullptr})
{
}

}  // namespace larkspan
