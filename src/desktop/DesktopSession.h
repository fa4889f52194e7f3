#pragma once

#include "AppSettings.h"
#include "DesktopMailClient.h"
#include "HelpViewer.h"
#include "QtEventPump.h"
#include "QtChartRenderer.h"
#include "QtMessages.h"
#include "ProgressSwitch.h"
#include "QtShell.h"
#include "common/ProgramFolder.h"
#include "platform/Platform.h"
#include "platform/Unavailable.h"
#include "settings/SettingsStore.h"

#include <string>

namespace larkspan {

// Services a test puts in place of the real ones; null members keep the
// desktop's own.
struct SessionServices {
    Messages* messages = nullptr;
    Shell* shell = nullptr;
    Help* help = nullptr;
    EventPump* pump = nullptr;
    Clock* clock = nullptr;
};

// What the desktop program's windows share for one run of the program: the
// program folder, the settings store, the platform services and the state
// the main window holds for the other windows.
class DesktopSession {
public:
    explicit DesktopSession(ProgramFolder folder, SessionServices services = {});
    // Tests replace the message layer with a recording fake.
    DesktopSession(ProgramFolder folder, Messages& messages);
    DesktopSession(const DesktopSession&) = delete;
    DesktopSession& operator=(const DesktopSession&) = delete;

    const ProgramFolder& folder() const { return folder_; }
    SettingsStore& settings() { return settings_; }
    Platform& platform() { return platform_; }
    Messages& messages() { return platform_.messages; }
    ProgressSwitch& progress() { return progress_; }

    // The profile the report run loads.
    std::string currentProfile;
    // Set by the profile editor's Run Report, read after it closes.
    bool runAfterEdit = false;
    // The application settings and the data directory (trailing separator).
    AppSettings app;

    bool unattended() const { return platform_.unattended; }
    void setUnattended(bool on) { platform_.unattended = on; }

private:
    ProgramFolder folder_;
    SettingsStore settings_;
    QtMessages qtMessages_;
    QtEventPump qtPump_;
    ProgressSwitch progress_;
    CancelRequest cancel_;
    SystemClock clock_;
    QtShell qtShell_;
    DesktopHelp pageHelp_;
    DesktopMailClient mail_;
    QtChartRenderer charts_;
    NoFtpClient ftp_;
    NoDnsResolver dns_;
    Platform platform_;
};

}  // namespace larkspan
