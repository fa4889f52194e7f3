#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace larkspan {

struct FtpLogon {
    std::string host;
    int port = 21;
    std::string user;
    std::string password;
    std::string proxy;  // empty: no proxy, whatever the environment says
    bool explicitTls = false;  // AUTH TLS before logging on; refuse the server without it
};

// One entry of a long directory listing. Date "yyyy-mm-dd" and time
// "hh:mm:ss" when the server gives them, else empty.
struct FtpEntry {
    std::string name;
    std::uint64_t size = 0;
    bool directory = false;
    std::string date;
    std::string time;
};

// What a client reports while an operation runs; every call arrives on the
// caller's thread, inside the operation.
class FtpEvents {
public:
    virtual ~FtpEvents() = default;
    // A reply of the server (never a command sent, so never the password).
    virtual void status(const std::string& text) = 0;
    // Bytes moved so far by the transfer under way.
    virtual void transferred(std::uint64_t bytes) = 0;
    // The end of a transfer, listings included.
    virtual void transferEnded() = 0;
    // Asked often while an operation runs; false stops it at once and the
    // operation throws Cancelled.
    virtual bool proceed() = 0;
};

// Receives the bytes of a download; false stops the download with an error.
using FtpSink = std::function<bool(std::string_view bytes)>;

// The FTP client's operations, on one connection from logon to logoff.
// Each failure throws Error with a readable message that never holds the
// password; a stop asked through FtpEvents::proceed throws Cancelled.
class FtpClient {
public:
    virtual ~FtpClient() = default;
    // Where events go (null: nowhere); set before an operation.
    virtual void setEvents(FtpEvents* events) = 0;
    virtual void logon(const FtpLogon& logon) = 0;
    // The entries of a folder ("/" ends it), every name as the server gave it.
    virtual std::vector<FtpEntry> list(const std::string& folder) = 0;
    virtual void download(const std::string& remotePath, const FtpSink& sink) = 0;
    virtual void remove(const std::string& remotePath) = 0;
    // Ends the session; never throws.
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
