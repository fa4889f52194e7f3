#include "DesktopMailClient.h"

#include "common/Text.h"
#include "mail/EmlWriter.h"
#include "mail/MailDraft.h"
#include "mail/XdgEmail.h"
#include "platform/Clock.h"
#include "platform/Messages.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace larkspan {

namespace {

constexpr auto kHandOverWait = std::chrono::seconds(5);

// Children still running after the wait; collected on later calls so they
// do not linger as zombies.
std::vector<pid_t>& pendingChildren()
{
    static std::vector<pid_t> pending;
    return pending;
}

void collectFinishedChildren()
{
    auto& pending = pendingChildren();
    std::erase_if(pending, [](pid_t pid) {
        int status = 0;
        return waitpid(pid, &status, WNOHANG) != 0;
    });
}

std::string reviewText(const MailMessage& message, const std::string& draftPath)
{
    return "Hand this message to your mail client for sending?\n\nTo: " +
           text::join(mailAddresses(message.recipients), ", ") + "\nSubject: " + message.subject +
           "\nAttached files: " + std::to_string(message.attachments.size()) + "\n\nA copy was saved as " +
           draftPath + ".";
}

}  // namespace

DesktopMailClient::DesktopMailClient(Messages& messages, const Clock& clock)
    : DesktopMailClient(messages, clock, &DesktopMailClient::spawnAndWait, hasDesktopSession())
{
}

DesktopMailClient::DesktopMailClient(Messages& messages, const Clock& clock, Launcher launcher, bool desktopSession)
    : messages_(messages), clock_(clock), launcher_(std::move(launcher)), desktopSession_(desktopSession)
{
}

DesktopMailClient::~DesktopMailClient() { collectFinishedChildren(); }

bool DesktopMailClient::hasDesktopSession()
{
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (wayland && *wayland);
}

int DesktopMailClient::spawnAndWait(const std::vector<std::string>& arguments)
{
    collectFinishedChildren();
    std::vector<std::string> copies = arguments;
    std::vector<char*> argv;
    for (std::string& argument : copies) argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (argv.size() < 2 || posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
    const auto deadline = std::chrono::steady_clock::now() + kHandOverWait;
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            if (WIFEXITED(status)) return WEXITSTATUS(status) == 127 ? -1 : WEXITSTATUS(status);
            return 4;  // ended by a signal: the hand-over failed
        }
        if (done < 0 && errno != EINTR) return 4;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    pendingChildren().push_back(pid);
    return 0;
}

MailResult DesktopMailClient::send(const MailMessage& message)
{
    std::string draft;
    try {
        draft = saveMailDraft(message, clock_.now());
    } catch (const std::exception& e) {
        return {MailOutcome::Failed, e.what()};
    }
    const std::string saved = " The message was saved as " + draft + ".";
    if (!desktopSession_)
        return {MailOutcome::Failed, "There is no desktop session to start a mail client in." + saved};
    if (messages_.ask(MessageKind::Confirmation, reviewText(message, draft), Buttons::YesNo) != Answer::Yes)
        return {MailOutcome::Cancelled, draft};
    const int status = launcher_(xdgEmailArguments(message));
    if (status == 0) return {MailOutcome::Sent, draft};
    if (status < 0) return {MailOutcome::Failed, "No mail client could be started (xdg-email was not found)." + saved};
    return {MailOutcome::Failed,
            "xdg-email could not hand the message to a mail client (status " + std::to_string(status) + ")." + saved};
}

}  // namespace larkspan
