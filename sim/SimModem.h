// A GSM modem in front of the simulated controller: command mode with echo and
// verbose replies, the "+++" escape with its guard time, AT+CPAS, ATD, ATH, ATO,
// and data passed to the controller while a call is up. A pure state machine:
// the simulator feeds it the host's bytes with their monotonic moments, sends what
// it answers, and gives it the controller's share of the bytes.
//
//   zul::sim::SimModem modem;              // command mode, E1 V1, guard time 1 s
//   std::string toHost;  std::vector<uint8_t> toController;
//   modem.FromHost(bytes, n, nowNs, toHost, toController);
//   modem.Tick(nowNs, toHost);             // at NextDueNs(): escape ends, dial outcome
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace zul::sim {

enum class DialOutcome { kConnect, kBusy, kNoCarrier, kNoDialtone, kNoAnswer, kError };

struct ModemSettings {
    int guardMs = 1000;          // silence before and after "+++"
    int dialMs = 300;            // from ATD to its outcome
    int connectSpeed = 9600;     // "CONNECT 9600"
    // Faults.
    DialOutcome dialOutcome = DialOutcome::kConnect;
    int dialFailures = -1;       // how many dials get the outcome (-1: all); later ones connect
    bool cpasError = false;      // ERROR to AT+CPAS
    bool silent = false;         // never answers anything, passes nothing
    int carrierLostAfterFrames = -1;  // the call drops when this many frames have passed (-1: never)
    int unplugAfterFrames = -1;       // the modem goes away (the port hangs up) after this many frames
};

struct ModemStats {
    std::vector<std::string> commands;  // every command line received in command mode, without CR
    std::vector<std::string> dialled;   // the numbers of every ATD
    int escapes = 0;                    // accepted "+++" escapes
    int refusedEscapes = 0;             // "+++" sent without the guard time before it
    int framesPassed = 0;               // frames passed to the controller while online
    bool online = false;
    bool offHook = false;               // a call is up (online or in online command mode)
};

class SimModem {
public:
    explicit SimModem(const ModemSettings& settings = {}) : s_(settings) {}

    // Bytes from the host at `nowNs`: replies and echo go to `toHost`, call data to `toController`.
    void FromHost(const uint8_t* data, int n, int64_t nowNs, std::string& toHost, std::vector<uint8_t>& toController);
    // Runs what is due at `nowNs` (the end of an escape, a dial outcome).
    void Tick(int64_t nowNs, std::string& toHost);
    // The next moment Tick has something to do, or INT64_MAX.
    int64_t NextDueNs() const;

    enum class FrameAction { kPass, kCarrierLost, kUnplug };
    // A complete frame has come through the call: pass it, drop the call, or unplug.
    FrameAction BeforeFrame(std::string& toHost);
    // Whether controller replies reach the host now.
    bool Online() const { return stats_.online; }

    void SetSettings(const ModemSettings& s) { s_ = s; }
    const ModemSettings& settings() const { return s_; }
    const ModemStats& stats() const { return stats_; }

private:
    void Command(const std::string& line, int64_t nowNs, std::string& toHost);
    void Result(int numeric, const std::string& verbose, std::string& toHost) const;
    void DropEscape(std::vector<uint8_t>& toController);

    ModemSettings s_;
    ModemStats stats_;
    bool echo_ = true, verbose_ = true;
    std::string line_;               // command being typed
    int64_t lastRxNs_ = 0;           // last byte from the host while online (or the connect moment)
    int plusCount_ = 0;
    bool guardBefore_ = false;       // the first '+' came after the guard time
    int64_t escapeDueNs_ = 0;        // when the escape is accepted (0: none pending)
    int64_t dialDueNs_ = 0;          // when the dial outcome is given (0: none pending)
};

}  // namespace zul::sim
