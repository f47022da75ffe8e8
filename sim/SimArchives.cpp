#include "sim/SimArchives.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "link/Qrtbox.h"  // Crc16 only

namespace zul::sim {

namespace {

// Typical values of the 20 default gas parameters (the order of table 1) and how far they wander.
constexpr float kBase[kParams] = {0.05f, 0.9f, 0.15f, 0.2f, 0.005f, 0.04f, 0.03f, 1.0f, 96.5f, 0.4f,
                                  2.5f, 38.9f, 0.70f, 50.2f, 0.9985f, 100.0f, 60.0f, 320.0f, 35.0f, 0.58f};
constexpr float kAmp[kParams] = {0.01f, 0.1f, 0.02f, 0.03f, 0.001f, 0.005f, 0.005f, 0.1f, 0.4f, 0.05f,
                                 0.2f, 0.3f, 0.005f, 0.3f, 0.0002f, 0.03f, 0.3f, 5.0f, 0.3f, 0.005f};
// Dew points (°C), pressures (bar).
constexpr float kMoistBase[kMoistValues] = {-15.0f, -5.0f, 45.0f, -12.0f, 44.0f};
constexpr float kMoistAmp[kMoistValues] = {2.0f, 2.0f, 1.0f, 2.0f, 1.0f};
// Parameters whose set-point crossings the generator produces.
constexpr int kExcursionParams[] = {1, 7, 9, 10, 11, 16, 17};

constexpr double kPi = 3.14159265358979323846;

uint64_t Mix(uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

void PutFloat(uint8_t* p, float v) { std::memcpy(p, &v, 4); }
void PutU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
// Messages of every kind the controller writes: code, object, index, the two
// values (`values`: a parameter's value and set-point, index 0 = any parameter).
struct Showcase {
    uint8_t code, object, index;
    uint32_t v1, v2;
    bool values;
};
const Showcase kShowcase[] = {
    {0, 1, 2, 0, 0, false},      {1, 14, 0, 0, 0, false},     {4, 0, 0, 0, 0, false},
    {4, 1, 0, 0, 0, false},      {4, 8, 0, 0, 0, false},      {4, 12, 0, 0, 0, false},
    {5, 14, 1, 3, 0, false},     {5, 14, 9, 11, 0, false},    {5, 14, 16, 2, 0, false},
    {5, 13, 3, 0, 0, false},     {6, 0, 0, 0, 0, false},      {8, 0, 0, 0, 0, false},
    {9, 0, 0, 0, 0, false},      {10, 33, 1, 0, 0, false},    {11, 33, 1, 0, 0, false},
    {10, 34, 5, 0, 0, false},    {11, 34, 5, 0, 0, false},    {10, 35, 2, 0, 0, false},
    {12, 23, 0, 0, 0, true},     {13, 23, 0, 0, 0, true},     {18, 24, 3, 0, 0, false},
    {19, 24, 3, 0, 0, false},    {20, 30, 1, 0, 0, false},    {21, 30, 1, 0, 0, false},
    {22, 200, 2, 5, 0, false},   {23, 200, 2, 0, 0, false},   {22, 201, 3, 0, 0, false},
    {23, 201, 10, 0, 0, false},  {22, 201, 20, 0, 0, false},  {22, 45, 4, 0, 0, false},
    {28, 36, 0, 0, 0, false},    {29, 36, 0, 0, 0, false},    {36, 36, 1, 0, 0, false},
    {38, 0, 0, 0, 0, false},     {40, 242, 0, 0, 0, false},   {40, 243, 0, 0, 0, false},
    {41, 244, 0, 0, 0, false},   {41, 17, 0, 0, 0, false},    {42, 21, 0, 0, 0, false},
    {43, 21, 0, 0, 0, false},    {44, 25, 0, 0, 0, true},     {47, 25, 0, 0, 0, true},
    {48, 34, 3, 0, 0, false},    {49, 34, 3, 0, 0, false},    {50, 36, 2, 0, 0, false},
    {53, 30, 7, 0, 0, false},    {57, 30, 7, 0, 0, false},    {59, 0, 0, 0x1234ABCD, 0x0000FFFF, false},
    {60, 26, 0, 0, 0, true},     {64, 26, 0, 0, 0, true},     {66, 26, 20, 0, 0, true},
    {69, 13, 4, 0, 0, false},    {70, 13, 4, 0, 0, false},    {73, 37, 2, 0, 0, false},
    {74, 37, 2, 0, 0, false},    {75, 32, 6, 0, 0, false},    {76, 0, 0, 0, 0, false},
    {77, 34, 9, 0, 0, false},    {78, 0, 0, 0, 0, false},     {81, 0, 0, 0, 0, false},
    {82, 1, 1, 0, 0, false},     {150, 7, 7, 0, 0, false},    {255, 255, 255, 0, 0, false},
};
constexpr int kShowcaseCount = int(sizeof kShowcase / sizeof kShowcase[0]);

uint32_t FloatBits(float v) {
    uint32_t u;
    std::memcpy(&u, &v, 4);
    return u;
}
void PutTime(uint8_t* p, SimSeconds t) {
    auto pk = PackedFromSeconds(t);
    std::memcpy(p, pk.data(), 6);
}
SimSeconds FloorTo(SimSeconds t, SimSeconds step) {
    SimSeconds q = t / step;
    if (t < 0 && q * step != t) --q;
    return q * step;
}
SimSeconds CeilTo(SimSeconds t, SimSeconds step) {
    SimSeconds f = FloorTo(t, step);
    return f == t ? t : f + step;
}

// The changes of the setting-up: every kind of field the intervention viewer
// renders (old and new value as the field's own bytes, names in code page 866).
struct SetUpChange {
    uint8_t table, field, unit;
    uint8_t oldValue[4], newValue[4];
    uint8_t op[4];
};
constexpr uint8_t kAdm[4] = {'A', 'D', 'M', ' '}, kEng[4] = {'E', 'N', 'G', ' '}, kOpr[4] = {'O', 'P', 'R', ' '};
#define OP(x) {x[0], x[1], x[2], x[3]}
const SetUpChange kSetUp[] = {
    {2, 3, 0, {9}, {10}, OP(kOpr)},                         // clock hour
    {2, 7, 0, {0}, {1}, OP(kOpr)},                          // time kind
    {3, 0, 0, {1}, {5}, OP(kEng)},                          // controller address
    {3, 1, 8, {11}, {18}, OP(kEng)},                        // speed code
    {4, 3, 0, {0}, {2}, OP(kAdm)},                          // user rights
    {5, 0, 0, {0x93, 0xA7, 0xA5, 0xAB}, {0x93, 0xA7, 0xA5, 0xAB}, OP(kEng)},  // name piece
    {6, 0, 0, {0}, {3}, OP(kEng)},                          // month
    {6, 1, 0, {0x0F}, {0xC9}, OP(kEng)},                    // day rule: last Sunday
    {6, 6, 0, {0}, {10}, OP(kEng)},                         // contract hour
    {6, 7, 0, {0}, {1}, OP(kEng)},                          // presence
    {6, 10, 0, {1}, {0}, OP(kEng)},                         // yes / no
    {9, 5, 0, {0}, {1}, OP(kEng)},                          // write mode
    {13, 0, 0, {'1', '2', '3', '4'}, {'5', '6', '7', '8'}, OP(kAdm)},  // password: never shown
    {14, 2, 0, {0}, {1}, OP(kEng)},                         // MODBUS mode
    {14, 3, 0, {0}, {2}, OP(kEng)},                         // parity
    {14, 6, 0, {0}, {1}, OP(kEng)},                         // chromatograph type
    {14, 7, 0, {0x00}, {0x1F}, OP(kEng)},                   // flags, hex
    {15, 6, 0, {0}, {2}, OP(kEng)},                         // moisture-meter type
    {17, 0, 0, {0}, {1}, OP(kEng)},                         // flow-computer type
    {19, 0, 0, {0}, {1}, OP(kEng)},                         // hex
    {20, 0, 0, {0}, {1}, OP(kEng)},                         // byte order
    {21, 0, 0, {0}, {1}, OP(kEng)},                         // distribution
    {22, 0, 0, {0x00, 0x00, 0x00, 0x00}, {0xCD, 0xCC, 0x4C, 0x3D}, OP(kEng)},  // float 0.05
    {28, 0, 0, {1}, {2}, OP(kEng)},                         // hours
    {29, 0, 0, {10, 0, 168, 192}, {20, 0, 168, 192}, OP(kEng)},  // IP address
    {29, 3, 0, {0xF6, 0x01, 0, 0}, {0xF7, 0x01, 0, 0}, OP(kEng)},  // port, u32
    {43, 0, 0, {0}, {1}, OP(kEng)},                         // on constant
    {44, 0, 0, {0x00, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x80, 0x3F}, OP(kEng)},  // constant 1.0
    {10, 0, 0, {0}, {0}, OP(kEng)},                         // a table the viewer does not know
};
#undef OP

// Archive kinds for the damaged-check choice.
enum { kKindMeas = 1, kKindMoist, kKindHour, kKindDay, kKindMoistHour, kKindMoistDay, kKindCal, kKindDiag,
       kKindInterv };

}  // namespace

int Zones::ZoneOf(int p, float v) const {
    if (p < 0 || p >= kParams || std::isnan(v)) return 0;
    if (v < lowAlarm[p]) return 3;
    if (v > highAlarm[p]) return 4;
    if (v < lowWarn[p]) return 1;
    if (v > highWarn[p]) return 2;
    return 0;
}

SimArchives::SimArchives(uint32_t seed, SimSeconds first, SimSeconds created, double corrupt,
                         uint32_t firstDiag, uint32_t firstInterv)
    : corruptFraction(corrupt), seed_(seed), first_(first), created_(created), firstDiag_(firstDiag),
      firstInterv_(firstInterv), generatedUntil_(FloorTo(first, kHour)) {
    const SimSeconds span = created_ - first_;
    if (span > 2 * kDay) {
        SimSeconds s = FloorTo(first_ + SimSeconds(double(span) * (0.35 + 0.3 * U(1))), kMinute);
        off_.push_back({s, s + 2 * kHour + SimSeconds(3 * kHour * U(2))});
        for (int i = 0; i < 2; ++i) {
            double at = i == 0 ? 0.15 + 0.1 * U(3) : 0.7 + 0.1 * U(4);
            SimSeconds l = FloorTo(first_ + SimSeconds(double(span) * at), kMinute);
            linkLost_.push_back({l, l + 30 * kMinute + SimSeconds(60 * kMinute * U(5, SimSeconds(i)))});
        }
    }
    // Operator interventions of the past: the setting-up of the controller on its
    // first morning, one change a minute, then a few set-point changes a week.
    static const uint8_t kOperator[4] = {'E', 'N', 'G', ' '};
    SimSeconds setUpEnd = first_;
    if (created_ - first_ > kDay) {
        SimSeconds t = FloorTo(first_, kMinute) + kMinute;
        for (const SetUpChange& c : kSetUp) {
            AddIntervention(t, c.table, c.field, c.unit, c.oldValue, c.newValue, c.op);
            setUpEnd = t;
            t += kMinute;
        }
    }
    for (SimSeconds d = FloorTo(first_, kDay); d < created_; d += kDay) {
        if (U(21, uint64_t(d)) >= 0.2) continue;
        SimSeconds t = d + 9 * kHour + SimSeconds(8 * kHour * U(22, uint64_t(d)));
        if (t <= setUpEnd || t >= created_ || ControllerOff(t)) continue;
        int table = 23 + int(H(23, uint64_t(d)) % 4);
        int field = int(H(24, uint64_t(d)) % kParams);
        float oldV = kBase[field] * (table == 23 || table == 25 ? 0.9f : 1.1f);
        float newV = oldV * (U(25, uint64_t(d)) < 0.5 ? 0.99f : 1.01f);
        uint8_t o[4], n[4];
        PutFloat(o, oldV);
        PutFloat(n, newV);
        AddIntervention(t, uint8_t(table), uint8_t(field), 0, o, n, kOperator);
    }
}

uint64_t SimArchives::H(uint64_t a, uint64_t b, uint64_t c) const {
    return Mix(Mix(Mix(seed_ ^ (a << 40)) ^ b) ^ c);
}

double SimArchives::U(uint64_t a, uint64_t b, uint64_t c) const {
    return double(H(a, b, c) >> 11) / double(1ull << 53);
}

bool SimArchives::Corrupt(int kind, int64_t key) const {
    return corruptFraction > 0 && U(900 + uint64_t(kind), uint64_t(key)) < corruptFraction;
}

void SimArchives::Seal(uint8_t* rec, int len, int kind, int64_t key) const {
    const uint16_t crc = Crc16(rec, uint16_t(len - 2));
    rec[len - 2] = uint8_t(crc & 0xFF);
    rec[len - 1] = uint8_t(crc >> 8);
    if (Corrupt(kind, key)) rec[len - 1] ^= 0x5A;
}

bool SimArchives::ControllerOff(SimSeconds t) const {
    for (auto& w : off_)
        if (t >= w.first && t < w.second) return true;
    return false;
}

bool SimArchives::ChromLinkLost(SimSeconds t) const {
    for (auto& w : linkLost_)
        if (t >= w.first && t < w.second) return true;
    return false;
}

bool SimArchives::Excursion(SimSeconds h, int& param, SimSeconds& from, SimSeconds& to) const {
    const uint64_t key = uint64_t(h / kHour);
    if (U(77, key) >= 0.03) return false;
    param = kExcursionParams[H(78, key) % (sizeof kExcursionParams / sizeof kExcursionParams[0])];
    from = h + 3 * kMinute * SimSeconds(H(79, key) % 15);
    to = from + 9 * kMinute + 3 * kMinute * SimSeconds(H(80, key) % 3);
    return true;
}

float SimArchives::Value(int p, SimSeconds t) const {
    if (p < 0 || p >= kParams) return 0;
    const double period = double(6 * kHour + (H(10, uint64_t(p)) % (24 * kHour)));
    const double phase = 2 * kPi * U(11, uint64_t(p));
    const double wave = std::sin(2 * kPi * double(t) / period + phase);
    const double noise = 2 * U(12, uint64_t(p), uint64_t(FloorTo(t, 30))) - 1;
    return float(kBase[p] + kAmp[p] * (0.7 * wave + 0.3 * noise));
}

float SimArchives::MoistValue(int i, SimSeconds t) const {
    if (i < 0 || i >= kMoistValues) return 0;
    const double period = double(8 * kHour + (H(13, uint64_t(i)) % (16 * kHour)));
    const double wave = std::sin(2 * kPi * double(t) / period + 2 * kPi * U(14, uint64_t(i)));
    const double noise = 2 * U(15, uint64_t(i), uint64_t(FloorTo(t, 10))) - 1;
    return float(kMoistBase[i] + kMoistAmp[i] * (0.8 * wave + 0.2 * noise));
}

float SimArchives::ValueAt(int p, SimSeconds t, const Zones& zones) const {
    int exParam;
    SimSeconds from, to;
    if (p >= 0 && p < kParams && Excursion(FloorTo(t, kHour), exParam, from, to) && exParam == p && t >= from &&
        t < to) {
        const bool high = H(81, uint64_t(from)) & 1;
        return high ? zones.highWarn[p] + 0.25f * std::max(zones.highAlarm[p] - zones.highWarn[p], kAmp[p])
                    : zones.lowWarn[p] - 0.25f * std::max(zones.lowWarn[p] - zones.lowAlarm[p], kAmp[p] / 4);
    }
    return Value(p, t);
}

SimSeconds SimArchives::SlotAtOrAfter(SimSeconds t) { return CeilTo(t, kSlot); }
SimSeconds SimArchives::FirstSlot() const { return SlotAtOrAfter(first_); }
SimSeconds SimArchives::FirstHour() const { return CeilTo(first_, kHour); }

SimSeconds SimArchives::FirstDay(int contractHour) const {
    SimSeconds d = FloorTo(first_, kDay) + contractHour * kHour;
    return d < first_ ? d + kDay : d;
}

SimSeconds SimArchives::CalibrationAround(SimSeconds t) const {
    for (SimSeconds d = FloorTo(t, kDay) - kDay; d <= FloorTo(t, kDay); d += kDay) {
        SimSeconds c = NextCalibration(d, d + kDay - 1);
        if (c >= 0 && t >= FloorTo(c, kSlot) && t < c + 6 * kMinute) return c;
    }
    return -1;
}

SimSeconds SimArchives::NextCalibration(SimSeconds t, SimSeconds limit) const {
    for (SimSeconds d = FloorTo(t, kDay); d <= limit; d += kDay) {
        const uint64_t key = uint64_t(d / kDay);
        SimSeconds c = d + 5 * kHour + SimSeconds(H(5, key) % 40) * kMinute + SimSeconds(H(6, key) % 60);
        if (c < t || c < first_ || ControllerOff(c)) continue;
        return c <= limit ? c : -1;
    }
    return -1;
}

uint32_t SimArchives::CalibrationIndex(SimSeconds when) const {
    return uint32_t(FloorTo(when, kDay) / kDay - FloorTo(first_, kDay) / kDay + 1);
}

void SimArchives::Calibration(SimSeconds when, uint8_t* out) const {
    std::memset(out, 0, kCalibrationRecord);
    PutTime(out, when);
    const uint64_t key = uint64_t(FloorTo(when, kDay) / kDay);
    out[6] = U(7, key) < 0.05 ? 0x01 : 0x00;
    out[7] = U(8, key) < 0.1 ? 0x20 : 0x00;
    Seal(out, kCalibrationRecord, kKindCal, when);
}

void SimArchives::Measurement(SimSeconds slot, const Zones& zones, uint8_t* out) const {
    std::memset(out, 0, kChromRecord);
    PutTime(out, slot);
    uint8_t status = 0;
    if (ControllerOff(slot)) {
        status = 0x02;
    } else if (ChromLinkLost(slot)) {
        status = 0x20;
    } else {
        for (int p = 0; p < kParams; ++p) {
            const float v = ValueAt(p, slot, zones);
            uint32_t bits = FloatBits(v) & ~3u;
            const int zone = zones.ZoneOf(p, v);
            if (zone == 1 || zone == 2) {
                bits |= 1;
                status |= 0x08;
            } else if (zone >= 3) {
                bits |= 3;
                status |= 0x10;
            }
            PutU32(out + 12 + 4 * p, bits);
        }
        if (CalibrationAround(slot) >= 0) status |= 0x80;
    }
    out[7] = status;
    Seal(out, kChromRecord, kKindMeas, slot);
}

void SimArchives::MoistMeasurement(SimSeconds slot, uint8_t* out) const {
    std::memset(out, 0, kMoistRecord);
    PutTime(out, slot);
    if (ControllerOff(slot)) {
        out[6] = 0x02;
    } else {
        for (int i = 0; i < 4; ++i) PutFloat(out + 11 + 4 * i, MoistValue(i, slot));
        if (U(16, uint64_t(slot)) < 0.01) out[9] = 0x08;  // "WDP too high" now and then
    }
    Seal(out, kMoistRecord, kKindMoist, slot);
}

void SimArchives::Average(SimSeconds from, SimSeconds to, const Zones& zones, uint8_t* out, bool daily) const {
    std::memset(out, 0, kChromRecord);
    PutTime(out, from);
    auto end = PackedFromSeconds(to);
    out[6] = uint8_t(end[3] | (daily ? 0x80 : 0));
    out[7] = end[4];
    out[8] = end[5];
    double sum[kParams] = {};
    int count = 0, off = 0, lost = 0;
    uint8_t rec[kChromRecord];
    for (SimSeconds s = SlotAtOrAfter(from); s < to; s += kSlot) {
        if (ControllerOff(s)) {
            ++off;
        } else if (ChromLinkLost(s)) {
            ++lost;
        } else {
            Measurement(s, zones, rec);
            for (int p = 0; p < kParams; ++p) {
                uint32_t bits;
                std::memcpy(&bits, rec + 12 + 4 * p, 4);
                bits &= ~3u;
                float v;
                std::memcpy(&v, &bits, 4);
                sum[p] += v;
            }
            ++count;
        }
    }
    uint8_t status = 0;
    if (count == 0 && lost == 0 && off > 0) {
        status = 0x02;
    } else {
        if (lost > 0) status |= 0x20;  // substitute values stood in while the link was down
        for (int p = 0; p < kParams; ++p) PutFloat(out + 12 + 4 * p, count ? float(sum[p] / count) : kBase[p]);
    }
    out[9] = status;
    out[10] = uint8_t(count & 0xFF);
    out[11] = uint8_t(count >> 8);
    Seal(out, kChromRecord, daily ? kKindDay : kKindHour, from);
}

void SimArchives::Hourly(SimSeconds h, const Zones& zones, uint8_t* out) const {
    Average(h, h + kHour, zones, out, false);
}

void SimArchives::Daily(SimSeconds d, const Zones& zones, uint8_t* out) const {
    Average(d, d + kDay, zones, out, true);
}

void SimArchives::MoistAverage(SimSeconds from, SimSeconds to, uint8_t* out, bool daily) const {
    std::memset(out, 0, kMoistAverage);
    PutTime(out, from);
    auto end = PackedFromSeconds(to);
    out[6] = uint8_t(end[3] | (daily ? 0x80 : 0));
    out[7] = end[4];
    out[8] = end[5];
    double sum[4] = {};
    int count = 0, off = 0;
    for (SimSeconds s = SlotAtOrAfter(from); s < to; s += kSlot) {
        if (ControllerOff(s)) {
            ++off;
            continue;
        }
        for (int i = 0; i < 4; ++i) sum[i] += MoistValue(i, s);
        ++count;
    }
    if (count == 0 && off > 0) out[9] = 0x02;
    for (int i = 0; i < 4; ++i) PutFloat(out + 10 + 4 * i, count ? float(sum[i] / count) : 0.0f);
    Seal(out, kMoistAverage, daily ? kKindMoistDay : kKindMoistHour, from);
}

void SimArchives::MoistHourly(SimSeconds h, uint8_t* out) const { MoistAverage(h, h + kHour, out, false); }
void SimArchives::MoistDaily(SimSeconds d, uint8_t* out) const { MoistAverage(d, d + kDay, out, true); }

void SimArchives::AddDiagnostic(SimSeconds t, uint8_t code, uint8_t object, uint8_t index, uint32_t v1,
                                uint32_t v2) {
    EventRecord e{t, {}};
    PutTime(e.bytes.data(), t);
    e.bytes[6] = code;
    e.bytes[8] = object;
    e.bytes[9] = index;
    PutU32(e.bytes.data() + 10, v1);
    PutU32(e.bytes.data() + 14, v2);
    Seal(e.bytes.data(), kDiagnosticRecord, kKindDiag, int64_t(firstDiag_ + diagnostics_.size()));
    diagnostics_.push_back(e);
}

void SimArchives::AddIntervention(SimSeconds t, uint8_t table, uint8_t field, uint8_t unit, const uint8_t* o,
                                  const uint8_t* n, const uint8_t* op) {
    EventRecord e{t, {}};
    PutTime(e.bytes.data(), t);
    e.bytes[7] = table;
    e.bytes[8] = field;
    e.bytes[9] = unit;
    std::memcpy(e.bytes.data() + 10, o, 4);
    std::memcpy(e.bytes.data() + 14, n, 4);
    std::memcpy(e.bytes.data() + 18, op, 4);
    Seal(e.bytes.data(), kInterventionRecord, kKindInterv, int64_t(firstInterv_ + interventions_.size()));
    interventions_.push_back(e);
}

void SimArchives::GenerateUntil(SimSeconds until, const Zones& zones) {
    std::vector<EventRecord> hour;
    auto add = [&](SimSeconds t, uint8_t code, uint8_t object, uint8_t index, uint32_t v1, uint32_t v2) {
        if (t < first_) return;
        EventRecord e{t, {}};
        PutTime(e.bytes.data(), t);
        e.bytes[6] = code;
        e.bytes[8] = object;
        e.bytes[9] = index;
        PutU32(e.bytes.data() + 10, v1);
        PutU32(e.bytes.data() + 14, v2);
        hour.push_back(e);
    };
    for (; generatedUntil_ < until; generatedUntil_ += kHour) {
        const SimSeconds h = generatedUntil_, e = h + kHour;
        hour.clear();
        for (auto& w : off_) {
            if (w.first >= h && w.first < e) add(w.first, 2, 0, 0, 0, 0);
            if (w.second >= h && w.second < e) add(w.second, 3, 0, 0, 0, 0);
        }
        for (auto& w : linkLost_) {
            if (w.first >= h && w.first < e && !ControllerOff(w.first)) add(w.first, 10, 33, 0, 0, 0);
            if (w.second >= h && w.second < e && !ControllerOff(w.second)) add(w.second, 11, 33, 0, 0, 0);
        }
        SimSeconds c = NextCalibration(h, e - 1);
        if (c >= 0) {
            add(c, 24, 0, 0, 0, 0);
            uint8_t rec[kCalibrationRecord];
            Calibration(c, rec);
            add(c + 5 * kMinute, (rec[6] & 1) ? 7 : 6, 0, 0, 0, 0);
        }
        int p;
        SimSeconds from, to;
        if (Excursion(h, p, from, to) && !ControllerOff(from) && !ChromLinkLost(from)) {
            const bool high = H(81, uint64_t(from)) & 1;
            uint8_t rec[kChromRecord];
            Measurement(from, zones, rec);
            uint32_t bits;
            std::memcpy(&bits, rec + 12 + 4 * p, 4);
            const float setPoint = high ? zones.highWarn[p] : zones.lowWarn[p];
            add(from, high ? 17 : 14, high ? 24 : 23, uint8_t(p), bits & ~3u, FloatBits(setPoint));
            add(to, high ? 16 : 15, high ? 24 : 23, uint8_t(p), FloatBits(Value(p, to)), FloatBits(setPoint));
        }
        if (U(55, uint64_t(h)) < 0.004 && !ControllerOff(h + 17 * kMinute)) add(h + 17 * kMinute, 5, 14, 3, 7, 0);
        // Now and then one of the other messages a controller writes, so that an
        // archive holds every kind of message; a few of them with a damaged check.
        for (int k = 0; k < 2; ++k) {
            const uint64_t key = uint64_t(h) * 2 + uint64_t(k);
            const SimSeconds t = h + SimSeconds(7 + 29 * k) * kMinute;
            if (U(56, key) >= 0.8 || ControllerOff(t)) continue;
            const Showcase& m = kShowcase[H(57, key) % kShowcaseCount];
            const int p = int(H(58, key) % 20);
            const uint32_t v1 = m.values ? FloatBits(Value(p, t)) : m.v1;
            const uint32_t v2 = m.values ? FloatBits(Value(p, t) * 1.1f) : m.v2;
            const size_t before = hour.size();
            add(t, m.code, m.object, m.values && m.index == 0 ? uint8_t(p) : m.index, v1, v2);
            if (hour.size() > before) hour.back().damaged = t - first_ >= 2 * kDay && H(59, key) % 50 == 0;
        }
        std::stable_sort(hour.begin(), hour.end(),
                         [](const EventRecord& a, const EventRecord& b) { return a.time < b.time; });
        for (auto& ev : hour) pending_.push_back(ev);
    }
}

void SimArchives::Sync(SimSeconds now, const Zones& zones) {
    GenerateUntil(now + kHour, zones);
    while (!pending_.empty() && pending_.front().time <= now) {
        EventRecord e = pending_.front();
        pending_.pop_front();
        const int64_t key = int64_t(firstDiag_ + diagnostics_.size());
        Seal(e.bytes.data(), kDiagnosticRecord, kKindDiag, key);
        if (e.damaged) e.bytes[kDiagnosticRecord - 1] ^= 0xA5;
        diagnostics_.push_back(e);
    }
}

}  // namespace zul::sim
