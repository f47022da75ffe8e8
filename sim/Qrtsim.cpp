#include "sim/Qrtsim.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pty.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>

#include "link/Qrtbox.h"  // Crc16 only

namespace zul::sim {

namespace {

int64_t MonoNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

void SleepUntilNs(int64_t t) {
    timespec ts{time_t(t / 1000000000), long(t % 1000000000)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

void SetNonBlocking(int fd) { ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL, 0) | O_NONBLOCK); }

void FixCrc(std::vector<uint8_t>& r) {
    if (r.size() < 6) return;
    const uint16_t crc = Crc16(r.data(), uint16_t(r.size() - 2));
    r[r.size() - 2] = uint8_t(crc & 0xFF);
    r[r.size() - 1] = uint8_t(crc >> 8);
}

// A request that stays incomplete this long is dropped.
constexpr int64_t kPartialFrameNs = 1000000000;
// After the other end of the pseudo-terminal has gone, look again this often.
constexpr int64_t kHangupRetryNs = 5000000;

}  // namespace

struct Qrtsim::Conn {
    int fd = -1;
    bool pty = false;
    std::vector<uint8_t> frame;
    int64_t lastByteNs = 0;
    int64_t lineEndNs = 0;   // when the bytes received so far would have left a real line
    int exchanges = 0;
    int64_t hangupUntilNs = 0;
    bool dead = false;
};

Qrtsim::Qrtsim(const SimSettings& settings) : controller_(settings) {
    if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) wake_[0] = wake_[1] = -1;
}

Qrtsim::~Qrtsim() {
    Stop();
    for (int fd : wake_)
        if (fd >= 0) ::close(fd);
}

void Qrtsim::Wake() {
    if (wake_[1] >= 0) {
        const uint8_t b = 1;
        [[maybe_unused]] ssize_t r = ::write(wake_[1], &b, 1);
    }
}

void Qrtsim::EnsureThread() {
    if (!thread_.joinable()) {
        stop_ = false;
        thread_ = std::thread([this] { Run(); });
    }
}

bool Qrtsim::StartTcp(uint16_t port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, 8) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
        ::close(fd);
        return false;
    }
    SetNonBlocking(fd);
    {
        std::lock_guard<std::mutex> lock(mu_);
        if (listenFd_ >= 0) ::close(listenFd_);
        listenFd_ = fd;
        tcpPort_ = ntohs(a.sin_port);
    }
    EnsureThread();
    Wake();
    return true;
}

bool Qrtsim::OpenPtyPair() {
    termios raw{};
    cfmakeraw(&raw);
    raw.c_cflag |= CLOCAL | CREAD;
    cfsetispeed(&raw, B38400);
    cfsetospeed(&raw, B38400);
    int master = -1, slave = -1;
    char name[256] = {};
    if (::openpty(&master, &slave, name, &raw, nullptr) != 0) return false;
    // The slave side is closed here and opened by the program under test; until
    // then the master reports a hang-up, which the loop waits out.
    ::close(slave);
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    SetNonBlocking(master);
    ptyMaster_ = master;
    ptyDevice_ = name;
    return true;
}

bool Qrtsim::StartPty(const std::string& linkPath) {
    {
        std::lock_guard<std::mutex> lock(mu_);
        if (ptyMaster_ >= 0) return false;  // one pseudo-terminal per simulator
        if (!OpenPtyPair()) return false;
        if (!linkPath.empty()) {
            struct stat st{};
            if (::lstat(linkPath.c_str(), &st) == 0) {
                if (!S_ISLNK(st.st_mode)) {  // never replace anything but a link
                    ::close(ptyMaster_);
                    ptyMaster_ = -1;
                    return false;
                }
                ::unlink(linkPath.c_str());
            }
            if (::symlink(ptyDevice_.c_str(), linkPath.c_str()) != 0) {
                ::close(ptyMaster_);
                ptyMaster_ = -1;
                return false;
            }
            ptyLink_ = linkPath;
        }
    }
    EnsureThread();
    Wake();
    return true;
}

std::string Qrtsim::ptyPath() const {
    std::lock_guard<std::mutex> lock(mu_);
    return ptyLink_.empty() ? ptyDevice_ : ptyLink_;
}

