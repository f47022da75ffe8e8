// Time that passes only when the code under test waits: runs are instant and their
// waits add up exactly.
#pragma once
#include <algorithm>
#include <cstdint>

#include "link/Clock.h"

namespace zul::test {

class SteppingClock : public Clock {
public:
    explicit SteppingClock(int64_t startNs = 0) : now(startNs) {}
    int64_t MonotonicNs() const override { return now; }
    double LocalNow() const override { return 45000; }
    void WaitUntil(int64_t untilNs) const override { now = std::max(now, untilNs); }
    mutable int64_t now;
};

}  // namespace zul::test
