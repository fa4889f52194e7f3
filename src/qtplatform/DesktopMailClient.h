#pragma once

#include "platform/Mail.h"

#include <functional>
#include <string>
#include <vector>

namespace larkspan {

class Clock;
class Messages;

// The desktop's mail: the message is always written as a MIME file
// ("LKRMail.eml") into the report folder; the operator reviews it and, when
// a desktop session is there, it goes to the default mail client through
// xdg-email, which opens it for sending.
class DesktopMailClient : public MailClient {
public:
    // Runs a command line; returns its exit status, or -1 when it could not
    // be started.
    using Launcher = std::function<int(const std::vector<std::string>& arguments)>;

    DesktopMailClient(Messages& messages, const Clock& clock);
    DesktopMailClient(Messages& messages, const Clock& clock, Launcher launcher, bool desktopSession);
    ~DesktopMailClient() override;

    MailResult send(const MailMessage& message) override;

    // Starts the program with posix_spawnp and waits a few seconds for it: a
    // mail client that keeps xdg-email waiting has taken the message.
    static int spawnAndWait(const std::vector<std::string>& arguments);
    static bool hasDesktopSession();

private:
    Messages& messages_;
    const Clock& clock_;
    Launcher launcher_;
    bool desktopSession_;
};

}  // namespace larkspan
