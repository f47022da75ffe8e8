// Clocks for tests of things that wait: the waits the code asks for are read off
// exactly, whatever else the machine is doing, and cost the test no time.
//   SkippingClock: real time plus every wait asked for, which passes at once; for
//                  code that also waits on real sockets and lines.
//   VirtualClock:  time that moves only when the code waits or reads it (a tick a
//                  reading: a microsecond, a millisecond for the fuzzers, so that every
//                  deadline passes at once; none, for time that only waits move);
//                  for code whose every wait goes through the clock.
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
    explicit VirtualClock(int64_t tickNs = 1000, int64_t startNs = 1000000000, double localNow = 46000.0)
        : now(startNs), tickNs_(tickNs), localNow_(localNow) {}
    // Each reading moves time on by a tick, as real time would: a loop that waits
    // for a deadline by reading the clock still reaches it.
    int64_t MonotonicNs() const override { return now += tickNs_; }
    double LocalNow() const override { return localNow_; }
    void WaitUntil(int64_t untilNs) const override { now = std::max(now, untilNs); }
    mutable int64_t now;

private:
    int64_t tickNs_;
    double localNow_;
};

}  // namespace zul::test
