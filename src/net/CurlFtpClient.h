#pragma once

#include "platform/Network.h"

#include <chrono>
#include <memory>
#include <string>

namespace larkspan::net {

struct CurlFtpOptions {
    // A server that does not answer the connection within this time fails it.
    std::chrono::seconds connectTimeout{30};
    // A transfer that moves nothing, or a server that does not reply, for
    // this long fails the operation.
    std::chrono::seconds stallTimeout{60};
    // Certificates to trust for explicit TLS besides the system's (empty:
    // the system's only).
    std::string certificateFile;
};

// The FTP client on libcurl: passive mode, one control connection from
// logon to logoff, credentials handed to libcurl apart from any URL, no
// proxy unless the web names one. Events arrive from libcurl's callbacks;
// FtpEvents::proceed is asked from its progress callback, so a stop ends a
// listing or a transfer at once.
class CurlFtpClient : public FtpClient {
  public:
    explicit CurlFtpClient(CurlFtpOptions options = {});
    ~CurlFtpClient() override;
    CurlFtpClient(const CurlFtpClient&) = delete;
    CurlFtpClient& operator=(const CurlFtpClient&) = delete;

    void setEvents(FtpEvents* events) override { events_ = events; }
    void logon(const FtpLogon& logon) override;
    std::vector<FtpEntry> list(const std::string& folder) override;
    void download(const std::string& remotePath, const FtpSink& sink) override;
    void remove(const std::string& remotePath) override;
    void logoff() override;

  private:
    struct Session;

    Session& session();

    CurlFtpOptions options_;
    FtpEvents* events_ = nullptr;
    std::unique_ptr<Session> session_;
};

} // namespace larkspan::net
