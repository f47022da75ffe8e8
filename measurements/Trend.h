// The points a trend plot draws from a chromatograph table: one series per chosen
// parameter, split into runs where records are missing or left out (a record with
// a bad check, the controller off, no link with the chromatograph, no value), so
// that a gap stays a gap and never becomes a zero; the values the controller
// marked as in the warning or alarm zone (measurements only).
//
//   ChromTable t(kChromMeasurement, header, records, count);
//   std::vector<TrendSeries> s = ChromTrend(t, {0, 3});
//   s[0].runs[0][0].seconds;   // SecondsOfPacked() of the record
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "measurements/ChromRecords.h"

namespace zul {

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

// Parameters outside the table's count are skipped. A record further than one and a
// half steps from the previous one (3 minutes, an hour, a day) starts a new run.
std::vector<TrendSeries> ChromTrend(const ChromTable& table, const std::vector<int>& params);

}  // namespace zul
