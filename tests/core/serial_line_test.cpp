// A serial line as Linux gives it: the ways of switching an RS-485 transmitter, in
// the order the engine asks the driver (against a port that records it, and on a
// real pseudo-terminal, which answers ENOTTY to all of them), which failed opens are
// tried again, and a held line that goes away and comes back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <deque>
#include <filesystem>
#include <memory>

#include "core/support/Links.h"
#include "core/support/TestClocks.h"

namespace zul::test {
namespace {

// Records what the engine asks of the driver, by the ioctl's name.
class RecordingPort : public SerialPort {
public:
    explicit RecordingPort(VirtualClock& clock) : clock_(clock) {}
    bool OpenComPort(int, int, int, int, int, int, int, bool, bool) override {
        calls.push_back("open");
        return open = openErrno == 0;
    }
    void Close() override { calls.push_back("close"), open = false; }
    bool IsOpen() const override { return open; }
    bool SetBaudRate(int) override { return true; }
    bool Purge() override { return true; }
    bool SetRts(bool on) override { return calls.push_back(on ? "TIOCMBIS RTS" : "TIOCMBIC RTS"), true; }
    bool SetDtr(bool) override { return true; }
    bool ClearComErrors() override { return true; }
    bool Write(const uint8_t*, size_t) override { return calls.push_back("write"), true; }
    int ReadSome(uint8_t*, size_t) override { return 0; }
    bool WaitReadable(int ms) override {
        clock_.WaitUntil(clock_.now + int64_t(std::max(ms, 1)) * 1000000);
        return false;
    }
    std::string DevicePath() const override { return "/dev/ttyUSB7"; }
    int LastOpenErrno() const override { return openErrno; }
    bool GetRs485(Rs485Setup& out) override {
        calls.push_back("TIOCGRS485");
        out = driver;
        return driverRs485;  // false: ENOTTY
    }
    bool SetRs485(const Rs485Setup& s) override {
        calls.push_back(std::string("TIOCSRS485 ") + (s.enabled ? "on" : "off") +
                        (s.rtsOnSend ? " rts-on-send " : " rts-after-send ") + std::to_string(s.delayBeforeMs) +
                        "/" + std::to_string(s.delayAfterMs));
        if (driverRs485) driver = s;
        return driverRs485;
    }
    bool DrainOutput() override { return calls.push_back("tcdrain"), true; }
    int TransmitterEmpty() override {
        calls.push_back("TIOCSERGETLSR");
        if (lsr.empty()) return -1;
        const int v = lsr.front();
        lsr.pop_front();
        return v;
    }

