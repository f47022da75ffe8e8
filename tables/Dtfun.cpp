#include "tables/Dtfun.h"

#include <cmath>
#include <cstring>

namespace zul {

namespace {

constexpr int kMonthDays[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

// Days of all years 1..y-1 of the proleptic Gregorian calendar.
int64_t DaysBeforeYear(int y) {
    int64_t p = y - 1;
    return p * 365 + p / 4 - p / 100 + p / 400;
}

// A running day number, only differences of it matter.
int64_t DayNumber(CalDate d) { return DaysBeforeYear(d.year) + DayOfYear(d); }

// Month length in the step helpers: February has 29 days when year-2000 is divisible by 4.
int StepMonthDays(uint8_t year2000, int month) {
    if (month == 2) return year2000 % 4 == 0 ? 29 : 28;
    return month >= 1 && month <= 12 ? kMonthDays[month] : 31;
}

CalDate DateOf(const uint8_t* p) { return CalDate{2000 + p[0], p[1], p[2]}; }

}  // namespace

bool IsLeapYear(int y) { return y % 400 == 0 || (y % 4 == 0 && y % 100 != 0); }

int DaysInYear(int y) { return IsLeapYear(y) ? 366 : 365; }

int DaysInMonth(int year, int month) {
    if (month < 1 || month > 12) return 0;
    if (month == 2) return IsLeapYear(year) ? 29 : 28;
    return kMonthDays[month];
}

int DayOfYear(CalDate d) {
    int n = d.day;
    for (int m = 1; m < d.month && m <= 12; ++m) n += (m == 2 && IsLeapYear(d.year)) ? 29 : kMonthDays[m];
    return n;
}

int DaysLeftInYear(CalDate d) { return DaysInYear(d.year) - DayOfYear(d); }

int DaysBetween(CalDate a, CalDate b) {
    if (a.year == b.year) return DayOfYear(b) - DayOfYear(a);
    return DaysLeftInYear(a) + int(DaysBeforeYear(b.year) - DaysBeforeYear(a.year + 1)) + DayOfYear(b);
}

int WeekDay(CalDate d) {
    int64_t diff = DayNumber(d) - DayNumber(CalDate{2002, 1, 6});
    int r = int(diff % 7);
    if (r < 0) r += 7;
    return r + 1;
}

PackedDateTime ToPacked(double v) {
    // Round to milliseconds first (as a clock would show it), then drop them.
    int64_t ms = std::llround(v * 86400000.0);
    int64_t days = ms / 86400000;
    int64_t msOfDay = ms % 86400000;
    if (msOfDay < 0) {
        msOfDay += 86400000;
        --days;
    }
    int64_t secs = msOfDay / 1000;
    // Civil date of `days` after 30.12.1899.
    int64_t z = days - 25569 + 719468;  // days since 0000-03-01
    int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    int64_t doe = z - era * 146097;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t y = yoe + era * 400;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t mp = (5 * doy + 2) / 153;
    int64_t d = doy - (153 * mp + 2) / 5 + 1;
    int64_t m = mp < 10 ? mp + 3 : mp - 9;
    if (m <= 2) ++y;
    return PackedDateTime{uint8_t(y - 2000), uint8_t(m), uint8_t(d), uint8_t(secs / 3600),
                          uint8_t(secs / 60 % 60), uint8_t(secs % 60)};
}

double FromPacked(const uint8_t* p) {
    int days = DaysBetween(CalDate{1899, 12, 30}, DateOf(p));
    return days + (p[3] * 3600 + p[4] * 60 + p[5]) / 86400.0;
}

int ComparePacked(const uint8_t* a, const uint8_t* b) {
    int r = std::memcmp(a, b, 6);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int ComparePackedMinute(const uint8_t* a, const uint8_t* b) {
    int r = std::memcmp(a, b, 5);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

bool IsValidPacked(const uint8_t* p) {
    if (p[1] < 1 || p[1] > 12 || p[2] < 1 || p[2] > 31) return false;
    if (p[1] == 2 && p[2] > (IsLeapYear(p[0] + 2000) ? 29 : 28)) return false;
    return p[3] <= 23 && p[4] <= 59 && p[5] <= 59;
}

int RuleDayOfYear(int y, int m, uint8_t s) {
    if (!(s & 0x80)) return DayOfYear(CalDate{2000 + y, m, s});
    const int t = (s >> 3) & 7;
    const int n = s & 3;
    if (s & 0x40) {
        int last = m == 2 ? (y % 4 == 0 ? 29 : 28) : (m >= 1 && m <= 12 ? kMonthDays[m] : 31);
        CalDate L{2000 + y, m, last};
        int d = t - WeekDay(L);
        if (d <= 0) d += 7;
        return DayOfYear(L) + d - 7 * n;
    }
    CalDate F{2000 + y, m, 1};
    int d = WeekDay(F) - t;
    if (d <= 0) d += 7;
    return DayOfYear(F) - d + 7 * n;
}

uint8_t WinterTimeFlag(const uint8_t* p, const uint8_t* summer, const uint8_t* winter) {
    const int a = DayOfYear(DateOf(p));
    const int b = RuleDayOfYear(p[0], summer[0], summer[1]);
    const int c = RuleDayOfYear(p[0], winter[0], winter[1]);
    const int hour = p[3];
    if (a < b || a > c || (a == b && hour < summer[2]) || (a == c && a != b && hour >= winter[2]))
        return 0x80;
    return 0;
}

void StepForward(uint8_t* p, int unit) {
    switch (unit) {
    case kUnitHour:
        if (++p[3] < 24) return;
        p[3] = 0;
        [[fallthrough]];
    case kUnitDay:
        if (++p[2] <= StepMonthDays(p[0], p[1])) return;
        p[2] = 1;
        [[fallthrough]];
    default:
        if (++p[1] <= 12) return;
        p[1] = 1;
        ++p[0];
    }
}

void StepBack(uint8_t* p, int unit) {
    switch (unit) {
    case kUnitHour:
        if (p[3] > 0) {
            --p[3];
            return;
        }
        p[3] = 23;
        [[fallthrough]];
    case kUnitDay:
        if (p[2] > 1) {
            --p[2];
            return;
        }
        if (p[1] > 1) {
            --p[1];
        } else {
            p[1] = 12;
            --p[0];
        }
        p[2] = uint8_t(StepMonthDays(p[0], p[1]));
        return;
    default:
        if (p[1] > 1) {
            --p[1];
        } else {
            p[1] = 12;
            --p[0];
        }
    }
}

int CompareToUnit(const uint8_t* a, const uint8_t* b, int unit) {
    const int n = unit == kUnitMonth ? 2 : (unit == kUnitDay ? 3 : 4);
    for (int i = 0; i < n; ++i)
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    return 0;
}

void StepForwardMinutes(uint8_t* p, int step) {
    if (step == 3) {
        p[4] = uint8_t(p[4] + 3);
        if (p[4] < 58) return;
        p[4] = 0;
        StepForward(p, kUnitHour);
    } else if (step == 0) {
        StepForward(p, kUnitHour);
    }
}

int HoursBetween(const uint8_t* a, const uint8_t* b) {
    return DaysBetween(DateOf(a), DateOf(b)) * 24 + b[3] - a[3];
}

int UnitsBetween(const uint8_t* a, const uint8_t* b, int unit) {
    if (unit == kUnitHour) return HoursBetween(a, b);
    int days = DaysBetween(DateOf(a), DateOf(b));
    int r = unit == kUnitDay ? days : days / 30;
    return r == 0 ? 1 : r;
}

bool PeriodArchiveRange(const uint8_t* f, const uint8_t* n, int u, bool flag, int contractHour,
                        uint8_t* start, uint8_t* end) {
    std::memcpy(end, n, 4);
    end[4] = 0;
    StepBack(end, u);
    if (n[3] < contractHour && (u == kUnitDay || (u == kUnitMonth && n[2] == 1))) StepBack(end, u);
    std::memcpy(start, end, 5);
    const int k = u == kUnitHour ? 1 : (u == kUnitDay ? 4 : 2);
    if (start[0] > k) {
        StepForward(start, u);
        start[0] = uint8_t(start[0] - k);
    } else {
        std::memcpy(start, f, 4);
        start[4] = 0;
    }
    if (start[2] > DaysInMonth(start[0] + 2000, start[1])) {
        start[2] = 1;
        StepForward(start, kUnitMonth);
    }
    if (CompareToUnit(f, start, u) > 0) {
        std::memcpy(start, f, 4);
        start[4] = 0;
        if (flag && (u == kUnitDay || (u == kUnitMonth && f[2] == 1))) StepBack(start, u);
    }
    return CompareToUnit(start, end, u) <= 0;
}

bool MinuteArchiveRange(const uint8_t* f, const uint8_t* n, uint8_t* start, uint8_t* end) {
    std::memcpy(end, n, 5);
    end[4] = uint8_t(end[4] - end[4] % 3);
    std::memcpy(start, end, 5);
    StepForwardMinutes(start, 3);
    if (start[1] > 2) {
        start[1] = uint8_t(start[1] - 2);
    } else {
        start[1] = uint8_t(start[1] + 10);
        --start[0];
    }
    if (start[2] > DaysInMonth(start[0] + 2000, start[1])) {
        start[2] = 1;
        StepForward(start, kUnitMonth);
    }
    if (ComparePackedMinute(f, start) > 0) std::memcpy(start, f, 5);
    start[4] = uint8_t(start[4] - start[4] % 3);
    return ComparePackedMinute(start, end) <= 0;
}

}  // namespace zul
