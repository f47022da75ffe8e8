// qrtsim: a simulated ЗУЛ_QRT_510 controller serving the protocol over TCP on the
// loopback interface and over a pseudo-terminal, for tests, demonstrations and
// benchmarks.
//
// In-process use (tests of any folder link qrtsim_lib):
//
//   zul::sim::Qrtsim sim;                  // default settings: address 1, seed 1, clock = host time
//   sim.StartTcp();                        // ephemeral port on 127.0.0.1 -> sim.tcpPort()
//   sim.StartPty();                        // pseudo-terminal            -> sim.ptyPath()
//   sim.SetByte(0, 3, 14);                 // table 0 field 3: software version 14
//   sim.DamageTable(6);                    // table 7 field 6 = 1, table 0 field 0 = 6
//   zul::sim::Faults f;
//   f.refuse = {1};  f.refuseCode = 26;    // refuse the next request with device code 26
//   sim.SetFaults(f);
//   sim.EnableModem();                     // a GSM modem in front of it on the pseudo-terminal
//   ...
//   sim.Stop();                            // also done by the destructor
//
// The simulator runs its own thread; every method may be called from any thread.
//
// Registered users (table 4), name / level / write password / identification code:
//   "NAL" 1 "111111" "1111",  "ADM" 2 "222222" "2222",  "ENG" 3 "333333" "3333",
//   "OPR" 4 "444444" "4444",  "GST" 3 (empty password) "5555".
// Access: level 4 may write only the clock (table 2) and correct it (command 12);
// level 3 every configuration table except table 4; level 2 also table 4 and the
// non-volatile reset (command 25); level 1 also table 40. Refusals: 34 unknown
// identification code, 3 wrong password, 26 level too low, 12 a read-only table,
// 9 no such table, 13/14/36/37 fields outside the table, 2 wrong length, 4 bad values,
// 27..33 broken user-table rules. While table 4 is marked damaged it may be
// rewritten without credentials (as the restore of a configuration does). A damaged
// table is whole again once every field of it has been written since; for the
// flow-computer tables 13 and 17..20, once the fields of the connected flow
// computers (table 9 field 0) have been.
//
// Replies are preceded by as many 0xFF bytes as table 3 field 2 says (3 in a new
// configuration). A request is answered when its check is right and it is addressed
// to table 3 field 0 or to the broadcast address 255 (answered with the own address);
// a write of table 3 field 0 answers already from the new address.
//
// Archives are generated from the seed over `spanDays` before the start moment and
// keep growing with the simulated clock: 3-minute chromatograph and moisture-meter
// measurements, hourly and daily averages (gas day from the contract hour, table 6
// field 6), one calibration a day, diagnostic messages, and interventions: the
// setting-up on the first morning (a change of every kind of field the viewer
// renders), set-point changes now and then, and one for each field a command 2 changes.
#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sim/SimController.h"
#include "sim/SimModem.h"
#include "sim/SimReplay.h"

namespace zul::sim {

// A fault applies to `times` matching requests (-1: to every one) after `skip`
// matching requests have passed untouched; `command` 0 matches every command.
struct FaultRule {
    int times = 0;
    int skip = 0;
    uint8_t command = 0;
};

struct Faults {
    FaultRule silence;          // no reply at all (the request is not executed)
    FaultRule badCheck;         // the reply's check bytes are damaged
    FaultRule stall;            // the reply stops after `stallAfterBytes` bytes of its frame
    int stallAfterBytes = 4;
    FaultRule wrongEcho;        // the reply echoes table number + 1 (body byte 1, frame byte 5)
    FaultRule refuse;           // a refusal with `refuseCode` (and `refuseExtra` in frame byte 6)
    uint8_t refuseCode = 3;
    uint8_t refuseExtra = 0;
    FaultRule garbage;          // `garbageBytes` bytes of noise before the reply
    int garbageBytes = 7;
    FaultRule otherAddress;     // a complete reply from address + 1 ahead of the real one
    int dropAfterExchanges = 0; // TCP only: close each connection after this many replies (0: never)
    int answerDelayMs = 0;      // wait before every reply
    int paceBaud = 0;           // send and receive at line speed: 0 off, -1 table 3's speed, N bit/s
    bool archiveError = false;  // bit 7 of the flags of command-8 replies
    // Commands 15 and 16 only: the first record of the reply is the one three hours
    // (days) before the one due, as if the controller's archive were out of order.
    FaultRule outOfOrder;
    // Commands 15 and 16 only: the reply starts one hour (day) after the one due, as
    // if a record were missing from the archive.
    FaultRule ahead;
};

struct SimStats {
    uint64_t framesSeen = 0;      // complete frames, ours or not
    uint64_t repliesSent = 0;
    uint64_t bytesIn = 0, bytesOut = 0;
    uint64_t replayed = 0;        // requests answered from a capture
    uint64_t notCaptured = 0;     // requests a capture was set for but did not hold
};

class Qrtsim {
public:
    explicit Qrtsim(const SimSettings& settings = {});
    ~Qrtsim();
    Qrtsim(const Qrtsim&) = delete;
    Qrtsim& operator=(const Qrtsim&) = delete;

