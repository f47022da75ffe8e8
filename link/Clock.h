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
    // Waits until the monotonic counter reaches `untilNs`, asleep: never earlier,
    // perhaps somewhat later on a busy machine. Pauses and deadlines use it.
    virtual void WaitUntil(int64_t untilNs) const;
    // The same, met within microseconds: the system clock sleeps until shortly before
    // the moment and spins the rest. Only where a line is switched at that moment.
    virtual void WaitUntilExactly(int64_t untilNs) const { WaitUntil(untilNs); }
    void WaitMs(int64_t ms) const { WaitUntil(MonotonicNs() + ms * 1000000); }
};

// The system's steady clock and local time.
class SystemClock : public Clock {
public:
    int64_t MonotonicNs() const override;
    double LocalNow() const override;
    void WaitUntilExactly(int64_t untilNs) const override;
    static SystemClock& Instance();
    // How long before an exact moment the sleep ends and the spin begins.
    static constexpr int64_t kSpinNs = 300000;
};

}  // namespace zul
