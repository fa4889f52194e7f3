#include "HiddenInput.h"

#include <csignal>
#include <istream>
#include <ostream>
#include <termios.h>
#include <unistd.h>

namespace larkspan {

namespace {

// The terminal's settings while echo is off, for the signal handler.
struct termios savedTerminal {};
volatile std::sig_atomic_t echoOff = 0;

constexpr int kRestoringSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

void restoreAndRaise(int signal)
{
    if (echoOff) ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedTerminal);
    echoOff = 0;
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Turns echo off for its lifetime when standard input is a terminal.
class EchoOff {
  public:
    EchoOff()
    {
        if (!::isatty(STDIN_FILENO) || ::tcgetattr(STDIN_FILENO, &savedTerminal) != 0) return;
        struct sigaction handler {};
        handler.sa_handler = restoreAndRaise;
        sigemptyset(&handler.sa_mask);
        for (std::size_t i = 0; i < std::size(kRestoringSignals); ++i)
            ::sigaction(kRestoringSignals[i], &handler, &previous_[i]);
        struct termios quiet = savedTerminal;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        quiet.c_lflag |= ECHONL;
        echoOff = ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0 ? 1 : 0;
        active_ = true;
    }
    ~EchoOff()
    {
        if (!active_) return;
        if (echoOff) ::tcsetattr(STDIN_FILENO, TCSADRAIN, &savedTerminal);
        echoOff = 0;
        for (std::size_t i = 0; i < std::size(kRestoringSignals); ++i)
            ::sigaction(kRestoringSignals[i], &previous_[i], nullptr);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

  private:
    bool active_ = false;
    struct sigaction previous_[std::size(kRestoringSignals)]{};
};

} // namespace

std::optional<std::string> readHiddenLine(std::istream& in, std::ostream& out, const std::string& prompt)
{
    std::string line;
    bool read = false;
    {
        // Echo goes off before the prompt shows, so nothing typed after the
        // prompt is echoed or discarded by the switch.
        const EchoOff quiet;
        out << prompt << std::flush;
        read = static_cast<bool>(std::getline(in, line));
    }
    if (!read) return std::nullopt;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

} // namespace larkspan
