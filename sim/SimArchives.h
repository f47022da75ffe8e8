// The simulated controller's archives, generated deterministically from a seed.
//
// Every archive is a function of the time line: the chromatograph and the moisture
// meter deliver a measurement every 3 minutes, the hourly and daily records average
// them (the gas day starts at the contract hour), a calibration runs once a day, and
// the diagnostic archive records what the generator lets happen (a power cut, link
// losses, calibrations, set-point crossings). Records are built on demand, so the
// archives grow as the simulated clock runs. A settable fraction of records carries
// a damaged check.
#pragma once
#include <array>
#include <cstdint>
#include <deque>
#include <utility>
#include <vector>

#include "sim/SimTime.h"

namespace zul::sim {

constexpr int kParams = 20;
constexpr int kMoistValues = 5;       // table 37 fields 2..6
constexpr int kChromRecord = 94;      // measurement, hourly and daily records
constexpr int kMoistRecord = 29;      // moisture-meter measurement
constexpr int kMoistAverage = 28;     // moisture-meter hourly and daily
constexpr int kCalibrationRecord = 10;
constexpr int kDiagnosticRecord = 22;
constexpr int kInterventionRecord = 24;
constexpr SimSeconds kSlot = 3 * kMinute;

// Set-points against which values are zoned (tables 23..26).
struct Zones {
    float lowWarn[kParams], highWarn[kParams], lowAlarm[kParams], highAlarm[kParams];
    // 0 norm, 1 low warning, 2 high warning, 3 low alarm, 4 high alarm (table 32 codes).
    int ZoneOf(int p, float v) const;
};

struct EventRecord {
    SimSeconds time;
    std::array<uint8_t, kInterventionRecord> bytes;  // 22 used for diagnostics
    bool damaged = false;                            // sealed with a wrong check
};

class SimArchives {
public:
    // `first`: oldest moment the archives hold; `created`: the simulator's "now" at start.
    SimArchives(uint32_t seed, SimSeconds first, SimSeconds created, double corruptFraction,
                uint32_t firstDiagnosticIndex, uint32_t firstInterventionIndex);

    uint32_t seed() const { return seed_; }
    SimSeconds First() const { return first_; }
    double corruptFraction = 0;

    // Live values.
    float Value(int param, SimSeconds t) const;
    float MoistValue(int i, SimSeconds t) const;
    // The value the chromatograph reports at t, set-point excursions included.
    float ValueAt(int param, SimSeconds t, const Zones& zones) const;
    bool ControllerOff(SimSeconds t) const;
    bool ChromLinkLost(SimSeconds t) const;
    // A calibration at or before t within its 6 minutes: its start, or -1.
    SimSeconds CalibrationAround(SimSeconds t) const;

    // 3-minute measurement slots: the first slot at or after t.
    SimSeconds FirstSlot() const;
    static SimSeconds SlotAtOrAfter(SimSeconds t);
    void Measurement(SimSeconds slot, const Zones& zones, uint8_t* out) const;       // 94 bytes
    void MoistMeasurement(SimSeconds slot, uint8_t* out) const;                      // 29 bytes

    // Hourly records: hours from FirstHour(); daily records: gas days from FirstDay().
    SimSeconds FirstHour() const;
    SimSeconds FirstDay(int contractHour) const;  // start moment of the first gas day
    void Hourly(SimSeconds hourStart, const Zones& zones, uint8_t* out) const;              // 94
    void Daily(SimSeconds dayStart, const Zones& zones, uint8_t* out) const;                // 94
    void MoistHourly(SimSeconds hourStart, uint8_t* out) const;                             // 28
    void MoistDaily(SimSeconds dayStart, uint8_t* out) const;                               // 28

    // Calibrations: one a day; the first at or after t, or -1 when none up to `limit`.
    SimSeconds NextCalibration(SimSeconds t, SimSeconds limit) const;
    void Calibration(SimSeconds when, uint8_t* out) const;  // 10 bytes
    // Running number of the calibration of that day (table 12).
    uint32_t CalibrationIndex(SimSeconds when) const;

    // Event archives, in index order. Sync moves generated events up to `now` in.
    void Sync(SimSeconds now, const Zones& zones);
    const std::deque<EventRecord>& Diagnostics() const { return diagnostics_; }
    const std::deque<EventRecord>& Interventions() const { return interventions_; }
    uint32_t FirstDiagnosticIndex() const { return firstDiag_; }
    uint32_t FirstInterventionIndex() const { return firstInterv_; }
    void AddDiagnostic(SimSeconds t, uint8_t code, uint8_t object, uint8_t index, uint32_t v1, uint32_t v2);
    void AddIntervention(SimSeconds t, uint8_t table, uint8_t field, uint8_t unit, const uint8_t* oldValue,
                         const uint8_t* newValue, const uint8_t* operatorName);

private:
    uint64_t H(uint64_t a, uint64_t b = 0, uint64_t c = 0) const;
    double U(uint64_t a, uint64_t b = 0, uint64_t c = 0) const;
    // Whether record `key` of archive `kind` gets a damaged check.
    bool Corrupt(int kind, int64_t key) const;
    void Seal(uint8_t* rec, int len, int kind, int64_t key) const;
    // A set-point excursion of the hour starting at h: parameter and window, or false.
    bool Excursion(SimSeconds h, int& param, SimSeconds& from, SimSeconds& to) const;
    void GenerateUntil(SimSeconds until, const Zones& zones);
    void Average(SimSeconds from, SimSeconds to, const Zones& zones, uint8_t* out, bool daily) const;
    void MoistAverage(SimSeconds from, SimSeconds to, uint8_t* out, bool daily) const;

    uint32_t seed_;
    SimSeconds first_, created_;
    std::vector<std::pair<SimSeconds, SimSeconds>> off_, linkLost_;
    uint32_t firstDiag_, firstInterv_;
    std::deque<EventRecord> diagnostics_, interventions_;
    std::deque<EventRecord> pending_;   // generated diagnostics not yet due
    SimSeconds generatedUntil_;
};

}  // namespace zul::sim
