// Modem dialling over a real pseudo-terminal: the reply-line rules against a
// scripted line, and whole calls against the simulated modem in front of the
// simulated controller.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "core/support/FakeUi.h"
#include "link/Comportfunctions.h"
#include "link/Connectmodem.h"
#include "link/Qrtbox.h"
#include "sim/Qrtsim.h"
#include "sim/SimLink.h"
#include "tables/Conffun.h"
#include "tables/TableImage.h"

namespace zul::test {
namespace {

// ---------------------------------------------------------------------------
// Splitting the command text and the number

TEST(ModemText, CommandTextSplitsIntoATCommands) {
    struct Case {
        const char* text;
        std::vector<std::string> commands;
    };
    const Case cases[] = {
        {"AT&F^ATS0=0", {"AT&F\r", "ATS0=0\r"}},
        {"", {}},
        {"no commands here", {}},
        {"at&f", {"at&f\r"}},
        {"aT1^^At2^", {"aT1\r", "At2\r"}},
        {"xx ATZ yy^zz", {"ATZ yy\r"}},
        {"A^T", {}},
        {"ATA", {"ATA\r"}},
    };
    for (const Case& c : cases) EXPECT_EQ(SplitModemCommands(c.text), c.commands) << c.text;

    // More than the limit: the first 30 are used, the rest of the text is not.
    std::string many;
    for (int i = 0; i < 35; ++i) many += "ATS" + std::to_string(i) + "=1^";
    const auto commands = SplitModemCommands(many);
    ASSERT_EQ(commands.size(), size_t(kMaxModemCommands));
    EXPECT_EQ(commands.back(), "ATS29=1\r");
}

TEST(ModemText, NumberLosesBlanksDashesAndParentheses) {
    const std::pair<const char*, const char*> cases[] = {
        {"8 (000) 111-22-33", "80001112233"},
        {"+7(912)000-00-00", "+79120000000"},
        {"   ", ""},
        {"12,34W5", "12,34W5"},
    };
    for (auto [in, out] : cases) EXPECT_EQ(StripPhoneNumber(in), out) << in;
}

// ---------------------------------------------------------------------------
// The reply line against a scripted modem line

// The far end of a pseudo-terminal: waits for the command (up to its carriage
// return, or "+++"), then sends the pieces of its answer with pauses between them.
class ScriptedModemLine {
public:
    ScriptedModemLine() {
        termios raw{};
        cfmakeraw(&raw);
        int slave = -1;
        char name[256] = {};
        ok = ::openpty(&master_, &slave, name, &raw, nullptr) == 0;
        if (!ok) return;
        path = name;
        slaveKeep_ = slave;  // kept open so that the line does not hang up between opens
    }
    ~ScriptedModemLine() {
        if (thread_.joinable()) thread_.join();
        if (master_ >= 0) ::close(master_);
        if (slaveKeep_ >= 0) ::close(slaveKeep_);
    }
    // Answers the next command with `pieces`; `hangUp` closes the line instead of answering.
    void Answer(std::vector<std::string> pieces, bool hangUp = false) {
        thread_ = std::thread([this, pieces = std::move(pieces), hangUp] {
            std::string got;
            while (got.find('\r') == std::string::npos && got.find("+++") == std::string::npos) {
                pollfd p{master_, POLLIN, 0};
                if (::poll(&p, 1, 5000) <= 0) return;
                char buf[64];
                const ssize_t n = ::read(master_, buf, sizeof buf);
                if (n <= 0) return;
                got.append(buf, size_t(n));
            }
            received = got;
            if (hangUp) {
                ::close(slaveKeep_);
                slaveKeep_ = -1;
                ::close(master_);
                master_ = -1;
                return;
            }
            for (const std::string& piece : pieces) {
                [[maybe_unused]] ssize_t w = ::write(master_, piece.data(), piece.size());
                ::usleep(30000);
            }
        });
    }
    void Join() {
        if (thread_.joinable()) thread_.join();
    }
    bool ok = false;
    std::string path;
    std::string received;

private:
    int master_ = -1, slaveKeep_ = -1;
    std::thread thread_;
};

TEST(ModemReplyLine, EachReplyEndsWithItsCode) {
    struct Case {
        const char* name;
        std::vector<std::string> pieces;
        int code;
        std::string reply;
    };
    const std::string flood(400, 'x');
    const Case cases[] = {
        {"ok", {"\r\nOK\r\n"}, 0, "\r\nOK\r"},
        {"echo before the reply", {"ATX1\r\r\nOK\r\n"}, 0, "\r\r\nOK\r"},
        {"reply split across reads", {"\r", "\nO", "K", "\r\n"}, 0, "\r\nOK\r"},
        {"connect", {"\r\nCONNECT 9600\r\n"}, 0, "\r\nCONNECT 9600\r"},
        {"no dialtone", {"\r\nNO DIALTONE\r\n"}, 1, "\r\nNO DIALTONE\r"},
        {"busy", {"\r\nBUSY\r\n"}, 2, "\r\nBUSY\r"},
        {"lower-case busy", {"\r\nbusy\r\n"}, 2, "\r\nbusy\r"},
        {"no carrier", {"\r\nNO CARRIER\r\n"}, 3, "\r\nNO CARRIER\r"},
        {"error", {"\r\nERROR\r\n"}, 4, "\r\nERROR\r"},
        {"lower-case error", {"\r\nerror\r\n"}, 4, "\r\nerror\r"},
        {"no answer", {"\r\nNO ANSWER\r\n"}, 5, "\r\nNO ANSWER\r"},
        {"time limit", {"\r\nTime out\r\n"}, 6, "\r\nTime out\r"},
        // Three bytes before the closing byte are too few: the line never completes.
        {"three-byte line", {"\r0\r"}, 9, "\r0\r"},
        {"four-byte line", {"\r00\r"}, 0, "\r00\r"},
        // Bytes without a line end are dropped; the line never starts.
        {"flood without line ends", {flood}, 9, ""},
        // After the first line end, 255 bytes make a line.
        {"flood after a line end", {"\r" + flood}, 0, "\r" + std::string(254, 'x')},
        {"silence", {}, 9, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedModemLine line;
        ASSERT_TRUE(line.ok);
        PosixSerialPort port;
        ASSERT_TRUE(port.OpenPath(line.path, 9600, 8, 0, 0, true, false));
        FakeUi ui;
        Connectmodem modem(port, &ui);
        line.Answer(c.pieces);
        std::string reply;
        EXPECT_EQ(modem.SendModemCommand("ATX1\r", reply, 400, nullptr), c.code);
        line.Join();
        EXPECT_EQ(line.received, "ATX1\r");  // the command went out unchanged
        EXPECT_EQ(reply, c.reply);  // a timed-out reply keeps what arrived
    }
}

TEST(ModemReplyLine, APortThatHangsUpIsAnAbsentModemAtOnce) {
    ScriptedModemLine line;
    ASSERT_TRUE(line.ok);
    PosixSerialPort port;
    ASSERT_TRUE(port.OpenPath(line.path, 9600, 8, 0, 0, true, false));
    FakeUi ui;
    Connectmodem modem(port, &ui);
    line.Answer({}, true);
    std::string reply;
    // A reply time of a minute: a hang-up that waited for it would stall the test.
    EXPECT_EQ(modem.SendModemCommand("ATE0\r", reply, 60000, nullptr), kModemAbsent);
    line.Join();
    EXPECT_STREQ(ModemResultText(kModemAbsent), "Модем отсутствует или не подключен");
}

// ---------------------------------------------------------------------------
// Calls through the simulated modem

// Esc arrives after `turns` event turns.
class EscAfterUi : public FakeUi {
public:
    bool TakeEscPress() override { return escAfter >= 0 && eventTurns >= escAfter; }
    long escAfter = -1;
};

struct ModemSim {
    explicit ModemSim(const sim::ModemSettings& settings = {}) : sim(FixedSettings()), box(1) {
        sim.EnableModem(settings);
        ok = sim.StartPty();
        SetPortDevicePath(kTestPort, sim.ptyPath());
        box.ui = &ui;
        box.linkKind = kLinkPhone;
        box.portNumber = kTestPort;
        box.baudRate = 9600;
        box.openPerExchange = 0;
        box.attempts = 1;
        box.preambleCount = 0;
        box.replyTimeoutMs = 400;
        box.interByteTimeoutMs = 50;
        ok = ok && box.OpenPort();
    }
    ~ModemSim() {
        box.ClosePort();
        SetPortDevicePath(kTestPort, "");
        sim.Stop();
    }
    int Dial(int attempts = 1, const std::string& commands = "AT&F^ATS0=0") {
        Connectmodem modem(*box.port, &ui);
        const int code = modem.DialModem("8 (000) 111-22-33", commands, &bar, attempts, 5);
        attemptsMade = modem.attemptsMade;
        return code;
    }
    bool ReadTable0() {
        TableIo io(box, image, ui);
        const uint8_t req[3] = {0, 0, 18};
        return io.ReadFields(req, nullptr, true);
    }
    sim::Qrtsim sim;
    Qrtbox box;
    EscAfterUi ui;
    TableImage image;
    MemoryStatusBar bar;
    bool ok = false;
    int attemptsMade = 0;
};

TEST(ModemCall, EveryDialOutcomeGivesItsCode) {
    struct Case {
        sim::DialOutcome outcome;
        int code;
    };
    const Case cases[] = {
        {sim::DialOutcome::kNoDialtone, kModemNoDialTone}, {sim::DialOutcome::kBusy, kModemBusy},
        {sim::DialOutcome::kNoCarrier, kModemNoCarrier},   {sim::DialOutcome::kError, kModemError},
        {sim::DialOutcome::kNoAnswer, kModemNoAnswer},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        sim::ModemSettings s;
        s.dialOutcome = c.outcome;
        ModemSim m(s);
        ASSERT_TRUE(m.ok);
        EXPECT_EQ(m.Dial(), c.code);
        EXPECT_FALSE(m.sim.modemStats().online);
        EXPECT_EQ(m.sim.modemStats().dialled.size(), 1u);
    }
}

TEST(ModemCall, AConnectionIdentifiesTheControllerAndHangsUp) {
    ModemSim m;
    ASSERT_TRUE(m.ok);
    EXPECT_FALSE(m.ReadTable0());  // no call yet: the frames stay with the modem
    EXPECT_EQ(m.Dial(), kModemConnected);
    const sim::ModemStats st = m.sim.modemStats();
    EXPECT_TRUE(st.online);
    ASSERT_EQ(st.dialled.size(), 1u);
    EXPECT_EQ(st.dialled[0], "80001112233");
    // The user's commands went out in order, before the readiness check and the dial.
    const std::vector<std::string> tail(st.commands.end() - 4, st.commands.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"AT&F", "ATS0=0", "AT+CPAS", "ATD80001112233"}));
    EXPECT_EQ(m.bar.texts[0].find(" Установление связи по телефону. Команда ATD80001112233"), 0u)
        << m.bar.texts[0];

