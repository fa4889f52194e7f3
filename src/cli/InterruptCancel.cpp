#include "InterruptCancel.h"

#include "platform/CancelRequest.h"

#include <csignal>

namespace larkspan {

namespace {

volatile std::sig_atomic_t interrupted = 0;
struct sigaction previousInt {};
struct sigaction previousTerm {};

void onSignal(int signal)
{
    if (interrupted) {
        // A second request: no more waiting for the work to stop.
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    interrupted = 1;
}

} // namespace

InterruptCancel::InterruptCancel(EventPump& inner, CancelRequest& cancel) : inner_(inner), cancel_(cancel)
{
    interrupted = 0;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART; // reads go on; the flag is seen at the next poll
    sigaction(SIGINT, &action, &previousInt);
    sigaction(SIGTERM, &action, &previousTerm);
}

InterruptCancel::~InterruptCancel()
{
    sigaction(SIGINT, &previousInt, nullptr);
    sigaction(SIGTERM, &previousTerm, nullptr);
}

void InterruptCancel::processEvents()
{
    inner_.processEvents();
    if (interrupted) cancel_.request();
}

} // namespace larkspan
