// The points a trend plot draws from an archive table of either instrument: one
// series per chosen parameter, split into runs where records are missing or left
// out (a record with a bad check, the controller off, no link with the instrument,
// no value), so that a gap stays a gap and never becomes a zero; the values the
// chromatograph marked as in the warning or alarm zone (its measurements only).
//
//   ChromTable t(kChromMeasurement, header, records, count);
//   std::vector<TrendSeries> s = BuildTrend(TrendSource::Of(t), {0, 3});
//   s[0].runs[0][0].seconds;   // SecondsOfPacked() of the record
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "measurements/ChromRecords.h"

namespace zul {

class MoistTable;

enum TrendZone : uint8_t { kTrendNormal = 0, kTrendWarning = 1, kTrendAlarm = 2 };

struct TrendPoint {
    int64_t seconds = 0;
    float value = 0;
    TrendZone zone = kTrendNormal;
};

struct TrendSeries {
    int param = 0;
    std::string name;                          // UTF-8
    std::vector<std::vector<TrendPoint>> runs; // unbroken stretches, in time order
    uint32_t leftOut = 0;                      // records without a value for it
    float low = 0, high = 0;                   // range of the values drawn
    size_t Points() const;
};

// The records of a viewer's table and what the plot needs to know of them. The
// records stay the table's owner's.
struct TrendSource {
    ChromTableKind kind = kChromMeasurement;
    const uint8_t* records = nullptr;
    size_t count = 0;
    std::string caption;
    std::vector<std::string> names;  // one per parameter, UTF-8
    std::vector<int> decimals;

    static TrendSource Of(const ChromTable& table);
    static TrendSource Of(const MoistTable& table);
};

// Parameters outside the source's are skipped; calibrations give nothing. A record
// further than one and a half steps (3 minutes, an hour, a day) from the previous
// one starts a new run.
std::vector<TrendSeries> BuildTrend(const TrendSource& source, const std::vector<int>& params);

}  // namespace zul
