#include "link/Clock.h"

#include <cerrno>
#include <chrono>
#include <ctime>
#include <thread>

namespace zul {

void Clock::WaitUntil(int64_t untilNs) const {
    for (;;) {
        const int64_t left = untilNs - MonotonicNs();
        if (left <= 0) return;
        std::this_thread::sleep_for(std::chrono::nanoseconds(left));
    }
}

void SystemClock::WaitUntilExactly(int64_t untilNs) const {
    // Sleep in the kernel until shortly before the moment (a sleeping thread wakes some
    // tens of microseconds late), then spin the rest on the counter.
    const int64_t wake = untilNs - kSpinNs;
    if (wake > MonotonicNs()) {
        const timespec at{time_t(wake / 1000000000), long(wake % 1000000000)};
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
        }
    }
    while (MonotonicNs() < untilNs) {
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