    // Listens on 127.0.0.1:port (0: an ephemeral port); false when that fails.
    bool StartTcp(uint16_t port = 0);
    uint16_t tcpPort() const { return tcpPort_; }
    // Creates a pseudo-terminal pair; with `linkPath` a symbolic link of that name
    // points at its slave side (an existing link of that name is replaced).
    bool StartPty(const std::string& linkPath = {});
    // The path to open: the link when one was asked for, else the slave device.
    std::string ptyPath() const;
    std::string ptyDevice() const { return ptyDevice_; }
    void Stop();

    // Puts a GSM modem (SimModem.h) between the pseudo-terminal and the controller:
    // frames reach the controller only while a call is up. Any time; again to change its faults.
    void EnableModem(const ModemSettings& settings = {});
    bool ModemEnabled() const;
    ModemStats modemStats() const;

    // Answers as a captured controller did (null: none); requests the capture does
    // not hold are answered as ever and counted in stats().notCaptured.
    void SetReplay(std::unique_ptr<SimReplay> replay);

    // Faults (their counters count down as they apply).
    void SetFaults(const Faults& faults);
    Faults faults() const;

    // Tables. Live tables (2, 10..12, 16, 27, 30, 32..34, 37, 42) are computed from the clock.
    std::vector<uint8_t> Field(int table, int field);
    std::vector<uint8_t> TableBytes(int table);
    // Writes one or more consecutive fields (bytes.size() a multiple of the field size),
    // without checks and without an intervention record.
    bool SetField(int table, int field, const std::vector<uint8_t>& bytes);
    bool SetByte(int table, int field, uint8_t value);
    void DamageTable(int table, uint8_t state = 1);
    void RepairTable(int table);
    void SetTableMissing(int table, bool missing = true);
    uint8_t Address();
    // The simulated clock: set it (date-time value) and its rate (0 freezes it).
    void SetClock(double dateTime);
    void SetClockRate(double rate);
    double ClockNow();
    // Raw records of the event archives with the global index of the first.
    std::vector<std::array<uint8_t, 24>> Interventions(uint32_t* firstIndex = nullptr);
    std::vector<std::array<uint8_t, 24>> Diagnostics(uint32_t* firstIndex = nullptr);
    // Anything else, under the simulator's lock.
    void WithController(const std::function<void(SimController&)>& f);
    SimStats stats() const;

private:
    struct Conn;
    void Run();
    void Wake();
    void EnsureThread();
    void Feed(Conn& c, const uint8_t* data, int n);
    void FeedFrames(Conn& c, const uint8_t* data, int n);
    void ModemTick();
    void WriteRaw(Conn& c, const std::string& bytes);
    void Serve(Conn& c, const std::vector<uint8_t>& frame);
    bool Take(FaultRule& r, uint8_t command);
    void SendPaced(Conn& c, const std::vector<uint8_t>& bytes, int baud);
    bool OpenPtyPair();

    mutable std::mutex mu_;
    SimController controller_;
    Faults faults_;
    SimStats stats_;
    std::vector<std::unique_ptr<Conn>> conns_;
    std::unique_ptr<SimModem> modem_;
    std::unique_ptr<SimReplay> replay_;
    int listenFd_ = -1;
    uint16_t tcpPort_ = 0;
    int ptyMaster_ = -1;
    std::string ptyDevice_, ptyLink_;
    int wake_[2] = {-1, -1};
    std::thread thread_;
    std::atomic<bool> stop_{false};
};

}  // namespace zul::sim
