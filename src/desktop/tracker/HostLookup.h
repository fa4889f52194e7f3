#pragma once

#include "platform/Network.h"

#include <QObject>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>

class QTimer;

namespace larkspan {

// Host name lookups that return at once and answer later, on the thread
// that started them (the window's thread). Lookups still pending can be
// abandoned: their answers are then dropped.
class HostLookup {
  public:
    using Completion = std::function<void(const DnsAnswer&)>;
    virtual ~HostLookup() = default;

    // Starts a reverse lookup of an address (reverse true) or a forward
    // lookup of a host name.
    virtual void start(const std::string& text, bool reverse) = 0;
    // Lookups started and neither answered nor abandoned.
    virtual int pending() const = 0;
    virtual void abandonAll() = 0;

    // Called once per lookup that ends while still pending.
    Completion onComplete;
};

// Runs each lookup of a blocking resolver on a thread of its own and hands
// the answer back through the event loop. A lookup without an answer
// within the time-out fails with "The lookup timed out.", so none can hang
// the window; a late answer is dropped.
class ThreadedHostLookup : public QObject, public HostLookup {
    Q_OBJECT
  public:
    ThreadedHostLookup(std::shared_ptr<DnsResolver> resolver, std::chrono::milliseconds timeout,
                       QObject* parent = nullptr);
    ~ThreadedHostLookup() override;

    void start(const std::string& text, bool reverse) override;
    int pending() const override { return static_cast<int>(pending_.size()); }
    void abandonAll() override;

  private:
    void finish(int id, const DnsAnswer& answer);

    std::shared_ptr<DnsResolver> resolver_;
    std::chrono::milliseconds timeout_;
    int nextId_ = 0;
    std::map<int, QTimer*> pending_;
};

// The answer of a lookup that ended without one.
DnsAnswer failedAnswer(const std::string& text, bool reverse, const std::string& why);

} // namespace larkspan
