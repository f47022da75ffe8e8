#include "tables/ConfigRecord.h"

#include <cstdio>
#include <cstring>

#include "tables/Dtfun.h"
#include "tables/Stringi.h"
#include "tables/TableImage.h"

namespace zul {

namespace {

struct Place {
    int table;
    int offset;
};
constexpr Place kPlaces[] = {
    {0, 1},       {1, 29},      {5, 1409},    {3, 1489},    {6, 1593},    {14, 1705},
    {15, 1767},   {21, 2345},   {22, 2465},   {23, 2645},   {24, 2825},   {25, 3005},
    {26, 3185},   {28, 3365},   {29, 3375},   {4, 3467},    {9, 3919},    {43, 3935},
    {44, 3955},
};

// Tables 17..20 in the entry: 18 address, 17 type, 19, 20.
constexpr int kEntryByte[4] = {1, 0, 2, 3};

struct DefaultParameter {
    const char* name;
    const char* shortName;
    uint8_t kind;
    uint16_t number;
    uint8_t slot;
};
// The names are cp1251 once converted; "всeх" carries a Latin e, as the controller has it.
constexpr DefaultParameter kParameters[20] = {
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
    {"Сумма МД вс\x65х компонентов", "Сумма МД", 1, 7016, 0},
    {"Температура печи", "Toven", 8, 7017, 1},
    {"Давление газа-носителя", "Pgas", 10, 7018, 2},
    {"Удельная теплота сгорания низшая", "Hi", 4, 7019, 3},
    {"Относительная плотность", "De_otn", 0, 7020, 7},
};

constexpr float kLimits[5][20] = {
    {0.01f, 0.05f, 0.01f, 0.01f, 0.01f, 0.01f, 0.01f, 0.05f, 5, 0.05f, 0.05f, 5, 0.0001f, 5, 0.001f, 0.01f,
     0.01f, 0.1f, 4, 0.0001f},
    {0.002f, 0.05f, 0.002f, 0.002f, 0.0002f, 0.0002f, 0.0002f, 0.2f, 95, 0.01f, 0.1f, 36, 0.67f, 45, 0.998f, 98,
     59, 290, 32, 0.5f},
    {0.6f, 6, 1.2f, 1.2f, 1.2f, 1.2f, 1.2f, 12, 100, 8, 10, 45, 1, 55, 0.999f, 103, 62, 350, 40, 0.7f},
    {0.001f, 0.01f, 0.001f, 0.001f, 0.0001f, 0.0001f, 0.0001f, 0, 90, 0, 0.01f, 35, 0.66f, 40, 0.997f, 97, 54,
     150, 30, 0.425f},
    {0.6f, 6, 1.2f, 1.2f, 1.2f, 1.2f, 1.2f, 18, 100, 12, 12, 45, 1.05f, 55, 1, 103, 62, 350, 40, 0.85f},
};

void PutFloat(uint8_t* p, float v) {
    uint32_t u;
    std::memcpy(&u, &v, 4);
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(u >> (8 * i));
}

void PutText(uint8_t* p, int size, const char* utf8) {
    const std::string s = Utf8ToCp1251(utf8);
    std::memcpy(p, s.data(), std::min<size_t>(s.size(), size_t(size)));
}

template <size_t N>
void PutBytes(uint8_t* p, const uint8_t (&values)[N]) {
    std::memcpy(p, values, N);
}

}  // namespace

int RecordOffset(int table) {
    for (const Place& p : kPlaces)
        if (p.table == table) return p.offset;
    return -1;
}

int FlowEntryByte(int table) { return table >= 17 && table <= 20 ? kEntryByte[table - 17] : -1; }

uint8_t* ConfigurationRecord::TableAt(int table) {
    const int off = RecordOffset(table);
    return off < 0 ? nullptr : At(off);
}

void ScramblePasswords(ConfigurationRecord& r) {
    for (int i = 0; i < kCfgFlowComputers; ++i)
        for (int k = 0; k < kCfgPasswordSize; ++k) {
            uint8_t& b = r.FlowEntry(i)[kCfgPasswordOffset + k];
            b = ScramblePasswordByte(b);
        }
}

void UnscramblePasswords(ConfigurationRecord& r) {
    for (int i = 0; i < kCfgFlowComputers; ++i)
        for (int k = 0; k < kCfgPasswordSize; ++k) {
            uint8_t& b = r.FlowEntry(i)[kCfgPasswordOffset + k];
            b = UnscramblePasswordByte(b);
        }
}

void NewConfiguration(ConfigurationRecord& r) {
    r.bytes.fill(0);
    r.bytes[kCfgOrigin] = 0;
    uint8_t* t0 = r.TableAt(0);
    t0[1] = kConfigType;
    t0[3] = kConfigVersion;

    char name[32];
    std::snprintf(name, sizeof name, "Контроллер ЗУЛ_%02d", kConfigVersion);
    uint8_t* t5 = r.TableAt(5);
    PutText(t5, 20, name);
    PutText(t5 + 20, 20, "Нитка 1");
    PutText(t5 + 40, 20, "Нитка 2");

    PutBytes(r.TableAt(3), {1, 11, 3, 0});
    PutBytes(r.TableAt(6), {3, 201, 3, 10, 201, 4, 9, 1, 0, 1, 0, 1});
    PutBytes(r.TableAt(14), {1, 11, 0, 0, 150, 5, 0, 1, 0, 0, 0, 1, 0, 0, 20, 30});
    PutBytes(r.TableAt(15), {1, 11, 0, 0, 150, 5, 1, 0});
    PutBytes(r.TableAt(9), {1, 11, 5, 20, 3, 2});

    for (int i = 0; i < kCfgFlowComputers; ++i) {
        uint8_t* e = r.FlowEntry(i);
        e[0] = uint8_t(i + 1);
        std::memset(e + kCfgPasswordOffset, ' ', kCfgPasswordSize);
    }
    r.FlowEntry(0)[1] = 2;
    r.FlowEntry(0)[2] = 163;
    r.FlowEntry(0)[3] = 1;

    uint8_t* t21 = r.TableAt(21);
    t21[7] = t21[9] = t21[12] = 1;
    PutBytes(r.TableAt(28), {1, 0});

    uint8_t* t4 = r.TableAt(4);
    for (int u = 0; u < 16; ++u) {
        uint8_t* e = t4 + u * 22;
        std::memset(e, ' ', 4);
        std::memset(e + 6, ' ', 16);
    }

    for (int k = 0; k < 5; ++k)
        for (int f = 0; f < 20; ++f) PutFloat(r.TableAt(22 + k) + 4 * f, kLimits[k][f]);

    uint8_t* t1 = r.TableAt(1);
    for (int p = 0; p < 20; ++p) {
        uint8_t* rec = t1 + 64 * p;
        const DefaultParameter& d = kParameters[p];
        PutText(rec, 40, d.name);
        PutText(rec + 40, 10, d.shortName);
        rec[50] = d.kind;
        PutFloat(rec + 55, 100.0f);
        rec[59] = uint8_t(d.number);
        rec[60] = uint8_t(d.number >> 8);
        rec[61] = 4;
        rec[62] = d.slot;
    }
}

void ConfigurationFromImage(ConfigurationRecord& r, const TableImage& image) {
    r.bytes[kCfgOrigin] = 1;
    for (int t : {0, 1, 5, 3, 4, 6, 14, 15, 9, 21, 22, 23, 24, 25, 26, 28, 43, 44, 29})
        std::memcpy(r.TableAt(t), image.Data(t), size_t(Table(t).Bytes()));
    for (int i = 0; i < kCfgFlowComputers; ++i) {
        uint8_t* e = r.FlowEntry(i);
        for (int t = 17; t <= 20; ++t) e[FlowEntryByte(t)] = image.Byte(t, i);
        std::memset(e + kCfgPasswordOffset, ' ', kCfgPasswordSize);
    }
}

bool CopyTableToImage(const ConfigurationRecord& r, int table, TableImage& image) {
    if (const uint8_t* p = r.TableAt(table)) {
        std::memcpy(image.Data(table), p, size_t(Table(table).Bytes()));
        return true;
    }
    if (table != 13 && FlowEntryByte(table) < 0) return false;
    for (int i = 0; i < kCfgFlowComputers; ++i) {
        const uint8_t* e = r.FlowEntry(i);
        if (table == 13)
            std::memcpy(image.Field(13, i), e + kCfgPasswordOffset, kCfgPasswordSize);
        else
            *image.Field(table, i) = e[FlowEntryByte(table)];
    }
    return true;
}

std::string RecordControllerName(const ConfigurationRecord& r) {
    const char* p = reinterpret_cast<const char*>(r.TableAt(5));
    std::string s(p, 20);
    const size_t a = s.find_first_not_of(std::string(" \0", 2));
    if (a == std::string::npos) return {};
    const size_t b = s.find_last_not_of(std::string(" \0", 2));
    return s.substr(a, b - a + 1);
}

std::string ProposedConfigurationName(const ConfigurationRecord& r, double now) {
    std::string name = Cp1251ToUtf8(RecordControllerName(r));
    for (char& c : name)
        if (c == '/' || c == '\0') c = '_';
    const PackedDateTime t = ToPacked(now);
    char tail[40];
    std::snprintf(tail, sizeof tail, "-%02d%02d%02d%02d%02d.cnf", t[0], t[1], t[2], t[3], t[4]);
    char head[16];
    std::snprintf(head, sizeof head, "zul_%02d-", r.bytes[1 + 3]);
    return head + name + tail;
}

}  // namespace zul
