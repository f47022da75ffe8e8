#include "link/Qrtbox.h"

#include "link/ExchangeCapture.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "link/Comportfunctions.h"
#include "link/PortAccess.h"
#include "shell/UserInterface.h"

namespace zul {

extern const char* const kEngineMessages[Qrtbox::kMessageCount + Qrtbox::kOwnMessages];

namespace {

struct CrcTable {
    uint16_t t[256];
    constexpr CrcTable() : t{} {
        for (int i = 0; i < 256; ++i) {
            uint16_t c = uint16_t(i);
            for (int k = 0; k < 8; ++k) c = (c & 1) ? uint16_t((c >> 1) ^ 0xA001) : uint16_t(c >> 1);
            t[i] = c;
        }
    }
};
constexpr CrcTable kCrc;

// How long one wait for reply bytes may last before events are processed again.
constexpr int kEventSliceMs = 20;

}  // namespace

uint16_t Crc16(const uint8_t* bytes, uint16_t length) {
    uint16_t crc = 0xFFFF;
    for (uint16_t i = 0; i < length; ++i) crc = uint16_t((crc >> 8) ^ kCrc.t[(crc ^ bytes[i]) & 0xFF]);
    return crc;
}

int FrameLength(uint8_t command, int count) {
    switch (command) {
    case 1: return 10;
    case 2: return 23 + count;
    case 7: return 13;
    case 8: return 21;
    case 12: return 24;
    case 14: return 19;
    case 15: return 17;
    case 16: return 15;
    case 25: case 32: case 33: return 22;
    default: return 0;
    }
}

Qrtbox::Qrtbox(uint8_t addr) : port(MakeSystemSerialPort()), address(addr) {
    writePassword.fill(0x20);
    identCode.fill(0x20);
    for (size_t i = 0; i < messages.size(); ++i) messages[i] = kEngineMessages[i];
}

Qrtbox::~Qrtbox() { ClosePort(); }

void Qrtbox::ProcessEvents() {
    if (ui) ui->ProcessEvents();
}

std::string Qrtbox::Message(uint32_t code) const {
    if (code == kErrDevice) return deviceText_;
    if (code == kErrPortBusy) {
        if (!portDevice.empty()) return "Коммуникационный порт " + portDevice + " недоступен";
        char buf[128];
        std::snprintf(buf, sizeof buf, "Коммуникационный порт COM%d недоступен", portNumber);
        return buf;
    }
    if (code < messages.size()) return messages[code];
    return {};
}

void Qrtbox::SetDeviceErrorText(uint8_t code) {
    if (code >= 1 && code <= 64) {
        deviceText_ = messages[22 + code];
    } else {
        char buf[64];
        std::snprintf(buf, sizeof buf, "Код ошибки = %d", code);
        deviceText_ = buf;
    }
    errorText = deviceText_;
}

const std::string& Qrtbox::ErrorText() {
    std::string text = Message(errorCode);
    char head[48];
    std::snprintf(head, sizeof head, "Команда %d.  ", lastCommand);
    errorText = head + text;
    // A refusal "Разрушена таблица" names the damaged table in reply byte 6.
    if (errorCode == kErrDevice && reply[4] == 60) errorText += " " + std::to_string(reply[6]);
    return errorText;
}

std::string Qrtbox::PortOpenFailure() const { return zul::PortOpenFailure(openPath_, openErrno_); }

namespace {
// Failures of an open that waiting does not mend: only a busy port may come free.
bool Lasting(int err) {
    return err == EACCES || err == EPERM || err == ENOENT || err == ENODEV || err == ENXIO || err == ENOTDIR;
}
}  // namespace

bool Qrtbox::OpenPort() {
    const bool lost = reopen_;  // a lost port not back yet is tried again by the next exchange
    ClosePort();
    openErrno_ = 0;
    openPath_.clear();
    const int64_t start = clock->MonotonicNs();
    const int64_t waitNs = int64_t(portWaitSeconds) * 1000000000;
    bool got = false;
    // At least one try, then retry a busy port for the whole wait.
    do {
        const bool opened = portDevice.empty()
                                ? port->OpenComPort(portNumber, baudRate, 8, 0, 0, 1000, 1000, true, false)
                                : port->OpenDevice(portDevice, baudRate, 8, 0, 0, true, false);
        if (opened) {
            got = true;
            break;
        }
        openErrno_ = port->LastOpenErrno();
        openPath_ = port->LastOpenPath();
        if (openPath_.empty()) openPath_ = portDevice.empty() ? PortDevicePath(portNumber) : portDevice;
        if (Lasting(openErrno_)) break;
        ProcessEvents();
        clock->WaitMs(50);
    } while (clock->MonotonicNs() - start < waitNs);
    if (!got) {
        reopen_ = lost;
        errorCode = kErrPortBusy;
        errorText = Message(kErrPortBusy);
        return false;
    }
    openErrno_ = 0;
    reopen_ = false;
    port->SetReadTimeouts(0xFFFFFFFF, 0, 0);  // reads return at once with what has arrived
    port->SetDtr(true);
    SetUpTransmitter();
    clock->WaitMs(100);
    return true;
}

void Qrtbox::SetUpTransmitter() {
    rs485InForce_ = kRs485Adapter;
    driverRs485Changed_ = false;
    if (linkKind != kLinkDirect || rs485Mode == kRs485Adapter) return;
    Rs485Setup before;
    const bool driverHasIt = port->GetRs485(before);
    if (driverHasIt && rs485Mode != kRs485Program) {
        // RTS up 2 ms before the first bit, as the program does it, and down one
        // character after the last (in whole milliseconds, as the driver counts).
        Rs485Setup ours;
        ours.enabled = true;
        ours.rtsOnSend = rtsOnSend != 0;
        ours.delayBeforeMs = 2;
        const int baud = std::max(baudRate, 1);
        ours.delayAfterMs = uint32_t((10000 + baud - 1) / baud);
        if (port->SetRs485(ours)) {
            driverRs485_ = before;
            driverRs485Changed_ = !(before == ours);
            rs485InForce_ = kRs485Kernel;
            return;
        }
    } else if (driverHasIt && before.enabled) {
        // The program switches RTS itself: the driver must not switch it as well.
        Rs485Setup off = before;
        off.enabled = false;
        if (port->SetRs485(off)) {
            driverRs485_ = before;
            driverRs485Changed_ = true;
        }
    }
    // The program switches RTS (also where the driver refused its RS-485 mode).
    rs485InForce_ = kRs485Program;
    port->SetRts(rtsOnSend == 0);  // receiving
}

void Qrtbox::ClosePort() {
    if (port && port->IsOpen()) {
        if (driverRs485Changed_) port->SetRs485(driverRs485_);  // the driver as it was before us
        port->Close();
    }
    driverRs485Changed_ = false;
    rs485InForce_ = kRs485Adapter;
    reopen_ = false;  // closed on purpose: nothing to open again by itself
    pendingBegin_ = pendingEnd_ = 0;
}

void Qrtbox::DropLostPort() {
    ClosePort();
    reopen_ = true;
}

bool Qrtbox::Exchange(uint8_t command, const uint8_t* data, int count, uint8_t parameter) {
    ++exchanging_;
    ++exchanges_;
    const bool ok = RunExchange(command, data, count, parameter);
    --exchanging_;
    return ok;
}

bool Qrtbox::RunExchange(uint8_t command, const uint8_t* data, int count, uint8_t parameter) {
    if (abortRequest) {
        abortRequest = 0;
        errorCode = kErrAborted;
        return false;
    }
    errorCode = kErrOk;
    lastCommand = command;
    request.fill(0);
    request[0] = 0xCC;
    request[1] = address;
    request[3] = command;

    const int L = FrameLength(command, count);
    if (L == 0) {
        errorCode = kErrCommandCode;
        return false;
    }
    // Guard the caller's data against the frame: nothing may run past the body.
    auto fixedBody = [&](int size) {
        if (count < 0 || count > size || (count > 0 && !data)) return false;
        if (count > 0) std::memcpy(&request[4], data, size_t(count));
        return true;
    };
    bool ok = true;
    switch (command) {
    case 1:
        ok = data != nullptr;
        if (ok) {
            request[4] = parameter;
            std::memcpy(&request[5], data, 3);
        }
        break;
    case 2:
        ok = data != nullptr && count >= 3 && count - 3 <= kMaxWriteValues;
        if (ok) {
            std::memcpy(&request[4], writePassword.data(), 12);
            std::memcpy(&request[16], identCode.data(), 4);
            request[20] = parameter;
            std::memcpy(&request[21], data, size_t(count));
        }
        break;
    case 12:
        ok = data != nullptr;
        if (ok) {
            std::memcpy(&request[4], writePassword.data(), 12);
            std::memcpy(&request[16], identCode.data(), 4);
            request[20] = data[0];
            request[21] = data[1];
        }
        break;
    case 25: case 32: case 33:
        std::memcpy(&request[4], writePassword.data(), 12);
        std::memcpy(&request[16], identCode.data(), 4);
        break;
    default:
        ok = fixedBody(L - 6);
        break;
    }
    if (!ok) {
        errorCode = kErrRequestTooLong;
        return false;
    }
    request[2] = uint8_t(L);
    const uint16_t crc = Crc16(request.data(), uint16_t(L - 2));
    request[L - 2] = uint8_t(crc & 0xFF);
    request[L - 1] = uint8_t(crc >> 8);

    // A port lost in an earlier exchange (a USB adapter pulled and plugged back) is opened again.
    if ((openPerExchange || reopen_) && linkKind != kLinkEthernet && !OpenPort()) return false;
    if (statusPanel) {
        statusPanel->SetPanelText(statusPanelIndex, "Обмен...");
        statusPanel->Repaint();
    }
    // An attempt count of 0 would report success without a word sent: one attempt at least.
    int counter = std::max<int>(attempts, 1);
    attempt_ = 0;
    while (counter != 0) {
        if (abortRequest) {
            errorCode = kErrAborted;
            break;
        }
        ++attempt_;
        if (SendReceive(L)) break;
        if (reopen_) break;  // the line is gone: no attempt can reach the controller
        --counter;
    }
    lastExchangeTime = clock->LocalNow();
    if (statusPanel) {
        statusPanel->SetPanelText(statusPanelIndex, "");
        statusPanel->Repaint();
    }
    if (openPerExchange) {
        ClosePort();
        clock->WaitMs(150);
    }
    abortRequest = 0;
    return errorCode == kErrOk;
}

void Qrtbox::Notify(ExchangeEvent::Kind kind, const uint8_t* bytes, int count, int attempt) {
    if (!observer) return;
    // Observers trace and record exchanges: the write password never leaves in clear.
    std::array<uint8_t, 512> masked;
    const int at = preambleCount + kWritePasswordAt;
    const bool secret = kind == ExchangeEvent::kRequest && CarriesWritePassword(lastCommand);
    if (secret && count >= at + kWritePasswordSize && count <= int(masked.size())) {
        std::memcpy(masked.data(), bytes, size_t(count));
        std::memset(masked.data() + at, '*', kWritePasswordSize);
        bytes = masked.data();
    }
    ExchangeEvent e{kind, bytes, count, clock->MonotonicNs(), lastCommand, attempt, errorCode};
    observer->OnExchangeEvent(e);
}

bool Qrtbox::Transmit(int n) {
    if (linkKind == kLinkEthernet) {
        if (tcpSendPauseMs > 0) {
            const int64_t until = clock->MonotonicNs() + int64_t(tcpSendPauseMs) * 1000000;
            while (clock->MonotonicNs() < until) {
                ProcessEvents();
                clock->WaitUntil(std::min<int64_t>(until, clock->MonotonicNs() + int64_t(kEventSliceMs) * 1000000));
            }
        }
        DiscardWaiting();
        Notify(ExchangeEvent::kRequest, out_.data(), n, attempt_);
        ssize_t sent = sock > 0 ? ::send(sock, out_.data(), size_t(n), MSG_NOSIGNAL) : -1;
        if (sent != n) {
            errorCode = kErrTcpSend;
            return false;
        }
        return true;
    }
    port->SetBaudRate(baudRate);
    port->Purge();
    pendingBegin_ = pendingEnd_ = 0;
    // RTS by the program: a line without RTS (a pseudo-terminal) refuses it, and then
    // nothing is timed.
    const bool rts = linkKind == kLinkDirect && rs485InForce_ == kRs485Program && port->SetRts(rtsOnSend != 0);
    if (rts) clock->WaitMs(2);
    Notify(ExchangeEvent::kRequest, out_.data(), n, attempt_);
    if (!port->Write(out_.data(), size_t(n))) {
        port->ClearComErrors();
        if (rts) port->SetRts(rtsOnSend == 0);
        errorCode = kErrPortWrite;
        if (linkKind != kLinkEthernet) DropLostPort();
        return false;
    }
    if (rts) ReleaseTransmitter(n);
    return true;
}

void Qrtbox::ReleaseTransmitter(int n) {
    // The frame and one character more, counted from the write's return: the line
    // started sending no later, so a thread held up before or inside the write (a busy
    // machine, a slow observer) never drops RTS on the frame's last bytes.
    const int64_t charNs = int64_t(1e10 / double(baudRate > 0 ? baudRate : 1));
    const int64_t frameEnd = clock->MonotonicNs() + int64_t(n + 1) * charNs;
    // Sooner where the driver tells: once it has passed every byte on (tcdrain) and the
    // transmitter has sent its last bit, the check bytes are out.
    int empty = port->DrainOutput() ? port->TransmitterEmpty() : -1;
    if (empty < 0) {
        clock->WaitUntilExactly(frameEnd);
    } else {
        while (empty == 0 && clock->MonotonicNs() < frameEnd) {
            clock->WaitUntil(std::min(frameEnd, clock->MonotonicNs() + charNs));
            empty = port->TransmitterEmpty();
        }
    }
    port->SetRts(rtsOnSend == 0);
}

// A reply that came after its wait, or the rest of one that followed a complete
// frame, would be taken for the answer to the next request and keep every later
// exchange one behind: what is waiting goes before a request, as the serial line's
// purge does. A closed connection is left for the send or the wait to report.
void Qrtbox::DiscardWaiting() {
    pendingBegin_ = pendingEnd_ = 0;
    uint8_t scrap[512];
    while (sock > 0 && ::recv(sock, scrap, sizeof scrap, MSG_DONTWAIT) > 0) {
    }
}

// Fills `buf` with bytes that arrived, waiting at most waitMs for the first.
// Returns the count, 0 when nothing came, -1 when the link failed (errorCode set).
int Qrtbox::ReceiveSome(uint8_t* buf, int max, int waitMs) {
    if (linkKind == kLinkEthernet) {
        if (sock <= 0) {
            errorCode = kErrTcpRecv;
            return -1;
        }
        pollfd pfd{sock, POLLIN, 0};
        int r = ::poll(&pfd, 1, std::max(waitMs, 0));
        if (r < 0) return errno == EINTR ? 0 : (errorCode = kErrTcpRecv, -1);
        if (r == 0) return 0;
        int avail = 0;
        if (::ioctl(sock, FIONREAD, &avail) < 0) {
            errorCode = kErrTcpRecv;
            return -1;
        }
        if (avail <= 0) {
            // Readable with nothing waiting: the peer closed the connection.
            errorCode = kErrTcpRecv;
            return -1;
        }
        ssize_t got = ::recv(sock, buf, size_t(std::min(avail, max)), 0);
        if (got <= 0) {
            errorCode = kErrTcpRecv;
            return -1;
        }
        return int(got);
    }
    if (!port->IsOpen()) {
        errorCode = kErrPortNotOpen;
        return -1;
    }
    if (!port->WaitReadable(std::max(waitMs, 0))) return 0;
    int got = port->ReadSome(buf, size_t(max));
    if (got < 0) {
        port->ClearComErrors();
        errorCode = kErrLinkLost;
        DropLostPort();
        return -1;
    }
    return got;
}

bool Qrtbox::SendReceive(int L) {
    ProcessEvents();
    if (abortRequest) {
        abortRequest = 0;
        errorCode = kErrAborted;
        return false;
    }
    if (request[0] != 0xCC) {
        errorCode = kErrStartByte;
        return false;
    }
    errorCode = kErrOk;
    const int n = preambleCount + L;
    std::memset(out_.data(), 0xFF, preambleCount);
    std::memcpy(out_.data() + preambleCount, request.data(), size_t(L));
    received_ = 0;
    if (!Transmit(n)) {
        Notify(ExchangeEvent::kReply, receivedLog_.data(), 0, attempt_);
        return false;
    }

    std::memset(reply.data(), 0, 255);
    const int64_t replyDeadline = clock->MonotonicNs() + int64_t(replyTimeoutMs) * 1000000;
    const int64_t interByteNs = int64_t(interByteTimeoutMs) * 1000000;
    int64_t lastByteNs = 0;
    int p = 0;
    bool complete = false;
    while (errorCode == kErrOk) {
        ProcessEvents();
        if (abortRequest) {
            abortRequest = 0;
            errorCode = kErrAborted;
            break;
        }
        if (pendingBegin_ == pendingEnd_) {
            int64_t now = clock->MonotonicNs();
            int64_t limit = p < 2 ? replyDeadline : lastByteNs + interByteNs;
            int64_t leftMs = (limit - now + 999999) / 1000000;
            int waitMs = int(std::clamp<int64_t>(leftMs, 0, kEventSliceMs));
            pendingBegin_ = pendingEnd_ = 0;  // a failed receive must not bring old bytes back
            int got = ReceiveSome(pending_.data(), int(pending_.size()), waitMs);
            if (got < 0) break;
            pendingEnd_ = got;
            if (got > 0) {
                int keep = std::min<int>(got, int(receivedLog_.size()) - received_);
                if (keep > 0) std::memcpy(receivedLog_.data() + received_, pending_.data(), size_t(keep));
                received_ += keep;
            }
        }
        const int64_t arrived = clock->MonotonicNs();
        while (pendingBegin_ < pendingEnd_ && !complete) {
            const uint8_t b = pending_[size_t(pendingBegin_++)];
            reply[size_t(p)] = b;
            if (p == 0) {
                if (b == 0x33) p = 1;
            } else if (p == 1) {
                if (b == address) {
                    p = 2;
                } else if (request[1] == 0xFF) {
                    address = b;  // a broadcast: talk to whoever answered
                    p = 2;
                } else if (request[3] == 2 && request[21] == 3 && request[22] == 0) {
                    // Writing the address in table 3: the answer may come from the new one.
                    if (b == request[24]) p = 2;
                } else {
                    p = 0;
                }
            } else if (p == 2) {
                p = b < 6 ? 0 : 3;
            } else {
                ++p;
            }
            if (p > 2 && reply[2] <= p) complete = true;
            lastByteNs = arrived;
        }
        if (complete) break;
        const int64_t now = clock->MonotonicNs();
        if (p < 2) {
            if (now > replyDeadline) errorCode = kErrNoReply;
        } else if (now > lastByteNs + interByteNs) {
            errorCode = kErrInterByte;
        }
    }
    if (complete) {
        const int len = reply[2];
        if (Crc16(reply.data(), uint16_t(len)) != 0) {
            errorCode = kErrReplyCheck;
        } else if (reply[3] != (request[3] | 0x80)) {
            errorCode = kErrDevice;
            SetDeviceErrorText(reply[4]);
        }
    }
    if (linkKind != kLinkEthernet && port->IsOpen()) {
        port->Purge();
        pendingBegin_ = pendingEnd_ = 0;
    }
    Notify(ExchangeEvent::kReply, receivedLog_.data(), std::min<int>(received_, int(receivedLog_.size())), attempt_);
    return errorCode == kErrOk;
}

}  // namespace zul
