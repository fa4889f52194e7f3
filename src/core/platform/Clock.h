#pragma once

#include "common/Dates.h"

namespace larkspan {

// Local date and time. Ranges, "today", the scheduler and file names read
// it so tests can stand on any date.
class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalDateTime now() const = 0;
    CivilDate today() const { return now().date; }
    int todayNumber() const { return dayNumber(today()); }
};

class SystemClock : public Clock {
public:
    LocalDateTime now() const override;
};

class FixedClock : public Clock {
public:
    explicit FixedClock(LocalDateTime at) : at_(at) {}
    LocalDateTime now() const override { return at_; }
    void set(LocalDateTime at) { at_ = at; }

private:
    LocalDateTime at_;
};

}  // namespace larkspan
