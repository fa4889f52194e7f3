#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace larkspan {

class Clock;
class MailClient;
class ChartRenderer;
class FtpClient;
class DnsResolver;
class Shell;

struct CliStreams {
    std::ostream& out;
    std::ostream& err;
    std::istream& in;
    bool interactive = false;  // standard input is a terminal
};

// Services a caller may supply instead of the command line's own (tests
// stand on a fixed date or record mail this way). Null means the default.
struct CliServices {
    Clock* clock = nullptr;
    Shell* shell = nullptr;
    MailClient* mail = nullptr;
    ChartRenderer* charts = nullptr;
    FtpClient* ftp = nullptr;
    DnsResolver* dns = nullptr;
};

// larkspan-cli [--home DIR] [--yes|--no] COMMAND ...
// Returns the exit status: 0 done, 1 failed, 2 usage error, 3 cancelled.
int runCli(const std::string& executablePath, const std::vector<std::string>& args, CliStreams streams,
           CliServices services = {});

}  // namespace larkspan
