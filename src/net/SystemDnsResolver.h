#pragma once

#include "platform/Network.h"

#include <chrono>

namespace larkspan {

// Looks names up through the system resolver (getnameinfo and getaddrinfo,
// so /etc/hosts and the configured name servers). Each lookup runs on a
// worker thread; a lookup that has not ended within the time-out is
// abandoned (its thread finishes on its own and its answer is dropped) and
// fails with "The lookup timed out.".
class SystemDnsResolver : public DnsResolver {
public:
    explicit SystemDnsResolver(std::chrono::milliseconds timeout = std::chrono::seconds(5)) : timeout_(timeout) {}

    DnsAnswer reverse(const std::string& address) override;
    DnsAnswer forward(const std::string& name) override;

private:
    std::chrono::milliseconds timeout_;
};

}  // namespace larkspan
