// The simulated controller itself: its 45 tables, registered users, clock and
// archives, and the answer it gives to one request frame. No transport, no threads.
#pragma once
#include <array>
#include <optional>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "sim/SimArchives.h"
#include "sim/SimTime.h"
#include "tables/TableImage.h"

namespace zul::sim {

struct SimSettings {
    uint8_t address = 1;          // table 3 field 0
    uint32_t seed = 1;
    double startDateTime = 0;     // the simulated clock at start (date-time value); 0 = the host's local time
    double rate = 1.0;            // simulated seconds per real second; 0 freezes the clock
    int spanDays = 61;            // archive depth before the start ("two months")
    double corruptFraction = 0;   // share of archive records with a damaged check
    bool moistureMeter = false;   // table 6 field 8
    uint8_t moistureType = 1;     // table 15 field 6 (type 2 measures pressure in value 2)
    bool names1251 = false;       // table 0 field 12 = 1: names of table 5 kept in code page 1251
    // Table 40; without it a locally administered address that follows the seed
    // (distinct seeds, distinct addresses).
    std::optional<std::array<uint8_t, 6>> mac;
};

// Controller clock: simulated seconds running at `rate` from a start point.
class SimClock {
public:
    SimClock(SimSeconds start, double rate);
    SimSeconds Now() const;
    void Set(SimSeconds now);
    void SetRate(double rate);
    double rate() const { return rate_; }

private:
    static double Mono();
    double base_, baseMono_, rate_;
};

class SimController {
public:
    explicit SimController(const SimSettings& settings);

    // The answer to one complete request frame (start byte 0xCC ... check bytes);
    // false when the controller stays silent (another address, a bad check, a
    // frame too short). `reply` receives the reply frame.
    bool Handle(const uint8_t* frame, int length, std::vector<uint8_t>& reply);
    // A refusal frame for `command` with a device code (reply byte 6 = extra).
    std::vector<uint8_t> Refusal(uint8_t command, uint8_t code, uint8_t extra = 0) const;

    uint8_t Address() const { return image_.Byte(3, 0); }
    // Speed of table 3 field 1 (for a paced serial line), 0 when the code has none.
    int LineSpeed() const;
    uint8_t ReplyPreambles() const { return image_.Byte(3, 2); }

    // Direct access for tests and the command line (live tables refreshed first).
    std::vector<uint8_t> Field(int table, int field);
    std::vector<uint8_t> TableBytes(int table);
    bool SetField(int table, int field, const std::vector<uint8_t>& bytes);
    // Marks table t damaged in table 7 (and names it in table 0 field 0 when none is named).
    void DamageTable(int table, uint8_t state = 1);
    void RepairTable(int table);
    // A table the controller does not have: command 1 and 2 refuse it with code 9.
    void SetTableMissing(int table, bool missing);
    // Stores the texts of table 5 (given in cp1251) in the controller's code page.
    void SetNames(const std::array<std::string, 3>& cp1251Names);
    void SetCodePageFlag(uint8_t value);  // table 0 field 12, converting the stored names
    SimClock& clock() { return clock_; }
    SimArchives& archives() { return *archives_; }
    SimSeconds Now() const { return clock_.Now(); }
    void SyncArchives();
    Zones CurrentZones() const;
    // Registered users as table 4 holds them.
    const TableImage& image() const { return image_; }
    uint64_t handled() const { return handled_; }

    // Bit 7 of the flags byte of command-8 replies ("error in this archive").
    bool archiveErrorFlag = false;
    // The next reply to command 15 or 16 starts with a record three steps early.
    bool averageOutOfOrder = false;
    bool averageAhead = false;  // the next command 15/16 reply starts one hour (day) late

private:
    void LoadDefaults();
    void RefreshLive(int table);
    std::vector<uint8_t> Reply(uint8_t command, const uint8_t* body, int n) const;

    bool ReadFields(const uint8_t* f, std::vector<uint8_t>& reply);
    bool WriteFields(const uint8_t* f, int length, std::vector<uint8_t>& reply);
    bool EventsByIndex(const uint8_t* f, std::vector<uint8_t>& reply);
    bool RecordsByPeriod(const uint8_t* f, std::vector<uint8_t>& reply);
    bool AveragesByRange(const uint8_t* f, bool daily, std::vector<uint8_t>& reply);
    bool CorrectClock(const uint8_t* f, std::vector<uint8_t>& reply);
    bool ResetNonVolatile(const uint8_t* f, std::vector<uint8_t>& reply);
    // Checks the credentials of a write-type request; 0 when accepted, else the device
    // code. `level` gets the user's access level, `name` the user's 4-byte name.
    uint8_t CheckUser(const uint8_t* frame, int& level, const uint8_t*& name) const;
    uint8_t CheckAccessTable(const uint8_t* table4) const;

    SimSettings settings_;
    TableImage image_;
    SimClock clock_;
    std::unique_ptr<SimArchives> archives_;
    std::set<int> missing_;
    std::map<int, std::set<int>> rewritten_;  // damaged table -> fields written since
    uint64_t handled_ = 0;

    // One series of command-8 requests per archive.
    struct Series {
        std::array<uint8_t, 12> period{};
        uint8_t lastSeq = 0;
        SimSeconds cursor = 0;        // next moment (records) or next index (events)
        std::vector<uint8_t> lastReply;
        bool open = false;
    };
    std::map<int, Series> series_;
};

}  // namespace zul::sim
