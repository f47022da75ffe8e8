// Serial ports on POSIX termios, and the map from port numbers to device paths.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "link/SerialPort.h"

namespace zul {

// Device path of port number n: an override if one was set, else the default map
// (1..16 -> /dev/ttyS0..15, 17..32 -> /dev/ttyUSB0..15, 33..48 -> /dev/ttyACM0..15).
std::string PortDevicePath(int portNumber);
// Overrides the device of one port number (an empty path removes the override).
void SetPortDevicePath(int portNumber, const std::string& path);
// The default device of a port number, without overrides.
std::string DefaultPortDevicePath(int portNumber);

// The real serial port of this machine.
class PosixSerialPort : public SerialPort {
public:
    ~PosixSerialPort() override;
    bool OpenComPort(int portNumber, int baud, int dataBits, int parity, int stopBits,
              int inQueue, int outQueue, bool dtr, bool rts) override;
    // Opens a device path directly (same settings as Open).
    bool OpenPath(const std::string& path, int baud, int dataBits, int parity, int stopBits,
                  bool dtr, bool rts);
    bool OpenDevice(const std::string& path, int baud, int dataBits, int parity, int stopBits, bool dtr,
                    bool rts) override {
        return OpenPath(path, baud, dataBits, parity, stopBits, dtr, rts);
    }
    void Close() override;
    bool IsOpen() const override { return fd_ >= 0; }
    bool SetBaudRate(int baud) override;
    bool Purge() override;
    bool SetRts(bool on) override;
    bool SetDtr(bool on) override;
    bool ClearComErrors() override;
    bool Write(const uint8_t* data, size_t n) override;
    int ReadSome(uint8_t* data, size_t max) override;
    bool WaitReadable(int timeoutMs) override;
    std::string DevicePath() const override { return path_; }
    int fd() const { return fd_; }
    int LastOpenErrno() const override { return openErrno_; }
    bool GetRs485(Rs485Setup& out) override;
    bool SetRs485(const Rs485Setup& setup) override;
    bool DrainOutput() override;
    int TransmitterEmpty() override;
    std::string LastOpenPath() const override { return openPath_; }

private:
    bool SetModemLine(int bit, bool on);
    int fd_ = -1;
    std::string path_;
    int openErrno_ = 0;
    std::string openPath_;
};

std::unique_ptr<SerialPort> MakeSystemSerialPort();

// Sets any speed on an open termios descriptor (standard or not); false on failure.
bool SetTermiosSpeed(int fd, int baud);

// Frequency of the high-resolution counter (ticks per second).
int64_t PerformanceFrequency();

// True when `pattern` occurs in `text`; false for an empty or shorter text.
bool ContainsText(const std::string& text, const std::string& pattern);

}  // namespace zul
