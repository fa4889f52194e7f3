#pragma once

#include "webs/FtpSettings.h"

#include <string>
#include <sys/types.h>
#include <vector>

namespace larkspan::testing {

// A real FTP server (tests/net/ftp_server.py on pyftpdlib) on 127.0.0.1 at a
// free port, serving root to user "me" with password "secret". Extra
// arguments bend it (see the script). The process is killed with the
// object, and with the test process should that die first.
class LocalFtpServer {
  public:
    explicit LocalFtpServer(const std::string& root, const std::vector<std::string>& extra = {});
    ~LocalFtpServer();
    LocalFtpServer(const LocalFtpServer&) = delete;
    LocalFtpServer& operator=(const LocalFtpServer&) = delete;

    int port() const { return port_; }
    // "127.0.0.1:<port>", as a web's server address.
    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
    // A web's FTP values for this server: user "me", the given password,
    // folder "/logs", mask "*.log", both switches off.
    FtpSettings webSettings(const std::string& password = "secret") const
    {
        FtpSettings settings;
        settings.server = address();
        settings.user = "me";
        settings.password = password;
        settings.startDirectory = "/logs";
        settings.fileMask = "*.log";
        return settings;
    }

  private:
    void stop();

    pid_t pid_ = -1;
    int port_ = 0;
};

} // namespace larkspan::testing
