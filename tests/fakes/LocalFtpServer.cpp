#include "fakes/LocalFtpServer.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace larkspan::testing {

namespace {

// Reads the "PORT n" line the script prints once it listens; 0 when it does
// not come within a few seconds.
int readPort(int fd)
{
    std::string line;
    for (int waited = 0; waited < 100 && line.find('\n') == std::string::npos; ++waited) {
        pollfd ready{fd, POLLIN, 0};
        if (::poll(&ready, 1, 100) <= 0) continue;
        char buffer[64];
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0) break;
        line.append(buffer, static_cast<std::size_t>(got));
    }
    if (line.rfind("PORT ", 0) != 0) return 0;
    return std::atoi(line.c_str() + 5);
}

} // namespace

LocalFtpServer::LocalFtpServer(const std::string& root, const std::vector<std::string>& extra)
{
    std::vector<std::string> args{LARKSPAN_FTP_PYTHON, LARKSPAN_FTP_SERVER_SCRIPT, root};
    args.insert(args.end(), extra.begin(), extra.end());
    std::vector<char*> argv;
    for (auto& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    int out[2];
    if (::pipe(out) != 0) throw std::runtime_error("pipe failed");
    pid_ = ::fork();
    if (pid_ == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        ::dup2(out[1], STDOUT_FILENO);
        // The server's log would bury the test output; LARKSPAN_FTP_LOG keeps it.
        if (!std::getenv("LARKSPAN_FTP_LOG")) {
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, STDERR_FILENO);
        }
        ::close(out[0]);
        ::close(out[1]);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    port_ = pid_ > 0 ? readPort(out[0]) : 0;
    ::close(out[0]);
    if (port_ == 0) {
        stop();
        throw std::runtime_error(std::string("The test FTP server did not start (") + LARKSPAN_FTP_PYTHON +
                                 " with pyftpdlib is needed).");
    }
}

LocalFtpServer::~LocalFtpServer()
{
    stop();
}

void LocalFtpServer::stop()
{
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

} // namespace larkspan::testing