    bool driverRs485 = false;
    Rs485Setup driver;
    std::deque<int> lsr;  // answers of TIOCSERGETLSR in turn; none left: the driver cannot tell
    int openErrno = 0;
    std::vector<std::string> calls;
    bool open = false;

private:
    VirtualClock& clock_;
};

struct Line {
    VirtualClock clock{0, 1000000000, 45000};  // only the waits move it
    Qrtbox box{1};
    RecordingPort* port = new RecordingPort(clock);
    Line() {
        box.port.reset(port);
        box.clock = &clock;
        box.baudRate = 38400;
        box.openPerExchange = 0;
        box.attempts = 1;
        box.replyTimeoutMs = 5;
    }
};

const uint8_t kReadTable5[3] = {5, 0, 3};
const PeerScript Echo = [](const Bytes& f, int) { return std::vector<PeerStep>{{EchoReply(f)}}; };

TEST(SerialLine, EachWayOfSwitchingTheTransmitterAsksTheDriverInItsOrder) {
    const std::vector<std::string> programRts = {"open", "TIOCGRS485", "TIOCMBIC RTS", "TIOCMBIS RTS", "write",
                                                 "tcdrain", "TIOCSERGETLSR", "TIOCMBIC RTS", "close"};
    const struct {
        const char* name;
        uint8_t kind, mode, rtsOnSend;
        bool driverRs485, driverEnabled;
        std::deque<int> lsr;
        uint8_t inForce;
        std::vector<std::string> calls;
    } cases[] = {
        {"automatic, the driver has RS-485", kLinkDirect, kRs485Auto, 1, true, false, {}, kRs485Kernel,
         {"open", "TIOCGRS485", "TIOCSRS485 on rts-on-send 2/1", "write", "TIOCSRS485 off rts-on-send 0/0", "close"}},
        {"the driver's mode, RTS low while sending", kLinkDirect, kRs485Kernel, 0, true, false, {}, kRs485Kernel,
         {"open", "TIOCGRS485", "TIOCSRS485 on rts-after-send 2/1", "write", "TIOCSRS485 off rts-on-send 0/0",
          "close"}},
        {"automatic, no RS-485 in the driver", kLinkDirect, kRs485Auto, 1, false, false, {}, kRs485Program, programRts},
        {"the driver's mode refused", kLinkDirect, kRs485Kernel, 1, false, false, {}, kRs485Program, programRts},
        {"by the program, until the transmitter is empty", kLinkDirect, kRs485Program, 1, false, false, {0, 0, 1},
         kRs485Program,
         {"open", "TIOCGRS485", "TIOCMBIC RTS", "TIOCMBIS RTS", "write", "tcdrain", "TIOCSERGETLSR", "TIOCSERGETLSR",
          "TIOCSERGETLSR", "TIOCMBIC RTS", "close"}},
        {"by the program, RTS low while sending, the driver's own mode off and back", kLinkDirect, kRs485Program, 0,
         true, true, {1}, kRs485Program,
         {"open", "TIOCGRS485", "TIOCSRS485 off rts-on-send 0/0", "TIOCMBIS RTS", "TIOCMBIC RTS", "write", "tcdrain",
          "TIOCSERGETLSR", "TIOCMBIS RTS", "TIOCSRS485 on rts-on-send 0/0", "close"}},
        {"the adapter itself", kLinkDirect, kRs485Adapter, 1, true, false, {}, kRs485Adapter, {"open", "write", "close"}},
        {"a modem line", kLinkPhone, kRs485Program, 1, true, false, {}, kRs485Adapter, {"open", "write", "close"}},
    };
    for (const auto& c : cases) {
        Line l;
        l.port->driverRs485 = c.driverRs485;
        l.port->driver.enabled = c.driverEnabled;
        l.port->lsr = c.lsr;
        l.box.linkKind = c.kind;
        l.box.rs485Mode = c.mode;
        l.box.rtsOnSend = c.rtsOnSend;
        ASSERT_TRUE(l.box.OpenPort()) << c.name;
        EXPECT_EQ(l.box.Rs485InForce(), c.inForce) << c.name;
        EXPECT_FALSE(l.box.Exchange(1, kReadTable5, 0, 0)) << c.name;
        EXPECT_EQ(l.box.errorCode, uint32_t(kErrNoReply)) << c.name;
        l.box.ClosePort();
        EXPECT_EQ(l.port->calls, c.calls) << c.name;
        EXPECT_EQ(l.port->driver.enabled, c.driverEnabled) << c.name << ": the driver as it was";
    }
}

TEST(SerialLine, OnlyABusyPortIsTriedForTheWholePortWait) {
    const struct {
        int err;
        int tries;
        const char* why;
    } cases[] = {
        {EBUSY, 60, "Порт /dev/ttyUSB7 занят"},  // every 50 ms of the 3 s wait
        {EIO, 60, "Порт /dev/ttyUSB7 не открывается: "},
        {ENOENT, 1, "Устройство /dev/ttyUSB7 не найдено (адаптер не подключён?)."},
        {ENXIO, 1, "Устройство /dev/ttyUSB7 не найдено (адаптер не подключён?)."},
        {EACCES, 1, "Нет прав на устройство /dev/ttyUSB7."},
    };
    for (const auto& c : cases) {
        Line l;
        l.port->openErrno = c.err;
        l.box.portWaitSeconds = 3;
        EXPECT_FALSE(l.box.OpenPort());
        EXPECT_EQ(l.box.errorCode, uint32_t(kErrPortBusy));
        EXPECT_EQ(std::count(l.port->calls.begin(), l.port->calls.end(), "open"), c.tries) << c.err;
        EXPECT_EQ(l.box.PortOpenFailure().rfind(c.why, 0), 0u) << l.box.PortOpenFailure();
    }
}

TEST(SerialLine, APseudoTerminalExchangesInEveryWay) {
    for (uint8_t mode : {kRs485Auto, kRs485Adapter, kRs485Kernel, kRs485Program}) {
        EngineOnPeer e(Transport::kPty);
        e.peer.SetScript(Echo);
        e.box.rs485Mode = mode;
        ASSERT_TRUE(e.box.OpenPort()) << int(mode);
        EXPECT_EQ(e.box.Rs485InForce(), mode == kRs485Adapter ? kRs485Adapter : kRs485Program) << int(mode);
        EXPECT_TRUE(e.box.Exchange(1, kReadTable5, 0, 0)) << int(mode) << ": " << e.box.ErrorText();
        EXPECT_EQ(e.box.port->TransmitterEmpty(), -1);
    }
}

// A USB adapter pulled out and plugged back: its stable name points to a new terminal.
TEST(SerialLine, AHeldLineThatGoesAwayIsOpenedAgainWhenItComesBack) {
    namespace fs = std::filesystem;
    char tmpl[] = "/tmp/zul_line_XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    const fs::path name = fs::path(tmpl) / "usb-Adapter_RS485-if00-port0";
    auto first = std::make_unique<ScriptedPeer>(ScriptedPeer::Kind::kPty);
    first->SetScript(Echo);
    fs::create_symlink(first->path(), name);
    Qrtbox box(1);
    box.portDevice = name.string();
    box.baudRate = 115200;
    box.openPerExchange = 0;
    box.attempts = 2;
    box.replyTimeoutMs = 300;
    box.portWaitSeconds = 20;
    ASSERT_TRUE(box.OpenPort()) << box.PortOpenFailure();
    ASSERT_TRUE(box.Exchange(1, kReadTable5, 0, 0)) << box.ErrorText();

    first->HangUp();
    EXPECT_FALSE(box.Exchange(1, kReadTable5, 0, 0));
    EXPECT_TRUE(box.errorCode == kErrLinkLost || box.errorCode == kErrPortWrite) << box.ErrorText();
    EXPECT_FALSE(box.PortOpen()) << "the dead line is let go";
    fs::remove(name);
    first.reset();
    EXPECT_FALSE(box.Exchange(1, kReadTable5, 0, 0));  // tried once, not for the 20 s wait
    EXPECT_EQ(box.ErrorText(), "Команда 1.  Коммуникационный порт " + name.string() + " недоступен");
    EXPECT_EQ(box.PortOpenFailure(), "Устройство " + name.string() + " не найдено (адаптер не подключён?).");

    ScriptedPeer second(ScriptedPeer::Kind::kPty);
    second.SetScript(Echo);
    fs::create_symlink(second.path(), name);
    EXPECT_TRUE(box.Exchange(1, kReadTable5, 0, 0)) << box.ErrorText();
    EXPECT_TRUE(box.PortOpen()) << "held again, as before the loss";
    EXPECT_EQ(second.frames().size(), 1u);
    box.ClosePort();
    fs::remove_all(tmpl);
}

}  // namespace
}  // namespace zul::test
