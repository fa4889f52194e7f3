#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace larkspan {

struct FtpLogon {
    std::string host;
    int port = 21;
    std::string user;
    std::string password;
    std::string proxy;
};

struct FtpEntry {
    std::string name;
    std::uint64_t size = 0;
    bool directory = false;
};

// The FTP client's operations. Each throws Error with a readable message.
class FtpClient {
public:
    virtual ~FtpClient() = default;
    virtual void logon(const FtpLogon& logon) = 0;
    virtual std::vector<FtpEntry> list(const std::string& folder) = 0;
    virtual void download(const std::string& remotePath, const std::string& localPath) = 0;
    virtual void remove(const std::string& remotePath) = 0;
    virtual void logoff() = 0;
};

// Address to host name. std::nullopt when the name cannot be found.
class DnsResolver {
public:
    virtual ~DnsResolver() = default;
    virtual std::optional<std::string> hostName(const std::string& address) = 0;
};

}  // namespace larkspan
