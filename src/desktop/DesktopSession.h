#pragma once

#include "QtEventPump.h"
#include "QtMessages.h"
#include "DesktopMailClient.h"
#include "QtChartRenderer.h"
#include "QtShell.h"
#include "common/ProgramFolder.h"
#include "platform/Platform.h"
#include "platform/Unavailable.h"
#include "settings/SettingsStore.h"

#include <memory>

namespace larkspan {

// What the desktop program's windows share for one run of the program: the
// program folder, the settings store and the platform services.
class DesktopSession {
public:
    explicit DesktopSession(ProgramFolder folder);
    // Tests replace the message layer with a recording fake.
    DesktopSession(ProgramFolder folder, Messages& messages);

    const ProgramFolder& folder() const { return folder_; }
    SettingsStore& settings() { return settings_; }
    Platform& platform() { return platform_; }

private:
    ProgramFolder folder_;
    SettingsStore settings_;
    QtMessages qtMessages_;
    QtEventPump pump_;
    SilentProgress progress_;
    CancelRequest cancel_;
    SystemClock clock_;
    QtShell shell_;
    DesktopMailClient mail_;
    QtChartRenderer charts_;
    NoFtpClient ftp_;
    NoDnsResolver dns_;
    NoHelp help_;
    Platform platform_;
};

}  // namespace larkspan
