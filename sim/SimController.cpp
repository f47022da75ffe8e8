#include "sim/SimController.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>

#include "link/Clock.h"
#include "link/Qrtbox.h"  // Crc16 only
#include "tables/Dtfun.h"
#include "tables/Stringi.h"

namespace zul::sim {

namespace {

// Device error codes the controller answers with.
enum : uint8_t {
    kDevUnknownCommand = 1,
    kDevBadLength = 2,
    kDevBadPassword = 3,
    kDevBadParameters = 4,
    kDevNoDateEntry = 6,
    kDevNoTable = 9,
    kDevBadMoment = 10,
    kDevReadOnlyTable = 12,
    kDevNoField = 13,
    kDevNoSuchField = 14,
    kDevTooLargeCorrection = 17,
    kDevNoRecords = 18,
    kDevSeriesOrder = 20,
    kDevSeriesPeriod = 21,
    kDevBadPeriod = 22,
    kDevLowLevel = 26,
    kDevEmptyName = 27,
    kDevEmptyIdent = 28,
    kDevMakerExists = 29,
    kDevMakerRemoval = 30,
    kDevLastAdmin = 31,
    kDevNameExists = 33,
    kDevUnknownUser = 34,
    kDevFirstField = 36,
    kDevFieldCount = 37,
};

constexpr int kUserSize = 22;
constexpr int kUsers = 16;

void PutFloat(uint8_t* p, float v) { std::memcpy(p, &v, 4); }
float GetFloat(const uint8_t* p) {
    float v;
    std::memcpy(&v, p, 4);
    return v;
}
void PutU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
SimSeconds FloorTo(SimSeconds t, SimSeconds step) {
    SimSeconds q = t / step;
    if (t < 0 && q * step != t) --q;
    return q * step;
}

void PutText(uint8_t* dst, int size, const char* utf8) {
    std::string s = Utf8ToCp1251(utf8);
    std::memset(dst, 0, size_t(size));
    std::memcpy(dst, s.data(), std::min<size_t>(s.size(), size_t(size)));
}

struct Param {
    const char* name;
    const char* shortName;
    uint8_t unit;
    uint16_t reg;
    uint8_t b62;
};
constexpr Param kParamDefaults[kParams] = {
    {"Сум. МД гексана и б.т.с.", "C6+", 1, 7001, 0},
    {"Молярная доля пропана", "C3H8", 1, 7002, 0},
    {"Молярная доля i-бутана", "i-C4H10", 1, 7003, 0},
    {"Молярная доля n-бутана", "n-C4H10", 1, 7004, 0},
    {"Молярная доля нео-пентана", "neoC5H12", 1, 7005, 0},
    {"Молярная доля i-пентана", "i-C5H12", 1, 7006, 0},
    {"Молярная доля n-пентана", "n-C5H12", 1, 7007, 0},
    {"Молярная доля азота", "N2", 1, 7008, 0},
    {"Молярная доля метана", "CH4", 1, 7009, 0},
    {"Молярная доля диоксида углерода", "CO2", 1, 7010, 0},
    {"Молярная доля этана", "C2H6", 1, 7011, 0},
    {"Теплота сгорания высшая", "Hs", 4, 7012, 4},
    {"Абсолютная плотность", "De_abs", 7, 7013, 6},
    {"Число Воббе", "Woebbe", 4, 7014, 5},
    {"Фактор сжимаемости", "Zcomp", 0, 7015, 8},
    {"Сумма МД всeх компонентов", "Сумма МД", 1, 7016, 0},
    {"Температура печи", "Toven", 8, 7017, 1},
    {"Давление газа-носителя", "Pgas", 10, 7018, 2},
    {"Удельная теплота сгорания низшая", "Hi", 4, 7019, 3},
    {"Относительная плотность", "De_otn", 0, 7020, 7},
};

constexpr float kLimitDefaults[5][kParams] = {
    {0.01f, 0.05f, 0.01f, 0.01f, 0.01f, 0.01f, 0.01f, 0.05f, 5, 0.05f, 0.05f, 5, 0.0001f, 5, 0.001f, 0.01f, 0.01f,
     0.1f, 4, 0.0001f},
    {0.002f, 0.05f, 0.002f, 0.002f, 0.0002f, 0.0002f, 0.0002f, 0.2f, 95, 0.01f, 0.1f, 36, 0.67f, 45, 0.998f, 98, 59,
     290, 32, 0.5f},
    {0.6f, 6, 1.2f, 1.2f, 1.2f, 1.2f, 1.2f, 12, 100, 8, 10, 45, 1, 55, 0.999f, 103, 62, 350, 40, 0.7f},
    {0.001f, 0.01f, 0.001f, 0.001f, 0.0001f, 0.0001f, 0.0001f, 0, 90, 0, 0.01f, 35, 0.66f, 40, 0.997f, 97, 54, 150,
     30, 0.425f},
    {0.6f, 6, 1.2f, 1.2f, 1.2f, 1.2f, 1.2f, 18, 100, 12, 12, 45, 1.05f, 55, 1, 103, 62, 350, 40, 0.85f},
};

// The users a fresh simulator knows: name, level, write password, identification code.
struct User {
    const char* name;
    uint8_t level;
    const char* password;
    const char* ident;
};
constexpr User kDefaultUsers[] = {
    {"NAL", 1, "111111", "1111"},
    {"ADM", 2, "222222", "2222"},
    {"ENG", 3, "333333", "3333"},
    {"OPR", 4, "444444", "4444"},
    {"GST", 3, "", "5555"},
};

bool Blank(const uint8_t* p, int n) {
    for (int i = 0; i < n; ++i)
        if (p[i] != ' ') return false;
    return true;
}

}  // namespace

// ---- clock ----

SimClock::SimClock(SimSeconds start, double rate) : base_(double(start)), baseMono_(Mono()), rate_(rate) {}

double SimClock::Mono() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

SimSeconds SimClock::Now() const { return SimSeconds(std::floor(base_ + (Mono() - baseMono_) * rate_)); }

void SimClock::Set(SimSeconds now) {
    base_ = double(now);
    baseMono_ = Mono();
}

void SimClock::SetRate(double rate) {
    base_ = base_ + (Mono() - baseMono_) * rate_;
    baseMono_ = Mono();
    rate_ = rate;
}

// ---- controller ----

SimController::SimController(const SimSettings& s)
    : settings_(s),
      clock_(SecondsFromDateTime(s.startDateTime > 0 ? s.startDateTime : SystemClock::Instance().LocalNow()),
             s.rate) {
    LoadDefaults();
    const SimSeconds now = clock_.Now();
    archives_ = std::make_unique<SimArchives>(s.seed, now - SimSeconds(s.spanDays) * kDay, now, s.corruptFraction,
                                              1000 + s.seed % 9000, 500 + s.seed % 4000);
    SyncArchives();
}

void SimController::LoadDefaults() {
    std::memset(image_.Bytes(), 0, size_t(TableImage::Size()));
    // Table 0: identification.
    const uint8_t t0[18] = {0, 73, 3, 17, 23, 11, 15, 10, 30, 0, 1, 1, uint8_t(settings_.names1251 ? 1 : 0), 0,
                            1, 2, 0, 0};
    std::memcpy(image_.Data(0), t0, sizeof t0);
    // Table 1: the 20 default gas parameters.
    for (int i = 0; i < kParams; ++i) {
        uint8_t* r = image_.Field(1, i);
        PutText(r, 40, kParamDefaults[i].name);
        PutText(r + 40, 10, kParamDefaults[i].shortName);
        r[50] = kParamDefaults[i].unit;
        PutFloat(r + 55, 100.0f);
        r[59] = uint8_t(kParamDefaults[i].reg & 0xFF);
        r[60] = uint8_t(kParamDefaults[i].reg >> 8);
        r[61] = 4;
        r[62] = kParamDefaults[i].b62;
    }
    const uint8_t t3[4] = {settings_.address, 11, 3, 0};
    std::memcpy(image_.Data(3), t3, 4);
    // Table 4: every slot blank, then the simulator's users.
    for (int u = 0; u < kUsers; ++u) {
        uint8_t* e = image_.Field(4, u);
        std::memset(e, ' ', kUserSize);
        e[4] = 0;
        e[5] = 0;
    }
    for (size_t u = 0; u < sizeof kDefaultUsers / sizeof kDefaultUsers[0]; ++u) {
        uint8_t* e = image_.Field(4, int(u));
        const User& d = kDefaultUsers[u];
        std::memcpy(e, d.name, std::strlen(d.name));
        e[4] = d.level;
        std::memcpy(e + 6, d.password, std::strlen(d.password));
        std::memcpy(e + 18, d.ident, std::strlen(d.ident));
    }
    char name0[32];
    std::snprintf(name0, sizeof name0, "Контроллер ЗУЛ_%02d", 17);
    SetNames({Utf8ToCp1251(name0), Utf8ToCp1251("Нитка 1"), Utf8ToCp1251("Нитка 2")});
    const uint8_t t6[12] = {3, 201, 3, 10, 201, 4, 9, 1, uint8_t(settings_.moistureMeter ? 1 : 0), 1, 0, 1};
    std::memcpy(image_.Data(6), t6, 12);
    const uint8_t t9[6] = {1, 11, 5, 20, 3, 2};
    std::memcpy(image_.Data(9), t9, 6);
    std::memset(image_.Data(13), ' ', size_t(Table(13).Bytes()));
    const uint8_t t14[16] = {1, 11, 0, 0, 150, 5, 0, 1, 0, 0, 0, 1, 0, 0, 20, 30};
    std::memcpy(image_.Data(14), t14, 16);
    const uint8_t t15[8] = {1, 11, 0, 0, 150, 5, settings_.moistureType, 0};
    std::memcpy(image_.Data(15), t15, 8);
    for (int i = 0; i < 16; ++i) *image_.Field(18, i) = uint8_t(i + 1);
    *image_.Field(17, 0) = 2;
    *image_.Field(19, 0) = 163;
    *image_.Field(20, 0) = 1;
    *image_.Field(21, 7) = 1;
    *image_.Field(21, 9) = 1;
    *image_.Field(21, 12) = 1;
    for (int k = 0; k < 5; ++k)
        for (int i = 0; i < kParams; ++i) PutFloat(image_.Field(22 + k, i), kLimitDefaults[k][i]);
    *image_.Field(28, 0) = 1;
    // Table 40: a locally administered MAC address, distinct for every seed (or the
    // one the settings give); table 41: the chromatograph's serial number.
    const uint32_t seed = settings_.seed;
    const uint8_t mac[6] = {0x02, 0x5A, uint8_t(0x55 ^ (seed >> 24)), uint8_t(0x4C ^ (seed >> 16)), uint8_t(seed >> 8),
                            uint8_t(seed)};
    std::memcpy(image_.Data(40), settings_.mac ? settings_.mac->data() : mac, 6);
    PutU32(image_.Data(41), 510000 + settings_.seed % 10000);
}

void SimController::SetNames(const std::array<std::string, 3>& names) {
    for (int i = 0; i < 3; ++i) {
        uint8_t* f = image_.Field(5, i);
        std::memset(f, 0, 20);
        std::memcpy(f, names[size_t(i)].data(), std::min<size_t>(20, names[size_t(i)].size()));
    }
    image_.NamesToController();
}

void SimController::SetCodePageFlag(uint8_t value) {
    image_.NamesFromController();
    *image_.Field(0, 12) = value;
    image_.NamesToController();
}

int SimController::LineSpeed() const {
    const int s = SpeedFromCode(image_.Byte(3, 1));
    return s > 0 ? s : 0;
}

Zones SimController::CurrentZones() const {
    Zones z{};
    for (int p = 0; p < kParams; ++p) {
        z.lowWarn[p] = GetFloat(image_.Field(23, p));
        z.highWarn[p] = GetFloat(image_.Field(24, p));
        z.lowAlarm[p] = GetFloat(image_.Field(25, p));
        z.highAlarm[p] = GetFloat(image_.Field(26, p));
    }
    return z;
}

void SimController::SyncArchives() { archives_->Sync(clock_.Now(), CurrentZones()); }

void SimController::RefreshLive(int t) {
    const SimSeconds now = clock_.Now();
    uint8_t* d = image_.Data(t);
    if (!d) return;
    auto putDateTime8 = [](uint8_t* p, SimSeconds s) {
        auto k = PackedFromSeconds(s);
        const uint8_t v[8] = {k[0], k[1], k[2], 0, k[3], k[4], k[5], 0};
        std::memcpy(p, v, 8);
    };
    switch (t) {
    case 2: {
        auto k = PackedFromSeconds(now);
        std::memcpy(d, k.data(), 6);
        d[6] = uint8_t(WeekDayOf(now));
        const uint8_t* r = image_.Data(6);
        d[7] = (r[0] != 0 && r[3] != 0) ? WinterTimeFlag(k.data(), r, r + 3) : 0;
        break;
    }
    case 10:
    case 11: {
        SyncArchives();
        const auto& a = t == 10 ? archives_->Diagnostics() : archives_->Interventions();
        const uint32_t first = t == 10 ? archives_->FirstDiagnosticIndex() : archives_->FirstInterventionIndex();
        PutU32(d, first);
        PutU32(d + 4, a.empty() ? first : first + uint32_t(a.size()) - 1);
        break;
    }
    case 12: {
        // Running numbers of the oldest and the newest calibration (one a day at most).
        const SimSeconds c = archives_->NextCalibration(archives_->First(), now);
        SimSeconds last = -1;
        for (SimSeconds day = FloorTo(now, kDay); c >= 0 && last < 0 && day >= FloorTo(c, kDay); day -= kDay)
            last = archives_->NextCalibration(day, std::min(now, day + kDay - 1));
        PutU32(d, c >= 0 ? archives_->CalibrationIndex(c) : 0);
        PutU32(d + 4, last >= 0 ? archives_->CalibrationIndex(last) : 0);
        break;
    }
    case 16: {
        const auto& diag = archives_->Diagnostics();
        auto k = PackedFromSeconds(diag.empty() ? archives_->First() : diag.back().time);
        std::memcpy(d, k.data(), 6);
        const Zones z = CurrentZones();
        uint16_t mask = 0;
        for (int p = 0; p < 16; ++p)
            if (z.ZoneOf(p, archives_->ValueAt(p, now, z)) != 0) mask = uint16_t(mask | (1u << p));
        d[6] = 0;
        d[7] = archives_->ChromLinkLost(now) ? 2 : 0;
        d[8] = 0;
        d[9] = 0;
        d[10] = mask ? 1 : 0;
        d[12] = uint8_t(mask & 0xFF);
        d[13] = uint8_t(mask >> 8);
        break;
    }
    case 27: {
        auto a = PackedFromSeconds(archives_->FirstSlot());
        auto h = PackedFromSeconds(archives_->FirstHour());
        auto dd = PackedFromSeconds(archives_->FirstDay(image_.Byte(6, 6)));
        std::memcpy(d, a.data(), 6);
        std::memcpy(d + 6, h.data(), 6);
        std::memcpy(d + 12, dd.data(), 6);
        break;
    }
    case 30:
    case 32: {
        const int cycle = std::max<int>(image_.Byte(14, 15), 10);
        const SimSeconds poll = FloorTo(now, cycle);
        const Zones z = CurrentZones();
        uint8_t* t30 = image_.Data(30);
        putDateTime8(t30, poll);
        for (int p = 0; p < kParams; ++p) {
            const float v = archives_->ValueAt(p, poll, z);
            PutFloat(t30 + 8 + 4 * p, v);
            *image_.Field(32, p) = uint8_t(z.ZoneOf(p, v));
        }
        break;
    }
    case 33:
        d[0] = archives_->ChromLinkLost(now) ? 0 : 1;
        d[1] = image_.Byte(6, 8) ? 1 : 0;
        break;
    case 34:
        for (int i = 0; i < 16; ++i) d[i] = (image_.Byte(6, 9) && i < image_.Byte(9, 0)) ? 1 : 0;
        break;
    case 37: {
        const SimSeconds at = FloorTo(now, 10);
        putDateTime8(d, at);
        for (int i = 0; i < kMoistValues; ++i) PutFloat(d + 8 + 4 * i, archives_->MoistValue(i, at));
        break;
    }
    case 42: {
        auto k = PackedFromSeconds(now - 4);
        std::memcpy(d, k.data(), 6);
        break;
    }
    default:
        break;
    }
}

std::vector<uint8_t> SimController::Field(int t, int f) {
    const TableDescriptor& d = Table(t);
    if (!IsTableNumber(t) || f < 0 || f >= d.fieldCount) return {};
    RefreshLive(t);
    const uint8_t* p = image_.Field(t, f);
    return std::vector<uint8_t>(p, p + d.fieldSize);
}

std::vector<uint8_t> SimController::TableBytes(int t) {
    const TableDescriptor& d = Table(t);
    if (!IsTableNumber(t) || d.fieldCount == 0) return {};
    RefreshLive(t);
    const uint8_t* p = image_.Data(t);
    return std::vector<uint8_t>(p, p + d.Bytes());
}

bool SimController::SetField(int t, int f, const std::vector<uint8_t>& bytes) {
    const TableDescriptor& d = Table(t);
    if (!IsTableNumber(t) || f < 0 || f >= d.fieldCount || bytes.empty()) return false;
    // Several fields may be given at once; they must stay inside the table.
    if (bytes.size() % d.fieldSize != 0 || f + int(bytes.size() / d.fieldSize) > d.fieldCount) return false;
    std::memcpy(image_.Field(t, f), bytes.data(), bytes.size());
    if (t == 2) {
        uint8_t k[6];
        std::memcpy(k, image_.Data(2), 6);
        if (PlausiblePacked(k)) clock_.Set(SecondsFromPacked(k));
    }
    return true;
}

void SimController::DamageTable(int t, uint8_t state) {
    if (!IsTableNumber(t)) return;
    *image_.Field(7, t) = state;
    if (state == 0) return RepairTable(t);
    rewritten_[t].clear();
    if (image_.Byte(0, 0) == 0) *image_.Field(0, 0) = uint8_t(t);
    SyncArchives();
    archives_->AddDiagnostic(clock_.Now(), 42, uint8_t(t), 0, 0, 0);
}

void SimController::RepairTable(int t) {
    if (!IsTableNumber(t)) return;
    *image_.Field(7, t) = 0;
    rewritten_.erase(t);
    if (image_.Byte(0, 0) == t) {
        uint8_t next = 0;
        for (int i = 1; i < kTableCount && !next; ++i)
            if (image_.Byte(7, i)) next = uint8_t(i);
        *image_.Field(0, 0) = next;
    }
    SyncArchives();
    archives_->AddDiagnostic(clock_.Now(), 43, uint8_t(t), 0, 0, 0);
}

void SimController::SetTableMissing(int t, bool missing) {
    if (missing)
        missing_.insert(t);
    else
        missing_.erase(t);
}

std::vector<uint8_t> SimController::Reply(uint8_t command, const uint8_t* body, int n) const {
    std::vector<uint8_t> r(size_t(n) + 6);
    r[0] = 0x33;
    r[1] = Address();
    r[2] = uint8_t(n + 6);
    r[3] = uint8_t(command | 0x80);
    if (n > 0) std::memcpy(&r[4], body, size_t(n));
    const uint16_t crc = Crc16(r.data(), uint16_t(n + 4));
    r[size_t(n) + 4] = uint8_t(crc & 0xFF);
    r[size_t(n) + 5] = uint8_t(crc >> 8);
    return r;
}

std::vector<uint8_t> SimController::Refusal(uint8_t command, uint8_t code, uint8_t extra) const {
    std::vector<uint8_t> r = {0x33, Address(), 9, uint8_t(command & 0x7F), code, 0, extra, 0, 0};
    const uint16_t crc = Crc16(r.data(), 7);
    r[7] = uint8_t(crc & 0xFF);
    r[8] = uint8_t(crc >> 8);
    return r;
}

bool SimController::Handle(const uint8_t* f, int length, std::vector<uint8_t>& reply) {
    if (length < 6 || f[0] != 0xCC || f[2] != length) return false;
    if (Crc16(f, uint16_t(length)) != 0) return false;
    if (f[1] != Address() && f[1] != 0xFF) return false;
    ++handled_;
    const uint8_t cmd = f[3];
    static const std::map<uint8_t, int> kLength = {{1, 10}, {7, 13}, {8, 21}, {12, 24}, {15, 17}, {16, 15},
                                                   {25, 22}};
    if (cmd != 2 && !kLength.count(cmd)) {
        reply = Refusal(cmd, kDevUnknownCommand);
        return true;
    }
    if ((cmd == 2 && length < 26) || (cmd != 2 && kLength.at(cmd) != length)) {
        reply = Refusal(cmd, kDevBadLength);
        return true;
    }
    switch (cmd) {
    case 1: return ReadFields(f, reply);
    case 2: return WriteFields(f, length, reply);
    case 7: return EventsByIndex(f, reply);
    case 8: return RecordsByPeriod(f, reply);
    case 12: return CorrectClock(f, reply);
    case 15: return AveragesByRange(f, false, reply);
    case 16: return AveragesByRange(f, true, reply);
    case 25: return ResetNonVolatile(f, reply);
    default: break;
    }
    reply = Refusal(cmd, kDevUnknownCommand);
    return true;
}

bool SimController::ReadFields(const uint8_t* f, std::vector<uint8_t>& reply) {
    const int t = f[5], first = f[6], count = f[7];
    const TableDescriptor& d = Table(t);
    if (!IsTableNumber(t) || d.fieldCount == 0 || missing_.count(t)) {
        reply = Refusal(1, kDevNoTable);
    } else if (count == 0 || count * d.fieldSize > 245) {
        reply = Refusal(1, kDevBadParameters);
    } else if (first + count > d.fieldCount) {
        reply = Refusal(1, kDevNoField);
    } else {
        RefreshLive(t);
        std::vector<uint8_t> body(4 + size_t(count * d.fieldSize));
        body[0] = f[4];
        body[1] = uint8_t(t);
        body[2] = uint8_t(first);
        body[3] = uint8_t(count);
        std::memcpy(&body[4], image_.Field(t, first), size_t(count * d.fieldSize));
        reply = Reply(1, body.data(), int(body.size()));
    }
    return true;
}

uint8_t SimController::CheckUser(const uint8_t* frame, int& level, const uint8_t*& name) const {
    const uint8_t* password = frame + 4;
    const uint8_t* ident = frame + 16;
    for (int u = 0; u < kUsers; ++u) {
        const uint8_t* e = image_.Field(4, u);
        if (e[4] < 1 || e[4] > 4 || std::memcmp(e + 18, ident, 4) != 0) continue;
        if (std::memcmp(e + 6, password, 12) != 0) return kDevBadPassword;
        level = e[4];
        name = e;
        return 0;
    }
    return kDevUnknownUser;
}

uint8_t SimController::CheckAccessTable(const uint8_t* t4) const {
    int makers = 0, admins = 0, adminsBefore = 0, makersBefore = 0;
    for (int u = 0; u < kUsers; ++u) {
        const uint8_t* e = t4 + u * kUserSize;
        if (e[4] > 4) return kDevBadParameters;
        makers += e[4] == 1;
        admins += e[4] == 2;
        const uint8_t* o = image_.Field(4, u);
        makersBefore += o[4] == 1;
        adminsBefore += o[4] == 2;
        if (e[4] == 0) continue;
        if (Blank(e, 4)) return kDevEmptyName;
        if (Blank(e + 18, 4)) return kDevEmptyIdent;
        for (int v = 0; v < u; ++v) {
            const uint8_t* w = t4 + v * kUserSize;
            if (w[4] != 0 && std::memcmp(w, e, 4) == 0) return kDevNameExists;
        }
    }
    if (makers > 1) return kDevMakerExists;
    if (makers == 0 && makersBefore > 0) return kDevMakerRemoval;
    if (admins == 0 && adminsBefore > 0) return kDevLastAdmin;
    return 0;
}

bool SimController::WriteFields(const uint8_t* f, int length, std::vector<uint8_t>& reply) {
    const int t = f[21], first = f[22], count = f[23];
    const int n = length - 26;
    const TableDescriptor& d = Table(t);
    auto refuse = [&](uint8_t code) {
        reply = Refusal(2, code);
        return true;
    };
    if (!IsTableNumber(t) || d.fieldCount == 0 || missing_.count(t)) return refuse(kDevNoTable);
    if (count == 0) return refuse(kDevFieldCount);
    if (first >= d.fieldCount) return refuse(kDevFirstField);
    if (first + count > d.fieldCount) return refuse(kDevNoSuchField);
    if (n != count * d.fieldSize) return refuse(kDevBadLength);
    const bool writable = d.isConfiguration || t == 40;
    if (!writable) return refuse(kDevReadOnlyTable);

    // While the user table is damaged it can be rewritten without credentials.
    const bool restoringUsers = t == 4 && image_.Byte(7, 4) != 0;
    int level = 0;
    static const uint8_t kNobody[4] = {' ', ' ', ' ', ' '};
    const uint8_t* user = kNobody;
    if (!restoringUsers) {
        if (uint8_t code = CheckUser(f, level, user)) return refuse(code);
        const bool allowed = t == 2 ? level <= 4 : t == 40 ? level == 1 : t == 4 ? level <= 2 : level <= 3;
        if (!allowed) return refuse(kDevLowLevel);
    }
    const uint8_t* values = f + 24;
    // The table as it will be, checked before anything changes.
    std::vector<uint8_t> after(image_.Data(t), image_.Data(t) + d.Bytes());
    if (t == 2) {
        RefreshLive(2);
        after.assign(image_.Data(2), image_.Data(2) + 8);
    }
    std::memcpy(after.data() + first * d.fieldSize, values, size_t(n));
    if (t == 2 && !PlausiblePacked(after.data())) return refuse(kDevBadParameters);
    if (t == 3 && (after[0] < 1 || after[0] > 254)) return refuse(kDevBadParameters);
    if (t == 4 && !restoringUsers) {
        if (uint8_t code = CheckAccessTable(after.data())) return refuse(code);
    }

    SyncArchives();
    const SimSeconds now = clock_.Now();
    for (int i = first; i < first + count; ++i) {
        uint8_t* cur = image_.Field(t, i);
        const uint8_t* nv = after.data() + i * d.fieldSize;
        if (t != 2 && std::memcmp(cur, nv, d.fieldSize) != 0) {
            uint8_t o[4] = {}, nw[4] = {};
            std::memcpy(o, cur, std::min<size_t>(4, d.fieldSize));
            std::memcpy(nw, nv, std::min<size_t>(4, d.fieldSize));
            archives_->AddIntervention(now, uint8_t(t), uint8_t(i), 0, o, nw, user);
        }
        std::memcpy(cur, nv, d.fieldSize);
    }
    if (t == 2) clock_.Set(SecondsFromPacked(after.data()));
    if (image_.Byte(7, t) != 0) {
        auto& done = rewritten_[t];
        for (int i = first; i < first + count; ++i) done.insert(i);
        // The flow-computer tables count as whole once the connected ones are written.
        const bool perFlowComputer = t == 13 || (t >= 17 && t <= 20);
        const int needed = perFlowComputer ? std::clamp<int>(image_.Byte(9, 0), 1, d.fieldCount) : d.fieldCount;
        bool whole = true;
        for (int i = 0; i < needed; ++i) whole = whole && done.count(i);
        if (whole) RepairTable(t);
    }
    // The echo of the header; a new address in table 3 answers already from there.
    const uint8_t body[4] = {f[20], uint8_t(t), uint8_t(first), uint8_t(count)};
    reply = Reply(2, body, 4);
    return true;
}

bool SimController::EventsByIndex(const uint8_t* f, std::vector<uint8_t>& reply) {
    const int kind = f[5];
    const uint32_t index = uint32_t(f[6]) | uint32_t(f[7]) << 8 | uint32_t(f[8]) << 16 | uint32_t(f[9]) << 24;
    const int count = f[10];
    if (kind > 1) {
        reply = Refusal(7, kDevBadParameters);
        return true;
    }
    const int size = kind == 0 ? kDiagnosticRecord : kInterventionRecord;
    const int most = kind == 0 ? 11 : 10;
    if (count == 0 || count > most) {
        reply = Refusal(7, kDevBadParameters);
        return true;
    }
    SyncArchives();
    const auto& a = kind == 0 ? archives_->Diagnostics() : archives_->Interventions();
    const uint32_t oldest = kind == 0 ? archives_->FirstDiagnosticIndex() : archives_->FirstInterventionIndex();
    if (a.empty() || index < oldest || index >= oldest + a.size()) {
        reply = Refusal(7, kDevNoRecords);
        return true;
    }
    const size_t from = index - oldest;
    const int k = int(std::min<size_t>(size_t(count), a.size() - from));
    std::vector<uint8_t> body(7 + size_t(k * size));
    body[6] = uint8_t(k);
    for (int i = 0; i < k; ++i) std::memcpy(&body[7 + size_t(i * size)], a[from + size_t(i)].bytes.data(), size_t(size));
    reply = Reply(7, body.data(), int(body.size()));
    return true;
}

bool SimController::RecordsByPeriod(const uint8_t* f, std::vector<uint8_t>& reply) {
    const uint8_t selector = f[4], kind = f[5], seq = f[6];
    const uint8_t* start = f + 7;
    const uint8_t* end = f + 13;
    const int instrument = selector & 0x0F;
    auto refuse = [&](uint8_t code) {
        reply = Refusal(8, code);
        return true;
    };
    if (!PlausiblePacked(start) || !PlausiblePacked(end)) return refuse(kDevBadParameters);
    const SimSeconds s = SecondsFromPacked(start), e = SecondsFromPacked(end);
    if (s > e) return refuse(kDevBadPeriod);
    int size, most;
    if (kind == 0 && instrument == 0) {
        size = kDiagnosticRecord, most = 11;
    } else if (kind == 1 && instrument == 0) {
        size = kInterventionRecord, most = 10;
    } else if (kind == 5 && instrument == 0) {
        size = kCalibrationRecord, most = 24;
    } else if (kind == 6 && instrument == 0) {
        size = kChromRecord, most = 2;
    } else if (kind == 6 && instrument == 1) {
        size = kMoistRecord, most = 8;
    } else {
        return refuse(kDevBadParameters);
    }
    const int key = selector * 256 + kind;
    Series& sr = series_[key];
    std::array<uint8_t, 12> period;
    std::memcpy(period.data(), start, 12);
    SyncArchives();
    const SimSeconds now = clock_.Now();
    const SimSeconds limit = std::min(e, now);
    const auto* events = kind == 0 ? &archives_->Diagnostics() : kind == 1 ? &archives_->Interventions() : nullptr;
    if (seq == 0) {
        sr = Series{};
        sr.open = true;
        sr.period = period;
        if (events) {
            size_t i = 0;
            while (i < events->size() && (*events)[i].time < s) ++i;
            sr.cursor = SimSeconds(i);
        } else if (kind == 6) {
            sr.cursor = std::max(SimArchives::SlotAtOrAfter(s), archives_->FirstSlot());
        } else {
            sr.cursor = s;
        }
    } else {
        if (!sr.open) return refuse(kDevSeriesOrder);
        if (sr.period != period) return refuse(kDevSeriesPeriod);
        if (seq == sr.lastSeq) {  // the same request again: its answer got lost
            reply = sr.lastReply;
            return true;
        }
        const uint8_t expected = sr.lastSeq == 255 ? 1 : uint8_t(sr.lastSeq + 1);
        if (seq != expected) return refuse(kDevSeriesOrder);
    }
    std::vector<uint8_t> body(4);
    const Zones zones = CurrentZones();
    int k = 0;
    bool more = false;
    std::vector<uint8_t> rec(static_cast<size_t>(size));
    auto take = [&](const uint8_t* p) {
        body.insert(body.end(), p, p + size);
        ++k;
    };
    if (events) {
        size_t i = size_t(sr.cursor);
        while (i < events->size() && (*events)[i].time <= e && k < most) take((*events)[i++].bytes.data());
        more = i < events->size() && (*events)[i].time <= e;
        sr.cursor = SimSeconds(i);
    } else if (kind == 6) {
        SimSeconds t = sr.cursor;
        for (; t <= limit && k < most; t += kSlot) {
            if (instrument == 0)
                archives_->Measurement(t, zones, rec.data());
            else
                archives_->MoistMeasurement(t, rec.data());
            take(rec.data());
        }
        more = t <= limit;
        sr.cursor = t;
    } else {
        SimSeconds c = archives_->NextCalibration(sr.cursor, limit);
        while (c >= 0 && k < most) {
            archives_->Calibration(c, rec.data());
            take(rec.data());
            c = archives_->NextCalibration(c + 1, limit);
        }
        more = c >= 0;
        sr.cursor = c >= 0 ? c : limit + 1;
    }
    body[0] = archiveErrorFlag ? 0x80 : 0;
    body[2] = uint8_t(k);
    body[3] = more ? 1 : 0;
    reply = Reply(8, body.data(), int(body.size()));
    sr.lastSeq = seq;
    sr.lastReply = reply;
    return true;
}

bool SimController::AveragesByRange(const uint8_t* f, bool daily, std::vector<uint8_t>& reply) {
    const uint8_t cmd = daily ? 16 : 15;
    const int instrument = f[6];
    const int n = daily ? 3 : 4;
    uint8_t a[6] = {0, 1, 1, 0, 0, 0}, b[6] = {0, 1, 1, 0, 0, 0};
    std::memcpy(a, f + 7, size_t(n));
    std::memcpy(b, f + 7 + n, size_t(n));
    if (instrument > 1 || !PlausiblePacked(a) || !PlausiblePacked(b)) {
        reply = Refusal(cmd, kDevBadParameters);
        return true;
    }
    SimSeconds from = SecondsFromPacked(a), to = SecondsFromPacked(b);
    if (from > to) {
        reply = Refusal(cmd, kDevBadPeriod);
        return true;
    }
    const SimSeconds now = clock_.Now();
    const int size = instrument == 0 ? kChromRecord : kMoistAverage;
    const int most = instrument == 0 ? 2 : 8;
    const SimSeconds step = daily ? kDay : kHour;
    SimSeconds first, last;
    if (daily) {
        const int ch = image_.Byte(6, 6);
        from += ch * kHour;
        to += ch * kHour;
        first = archives_->FirstDay(ch);
        last = FloorTo(now - ch * kHour, kDay) + ch * kHour - kDay;  // the last complete gas day
    } else {
        first = archives_->FirstHour();
        last = FloorTo(now, kHour) - kHour;
    }
    from = std::max(from, first);
    to = std::min(to, last);
    if (averageAhead) {
        averageAhead = false;
        from += step;
    }
    const Zones zones = CurrentZones();
    std::vector<uint8_t> body(1);
    std::vector<uint8_t> rec(static_cast<size_t>(size));
    int k = 0;
    for (SimSeconds t = from; t <= to && k < most; t += step, ++k) {
        if (averageOutOfOrder && k == 0) {
            averageOutOfOrder = false;
            const SimSeconds early = t - 3 * step;
            if (instrument == 0) {
                daily ? archives_->Daily(early, zones, rec.data()) : archives_->Hourly(early, zones, rec.data());
            } else {
                daily ? archives_->MoistDaily(early, rec.data()) : archives_->MoistHourly(early, rec.data());
            }
            body.insert(body.end(), rec.begin(), rec.end());
            continue;
        }
        if (instrument == 0) {
            daily ? archives_->Daily(t, zones, rec.data()) : archives_->Hourly(t, zones, rec.data());
        } else {
            daily ? archives_->MoistDaily(t, rec.data()) : archives_->MoistHourly(t, rec.data());
        }
        body.insert(body.end(), rec.begin(), rec.end());
    }
    body[0] = uint8_t(k);
    reply = Reply(cmd, body.data(), int(body.size()));
    return true;
}

bool SimController::CorrectClock(const uint8_t* f, std::vector<uint8_t>& reply) {
    int level = 0;
    const uint8_t* user = nullptr;
    if (uint8_t code = CheckUser(f, level, user)) {
        reply = Refusal(12, code);
        return true;
    }
    if (image_.Byte(6, 11) == 0) {
        reply = Refusal(12, kDevNoDateEntry);
        return true;
    }
    const int16_t corr = int16_t(uint16_t(f[20]) | uint16_t(f[21]) << 8);
    if (corr > 3600 || corr < -3600) {
        reply = Refusal(12, kDevTooLargeCorrection);
        return true;
    }
    const SimSeconds now = clock_.Now();
    const SimSeconds hour = FloorTo(now, kHour);
    const SimSeconds target = now + corr;
    if (target < hour || target > hour + kHour) {
        reply = Refusal(12, kDevBadMoment);
        return true;
    }
    SyncArchives();
    clock_.Set(target);
    archives_->AddDiagnostic(target, 39, 0, 0, uint32_t(int32_t(corr)), 0);
    reply = Reply(12, f + 20, 2);
    return true;
}

bool SimController::ResetNonVolatile(const uint8_t* f, std::vector<uint8_t>& reply) {
    int level = 0;
    const uint8_t* user = nullptr;
    if (uint8_t code = CheckUser(f, level, user)) {
        reply = Refusal(25, code);
        return true;
    }
    if (level > 2) {
        reply = Refusal(25, kDevLowLevel);
        return true;
    }
    reply = Reply(25, nullptr, 0);  // still from the old address
    // Everything back to a new configuration: address 1 at 9600 bit/s, no
    // registered user (table 4 waits for a full rewrite), empty archives.
    const std::array<uint8_t, 18> t0 = [&] {
        std::array<uint8_t, 18> a{};
        std::memcpy(a.data(), image_.Data(0), 18);
        return a;
    }();
    uint8_t mac[6], serial[4];
    std::memcpy(mac, image_.Data(40), 6);
    std::memcpy(serial, image_.Data(41), 4);
    settings_.names1251 = t0[12] != 0;
    settings_.address = 1;
    LoadDefaults();
    std::memcpy(image_.Data(0), t0.data(), 18);
    std::memcpy(image_.Data(40), mac, 6);
    std::memcpy(image_.Data(41), serial, 4);
    *image_.Field(0, 0) = 0;
    for (int u = 0; u < kUsers; ++u) {
        uint8_t* e = image_.Field(4, u);
        std::memset(e, ' ', kUserSize);
        e[4] = e[5] = 0;
    }
    const SimSeconds now = clock_.Now();
    SyncArchives();
    const uint32_t nextDiag = archives_->FirstDiagnosticIndex() + uint32_t(archives_->Diagnostics().size());
    const uint32_t nextInterv = archives_->FirstInterventionIndex() + uint32_t(archives_->Interventions().size());
    archives_ = std::make_unique<SimArchives>(settings_.seed, now, now, settings_.corruptFraction, nextDiag,
                                              nextInterv);
    series_.clear();
    rewritten_.clear();
    archives_->AddDiagnostic(now, 4, 0, 0, 0, 0);
    DamageTable(4);
    return true;
}

}  // namespace zul::sim