    ASSERT_TRUE(m.ReadTable0()) << m.box.ErrorText();
    EXPECT_EQ(m.image.Byte(0, 1), 73);
    Connectmodem(*m.box.port, &m.ui).HangUp();
    EXPECT_EQ(m.sim.modemStats().escapes, 1);  // the guard times before and after "+++" were kept
    EXPECT_FALSE(m.sim.modemStats().offHook);
    EXPECT_FALSE(m.ReadTable0());
}

TEST(ModemCall, AttemptsAreCountedAndTheLastCodeReturned) {
    struct Case {
        int failures;  // dials that end busy before one connects
        int attempts;
        int code;
        int made;
    };
    const Case cases[] = {
        {-1, 3, kModemBusy, 3},
        {1, 2, kModemConnected, 2},
        {-1, 0, kModemBusy, 1},  // the first attempt runs whatever the count
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.attempts);
        sim::ModemSettings s;
        s.dialOutcome = sim::DialOutcome::kBusy;
        s.dialFailures = c.failures;
        ModemSim m(s);
        ASSERT_TRUE(m.ok);
        EXPECT_EQ(m.Dial(c.attempts, ""), c.code);
        EXPECT_EQ(m.attemptsMade, c.made);
        EXPECT_EQ(int(m.sim.modemStats().dialled.size()), c.made);
    }
}