void Qrtsim::Stop() {
    if (thread_.joinable()) {
        stop_ = true;
        Wake();
        thread_.join();
    }
    std::lock_guard<std::mutex> lock(mu_);
    for (auto& c : conns_)
        if (c->fd >= 0 && !c->pty) ::close(c->fd);
    conns_.clear();
    if (listenFd_ >= 0) ::close(listenFd_);
    listenFd_ = -1;
    if (ptyMaster_ >= 0) ::close(ptyMaster_);
    ptyMaster_ = -1;
    if (!ptyLink_.empty()) ::unlink(ptyLink_.c_str());
    ptyLink_.clear();
}

void Qrtsim::Run() {
    std::vector<pollfd> pfds;
    std::vector<Conn*> owners;
    uint8_t buf[4096];
    while (!stop_) {
        int listenFd, master;
        {
            std::lock_guard<std::mutex> lock(mu_);
            listenFd = listenFd_;
            master = ptyMaster_;
        }
        if (master >= 0 && std::none_of(conns_.begin(), conns_.end(), [](auto& c) { return c->pty; })) {
            auto c = std::make_unique<Conn>();
            c->fd = master;
            c->pty = true;
            conns_.push_back(std::move(c));
        }
        const int64_t now = MonoNs();
        pfds.clear();
        owners.clear();
        pfds.push_back({wake_[0], POLLIN, 0});
        owners.push_back(nullptr);
        if (listenFd >= 0) {
            pfds.push_back({listenFd, POLLIN, 0});
            owners.push_back(nullptr);
        }
        int64_t timeoutNs = 100000000;
        for (auto& c : conns_) {
            if (c->pty && c->hangupUntilNs > now) {
                timeoutNs = std::min(timeoutNs, c->hangupUntilNs - now);
                continue;
            }
            pfds.push_back({c->fd, POLLIN, 0});
            owners.push_back(c.get());
            if (!c->frame.empty()) timeoutNs = std::min(timeoutNs, std::max<int64_t>(0, c->lastByteNs + kPartialFrameNs - now));
        }
        {
            std::lock_guard<std::mutex> lock(mu_);
            if (modem_ && modem_->NextDueNs() != INT64_MAX)
                timeoutNs = std::max<int64_t>(0, std::min(timeoutNs, modem_->NextDueNs() - now));
        }
        int r = ::poll(pfds.data(), nfds_t(pfds.size()), int((timeoutNs + 999999) / 1000000));
        if (r < 0 && errno != EINTR) break;
        if (stop_) break;
        for (size_t i = 0; i < pfds.size(); ++i) {
            const pollfd& p = pfds[i];
            if (!p.revents) continue;
            if (p.fd == wake_[0]) {
                while (::read(wake_[0], buf, sizeof buf) > 0) {
                }
                continue;
            }
            if (p.fd == listenFd && !owners[i]) {
                int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
                if (fd >= 0) {
                    int one = 1;
                    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
                    auto c = std::make_unique<Conn>();
                    c->fd = fd;
                    conns_.push_back(std::move(c));
                }
                continue;
            }
            Conn* c = owners[i];
            if (!c) continue;
            if (p.revents & POLLIN) {
                ssize_t n = ::read(c->fd, buf, sizeof buf);
                if (n > 0) {
                    Feed(*c, buf, int(n));
                } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                    if (c->pty) {
                        c->hangupUntilNs = MonoNs() + kHangupRetryNs;
                        c->frame.clear();
                    } else {
                        c->dead = true;
                    }
                }
            } else if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) {
                if (c->pty) {
                    c->hangupUntilNs = MonoNs() + kHangupRetryNs;
                    c->frame.clear();
                } else {
                    c->dead = true;
                }
            }
        }
        ModemTick();
        const int64_t later = MonoNs();
        for (auto& c : conns_)
            if (!c->frame.empty() && later - c->lastByteNs > kPartialFrameNs) c->frame.clear();
        for (auto it = conns_.begin(); it != conns_.end();) {
            if ((*it)->dead) {
                ::close((*it)->fd);
                it = conns_.erase(it);
            } else {
                ++it;
            }
        }
    }
}

