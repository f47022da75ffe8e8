// Clocks for tests of things that wait: the waits the code asks for are read off
// exactly, whatever else the machine is doing, and cost the test no time.
//   SkippingClock: real time plus every wait asked for, which passes at once; for
//                  code that also waits on real sockets and lines.
//   VirtualClock:  time that moves only when the code waits or reads it (a microsecond
//                  a reading); for code whose every wait goes through the clock.
#pragma once
#include <algorithm>
#include <cstdint>

#include "link/Clock.h"

namespace zul::test {

class SkippingClock : public Clock {
public:
    int64_t MonotonicNs() const override { return SystemClock::Instance().MonotonicNs() + skippedNs; }
    double LocalNow() const override { return SystemClock::Instance().LocalNow(); }
    void WaitUntil(int64_t untilNs) const override {
        const int64_t now = MonotonicNs();
        if (untilNs > now) skippedNs += untilNs - now;
    }
    mutable int64_t skippedNs = 0;
};

class VirtualClock : public Clock {
public:
    // Each reading moves time on by a microsecond, as real time would: a loop that
    // waits for a deadline by reading the clock still reaches it.
    int64_t MonotonicNs() const override { return now += kTickNs; }
    double LocalNow() const override { return 46000.0; }
    void WaitUntil(int64_t untilNs) const override { now = std::max(now, untilNs); }
    static constexpr int64_t kTickNs = 1000;
    mutable int64_t now = 1000000000;
};

}  // namespace zul::test
