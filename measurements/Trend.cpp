#include "measurements/Trend.h"

#include <algorithm>
#include <cstring>

#include "measurements/Completeness.h"
#include "measurements/MoistRecords.h"
#include "shell/Suplfunc.h"
#include "tables/Stringi.h"

namespace zul {

namespace {

constexpr uint8_t kStatusOff = 0x02, kMoistNoLink = 0x04, kChromNoLink = 0x20;
constexpr int kMoistDecimals = 2;

int64_t Step(ChromTableKind kind) {
    switch (ChromTwin(kind)) {
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

TrendSource TrendSource::Of(const ChromTable& t) {
    TrendSource s;
    s.kind = t.kind();
    s.records = t.RecordCount() ? t.Record(0) : nullptr;
    s.count = t.RecordCount();
    s.caption = t.Caption();
    for (int p = 0; p < t.ParamCount(); ++p) {
        s.names.push_back(Cp1251ToUtf8(t.header().Slot(p).Name()));
        s.decimals.push_back(t.Decimals(p));
    }
    return s;
}

TrendSource TrendSource::Of(const MoistTable& t) {
    TrendSource s;
    s.kind = t.kind();
    s.records = t.RecordCount() ? t.Record(0) : nullptr;
    s.count = t.RecordCount();
    s.caption = t.Caption();
    for (int i = 0; i < kMoistValueCount; ++i) {
        std::string name;
        for (int line = 0; line < 3; ++line) {
            const std::string part = MoistValueHeading(t.header().MoistType(), i, line);
            if (part.empty() || part == " ") continue;
            name += (name.empty() ? "" : " ") + part;
        }
        s.names.push_back(name);
        s.decimals.push_back(kMoistDecimals);
    }
    return s;
}

std::vector<TrendSeries> BuildTrend(const TrendSource& src, const std::vector<int>& params) {
    std::vector<TrendSeries> out;
    if (src.kind == kChromCalibration || !src.records) return out;
    const bool moist = IsMoistKind(src.kind);
    const int size = ChromRecordSize(src.kind);
    const bool zones = src.kind == kChromMeasurement;
    const int statusAt = moist ? MoistRecordLayout(src.kind).statusAt : zones ? 7 : 9;
    const int valuesAt = moist ? MoistRecordLayout(src.kind).valuesAt : 12;
    const uint8_t leaveOut = kStatusOff | (moist ? kMoistNoLink : kChromNoLink);
    const int64_t gap = Step(src.kind) * 3 / 2;
    for (int p : params) {
        if (p < 0 || p >= int(src.names.size())) continue;
        TrendSeries s;
        s.param = p;
        s.name = src.names[size_t(p)];
        int64_t last = 0;
        bool broken = true;
        for (size_t i = 0; i < src.count; ++i) {
            const uint8_t* r = src.records + i * size_t(size);
            const uint8_t* v = r + valuesAt + 4 * p;
            if (!ChromRecordValid(r, size) || (r[statusAt] & leaveOut) || IsNanOrInf(v) || !IsValidPacked(r)) {
                ++s.leftOut;
                broken = true;
                continue;
            }
            uint32_t bits;
            std::memcpy(&bits, v, 4);
            TrendPoint point;
            point.seconds = SecondsOfPacked(r);
            if (zones) {
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
