#pragma once

namespace larkspan {

// The flag a Cancel button sets and long work tests between steps.
class CancelRequest {
public:
    void request() { requested_ = true; }
    void reset() { requested_ = false; }
    bool requested() const { return requested_; }

private:
    bool requested_ = false;
};

}  // namespace larkspan