void Qrtsim::EnableModem(const ModemSettings& settings) {
    {
        std::lock_guard<std::mutex> lock(mu_);
        if (modem_)
            modem_->SetSettings(settings);
        else
            modem_ = std::make_unique<SimModem>(settings);
    }
    Wake();
}

bool Qrtsim::ModemEnabled() const {
    std::lock_guard<std::mutex> lock(mu_);
    return modem_ != nullptr;
}

ModemStats Qrtsim::modemStats() const {
    std::lock_guard<std::mutex> lock(mu_);
    return modem_ ? modem_->stats() : ModemStats{};
}

void Qrtsim::WriteRaw(Conn& c, const std::string& bytes) {
    if (!bytes.empty()) SendPaced(c, std::vector<uint8_t>(bytes.begin(), bytes.end()), 0);
}

// Runs the modem's due work (end of an escape, a dial outcome) on the pseudo-terminal.
void Qrtsim::ModemTick() {
    std::string toHost;
    {
        std::lock_guard<std::mutex> lock(mu_);
        if (!modem_ || modem_->NextDueNs() > MonoNs()) return;
        modem_->Tick(MonoNs(), toHost);
    }
    for (auto& c : conns_)
        if (c->pty && !c->dead) WriteRaw(*c, toHost);
}

void Qrtsim::Feed(Conn& c, const uint8_t* data, int n) {
    if (c.pty) {
        std::string toHost;
        std::vector<uint8_t> toController;
        bool modem;
        {
            std::lock_guard<std::mutex> lock(mu_);
            modem = modem_ != nullptr;
            if (modem) {
                stats_.bytesIn += uint64_t(n);
                modem_->FromHost(data, n, MonoNs(), toHost, toController);
            }
        }
        if (modem) {
            WriteRaw(c, toHost);
            if (!toController.empty()) FeedFrames(c, toController.data(), int(toController.size()));
            return;
        }
    }
    {
        std::lock_guard<std::mutex> lock(mu_);
        stats_.bytesIn += uint64_t(n);
    }
    FeedFrames(c, data, n);
}

void Qrtsim::FeedFrames(Conn& c, const uint8_t* data, int n) {
    const int64_t now = MonoNs();
    int baud;
    {
        std::lock_guard<std::mutex> lock(mu_);
        baud = faults_.paceBaud < 0 ? controller_.LineSpeed() : faults_.paceBaud;
    }
    if (baud > 0) c.lineEndNs = std::max(c.lineEndNs, now) + int64_t(n) * 10 * 1000000000 / baud;
    for (int i = 0; i < n && !c.dead; ++i) {
        const uint8_t b = data[i];
        c.lastByteNs = now;
        auto& f = c.frame;
        if (f.empty()) {
            if (b == 0xCC) f.push_back(b);  // preambles and noise are skipped
            continue;
        }
        if (f.size() == 2 && b < 6) {
            f.clear();
            if (b == 0xCC) f.push_back(b);
            continue;
        }
        f.push_back(b);
        if (f.size() >= 3 && f.size() == f[2]) {
            std::vector<uint8_t> frame;
            frame.swap(f);
            Serve(c, frame);
        }
    }
}

bool Qrtsim::Take(FaultRule& r, uint8_t command) {
    if (r.times == 0 || (r.command != 0 && r.command != command)) return false;
    if (r.skip > 0) {
        --r.skip;
        return false;
    }
    if (r.times > 0) --r.times;
    return true;
}

