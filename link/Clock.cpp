#include "link/Clock.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace zul {

void Clock::WaitUntil(int64_t untilNs) const {
    // Sleep the bulk, spin the last 2 ms: a sleeping thread may wake late on a busy machine.
    constexpr int64_t kSpinNs = 2000000;
    for (;;) {
        int64_t left = untilNs - MonotonicNs();
        if (left <= 0) return;
        if (left > kSpinNs)
            std::this_thread::sleep_for(std::chrono::nanoseconds(left - kSpinNs));
    }
}

int64_t SystemClock::MonotonicNs() const {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

double SystemClock::LocalNow() const {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    time_t t = ts.tv_sec;
    tm lt{};
    localtime_r(&t, &lt);
    // Seconds of local time since the Unix epoch, then shift to 30.12.1899.
    double localSec = double(t + lt.tm_gmtoff) + ts.tv_nsec / 1e9;
    return localSec / 86400.0 + 25569.0;
}

SystemClock& SystemClock::Instance() {
    static SystemClock clock;
    return clock;
}

}  // namespace zul
