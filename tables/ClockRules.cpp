#include "tables/ClockRules.h"

#include <cstdio>
#include <cstring>

#include "tables/Dtfun.h"
#include "tables/Stringi.h"

namespace zul {

ClockBytes ClockFields(double dateTime, const uint8_t* summer, const uint8_t* winter) {
    const PackedDateTime p = ToPacked(dateTime);
    ClockBytes c{};
    std::memcpy(c.data(), p.data(), 6);
    c[6] = uint8_t(WeekDay(CalDate{2000 + p[0], p[1], p[2]}));
    if (summer[0] == 0 || winter[0] == 0)
        c[7] = summer[0] == 0 ? kWinterTime : 0;
    else
        c[7] = WinterTimeFlag(p.data(), summer, winter);
    return c;
}

int16_t ClockCorrection(const uint8_t* c, const uint8_t* p) {
    const int cMinSec = c[4] * 60 + c[5];
    if (std::memcmp(c, p, 4) == 0) return int16_t(p[4] * 60 + p[5] - cMinSec);
    if (ComparePacked(c, p) > 0) return int16_t(-cMinSec);
    return int16_t(3600 - cMinSec);
}

ClockDiff CompareClocks(const uint8_t* c, const uint8_t* p) {
    ClockDiff d;
    d.date = c[0] != p[0] || c[1] != p[1] || c[2] != p[2];
    d.time = c[3] != p[3] || c[4] != p[4] || c[5] != p[5];
    d.weekDay = c[6] != p[6];
    d.season = (c[7] != 0) != (p[7] != 0);
    return d;
}

const char* SeasonText(uint8_t season) { return kTimeKinds[season != 0 ? 1 : 0]; }

std::string ClockDateText(const uint8_t* c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d.%02d.%02d", c[2], c[1], c[0]);
    return buf;
}

std::string ClockTimeText(const uint8_t* c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", c[3], c[4], c[5]);
    return buf;
}

const char* WeekDayText(uint8_t weekDay) { return weekDay >= 1 && weekDay <= 7 ? kWeekDayNames[weekDay] : ""; }

}  // namespace zul
