#include "SystemDnsResolver.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace larkspan {

namespace {

// Runs the lookup on a detached thread and waits at most timeout for it.
DnsAnswer bounded(std::function<DnsAnswer()> lookup, std::chrono::milliseconds timeout, DnsAnswer late)
{
    struct Shared {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        DnsAnswer answer;
    };
    auto shared = std::make_shared<Shared>();
    try {
        std::thread([shared, lookup = std::move(lookup)] {
            DnsAnswer answer = lookup();
            std::lock_guard<std::mutex> lock(shared->mutex);
            shared->answer = std::move(answer);
            shared->finished = true;
            shared->done.notify_all();
        }).detach();
    } catch (const std::exception& e) {
        late.failure = std::string("The lookup could not be started: ") + e.what();
        return late;
    }
    std::unique_lock<std::mutex> lock(shared->mutex);
    if (!shared->done.wait_for(lock, timeout, [&] { return shared->finished; })) return late;
    return shared->answer;
}

DnsAnswer reverseNow(const std::string& address)
{
    DnsAnswer answer{false, address, "", ""};
    sockaddr_storage storage{};
    socklen_t length = 0;
    auto* v4 = reinterpret_cast<sockaddr_in*>(&storage);
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&storage);
    if (inet_pton(AF_INET, address.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        length = sizeof(sockaddr_in);
    } else if (inet_pton(AF_INET6, address.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        length = sizeof(sockaddr_in6);
    } else {
        answer.failure = "Not an IP address";
        return answer;
    }
    char host[NI_MAXHOST] = {};
    const int rc =
        getnameinfo(reinterpret_cast<sockaddr*>(&storage), length, host, sizeof host, nullptr, 0, NI_NAMEREQD);
    if (rc != 0) {
        answer.failure = gai_strerror(rc);
        return answer;
    }
    answer.found = true;
    answer.hostName = host;
    return answer;
}

DnsAnswer forwardNow(const std::string& name)
{
    DnsAnswer answer{false, "0.0.0.0", name, ""};
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int rc = getaddrinfo(name.c_str(), nullptr, &hints, &found);
    if (rc != 0 || !found) {
        answer.failure = rc != 0 ? gai_strerror(rc) : "No address";
        return answer;
    }
    // An IPv4 address when there is one, as the cache's entries mostly are.
    const addrinfo* chosen = found;
    for (const addrinfo* a = found; a; a = a->ai_next)
        if (a->ai_family == AF_INET) {
            chosen = a;
            break;
        }
    char text[INET6_ADDRSTRLEN] = {};
    const void* raw =
        chosen->ai_family == AF_INET
            ? static_cast<const void*>(&reinterpret_cast<const sockaddr_in*>(chosen->ai_addr)->sin_addr)
            : static_cast<const void*>(&reinterpret_cast<const sockaddr_in6*>(chosen->ai_addr)->sin6_addr);
    if (inet_ntop(chosen->ai_family, raw, text, sizeof text)) {
        answer.found = true;
        answer.address = text;
    } else {
        answer.failure = std::strerror(errno);
    }
    freeaddrinfo(found);
    return answer;
}

}  // namespace

DnsAnswer SystemDnsResolver::reverse(const std::string& address)
{
    return bounded([address] { return reverseNow(address); }, timeout_, {false, address, "", "The lookup timed out."});
}

DnsAnswer SystemDnsResolver::forward(const std::string& name)
{
    return bounded([name] { return forwardNow(name); }, timeout_, {false, "0.0.0.0", name, "The lookup timed out."});
}

}  // namespace larkspan
