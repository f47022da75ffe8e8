// RS-485 direction control: RTS goes up 2 ms before the frame and drops right
// after its last character has left the line.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "core/support/TestClocks.h"
#include "link/Qrtbox.h"

namespace zul {
namespace {

// A line that records when RTS changes and when the write happens.
class TimingPort : public SerialPort {
public:
    bool OpenComPort(int, int, int, int, int, int, int, bool, bool) override { return open = true; }
    void Close() override { open = false; }
    bool IsOpen() const override { return open; }
    bool SetBaudRate(int b) override { baud = b; return true; }
    bool Purge() override { return true; }
    bool SetRts(bool on) override {
        events.push_back({on ? 'U' : 'D', clock->MonotonicNs()});
        return true;
    }
    bool SetDtr(bool) override { return true; }
    bool ClearComErrors() override { return true; }
    bool Write(const uint8_t*, size_t n) override {
        events.push_back({'W', clock->MonotonicNs()});
        written = n;
        return true;
    }
    int ReadSome(uint8_t*, size_t) override { return 0; }
    bool WaitReadable(int ms) override {
        clock->WaitMs(ms);
        return false;
    }
    std::string DevicePath() const override { return "timing"; }
    struct Event { char what; int64_t t; };
    std::vector<Event> events;
    const Clock* clock = nullptr;
    bool open = false;
    int baud = 0;
    size_t written = 0;
};

struct Observed {
    int64_t upToWrite, writeToDown;
};

Observed OneExchange(int baud, int preambles, uint8_t kind, TimingPort** out = nullptr) {
    static test::VirtualClock clock;
    Qrtbox box(1);
    box.clock = &clock;
    auto* port = new TimingPort;
    port->clock = &clock;
    box.port.reset(port);
    box.linkKind = kind;
    box.baudRate = baud;
    box.preambleCount = uint8_t(preambles);
    box.openPerExchange = 0;
    box.attempts = 1;
    box.replyTimeoutMs = 1;
    box.OpenPort();
    const uint8_t req[3] = {5, 0, 3};
    box.Exchange(1, req, 0, 0);
    Observed o{-1, -1};
    int64_t up = -1, w = -1, down = -1;
    for (auto& e : port->events) {
        if (e.what == 'U' && up < 0) up = e.t;
        if (e.what == 'W') w = e.t;
        if (e.what == 'D' && w >= 0) down = e.t;
    }
    if (up >= 0 && w >= 0) o.upToWrite = w - up;
    if (w >= 0 && down >= 0) o.writeToDown = down - w;
    if (out) {
        *out = new TimingPort(*port);
    }
    return o;
}

TEST(Rs485Timing, RtsHeldForTheFrameAndOneCharacterMore) {
    // The request is 10 bytes after the preambles; the hold is n + 1 characters of
    // 10 bits at the line's speed, counted from the write's return.
    struct Case { int baud; int preambles; int64_t holdNs; };
    for (Case c : {Case{9600, 0, 11458333}, Case{1200, 3, 116666666}, Case{38400, 255, 69270833}}) {
        Observed o = OneExchange(c.baud, c.preambles, kLinkDirect);
        // Every reading of the clock moves it on a microsecond: a few of them lie between.
        EXPECT_NEAR(double(o.upToWrite), 2000000.0, 20000.0) << "RTS up 2 ms before the write, baud " << c.baud;
        EXPECT_NEAR(double(o.writeToDown), double(c.holdNs), 20000.0) << "baud " << c.baud << " preambles " << c.preambles;
    }
}

TEST(Rs485Timing, TelephoneLineNeverTouchesRts) {
    TimingPort* seen = nullptr;
    OneExchange(9600, 0, kLinkPhone, &seen);
    ASSERT_NE(seen, nullptr);
    int rts = 0, writes = 0;
    for (auto& e : seen->events) {
        rts += e.what == 'U' || e.what == 'D';
        writes += e.what == 'W';
    }
    EXPECT_EQ(rts, 0);
    EXPECT_EQ(writes, 1);
    EXPECT_EQ(seen->baud, 9600);
    delete seen;
}

}  // namespace
}  // namespace zul
