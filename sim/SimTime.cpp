#include "sim/SimTime.h"

#include <cmath>

namespace zul::sim {

namespace {
// Days from 0000-03-01 of the proleptic Gregorian calendar, shifted so that 2000-01-01 is 0.
constexpr int64_t kEpochShift = 730425;  // days_from_civil(2000, 1, 1) with the 0000-03-01 origin
}

int64_t DaysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - kEpochShift;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
    z += kEpochShift;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    day = int(doy - (153 * mp + 2) / 5 + 1);
    month = int(mp < 10 ? mp + 3 : mp - 9);
    year = int(yoe + era * 400 + (month <= 2));
}

SimSeconds SecondsFromFields(int year, int month, int day, int hour, int minute, int second) {
    return DaysFromCivil(year, month, day) * kDay + hour * kHour + minute * kMinute + second;
}

SimSeconds SecondsFromPacked(const uint8_t* p) {
    return SecondsFromFields(2000 + p[0], p[1], p[2], p[3], p[4], p[5]);
}

SimSeconds SecondsFromPrefix(const uint8_t* p, int n) {
    uint8_t full[6] = {0, 1, 1, 0, 0, 0};
    for (int i = 0; i < n && i < 6; ++i) full[i] = p[i];
    return SecondsFromPacked(full);
}

std::array<uint8_t, 6> PackedFromSeconds(SimSeconds s) {
    int64_t days = s >= 0 ? s / kDay : -((-s + kDay - 1) / kDay);
    int64_t sod = s - days * kDay;
    int y, m, d;
    CivilFromDays(days, y, m, d);
    return {uint8_t(y - 2000), uint8_t(m), uint8_t(d), uint8_t(sod / kHour), uint8_t(sod / 60 % 60),
            uint8_t(sod % 60)};
}

int WeekDayOf(SimSeconds s) {
    int64_t days = s >= 0 ? s / kDay : -((-s + kDay - 1) / kDay);
    // 01.01.2000 was a Saturday (7).
    int64_t r = (days + 6) % 7;
    if (r < 0) r += 7;
    return int(r) + 1;
}

SimSeconds SecondsFromDateTime(double v) {
    // 01.01.2000 is day 36526 of the date-time values.
    return SimSeconds(std::floor((v - 36526.0) * 86400.0 + 0.5));
}

double DateTimeFromSeconds(SimSeconds s) { return 36526.0 + double(s) / 86400.0; }

bool PlausiblePacked(const uint8_t* p) {
    if (p[0] > 99 || p[1] < 1 || p[1] > 12 || p[2] < 1 || p[3] > 23 || p[4] > 59 || p[5] > 59) return false;
    static const int kDays[13] = {0, 31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (p[2] > kDays[p[1]]) return false;
    if (p[1] == 2 && p[2] == 29) {
        int y = 2000 + p[0];
        return y % 4 == 0 && (y % 100 != 0 || y % 400 == 0);
    }
    return true;
}

}  // namespace zul::sim
