#pragma once

#include <chrono>

namespace larkspan {

// Lets the front end keep its windows painted and read a Cancel click while
// long work runs on the same thread.
class EventPump {
public:
    virtual ~EventPump() = default;
    virtual void processEvents() = 0;
};

// Calls the pump at most once per interval; between calls a poll costs one
// steady-clock read, so hot loops may poll per line.
class ThrottledPump {
public:
    explicit ThrottledPump(EventPump& pump, std::chrono::milliseconds interval = std::chrono::milliseconds(50))
        : pump_(pump), interval_(interval), last_(std::chrono::steady_clock::now())
    {
    }

    // True when the pump ran.
    bool poll()
    {
        const auto now = std::chrono::steady_clock::now();
        if (now - last_ < interval_) return false;
        last_ = now;
        pump_.processEvents();
        return true;
    }

    void force()
    {
        last_ = std::chrono::steady_clock::now();
        pump_.processEvents();
    }

private:
    EventPump& pump_;
    std::chrono::milliseconds interval_;
    std::chrono::steady_clock::time_point last_;
};

}  // namespace larkspan