void Qrtsim::Serve(Conn& c, const std::vector<uint8_t>& frame) {
    std::vector<uint8_t> wire;
    std::string lostCarrier;  // the modem's "NO CARRIER" when the call drops at this frame
    int delayMs = 0, baud = 0, drop = 0;
    bool replayed = false;
    {
        std::lock_guard<std::mutex> lock(mu_);
        ++stats_.framesSeen;
        const uint8_t addr = frame[1];
        if (Crc16(frame.data(), uint16_t(frame.size())) != 0 ||
            (addr != controller_.Address() && addr != 0xFF && !(replay_ && replay_->Holds(addr))))
            return;
        if (c.pty && modem_) {
            const auto action = modem_->BeforeFrame(lostCarrier);
            if (action == SimModem::FrameAction::kUnplug) {
                // The modem goes away: the master side closes and the port hangs up.
                ptyMaster_ = -1;
                c.dead = true;
                return;
            }
        }
        if (lostCarrier.empty() && replay_) {
            if (replay_->Answer(frame, wire)) {
                ++stats_.replayed;
                stats_.bytesOut += wire.size();
                replayed = true;
            } else {
                ++stats_.notCaptured;
            }
        }
        if (lostCarrier.empty() && !replayed) {
            const uint8_t cmd = frame[3];
            Faults& f = faults_;
            baud = f.paceBaud < 0 ? controller_.LineSpeed() : f.paceBaud;
            if (Take(f.silence, cmd)) return;
            std::vector<uint8_t> reply;
            controller_.archiveErrorFlag = f.archiveError;
            controller_.averageOutOfOrder = (cmd == 15 || cmd == 16) && Take(f.outOfOrder, cmd);
            controller_.averageAhead = (cmd == 15 || cmd == 16) && Take(f.ahead, cmd);
            if (Take(f.refuse, cmd)) {
                reply = controller_.Refusal(cmd, f.refuseCode, f.refuseExtra);
            } else if (!controller_.Handle(frame.data(), int(frame.size()), reply)) {
                return;
            }
            if (Take(f.wrongEcho, cmd) && reply.size() >= 8) {
                reply[5] = uint8_t(reply[5] + 1);
                FixCrc(reply);
            }
            if (Take(f.badCheck, cmd)) reply.back() ^= 0xFF;
            if (Take(f.garbage, cmd)) {
                for (int i = 0; i < f.garbageBytes; ++i) wire.push_back(uint8_t(0x10 + 0x25 * i) == 0x33 ? 0x34 : uint8_t(0x10 + 0x25 * i));
            }
            wire.insert(wire.end(), controller_.ReplyPreambles(), 0xFF);
            if (Take(f.otherAddress, cmd)) {
                std::vector<uint8_t> other = reply;
                other[1] = uint8_t(reply[1] == 254 ? 1 : reply[1] + 1);
                FixCrc(other);
                wire.insert(wire.end(), other.begin(), other.end());
            }
            size_t frameBytes = reply.size();
            if (Take(f.stall, cmd)) frameBytes = std::min<size_t>(frameBytes, size_t(std::max(f.stallAfterBytes, 0)));
            wire.insert(wire.end(), reply.begin(), reply.begin() + long(frameBytes));
            delayMs = f.answerDelayMs;
            drop = f.dropAfterExchanges;
            ++stats_.repliesSent;
            stats_.bytesOut += wire.size();
        }
    }
    if (!lostCarrier.empty()) return WriteRaw(c, lostCarrier);
    if (replayed && wire.empty()) return;  // the captured attempt got no answer
    if (delayMs > 0) SleepUntilNs(MonoNs() + int64_t(delayMs) * 1000000);
    SendPaced(c, wire, baud);
    ++c.exchanges;
    if (!c.pty && drop > 0 && c.exchanges >= drop) c.dead = true;
}

void Qrtsim::SendPaced(Conn& c, const std::vector<uint8_t>& bytes, int baud) {
    auto writeAll = [&](const uint8_t* p, size_t n) {
        while (n > 0) {
            ssize_t w = c.pty ? ::write(c.fd, p, n) : ::send(c.fd, p, n, MSG_NOSIGNAL);
            if (w > 0) {
                p += w;
                n -= size_t(w);
            } else if (w < 0 && (errno == EAGAIN || errno == EINTR)) {
                pollfd pf{c.fd, POLLOUT, 0};
                if (::poll(&pf, 1, 100) <= 0) return;
            } else {
                if (!c.pty) c.dead = true;
                return;
            }
        }
    };
    if (baud <= 0) {
        writeAll(bytes.data(), bytes.size());
        return;
    }
    // Each byte leaves when a real line would have delivered it, after the request
    // itself has had its line time.
    const int64_t charNs = int64_t(10) * 1000000000 / baud;
    const int64_t t0 = std::max(MonoNs(), c.lineEndNs);
    size_t sent = 0;
    while (sent < bytes.size()) {
        const int64_t now = MonoNs();
        const int64_t elapsed = now - t0;
        const size_t due = elapsed <= 0 ? 0 : size_t(std::min<int64_t>(int64_t(bytes.size()), elapsed / charNs));
        if (due > sent) {
            writeAll(bytes.data() + sent, due - sent);
            sent = due;
            continue;
        }
        SleepUntilNs(t0 + int64_t(sent + 1) * charNs);
    }
    c.lineEndNs = t0 + int64_t(bytes.size()) * charNs;
}

