#include "link/Comportfunctions.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <mutex>

namespace zul {

namespace {
std::map<int, std::string>& Overrides() {
    static std::map<int, std::string> m;
    return m;
}
std::mutex& OverridesMutex() {
    static std::mutex m;
    return m;
}
}  // namespace

std::string DefaultPortDevicePath(int n) {
    if (n >= 1 && n <= 16) return "/dev/ttyS" + std::to_string(n - 1);
    if (n >= 17 && n <= 32) return "/dev/ttyUSB" + std::to_string(n - 17);
    if (n >= 33 && n <= 48) return "/dev/ttyACM" + std::to_string(n - 33);
    return {};
}

std::string PortDevicePath(int n) {
    std::lock_guard<std::mutex> lock(OverridesMutex());
    auto it = Overrides().find(n);
    if (it != Overrides().end()) return it->second;
    return DefaultPortDevicePath(n);
}

void SetPortDevicePath(int n, const std::string& path) {
    std::lock_guard<std::mutex> lock(OverridesMutex());
    if (path.empty())
        Overrides().erase(n);
    else
        Overrides()[n] = path;
}

PosixSerialPort::~PosixSerialPort() { Close(); }

bool PosixSerialPort::OpenComPort(int portNumber, int baud, int dataBits, int parity, int stopBits,
                           int, int, bool dtr, bool rts) {
    std::string path = PortDevicePath(portNumber);
    openPath_ = path;
    openErrno_ = ENOENT;
    if (path.empty()) return false;
    return OpenPath(path, baud, dataBits, parity, stopBits, dtr, rts);
}

bool PosixSerialPort::OpenPath(const std::string& path, int baud, int dataBits, int parity,
                               int stopBits, bool dtr, bool rts) {
    Close();
    openPath_ = path;
    openErrno_ = 0;
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        openErrno_ = errno;
        return false;
    }
    // Exclusive: TIOCEXCL (below) keeps other openers out (but not root), flock keeps
    // out every program that asks for the lock, ours included.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        openErrno_ = EBUSY;
        ::close(fd);
        return false;
    }
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) {
        openErrno_ = errno;
        ::close(fd);
        return false;
    }
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~CSIZE;
    switch (std::clamp(dataBits, 4, 8)) {
    case 4: case 5: tio.c_cflag |= CS5; break;
    case 6: tio.c_cflag |= CS6; break;
    case 7: tio.c_cflag |= CS7; break;
    default: tio.c_cflag |= CS8; break;
    }
    tio.c_cflag &= ~(PARENB | PARODD);
    if (parity == 1) tio.c_cflag |= PARENB;
    else if (parity == 2) tio.c_cflag |= PARENB | PARODD;
    // One and a half stop bits do not exist in termios: two is the nearest.
    if (stopBits == 1 || stopBits == 2) tio.c_cflag |= CSTOPB;
    else tio.c_cflag &= ~CSTOPB;
    tio.c_cflag &= ~CRTSCTS;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
        openErrno_ = errno;
        ::close(fd);
        return false;
    }
    // USB adapters hold received bytes up to 16 ms before passing them on unless the
    // driver is asked for low latency; drivers that have no such setting refuse it.
    serial_struct ss{};
    if (::ioctl(fd, TIOCGSERIAL, &ss) == 0 && !(ss.flags & ASYNC_LOW_LATENCY)) {
        ss.flags |= ASYNC_LOW_LATENCY;
        ::ioctl(fd, TIOCSSERIAL, &ss);
    }
    // Set last, so that no failed open leaves it behind; Close clears it again.
    ::ioctl(fd, TIOCEXCL);
    fd_ = fd;
    path_ = path;
    if (!SetBaudRate(baud)) {
        Close();
        return false;
    }
    SetDtr(dtr);
    SetRts(rts);
    return true;
}

void PosixSerialPort::Close() {
    if (fd_ >= 0) {
        // The exclusive mode outlives the descriptor while the device stays open elsewhere
        // (a pseudo-terminal's other end, a getty): without this, every later open by
        // anyone but root is refused.
        ::ioctl(fd_, TIOCNXCL);
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
    }
    fd_ = -1;
}

bool PosixSerialPort::SetBaudRate(int baud) {
    if (fd_ < 0) return false;
    return SetTermiosSpeed(fd_, std::clamp(baud, 110, 256000));
}

