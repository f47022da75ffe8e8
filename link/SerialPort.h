// A serial port as the link engine and the modem code need it.
// The real one is the termios port of Comportfunctions; tests put doubles in its place.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace zul {

class SerialPort {
public:
    virtual ~SerialPort() = default;
    // Opens port `portNumber` exclusively with the given line settings.
    // parity: 0 none, 1 even, 2 odd; stopBits: 0 one, 1 one and a half, 2 two.
    virtual bool OpenComPort(int portNumber, int baud, int dataBits, int parity, int stopBits,
                      int inQueue, int outQueue, bool dtr, bool rts) = 0;
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
};

}  // namespace zul
