#include "measurements/Trend.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "measurements/Completeness.h"
#include "shell/Suplfunc.h"
#include "tables/Stringi.h"

namespace zul {

namespace {

constexpr uint8_t kStatusOff = 0x02, kStatusNoChrom = 0x20;

int64_t Step(ChromTableKind kind) {
    switch (kind) {
    case kChromMeasurement: return 180;
    case kChromHourly: return 3600;
    default: return 86400;
    }
}

}  // namespace

size_t TrendSeries::Points() const {
    size_t n = 0;
    for (const auto& r : runs) n += r.size();
    return n;
}

std::vector<TrendSeries> ChromTrend(const ChromTable& t, const std::vector<int>& params) {
    std::vector<TrendSeries> out;
    if (t.kind() == kChromCalibration) return out;
    const bool measurement = t.kind() == kChromMeasurement;
    const int64_t gap = Step(t.kind()) * 3 / 2;
    for (int p : params) {
        if (p < 0 || p >= t.ParamCount()) continue;
        TrendSeries s;
        s.param = p;
        s.name = Cp1251ToUtf8(t.header().Slot(p).Name());
        int64_t last = 0;
        bool broken = true;
        for (size_t i = 0; i < t.RecordCount(); ++i) {
            const uint8_t* r = t.Record(i);
            const uint8_t status = r[measurement ? 7 : 9];
            const uint8_t* v = r + 12 + 4 * p;
            if (!t.RecordValid(i) || (status & (kStatusOff | kStatusNoChrom)) || IsNanOrInf(v) || !IsValidPacked(r)) {
                ++s.leftOut;
                broken = true;
                continue;
            }
            uint32_t bits;
            std::memcpy(&bits, v, 4);
            TrendPoint point;
            point.seconds = SecondsOfPacked(r);
            if (measurement) {
                point.zone = (bits & 2) ? kTrendAlarm : (bits & 1) ? kTrendWarning : kTrendNormal;
                bits &= ~3u;
            }
            std::memcpy(&point.value, &bits, 4);
            if (broken || point.seconds <= last || point.seconds - last > gap) s.runs.emplace_back();
            broken = false;
            last = point.seconds;
            const bool first = s.Points() == 0;
            s.low = first ? point.value : std::min(s.low, point.value);
            s.high = first ? point.value : std::max(s.high, point.value);
            s.runs.back().push_back(point);
        }
        out.push_back(std::move(s));
    }
    return out;
}

}  // namespace zul
