// A serial port as the link engine and the modem code need it.
// The real one is the termios port of Comportfunctions; tests put doubles in its place.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace zul {

// Who switches the RS-485 transmitter of a direct line.
enum Rs485Mode : uint8_t {
    kRs485Auto = 0,     // the driver's RS-485 mode where the driver has one, else RTS by the program
    kRs485Adapter = 1,  // the adapter itself: RTS is left alone
    kRs485Kernel = 2,   // the driver's RS-485 mode (TIOCSRS485)
    kRs485Program = 3,  // RTS raised and dropped by the program around each request
};

// The RS-485 mode of a driver (struct serial_rs485).
struct Rs485Setup {
    bool enabled = false;
    bool rtsOnSend = true;        // RTS raised while sending (else dropped while sending)
    uint32_t delayBeforeMs = 0;   // RTS switched this long before the first bit
    uint32_t delayAfterMs = 0;    // and back this long after the last
    bool operator==(const Rs485Setup&) const = default;
};

class SerialPort {
public:
    virtual ~SerialPort() = default;
    // Opens port `portNumber` exclusively with the given line settings.
    // parity: 0 none, 1 even, 2 odd; stopBits: 0 one, 1 one and a half, 2 two.
    virtual bool OpenComPort(int portNumber, int baud, int dataBits, int parity, int stopBits,
                      int inQueue, int outQueue, bool dtr, bool rts) = 0;
    // The same for a device given by its path (a stable name chosen in the port list).
    // Doubles that know only numbers leave it refused.
    virtual bool OpenDevice(const std::string& /*path*/, int /*baud*/, int /*dataBits*/, int /*parity*/,
                            int /*stopBits*/, bool /*dtr*/, bool /*rts*/) {
        return false;
    }
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    virtual bool SetBaudRate(int baud) = 0;
    virtual bool Purge() = 0;           // discard transmit and receive buffers
    virtual bool SetRts(bool on) = 0;   // false when the line has no RTS (pseudo-terminal)
    virtual bool SetDtr(bool on) = 0;
    virtual bool ClearComErrors() = 0;
    // Read timeouts of the driver. Reads here never block (the engine waits with
    // poll for the remaining deadline), so the default keeps nothing to set.
    virtual bool SetReadTimeouts(uint32_t /*interval*/, uint32_t /*multiplier*/, uint32_t /*constant*/) {
        return IsOpen();
    }
    // Writes all n bytes; false when the write failed.
    virtual bool Write(const uint8_t* data, size_t n) = 0;
    // Takes up to `max` waiting bytes without blocking: > 0 count, 0 nothing, -1 failure or hang-up.
    virtual int ReadSome(uint8_t* data, size_t max) = 0;
    // Blocks until bytes are waiting or `timeoutMs` passed; true when bytes are waiting.
    virtual bool WaitReadable(int timeoutMs) = 0;
    // The device path behind the open port (for messages and the port list).
    virtual std::string DevicePath() const = 0;
    // errno of the last failed open (0 after a successful one) and the device it tried.
    virtual int LastOpenErrno() const { return 0; }
    virtual std::string LastOpenPath() const { return DevicePath(); }

    // The driver's RS-485 mode (TIOCGRS485, TIOCSRS485). False where the driver has
    // none: a pseudo-terminal and most USB adapters answer ENOTTY, no failure of the line.
    virtual bool GetRs485(Rs485Setup& /*out*/) { return false; }
    virtual bool SetRs485(const Rs485Setup& /*setup*/) { return false; }
    // Blocks until the driver has handed every written byte to the hardware (tcdrain);
    // false when it cannot tell.
    virtual bool DrainOutput() { return false; }
    // Whether the transmitter has sent its last bit (TIOCSERGETLSR): 1 empty, 0 still
    // sending, -1 the driver cannot tell.
    virtual int TransmitterEmpty() { return -1; }
};

}  // namespace zul