bool PosixSerialPort::Purge() { return fd_ >= 0 && ::tcflush(fd_, TCIOFLUSH) == 0; }

bool PosixSerialPort::SetModemLine(int bit, bool on) {
    if (fd_ < 0) return false;
    // A pseudo-terminal has no modem lines (ENOTTY): the caller carries on without them.
    return ::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bit) == 0;
}

bool PosixSerialPort::SetRts(bool on) { return SetModemLine(TIOCM_RTS, on); }
bool PosixSerialPort::SetDtr(bool on) { return SetModemLine(TIOCM_DTR, on); }
bool PosixSerialPort::ClearComErrors() { return fd_ >= 0; }

bool PosixSerialPort::GetRs485(Rs485Setup& out) {
    serial_rs485 r{};
    if (fd_ < 0 || ::ioctl(fd_, TIOCGRS485, &r) != 0) return false;
    out.enabled = (r.flags & SER_RS485_ENABLED) != 0;
    out.rtsOnSend = (r.flags & SER_RS485_RTS_ON_SEND) != 0;
    out.delayBeforeMs = r.delay_rts_before_send;
    out.delayAfterMs = r.delay_rts_after_send;
    return true;
}

bool PosixSerialPort::SetRs485(const Rs485Setup& setup) {
    serial_rs485 r{};
    // Keeps the driver's other settings (bus termination, receiving while sending).
    if (fd_ < 0 || ::ioctl(fd_, TIOCGRS485, &r) != 0) return false;
    r.flags &= ~uint32_t(SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND | SER_RS485_RTS_AFTER_SEND);
    if (setup.enabled) r.flags |= SER_RS485_ENABLED;
    r.flags |= setup.rtsOnSend ? SER_RS485_RTS_ON_SEND : SER_RS485_RTS_AFTER_SEND;
    r.delay_rts_before_send = setup.delayBeforeMs;
    r.delay_rts_after_send = setup.delayAfterMs;
    return ::ioctl(fd_, TIOCSRS485, &r) == 0;
}

bool PosixSerialPort::DrainOutput() { return fd_ >= 0 && ::tcdrain(fd_) == 0; }

int PosixSerialPort::TransmitterEmpty() {
    unsigned int lsr = 0;
    if (fd_ < 0 || ::ioctl(fd_, TIOCSERGETLSR, &lsr) != 0) return -1;
    return (lsr & TIOCSER_TEMT) ? 1 : 0;
}

bool PosixSerialPort::Write(const uint8_t* data, size_t n) {
    if (fd_ < 0) return false;
    size_t done = 0;
    while (done < n) {
        ssize_t w = ::write(fd_, data + done, n - done);
        if (w > 0) {
            done += size_t(w);
            continue;
        }
        if (w < 0 && errno == EINTR) continue;
        if (w < 0 && errno == EAGAIN) {
            pollfd pfd{fd_, POLLOUT, 0};
            if (::poll(&pfd, 1, 2000) <= 0 || (pfd.revents & (POLLERR | POLLHUP))) return false;
            continue;
        }
        return false;
    }
    return true;
}

int PosixSerialPort::ReadSome(uint8_t* data, size_t max) {
    if (fd_ < 0) return -1;
    for (;;) {
        ssize_t r = ::read(fd_, data, max);
        if (r > 0) return int(r);
        if (r == 0) return -1;  // the other end went away
        if (errno == EINTR) continue;
        if (errno == EAGAIN) return 0;
        return -1;
    }
}

bool PosixSerialPort::WaitReadable(int timeoutMs) {
    if (fd_ < 0) return false;
    pollfd pfd{fd_, POLLIN, 0};
    int r = ::poll(&pfd, 1, timeoutMs);
    return r > 0 && (pfd.revents & (POLLIN | POLLHUP | POLLERR));
}

std::unique_ptr<SerialPort> MakeSystemSerialPort() { return std::make_unique<PosixSerialPort>(); }

int64_t PerformanceFrequency() { return 1000000000; }

bool ContainsText(const std::string& text, const std::string& pattern) {
    if (text.empty() || text.size() < pattern.size()) return false;
    return text.find(pattern) != std::string::npos;
}

}  // namespace zul