TEST(ModemCall, CpasErrorFailsOnTheFirstAttemptWithoutDialling) {
    sim::ModemSettings s;
    s.cpasError = true;
    ModemSim m(s);
    ASSERT_TRUE(m.ok);
    EXPECT_EQ(m.Dial(3), kModemNoGsm);
    EXPECT_EQ(m.attemptsMade, 1);
    EXPECT_TRUE(m.sim.modemStats().dialled.empty());
    EXPECT_STREQ(ModemResultText(kModemNoGsm), "Нет готовности GSM");
}

TEST(ModemCall, EscStopsTheDialAndNoFurtherAttemptStarts) {
    sim::ModemSettings s;
    s.dialMs = 60000;  // the call would take a minute
    ModemSim m(s);
    ASSERT_TRUE(m.ok);
    m.ui.escAfter = 0;
    // Esc is there from the start: the first command already ends with code 10.
    EXPECT_EQ(m.Dial(3), kModemEscape);
    EXPECT_EQ(m.attemptsMade, 0);  // it ended while preparing the modem
    m.ui.escAfter = -1;
    Connectmodem modem(*m.box.port, &m.ui);
    ASSERT_EQ(modem.PrepareModem(nullptr), 0);
    m.ui.escAfter = m.ui.eventTurns + 200;  // Esc once the dial is under way
    EXPECT_EQ(modem.DialModem("123", "", nullptr, 3, 60), kModemEscape);
    EXPECT_EQ(modem.attemptsMade, 1);
    EXPECT_EQ(m.sim.modemStats().dialled.size(), 1u);
}

