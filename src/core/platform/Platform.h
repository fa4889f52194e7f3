#pragma once

#include "platform/CancelRequest.h"
#include "platform/Chart.h"
#include "platform/Clock.h"
#include "platform/EventPump.h"
#include "platform/Help.h"
#include "platform/Mail.h"
#include "platform/Messages.h"
#include "platform/Network.h"
#include "platform/Progress.h"
#include "platform/Shell.h"

namespace larkspan {

// Every platform service the core calls, handed to operations as one
// bundle. The front end (desktop, command line, tests) owns the objects.
struct Platform {
    Messages& messages;
    EventPump& pump;
    Progress& progress;
    CancelRequest& cancel;
    Clock& clock;
    Shell& shell;
    MailClient& mail;
    ChartRenderer& charts;
    FtpClient& ftp;
    DnsResolver& dns;
    Help& help;
    // Set while the autorun scheduler runs: imports start by themselves and
    // information messages are not shown.
    bool unattended = false;
};

}  // namespace larkspan
