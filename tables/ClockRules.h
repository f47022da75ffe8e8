// The controller's clock (table 2) against the computer's: the eight clock bytes
// of a moment, the texts of the clock view, and the correction in seconds that
// pulls the controller's clock towards the computer's without crossing one of
// its hour boundaries.
//
//   Clock bytes (table 2 layout): year-2000, month, day, hour, minute, second,
//   day of the week (1 = Sunday .. 7), season (0 summer time, 0x80 winter time).
//
//   ClockBytes pc = ClockFields(clock.LocalNow(), image.Field(6, 0), image.Field(6, 3));
//   int16_t n = ClockCorrection(image.Data(2), pc.data());
//   ClockDiff d = CompareClocks(image.Data(2), pc.data());   // which values show in red
#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace zul {

using ClockBytes = std::array<uint8_t, 8>;

constexpr uint8_t kWinterTime = 0x80;

// The clock bytes of a local date-time value under the summer and winter rules
// (table 6 fields 0..2 and 3..5). A rule with month 0 means the clock never
// changes: a missing summer rule keeps winter time, a missing winter rule summer time.
ClockBytes ClockFields(double dateTime, const uint8_t* summerRule, const uint8_t* winterRule);

// Seconds to add to the controller's clock C to bring it to the computer's P
// (both at least 6 packed bytes): the exact difference within the same hour,
// otherwise back to the start of C's hour (C later) or forward to the start of
// C's next hour (C earlier).
int16_t ClockCorrection(const uint8_t* controller, const uint8_t* computer);

// Which of the four shown values differ.
struct ClockDiff {
    bool date = false, time = false, weekDay = false, season = false;
};
ClockDiff CompareClocks(const uint8_t* controller, const uint8_t* computer);

// "Летнее" for 0, "Зимнее" for any other season byte.
const char* SeasonText(uint8_t season);
// "dd.mm.yy", "hh:mm:ss" and the weekday name ("" outside 1..7) of clock bytes.
std::string ClockDateText(const uint8_t* clock);
std::string ClockTimeText(const uint8_t* clock);
const char* WeekDayText(uint8_t weekDay);

}  // namespace zul