void Qrtsim::SetFaults(const Faults& f) {
    std::lock_guard<std::mutex> lock(mu_);
    faults_ = f;
}

Faults Qrtsim::faults() const {
    std::lock_guard<std::mutex> lock(mu_);
    return faults_;
}

std::vector<uint8_t> Qrtsim::Field(int t, int f) {
    std::lock_guard<std::mutex> lock(mu_);
    return controller_.Field(t, f);
}

std::vector<uint8_t> Qrtsim::TableBytes(int t) {
    std::lock_guard<std::mutex> lock(mu_);
    return controller_.TableBytes(t);
}

bool Qrtsim::SetField(int t, int f, const std::vector<uint8_t>& bytes) {
    std::lock_guard<std::mutex> lock(mu_);
    return controller_.SetField(t, f, bytes);
}

bool Qrtsim::SetByte(int t, int f, uint8_t v) { return SetField(t, f, {v}); }

void Qrtsim::DamageTable(int t, uint8_t state) {
    std::lock_guard<std::mutex> lock(mu_);
    controller_.DamageTable(t, state);
}

void Qrtsim::RepairTable(int t) {
    std::lock_guard<std::mutex> lock(mu_);
    controller_.RepairTable(t);
}

void Qrtsim::SetTableMissing(int t, bool missing) {
    std::lock_guard<std::mutex> lock(mu_);
    controller_.SetTableMissing(t, missing);
}

uint8_t Qrtsim::Address() {
    std::lock_guard<std::mutex> lock(mu_);
    return controller_.Address();
}

void Qrtsim::SetClock(double dateTime) {
    std::lock_guard<std::mutex> lock(mu_);
    controller_.clock().Set(SecondsFromDateTime(dateTime));
}

void Qrtsim::SetClockRate(double rate) {
    std::lock_guard<std::mutex> lock(mu_);
    controller_.clock().SetRate(rate);
}

double Qrtsim::ClockNow() {
    std::lock_guard<std::mutex> lock(mu_);
    return DateTimeFromSeconds(controller_.Now());
}

std::vector<std::array<uint8_t, 24>> Qrtsim::Interventions(uint32_t* first) {
    std::lock_guard<std::mutex> lock(mu_);
    controller_.SyncArchives();
    if (first) *first = controller_.archives().FirstInterventionIndex();
    std::vector<std::array<uint8_t, 24>> out;
    for (auto& e : controller_.archives().Interventions()) out.push_back(e.bytes);
    return out;
}

std::vector<std::array<uint8_t, 24>> Qrtsim::Diagnostics(uint32_t* first) {
    std::lock_guard<std::mutex> lock(mu_);
    controller_.SyncArchives();
    if (first) *first = controller_.archives().FirstDiagnosticIndex();
    std::vector<std::array<uint8_t, 24>> out;
    for (auto& e : controller_.archives().Diagnostics()) out.push_back(e.bytes);
    return out;
}

void Qrtsim::WithController(const std::function<void(SimController&)>& f) {
    std::lock_guard<std::mutex> lock(mu_);
    f(controller_);
}

void Qrtsim::SetReplay(std::unique_ptr<SimReplay> replay) {
    std::lock_guard<std::mutex> lock(mu_);
    replay_ = std::move(replay);
    // What the capture lacks is answered from the captured controller's address too.
    if (replay_ && replay_->ControllerAddress() != 0) controller_.SetField(3, 0, {replay_->ControllerAddress()});
}

SimStats Qrtsim::stats() const {
    std::lock_guard<std::mutex> lock(mu_);
    return stats_;
}

}  // namespace zul::sim