TEST(ModemCall, AModemInACallIsBroughtBackWithTheEscape) {
    ModemSim m;
    ASSERT_TRUE(m.ok);
    ASSERT_EQ(m.Dial(), kModemConnected);
    // A new program finds the modem still in the call: ATE0 goes to the controller,
    // "+++" after the guard time brings the modem back.
    Connectmodem modem(*m.box.port, &m.ui);
    EXPECT_EQ(modem.PrepareModem(nullptr), kModemConnected);
    const sim::ModemStats st = m.sim.modemStats();
    EXPECT_EQ(st.escapes, 1);
    EXPECT_EQ(st.refusedEscapes, 0);
    EXPECT_FALSE(st.online);
}

TEST(ModemCall, AModemThatNeverAnswersIsAbsent) {
    sim::ModemSettings s;
    s.silent = true;
    ModemSim m(s);
    ASSERT_TRUE(m.ok);
    EXPECT_EQ(m.Dial(), kModemAbsent);
}

TEST(ModemCall, ALostCallOrAnUnpluggedModemEndsTheExchange) {
    struct Case {
        bool unplug;
        uint32_t error;
    };
    for (const Case c : {Case{false, kErrNoReply}, Case{true, kErrLinkLost}}) {
        SCOPED_TRACE(c.unplug);
        sim::ModemSettings s;
        (c.unplug ? s.unplugAfterFrames : s.carrierLostAfterFrames) = 1;
        ModemSim m(s);
        ASSERT_TRUE(m.ok);
        ASSERT_EQ(m.Dial(1, ""), kModemConnected);
        EXPECT_TRUE(m.ReadTable0());
        // A minute of reply time: an unplugged port is known at once, not at its end.
        m.box.replyTimeoutMs = c.unplug ? 60000 : 400;
        EXPECT_FALSE(m.ReadTable0());
        EXPECT_EQ(m.box.errorCode, c.error);
        Connectmodem(*m.box.port, &m.ui).HangUp();
        EXPECT_FALSE(m.sim.modemStats().offHook);
        m.box.ClosePort();
        EXPECT_FALSE(m.box.PortOpen());
    }
}

}  // namespace
}  // namespace zul::test
