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

// The outcome of one name lookup, as the resolver gave it: untrusted text
// that callers check before they keep it.
struct DnsAnswer {
    bool found = false;
    std::string address;   // the address asked about, or the one a forward lookup found ("0.0.0.0" when none)
    std::string hostName;  // the name found, or the name asked about
    std::string failure;   // the resolver's description when nothing was found
};

// Address to host name (reverse) and host name to address (forward). Each
// call returns within the resolver's own time-out, never hanging.
class DnsResolver {
public:
    virtual ~DnsResolver() = default;
    virtual DnsAnswer reverse(const std::string& address) = 0;
    virtual DnsAnswer forward(const std::string& name) = 0;
};

}  // namespace larkspan
