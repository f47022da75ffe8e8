// The simulator's own time line: whole seconds since 01.01.2000 00:00:00 (local
// time of the controller, no time zones), and its packed forms.
#pragma once
#include <array>
#include <cstdint>

namespace zul::sim {

using SimSeconds = int64_t;

constexpr SimSeconds kMinute = 60;
constexpr SimSeconds kHour = 3600;
constexpr SimSeconds kDay = 86400;

// Days since 01.01.2000 of a civil date (any valid Gregorian date).
int64_t DaysFromCivil(int year, int month, int day);
void CivilFromDays(int64_t days, int& year, int& month, int& day);

SimSeconds SecondsFromFields(int year, int month, int day, int hour, int minute, int second);
// From a 6-byte packed date-time (year-2000, month, day, hour, minute, second).
SimSeconds SecondsFromPacked(const uint8_t* p);
// The first n bytes (4 = date-hour, 3 = date) with the rest taken as 0 (day 1 for n < 3 is not used).
SimSeconds SecondsFromPrefix(const uint8_t* p, int n);
std::array<uint8_t, 6> PackedFromSeconds(SimSeconds s);
// Day of the week, 1 = Sunday .. 7 = Saturday.
int WeekDayOf(SimSeconds s);
// Date-time value (days since 30.12.1899) <-> simulator seconds.
SimSeconds SecondsFromDateTime(double v);
double DateTimeFromSeconds(SimSeconds s);
// Plausibility of a packed date-time the controller could hold (years 2000..2099).
bool PlausiblePacked(const uint8_t* p);

}  // namespace zul::sim
