// The link engine: frames a command, sends it over the direct line, the modem
// line or TCP, receives and checks the reply, retries, and numbers every failure.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "link/Clock.h"
#include "link/SerialPort.h"

namespace zul {

class StatusBar;
class UserInterface;

enum LinkKind : uint8_t { kLinkDirect = 0, kLinkPhone = 1, kLinkEthernet = 2 };

// Engine error codes (message entries 0..22) and our own additions after the
// device texts (entries 87..).
enum EngineError : uint32_t {
    kErrOk = 0,
    kErrStartByte = 1,
    kErrCommandCode = 2,
    kErrPortWrite = 3,
    kErrPortRead = 4,
    kErrInterByte = 5,
    kErrPortBusy = 6,
    kErrReplyCheck = 7,
    kErrDevice = 8,
    kErrReplyCommand = 9,
    kErrNoReply = 10,
    kErrReplyLength = 11,
    kErrFileOpen = 12,
    kErrCyclicData = 13,
    kErrTableNumber = 15,
    kErrPortNotOpen = 16,
    kErrRequestId = 18,
    kErrAborted = 19,
    kErrTcpSend = 20,
    kErrTcpRecv = 21,
    kErrRequestTooLong = 87,
    kErrRunOutsideTable = 88,
    kErrLinkLost = 89,
};

// One request or reply as the observer sees it.
struct ExchangeEvent {
    enum Kind { kRequest, kReply } kind;
    const uint8_t* bytes;   // request: preambles and frame as sent; reply: bytes received
    int count;
    int64_t monotonicNs;
    uint8_t command;
    int attempt;            // 1-based
    uint32_t errorCode;     // reply: outcome of the attempt
};

class ExchangeObserver {
public:
    virtual ~ExchangeObserver() = default;
    virtual void OnExchangeEvent(const ExchangeEvent& event) = 0;
};

uint16_t Crc16(const uint8_t* bytes, uint16_t length);

// Body length L of a command's frame, or 0 for a command the engine does not know.
int FrameLength(uint8_t command, int count);

class Qrtbox {
public:
    static constexpr int kMessageCount = 87;
    static constexpr int kOwnMessages = 3;
    static constexpr int kMaxWriteValues = 229;

    explicit Qrtbox(uint8_t address = 0);
    ~Qrtbox();
    Qrtbox(const Qrtbox&) = delete;
    Qrtbox& operator=(const Qrtbox&) = delete;

    bool Exchange(uint8_t command, const uint8_t* data, int count, uint8_t parameter);
    // True from the start of Exchange to its return. The window's events are
    // processed meanwhile; a window that would open a modal dialog then (holding the
    // wait loop past its deadline) waits for this to turn false.
    bool InExchange() const { return exchanging_ > 0; }
    // Exchanges begun so far: tells one failure from the next with the same code.
    uint64_t ExchangeCount() const { return exchanges_; }
    bool SendReceive(int frameLength);
    // Opens the serial port (portDevice, else the device of portNumber) and sets up its
    // RS-485 transmitter. A busy port is tried again for portWaitSeconds; a missing
    // device or one this user may not open is not.
    bool OpenPort();
    // After OpenPort failed: why, in words to act on (busy and by whom, no permission
    // and the group to join, no such device); "" when it did not fail.
    std::string PortOpenFailure() const;
    void ClosePort();
    bool PortOpen() const { return port && port->IsOpen(); }
    const std::string& ErrorText();
    void SetDeviceErrorText(uint8_t code);
    // The message of an error code as it stands in the table (entry 8 = errorText).
    std::string Message(uint32_t code) const;

    // Settings, written directly by their owners.
    uint8_t abortRequest = 0;
    std::array<uint8_t, 256> request{};
    std::array<uint8_t, 256> reply{};
    uint8_t linkKind = kLinkDirect;
    uint8_t portNumber = 1;
    std::string portDevice;             // a device chosen by its path; "" = the device of portNumber
    uint8_t rs485Mode = kRs485Auto;     // direct line: who switches the transmitter
    uint8_t rtsOnSend = 1;              // direct line: RTS level while sending (1 raised, 0 dropped)
    std::unique_ptr<SerialPort> port;   // the COM port device (open or not)
    int sock = 0;                       // connected TCP socket, or 0
    uint32_t portWaitSeconds = 1;
    uint8_t openPerExchange = 1;
    uint8_t address;
    int32_t baudRate = 1200;
    uint8_t preambleCount = 0;
    std::array<uint8_t, 12> writePassword;
    std::array<uint8_t, 4> identCode;
    uint32_t interByteTimeoutMs = 10;
    uint32_t replyTimeoutMs = 2000;
    uint8_t attempts = 2;
    uint32_t tcpSendPauseMs = 500;      // pause before each TCP request
    std::array<std::string, kMessageCount + kOwnMessages> messages;
    uint32_t errorCode = 0;
    double lastExchangeTime = 0;
    // How the transmitter of the open direct line is switched: kRs485Adapter (not at
    // all, also for the other kinds), kRs485Kernel or kRs485Program.
    uint8_t Rs485InForce() const { return rs485InForce_; }
    StatusBar* statusPanel = nullptr;   // shows "Обмен..." in panel 3 while exchanging
    int statusPanelIndex = 3;
    std::string errorText;
    uint8_t lastCommand = 0;

    // Collaborators.
    const Clock* clock = &SystemClock::Instance();
    UserInterface* ui = nullptr;        // event processing while waiting
    ExchangeObserver* observer = nullptr;

private:
    bool RunExchange(uint8_t command, const uint8_t* data, int count, uint8_t parameter);
    void ProcessEvents();
    bool Transmit(int n);
    void SetUpTransmitter();
    void ReleaseTransmitter(int n);
    // A hang-up or I/O error of a held port: closed now, opened again by the next exchange.
    void DropLostPort();
    void DiscardWaiting();
    int ReceiveSome(uint8_t* buf, int max, int waitMs);
    void Notify(ExchangeEvent::Kind kind, const uint8_t* bytes, int count, int attempt);

    std::array<uint8_t, 512> out_{};
    // Bytes taken from the link but not yet used by the reply state machine.
    std::array<uint8_t, 4096> pending_{};
    int pendingBegin_ = 0, pendingEnd_ = 0;
    std::string deviceText_;  // message entry 8
    int attempt_ = 0;
    int received_ = 0;  // bytes of the current attempt (for the observer)
    std::array<uint8_t, 1024> receivedLog_{};
    int exchanging_ = 0;
    uint8_t rs485InForce_ = kRs485Adapter;
    bool driverRs485Changed_ = false;  // the driver's RS-485 setting before ours, restored on close
    Rs485Setup driverRs485_;
    bool reopen_ = false;
    int openErrno_ = 0;
    std::string openPath_;
    uint64_t exchanges_ = 0;
};

}  // namespace zul
