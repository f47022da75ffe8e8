// Packed dates of the controller and the calendar helpers built on them.
//  PackedDateTime:  year-2000, month, day, hour, minute, second (6 bytes)
//  PackedDateHour:  the first 4 bytes;  PackedDateMinute: the first 5 bytes
//  date-time value: double, days since 30.12.1899, time of day as the fraction
#pragma once
#include <array>
#include <cstdint>

namespace zul {

using PackedDateTime = std::array<uint8_t, 6>;

struct CalDate {
    int year;   // full year
    int month;  // 1..12
    int day;    // 1..31
};

PackedDateTime ToPacked(double dateTime);
double FromPacked(const uint8_t* packed);
int ComparePacked(const uint8_t* a, const uint8_t* b);
bool IsValidPacked(const uint8_t* packed);

bool IsLeapYear(int year);
int DayOfYear(CalDate d);
int DaysInYear(int year);
int DaysLeftInYear(CalDate d);
int DaysBetween(CalDate a, CalDate b);
int WeekDay(CalDate d);                 // 1 = Sunday .. 7 = Saturday
int DaysInMonth(int year, int month);   // 0 for a month outside 1..12
int RuleDayOfYear(int year2000, int month, uint8_t daySpec);
uint8_t WinterTimeFlag(const uint8_t* dateHour, const uint8_t* summerRule, const uint8_t* winterRule);

// Units of the hour/day/month helpers.
enum DateUnit { kUnitHour = 0, kUnitDay = 1, kUnitMonth = 2 };

void StepForward(uint8_t* dateHour, int unit);
void StepBack(uint8_t* dateHour, int unit);
int CompareToUnit(const uint8_t* a, const uint8_t* b, int unit);
void StepForwardMinutes(uint8_t* dateMinute, int step);  // step 3 or 0 (one hour)
int ComparePackedMinute(const uint8_t* a, const uint8_t* b);
int HoursBetween(const uint8_t* a, const uint8_t* b);
int UnitsBetween(const uint8_t* a, const uint8_t* b, int unit);

// Range of complete periods still held in an hourly/daily/monthly archive.
// `start` and `end` get PackedDateMinute values (minute 0).
bool PeriodArchiveRange(const uint8_t* first, const uint8_t* now, int unit, bool flag,
                        int contractHour, uint8_t* start, uint8_t* end);
// Range held in the 3-minute measurement archive (two months).
bool MinuteArchiveRange(const uint8_t* first, const uint8_t* now, uint8_t* start, uint8_t* end);

}  // namespace zul
