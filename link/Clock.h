// Time sources of the link engine and of everything that dates things.
// The monotonic counter drives every deadline; the wall clock gives "now"
// as a date-time value (days since 30.12.1899, local time).
#pragma once
#include <cstdint>

namespace zul {

class Clock {
public:
    virtual ~Clock() = default;
    // Monotonic counter in nanoseconds (the "high-resolution counter").
    virtual int64_t MonotonicNs() const = 0;
    // Current local date and time as a date-time value.
    virtual double LocalNow() const = 0;
    // Waits until the monotonic counter reaches `untilNs`: sleeps until shortly
    // before the moment, then spins, so that the moment is met within microseconds.
    virtual void WaitUntil(int64_t untilNs) const;
    void WaitMs(int64_t ms) const { WaitUntil(MonotonicNs() + ms * 1000000); }
};

// The system's steady clock and local time.
class SystemClock : public Clock {
public:
    int64_t MonotonicNs() const override;
    double LocalNow() const override;
    static SystemClock& Instance();
};

}  // namespace zul
