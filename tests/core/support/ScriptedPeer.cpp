#include "core/support/ScriptedPeer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <pty.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "link/Qrtbox.h"

namespace zul::test {

namespace {
int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch()).count();
}
}  // namespace

Bytes ReplyFrame(uint8_t address, uint8_t code, const Bytes& body) {
    Bytes f{0x33, address, uint8_t(6 + body.size()), code};
    f.insert(f.end(), body.begin(), body.end());
    uint16_t crc = Crc16(f.data(), uint16_t(f.size()));
    f.push_back(uint8_t(crc & 0xFF));
    f.push_back(uint8_t(crc >> 8));
    return f;
}

Bytes EchoReply(const Bytes& req, const Bytes& values) {
    const uint8_t cmd = req[3];
    Bytes body;
    if (cmd == 1) {
        body = {req[4], req[5], req[6], req[7]};
    } else if (cmd == 2) {
        body = {req[20], req[21], req[22], req[23]};
    } else {
        body = {0};
    }
    body.insert(body.end(), values.begin(), values.end());
    return ReplyFrame(req[1], uint8_t(cmd | 0x80), body);
}

ScriptedPeer::ScriptedPeer(Kind kind) : kind_(kind) {
    if (::pipe(wake_) != 0) wake_[0] = wake_[1] = -1;
    if (kind == Kind::kPty) {
        int slave = -1;
        char name[256] = {};
        ::openpty(&master_, &slave, name, nullptr, nullptr);
        termios tio{};
        ::tcgetattr(slave, &tio);
        cfmakeraw(&tio);
        ::tcsetattr(slave, TCSANOW, &tio);
        // Our own descriptor of the terminal end keeps the line up while the
        // engine closes and reopens the port between exchanges.
        slaveKeep_ = slave;
        path_ = name;
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    } else {
        listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        int one = 1;
        ::setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listen_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(listen_, 4);
        socklen_t len = sizeof a;
        ::getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
    }
    thread_ = std::thread([this] { Run(); });
}

ScriptedPeer::~ScriptedPeer() {
    stop_ = true;
    if (wake_[1] >= 0) (void)!::write(wake_[1], "x", 1);
    thread_.join();
    for (int fd : {master_, slaveKeep_, listen_, conn_, wake_[0], wake_[1]})
        if (fd >= 0) ::close(fd);
}

void ScriptedPeer::SetScript(PeerScript script) {
    std::lock_guard<std::mutex> lock(mu_);
    script_ = std::move(script);
}

std::vector<Bytes> ScriptedPeer::frames() const {
    std::lock_guard<std::mutex> lock(mu_);
    return frames_;
}
std::vector<Bytes> ScriptedPeer::raw() const {
    std::lock_guard<std::mutex> lock(mu_);
    return raw_;
}
std::vector<int64_t> ScriptedPeer::frameTimesNs() const {
    std::lock_guard<std::mutex> lock(mu_);
    return times_;
}

bool ScriptedPeer::WaitFrames(size_t n, int timeoutMs) const {
    std::unique_lock<std::mutex> lock(mu_);
    return cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return frames_.size() >= n; });
}

void ScriptedPeer::HangUp() {
    std::lock_guard<std::mutex> lock(mu_);
    if (kind_ == Kind::kPty) {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    } else if (conn_ >= 0) {
        ::shutdown(conn_, SHUT_RDWR);
    }
}

namespace {
// Writes to the line; a vanished TCP reader must not raise SIGPIPE.
void Put(int fd, const uint8_t* p, size_t n) {
    if (::send(fd, p, n, MSG_NOSIGNAL) < 0 && errno == ENOTSOCK) (void)!::write(fd, p, n);
}
}  // namespace

void ScriptedPeer::Send(int fd, const PeerStep& step) {
    if (step.delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(step.delayMs));
    const Bytes& b = step.bytes;
    if (step.gapMs == 0) {
        if (!b.empty()) Put(fd, b.data(), b.size());
    } else {
        size_t fast = std::min(step.fastBytes == SIZE_MAX ? size_t(1) : step.fastBytes, b.size());
        if (fast) Put(fd, b.data(), fast);
        for (size_t i = fast; i < b.size(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(step.gapMs));
            Put(fd, &b[i], 1);
        }
    }
    if (step.hangUp) HangUp();
}

void ScriptedPeer::Run() {
    if (kind_ == Kind::kPty) {
        Serve(master_);
        return;
    }
    while (!stop_) {
        pollfd p[2] = {{listen_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        if (::poll(p, 2, 1000) <= 0) continue;
        if (p[1].revents) return;
        int c = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
        if (c < 0) continue;
        {
            std::lock_guard<std::mutex> lock(mu_);
            if (conn_ >= 0) ::close(conn_);
            conn_ = c;
        }
        Serve(c);
    }
}

void ScriptedPeer::Serve(int fd) {
    Bytes buf, pre;
    int index = 0;
    while (!stop_) {
        pollfd p[2] = {{fd, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        int r = ::poll(p, 2, 200);
        if (r < 0) return;
        if (p[1].revents) return;
        if (r == 0) continue;
        uint8_t tmp[512];
        ssize_t n = ::read(fd, tmp, sizeof tmp);
        if (n <= 0) {
            if (kind_ == Kind::kTcp) return;
            if (n < 0 && errno == EAGAIN) continue;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            if (master_ < 0) return;
            continue;
        }
        for (ssize_t i = 0; i < n; ++i) {
            uint8_t b = tmp[i];
            pre.push_back(b);
            if (buf.empty() && b != 0xCC) continue;  // preambles and noise
            buf.push_back(b);
            if (buf.size() >= 3 && buf.size() == buf[2]) {
                PeerScript script;
                {
                    std::lock_guard<std::mutex> lock(mu_);
                    frames_.push_back(buf);
                    raw_.push_back(pre);
                    times_.push_back(NowNs());
                    script = script_;
                }
                cv_.notify_all();
                if (script)
                    for (const PeerStep& s : script(buf, index)) Send(fd, s);
                ++index;
                buf.clear();
                pre.clear();
            }
        }
    }
}

}  // namespace zul::test
