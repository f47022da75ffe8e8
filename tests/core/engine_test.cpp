// The link engine against a scripted controller, over TCP and over a pseudo-terminal.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "core/support/Links.h"
#include "core/support/TestClocks.h"
#include "sim/Qrtsim.h"

namespace zul::test {
namespace {

PeerScript Echo() {
    return [](const Bytes& f, int) { return std::vector<PeerStep>{{EchoReply(f)}}; };
}
PeerScript Silent() {
    return [](const Bytes&, int) { return std::vector<PeerStep>{}; };
}
PeerScript Answer(Bytes reply) {
    return [reply](const Bytes&, int) { return std::vector<PeerStep>{{reply}}; };
}

const uint8_t kReadTable5[3] = {5, 0, 3};

// ---------------------------------------------------------------- frames

TEST(EngineFrames, ReadCommandFrameVector) {
    EngineOnPeer e(Transport::kTcp);
    e.peer.SetScript(Echo());
    ASSERT_TRUE(e.box.Exchange(1, kReadTable5, 0, 0)) << e.box.ErrorText();
    ASSERT_EQ(e.peer.frames().size(), 1u);
    EXPECT_EQ(e.peer.frames()[0], (Bytes{0xCC, 0x01, 0x0A, 0x01, 0x00, 0x05, 0x00, 0x03, 0x31, 0xA4}));
}

Bytes Sent(EngineOnPeer& e, uint8_t cmd, const Bytes& data) {
    size_t before = e.peer.frames().size();
    e.box.Exchange(cmd, data.data(), int(data.size()), 0);
    auto f = e.peer.frames();
    return f.size() > before ? f.back() : Bytes{};
}

TEST(EngineFrames, EveryCommandBodyAndLength) {
    EngineOnPeer e(Transport::kTcp, 9);
    e.peer.SetScript(Echo());
    std::memcpy(e.box.writePassword.data(), "secret-pass!", 12);
    std::memcpy(e.box.identCode.data(), "ID42", 4);
    const Bytes pw(e.box.writePassword.begin(), e.box.writePassword.end());
    const Bytes id(e.box.identCode.begin(), e.box.identCode.end());
    auto slice = [](const Bytes& f, size_t from, size_t n) { return Bytes(f.begin() + from, f.begin() + from + n); };
    auto checkFrame = [&](const Bytes& f, uint8_t cmd, size_t len) {
        ASSERT_EQ(f.size(), len) << "command " << int(cmd);
        EXPECT_EQ(f[0], 0xCC);
        EXPECT_EQ(f[1], 9);
        EXPECT_EQ(f[2], len);
        EXPECT_EQ(f[3], cmd);
        EXPECT_EQ(Crc16(f.data(), uint16_t(len)), 0);
    };

    Bytes f = Sent(e, 2, {4, 1, 2, 0xAA, 0xBB});
    checkFrame(f, 2, 28);
    EXPECT_EQ(slice(f, 4, 12), pw);
    EXPECT_EQ(slice(f, 16, 4), id);
    EXPECT_EQ(f[20], 0);
    EXPECT_EQ(slice(f, 21, 5), (Bytes{4, 1, 2, 0xAA, 0xBB}));

    for (auto [cmd, body, len] : {std::tuple{7, 7, 13}, {8, 15, 21}, {14, 13, 19}, {15, 11, 17}, {16, 9, 15}}) {
        Bytes data(static_cast<size_t>(body));
        for (int i = 0; i < body; ++i) data[size_t(i)] = uint8_t(0x10 + i);
        f = Sent(e, uint8_t(cmd), data);
        checkFrame(f, uint8_t(cmd), size_t(len));
        EXPECT_EQ(slice(f, 4, size_t(body)), data);
    }
    // Fewer caller bytes than the body: the rest of the body is 0.
    f = Sent(e, 8, {1, 2});
    checkFrame(f, 8, 21);
    EXPECT_EQ(slice(f, 4, 15), (Bytes{1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));

    f = Sent(e, 12, {0x85, 0x03});
    checkFrame(f, 12, 24);
    EXPECT_EQ(slice(f, 4, 12), pw);
    EXPECT_EQ(slice(f, 16, 4), id);
    EXPECT_EQ(slice(f, 20, 2), (Bytes{0x85, 0x03}));

    for (uint8_t cmd : {25, 32, 33}) {
        f = Sent(e, cmd, {});
        checkFrame(f, cmd, 22);
        EXPECT_EQ(slice(f, 4, 12), pw);
        EXPECT_EQ(slice(f, 16, 4), id);
    }
}

TEST(EngineFrames, PreamblesGoAheadOfTheFrame) {
    EngineOnPeer e(Transport::kTcp);
    e.peer.SetScript(Echo());
    e.box.preambleCount = 3;
    ASSERT_TRUE(e.box.Exchange(1, kReadTable5, 0, 0));
    EXPECT_EQ(e.peer.raw()[0], (Bytes{0xFF, 0xFF, 0xFF, 0xCC, 0x01, 0x0A, 0x01, 0x00, 0x05, 0x00, 0x03, 0x31, 0xA4}));
}

// ---------------------------------------------------------------- refused before sending

class CountingPort : public SerialPort {
public:
    bool OpenComPort(int, int, int, int, int, int, int, bool, bool) override { ++opens; open = true; return true; }
    void Close() override { open = false; }
    bool IsOpen() const override { return open; }
    bool SetBaudRate(int) override { return true; }
    bool Purge() override { return true; }
    bool SetRts(bool) override { return false; }
    bool SetDtr(bool) override { return false; }
    bool ClearComErrors() override { ++clears; return true; }
    bool Write(const uint8_t*, size_t) override { ++writes; return writeOk; }
    int ReadSome(uint8_t*, size_t) override { return 0; }
    bool WaitReadable(int) override { return false; }
    std::string DevicePath() const override { return "double"; }
    int opens = 0, writes = 0, clears = 0;
    bool open = false, writeOk = true;
};

TEST(EngineRefusals, UnknownCommandSendsNothingAndOpensNoPort) {
    Qrtbox box(1);
    auto* port = new CountingPort;
    box.port.reset(port);
    uint8_t data[3] = {0, 0, 1};
    EXPECT_FALSE(box.Exchange(3, data, 3, 0));
    EXPECT_EQ(box.errorCode, 2u);
    EXPECT_EQ(port->opens, 0);
    EXPECT_EQ(port->writes, 0);
    EXPECT_EQ(box.ErrorText(), "Команда 3.  Неверно задан код функции");
}

TEST(EngineRefusals, OversizedRequestsAreRefusedCleanly) {
    Qrtbox box(1);
    auto* port = new CountingPort;
    box.port.reset(port);
    std::vector<uint8_t> big(3 + 230, 0x11);
    EXPECT_FALSE(box.Exchange(2, big.data(), int(big.size()), 0));
    EXPECT_EQ(box.errorCode, uint32_t(kErrRequestTooLong));
    std::vector<uint8_t> sixteen(16, 1);
    EXPECT_FALSE(box.Exchange(8, sixteen.data(), 16, 0));
    EXPECT_EQ(box.errorCode, uint32_t(kErrRequestTooLong));
    EXPECT_FALSE(box.Exchange(1, nullptr, 0, 0));
    EXPECT_EQ(port->writes, 0);
    EXPECT_EQ(port->opens, 0);
    // 229 value bytes is the most a frame holds, and it is sent.
    std::vector<uint8_t> max(3 + 229, 0x22);
    box.attempts = 1;
    box.replyTimeoutMs = 1;
    box.openPerExchange = 1;
    EXPECT_FALSE(box.Exchange(2, max.data(), int(max.size()), 0));
    EXPECT_EQ(box.errorCode, uint32_t(kErrNoReply));
    EXPECT_EQ(box.request[2], 255);
    EXPECT_EQ(port->writes, 1);
}

TEST(EngineRefusals, AbortFlagStopsBeforeSendingAndIsCleared) {
    EngineOnPeer e(Transport::kTcp);
    e.peer.SetScript(Echo());
    e.box.abortRequest = 1;
    EXPECT_FALSE(e.box.Exchange(1, kReadTable5, 0, 0));
    EXPECT_EQ(e.box.errorCode, 19u);
    EXPECT_EQ(e.box.abortRequest, 0);
    EXPECT_TRUE(e.box.Exchange(1, kReadTable5, 0, 0));
    EXPECT_EQ(e.peer.frames().size(), 1u);
}

TEST(EngineRefusals, WriteFailureOnTheLineIsError3) {
    Qrtbox box(1);
    auto* port = new CountingPort;
    port->writeOk = false;
    box.port.reset(port);
    box.attempts = 1;
    EXPECT_FALSE(box.Exchange(1, kReadTable5, 0, 0));
    EXPECT_EQ(box.errorCode, 3u);
    EXPECT_EQ(port->clears, 1);
}

TEST(EngineRefusals, ZeroAttemptsStillMakesOneAttempt) {
    EngineOnPeer e(Transport::kTcp);
    e.peer.SetScript(Silent());
    e.box.attempts = 0;
    e.box.replyTimeoutMs = 50;
    EXPECT_FALSE(e.box.Exchange(1, kReadTable5, 0, 0));
    EXPECT_EQ(e.box.errorCode, 10u);
    EXPECT_EQ(e.peer.frames().size(), 1u);
}

// ---------------------------------------------------------------- both transports

class EngineOverLine : public ::testing::TestWithParam<Transport> {};

TEST_P(EngineOverLine, SilentControllerTimesOutOnEveryAttemptWithTheSameFrame) {
    EngineOnPeer e(GetParam());
    e.peer.SetScript(Silent());
    e.box.attempts = 2;
    e.box.replyTimeoutMs = 120;
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(e.box.Exchange(1, kReadTable5, 0, 0));
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_EQ(e.box.errorCode, 10u);
    EXPECT_EQ(e.box.ErrorText(), "Команда 1.  Устройство не отвечает");
    ASSERT_EQ(e.peer.frames().size(), 2u);
    EXPECT_EQ(e.peer.frames()[0], e.peer.frames()[1]);
    EXPECT_GE(ms, 240);  // both attempts waited their whole reply time
}

TEST_P(EngineOverLine, SecondAttemptSucceedsAfterASilentFirst) {
    EngineOnPeer e(GetParam());
    e.peer.SetScript([](const Bytes& f, int i) {
        return i == 0 ? std::vector<PeerStep>{} : std::vector<PeerStep>{{EchoReply(f, {7, 8, 9})}};
    });
    e.box.replyTimeoutMs = 100;
    ASSERT_TRUE(e.box.Exchange(1, kReadTable5, 0, 0));
    EXPECT_EQ(e.box.reply[8], 7);
    EXPECT_EQ(e.peer.frames().size(), 2u);
}

TEST_P(EngineOverLine, StallAfterStartAndAddressIsInterByteTimeout) {
    EngineOnPeer e(GetParam());
    e.peer.SetScript([](const Bytes& f, int) {
        return std::vector<PeerStep>{{EchoReply(f), 0, 400, 4}};
    });
    e.box.attempts = 1;
    e.box.interByteTimeoutMs = 60;
    EXPECT_FALSE(e.box.Exchange(1, kReadTable5, 0, 0));
    EXPECT_EQ(e.box.errorCode, 5u);
}

TEST_P(EngineOverLine, SlowButSteadyBytesAreAccepted) {
    EngineOnPeer e(GetParam());
    e.peer.SetScript([](const Bytes& f, int) { return std::vector<PeerStep>{{EchoReply(f, {1, 2}), 0, 10}}; });
    e.box.interByteTimeoutMs = 80;
    EXPECT_TRUE(e.box.Exchange(1, kReadTable5, 0, 0)) << e.box.ErrorText();
}

TEST_P(EngineOverLine, BadCheckIsError7EvenWithTheRightCode) {
    EngineOnPeer e(GetParam());
    e.peer.SetScript([](const Bytes& f, int) {
        Bytes r = EchoReply(f, {1, 2, 3});
        r.back() ^= 0x01;
        return std::vector<PeerStep>{{r}};
    });
    e.box.attempts = 1;
    EXPECT_FALSE(e.box.Exchange(1, kReadTable5, 0, 0));
    EXPECT_EQ(e.box.errorCode, 7u);
    EXPECT_EQ(e.box.reply[3], 0x81);
}

TEST_P(EngineOverLine, DeviceRefusalsCarryTheirTexts) {
    EngineOnPeer e(GetParam());
    e.box.attempts = 1;
    uint8_t w[4] = {6, 0, 1, 5};
    e.peer.SetScript(Answer(ReplyFrame(1, 0x02, {3, 0})));
    EXPECT_FALSE(e.box.Exchange(2, w, 4, 0));
    EXPECT_EQ(e.box.errorCode, 8u);
    EXPECT_EQ(e.box.ErrorText(), "Команда 2.  Неправильный пароль на запись");
    EXPECT_EQ(e.box.ErrorText(), "Команда 2.  Неправильный пароль на запись");  // stable on repeat

    e.peer.SetScript(Answer(ReplyFrame(1, 0x01, {60, 0, 14})));
    EXPECT_FALSE(e.box.Exchange(1, kReadTable5, 0, 0));
    EXPECT_EQ(e.box.ErrorText(), "Команда 1.  Разрушена таблица 14");

    e.peer.SetScript(Answer(ReplyFrame(1, 0x01, {0})));
    EXPECT_FALSE(e.box.Exchange(1, kReadTable5, 0, 0));
    EXPECT_EQ(e.box.ErrorText(), "Команда 1.  Код ошибки = 0");

    e.peer.SetScript(Answer(ReplyFrame(1, 0x7F, {65})));
    EXPECT_FALSE(e.box.Exchange(1, kReadTable5, 0, 0));
    EXPECT_EQ(e.box.ErrorText(), "Команда 1.  Код ошибки = 65");

    e.peer.SetScript(Answer(ReplyFrame(1, 0x01, {38})));
    EXPECT_FALSE(e.box.Exchange(1, kReadTable5, 0, 0));
    EXPECT_EQ(e.box.ErrorText(), "Команда 1.  Переход в режим работы \"Автомат\" невозможен");
}

TEST_P(EngineOverLine, HuntsForTheStartPastNoiseOtherAddressesAndShortLengths) {
    EngineOnPeer e(GetParam());
    e.peer.SetScript([](const Bytes& f, int) {
        Bytes junk{0x00, 0x55, 0xCC, 0x33, 0x05};        // noise, then a start with a foreign address
        Bytes shortLen{0x33, 0x01, 0x03};                 // length below 6: hunt again
        Bytes other = ReplyFrame(2, 0x81, {0, 5, 0, 3, 9, 9, 9});
        Bytes all = junk;
        all.insert(all.end(), shortLen.begin(), shortLen.end());
        all.insert(all.end(), other.begin(), other.end());
        Bytes good = EchoReply(f, {0x41, 0x42, 0x43});
        all.insert(all.end(), good.begin(), good.end());
        return std::vector<PeerStep>{{all}};
    });
    ASSERT_TRUE(e.box.Exchange(1, kReadTable5, 0, 0)) << e.box.ErrorText();
    EXPECT_EQ(e.box.reply[1], 1);
    EXPECT_EQ(e.box.reply[8], 0x41);
    EXPECT_EQ(e.box.address, 1);
}

TEST_P(EngineOverLine, BroadcastTakesTheAddressThatAnswers) {
    EngineOnPeer e(GetParam(), 0xFF);
    e.peer.SetScript([](const Bytes& f, int) {
        return std::vector<PeerStep>{{ReplyFrame(7, 0x81, {0, f[5], f[6], f[7], 1, 2, 3})}};
    });
    ASSERT_TRUE(e.box.Exchange(1, kReadTable5, 0, 0)) << e.box.ErrorText();
    EXPECT_EQ(e.box.address, 7);
    EXPECT_EQ(e.peer.frames()[0][1], 0xFF);
    // From now on the engine talks to address 7.
    e.peer.SetScript(Echo());
    ASSERT_TRUE(e.box.Exchange(1, kReadTable5, 0, 0));
    EXPECT_EQ(e.peer.frames()[1][1], 7);
}

TEST_P(EngineOverLine, AddressWriteAcceptsTheNewAddressAndSkipsOthers) {
    EngineOnPeer e(GetParam(), 1);
    const uint8_t w[4] = {3, 0, 1, 7};  // table 3 field 0: new address 7
    e.peer.SetScript([](const Bytes& f, int) {
        Bytes r{0x33, 0x09};  // address 9 is skipped, the next byte is again an address
        Bytes ok = ReplyFrame(7, 0x82, {0, f[21], f[22], f[23]});
        r.insert(r.end(), ok.begin() + 1, ok.end());
        return std::vector<PeerStep>{{r}};
    });
    ASSERT_TRUE(e.box.Exchange(2, w, 4, 0)) << e.box.ErrorText();
    EXPECT_EQ(e.box.reply[1], 7);
    EXPECT_EQ(e.box.address, 1);  // only its owner changes the address

    e.peer.SetScript(Echo());  // the old address still answers
    ASSERT_TRUE(e.box.Exchange(2, w, 4, 0)) << e.box.ErrorText();

    // Outside the address write a foreign address is rejected.
    e.peer.SetScript(Answer(ReplyFrame(7, 0x81, {0, 5, 0, 3, 1, 2, 3})));
    e.box.attempts = 1;
    e.box.replyTimeoutMs = 100;
    EXPECT_FALSE(e.box.Exchange(1, kReadTable5, 0, 0));
    EXPECT_EQ(e.box.errorCode, 10u);
}

TEST_P(EngineOverLine, AbortDuringTheWaitStopsWithError19) {
    EngineOnPeer e(GetParam());
    e.peer.SetScript(Silent());
    e.box.replyTimeoutMs = 5000;
    auto t0 = std::chrono::steady_clock::now();
    e.ui.onEvents = [&] {
        if (std::chrono::steady_clock::now() - t0 > std::chrono::milliseconds(100)) e.box.abortRequest = 1;
    };
    EXPECT_FALSE(e.box.Exchange(1, kReadTable5, 0, 0));
    EXPECT_EQ(e.box.errorCode, 19u);
    EXPECT_EQ(e.box.abortRequest, 0);
    EXPECT_EQ(e.peer.frames().size(), 1u);  // no second attempt after an abort
}

TEST_P(EngineOverLine, ObserverSeesEveryRequestAndReply) {
    struct Log : ExchangeObserver {
        void OnExchangeEvent(const ExchangeEvent& ev) override {
            events.push_back({ev.kind, Bytes(ev.bytes, ev.bytes + ev.count), ev.attempt, ev.errorCode, ev.monotonicNs});
        }
        struct Item { ExchangeEvent::Kind kind; Bytes bytes; int attempt; uint32_t error; int64_t t; };
        std::vector<Item> events;
    } log;
    EngineOnPeer e(GetParam());
    e.box.observer = &log;
    e.box.replyTimeoutMs = 80;
    e.peer.SetScript([](const Bytes& f, int i) {
        return i == 0 ? std::vector<PeerStep>{} : std::vector<PeerStep>{{EchoReply(f, {5, 6, 7})}};
    });
    ASSERT_TRUE(e.box.Exchange(1, kReadTable5, 0, 0));
    ASSERT_EQ(log.events.size(), 4u);
    EXPECT_EQ(log.events[0].kind, ExchangeEvent::kRequest);
    EXPECT_EQ(log.events[0].bytes, e.peer.frames()[0]);
    EXPECT_EQ(log.events[1].kind, ExchangeEvent::kReply);
    EXPECT_EQ(log.events[1].error, 10u);
    EXPECT_TRUE(log.events[1].bytes.empty());
    EXPECT_EQ(log.events[2].attempt, 2);
    EXPECT_EQ(log.events[3].error, 0u);
    EXPECT_EQ(log.events[3].bytes, Bytes(e.box.reply.begin(), e.box.reply.begin() + e.box.reply[2]));
    for (size_t i = 1; i < log.events.size(); ++i) EXPECT_GE(log.events[i].t, log.events[i - 1].t);
}

INSTANTIATE_TEST_SUITE_P(Both, EngineOverLine, ::testing::Values(Transport::kTcp, Transport::kPty),
                         [](const auto& info) { return TransportName(info.param); });

// ---------------------------------------------------------------- transport specific

TEST(EngineTcp, EachAttemptStartsWithTheSendPause) {
    struct Requests : ExchangeObserver {
        void OnExchangeEvent(const ExchangeEvent& ev) override {
            if (ev.kind == ExchangeEvent::kRequest) at.push_back(ev.monotonicNs);
        }
        std::vector<int64_t> at;
    } requests;
    EngineOnPeer e(Transport::kTcp);
    SkippingClock clock;
    e.box.clock = &clock;
    e.box.observer = &requests;
    e.peer.SetScript(Silent());
    e.box.tcpSendPauseMs = 500;
    e.box.replyTimeoutMs = 50;
    e.box.attempts = 2;
    const int64_t t0 = clock.MonotonicNs();
    EXPECT_FALSE(e.box.Exchange(1, kReadTable5, 0, 0));
    EXPECT_EQ(e.box.errorCode, 10u);
    ASSERT_EQ(requests.at.size(), 2u);
    EXPECT_EQ(e.peer.frames().size(), 2u);
    EXPECT_GE(requests.at[0] - t0, 500LL * 1000000);
    EXPECT_GE(requests.at[1] - requests.at[0], 550LL * 1000000);  // the wait, then the pause again
}

// A relay on loopback between the engine and the simulated controller that holds
// the reply to one request (counted from 0) back for `holdMs`, as a slow network
// path does; every other byte goes straight through.
class DelayingRelay {
public:
    DelayingRelay(uint16_t target, int delayed, int holdMs) : target_(target), delayed_(delayed), holdMs_(holdMs) {
        listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (::bind(listen_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(listen_, 1) != 0 ||
            ::getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &len) != 0)
            return;
        port_ = ntohs(a.sin_port);
        thread_ = std::thread([this] { Run(); });
    }
    ~DelayingRelay() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        ::close(listen_);
    }
    uint16_t port() const { return port_; }

private:
    static int64_t NowMs() {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    void Run() {
        int client = -1, server = -1;
        int requests = 0;
        int64_t release = -1;  // when the held reply goes on
        std::string held;
        uint8_t buf[4096];
        while (!stop_) {
            if (release >= 0 && NowMs() >= release) {
                if (!held.empty()) ::send(client, held.data(), held.size(), MSG_NOSIGNAL);
                held.clear();
                release = -2;  // the one held reply has gone
            }
            pollfd p[2] = {{client < 0 ? listen_ : client, POLLIN, 0}, {server, POLLIN, 0}};
            if (::poll(p, server < 0 ? 1 : 2, 10) <= 0) continue;
            if (client < 0) {
                client = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
                server = TcpConnect("127.0.0.1", target_, 2000);
                continue;
            }
            if (p[0].revents) {
                const ssize_t n = ::recv(client, buf, sizeof buf, 0);
                if (n <= 0) break;
                ::send(server, buf, size_t(n), MSG_NOSIGNAL);
                if (requests++ == delayed_) release = NowMs() + holdMs_;
            }
            if (p[1].revents) {
                const ssize_t n = ::recv(server, buf, sizeof buf, 0);
                if (n <= 0) break;
                if (release >= 0) held.append(reinterpret_cast<char*>(buf), size_t(n));
                else ::send(client, buf, size_t(n), MSG_NOSIGNAL);
            }
        }
        if (client >= 0) ::close(client);
        TcpClose(server);
    }
    uint16_t target_, port_ = 0;
    int delayed_, holdMs_;
    int listen_ = -1;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// One reply that comes after its wait: that exchange fails, and every later one
// gets its own reply (the late one is not taken for the next request's).
TEST(EngineTcp, ALateReplyLeavesLaterExchangesInStep) {
    const uint8_t tables[] = {0, 2, 3, 5, 6, 14, 15};
    for (int delayed : {0, 3}) {
        sim::Qrtsim controller;
        ASSERT_TRUE(controller.StartTcp());
        DelayingRelay relay(controller.tcpPort(), delayed, 2500);
        ASSERT_NE(relay.port(), 0);
        Qrtbox box(1);
        box.linkKind = kLinkEthernet;
        box.openPerExchange = 0;
        box.tcpSendPauseMs = 0;
        box.attempts = 1;
        box.replyTimeoutMs = 500;
        box.sock = TcpConnect("127.0.0.1", relay.port(), 2000);
        ASSERT_GT(box.sock, 0);
        for (int i = 0; i < int(sizeof tables); ++i) {
            const uint8_t read[3] = {tables[i], 0, 1};
            const bool ok = box.Exchange(1, read, 0, 0);
            if (i == delayed) {
                EXPECT_FALSE(ok) << "delayed " << delayed;
                EXPECT_EQ(box.errorCode, uint32_t(kErrNoReply));
                // The late reply is waiting on the socket before the next request goes.
                for (int w = 0; w < 1000 && TcpBytesWaiting(box.sock) <= 0; ++w) ::usleep(10000);
                EXPECT_GT(TcpBytesWaiting(box.sock), 0);
                continue;
            }
            EXPECT_TRUE(ok) << "delayed " << delayed << ", exchange " << i << ": " << box.ErrorText();
            EXPECT_EQ(box.reply[5], tables[i]) << "delayed " << delayed << ", exchange " << i;
        }
        TcpClose(box.sock);
    }
}

TEST(EngineTcp, PeerClosingTheConnectionIsARecvFailure) {
    EngineOnPeer e(Transport::kTcp);
    e.peer.SetScript([](const Bytes&, int) { return std::vector<PeerStep>{{{}, 0, 0, SIZE_MAX, true}}; });
    e.box.attempts = 1;
    // A wait no test run would sit out: the closure ends the exchange, not the deadline.
    e.box.replyTimeoutMs = 60000;
    EXPECT_FALSE(e.box.Exchange(1, kReadTable5, 0, 0));
    EXPECT_EQ(e.box.errorCode, 21u);
}

TEST(EngineTcp, SendOnAClosedSocketIsError20) {
    Qrtbox box(1);
    box.linkKind = kLinkEthernet;
    box.openPerExchange = 0;
    box.tcpSendPauseMs = 0;
    box.sock = 0;
    EXPECT_FALSE(box.Exchange(1, kReadTable5, 0, 0));
    EXPECT_EQ(box.errorCode, 20u);
    EXPECT_EQ(box.ErrorText(), "Команда 1.  Ithernet. Не выполнена команда send (посылка запроса)");
}

TEST(EnginePty, PortOpenedPerExchangeIsFreeBetweenExchanges) {
    EngineOnPeer e(Transport::kPty);
    e.box.ClosePort();
    e.box.openPerExchange = 1;
    e.peer.SetScript(Echo());
    ASSERT_TRUE(e.box.Exchange(1, kReadTable5, 0, 0)) << e.box.ErrorText();
    EXPECT_FALSE(e.box.PortOpen());
    // Another program can take the line now.
    int fd = ::open(e.peer.path().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    ::close(fd);
}

TEST(EnginePty, BusyPortIsError6AfterThePortWait) {
    EngineOnPeer e(Transport::kPty);
    e.box.ClosePort();
    int fd = ::open(e.peer.path().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    e.box.openPerExchange = 1;
    e.box.portWaitSeconds = 1;
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(e.box.Exchange(1, kReadTable5, 0, 0));
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_EQ(e.box.errorCode, 6u);
    EXPECT_EQ(e.box.ErrorText(), "Команда 1.  Коммуникационный порт COM41 недоступен");
    EXPECT_GE(ms, 1000);
    EXPECT_TRUE(e.peer.frames().empty());
    ::close(fd);
}

TEST(EnginePty, HangUpOfTheLineIsALostLinkNotASilentController) {
    EngineOnPeer e(Transport::kPty);
    e.peer.SetScript([](const Bytes&, int) { return std::vector<PeerStep>{{{}, 0, 0, SIZE_MAX, true}}; });
    e.box.attempts = 1;
    e.box.replyTimeoutMs = 60000;  // the hang-up ends the exchange, not the deadline
    EXPECT_FALSE(e.box.Exchange(1, kReadTable5, 0, 0));
    EXPECT_EQ(e.box.errorCode, uint32_t(kErrLinkLost));
}

}  // namespace
}  // namespace zul::test
