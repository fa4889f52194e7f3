#pragma once

namespace larkspan {

// Keeps a second running copy of the desktop program from starting.
class InstanceLock {
public:
    virtual ~InstanceLock() = default;
    // True when this process now holds the lock.
    virtual bool tryAcquire() = 0;
};

}  // namespace larkspan
