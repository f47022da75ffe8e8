#include "editors/LiveData.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "shell/Suplfunc.h"
#include "tables/Conffun.h"
#include "tables/Stringi.h"
#include "tables/TableImage.h"

namespace zul {

namespace {

constexpr int kRecordNameBytes = 40;
constexpr int kRecordUnit = 50;
constexpr int kRecordDecimals = 61;
constexpr int kFlowComputers = 16;

bool QuietRead(TableIo& io, int t, int first, int count) {
    const uint8_t req[3] = {uint8_t(t), uint8_t(first), uint8_t(count)};
    return io.ReadFields(req, nullptr, false);
}

bool NormalRead(TableIo& io, StatusBar* bar, int t, int first, int count) {
    const uint8_t req[3] = {uint8_t(t), uint8_t(first), uint8_t(count)};
    return io.ReadFields(req, bar, true);
}

float FloatAt(const uint8_t* p) {
    uint32_t u = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    float f;
    std::memcpy(&f, &u, 4);
    return f;
}

// "Есть" in red / `calm` in black.
LiveText Flag(uint8_t v, const char* calm) { return v ? LiveText{"Есть", kLiveRed} : LiveText{calm, kLiveBlack}; }

LiveText ErrorCode(uint8_t v) {
    if (!v) return {"Норма", kLiveBlack};
    char buf[32];
    std::snprintf(buf, sizeof buf, "Код ошибки %d", v);
    return {buf, kLiveRed};
}

LiveText Link(uint8_t v) { return v ? LiveText{"Норма", kLiveBlack} : LiveText{"Связи нет", kLiveRed}; }

void Row(std::string& out, std::initializer_list<std::string> cells) {
    bool first = true;
    for (const std::string& c : cells) {
        if (!first) out += '\t';
        out += c;
        first = false;
    }
    out += '\n';
}

}  // namespace

uint32_t LiveColourRgb(LiveColour c) {
    switch (c) {
    case kLiveDarkRed: return 0x723838;
    case kLiveRed: return 0xFF0000;
    case kLiveGreen: return 0x008000;
    default: return 0x000000;
    }
}

std::string MeasurementTimeText(const uint8_t* d) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%02d.%02d.%02d %02d:%02d:%02d", d[2], d[1], d[0], d[4], d[5], d[6]);
    return buf;
}

int GasParameterCount(const TableImage& image) { return std::min<int>(image.Byte(14, 14), kGasParameters); }

std::string ChromCaption(const TableImage& image) {
    const uint8_t* p = image.Data(41);
    const unsigned serial = unsigned(p[0]) | unsigned(p[1]) << 8 | unsigned(p[2]) << 16 | unsigned(p[3]) << 24;
    char buf[160];
    std::snprintf(buf, sizeof buf, "Мгновенные данные хроматографа (сер. № %u), зоны параметров газа", serial);
    return buf;
}

std::string GasParameterCaption(const TableImage& image, int i) {
    const uint8_t* r = image.Field(1, i);
    if (!r) return {};
    const std::string name(reinterpret_cast<const char*>(r), kRecordNameBytes);
    const uint8_t unit = r[kRecordUnit];
    const char* unitText = unit < 12 ? kUnits2[unit] : "";
    // Names end at a zero byte when the controller pads with zeros.
    return " " + Cp1251ToUtf8(name.substr(0, name.find('\0'))) + ", " + unitText;
}

float GasValue(const uint8_t* values88, int i) { return FloatAt(values88 + 8 + 4 * i); }

std::string GasValueText(const TableImage& image, const uint8_t* values88, int i) {
    const uint8_t* r = image.Field(1, i);
    if (!r || i < 0 || i >= kGasParameters) return "?";
    return FormatFixed(GasValue(values88, i), r[kRecordDecimals]);
}

LiveText ZoneText(uint8_t code) {
    switch (code) {
    case 0: return {" Норма", kLiveBlack};
    case 1: return {" Нижняя предупредительная зона", kLiveDarkRed};
    case 2: return {" Верхняя предупредительная зона", kLiveDarkRed};
    case 3: return {" Нижняя аварийная зона", kLiveRed};
    case 4: return {" Верхняя аварийная зона", kLiveRed};
    default: return {"?", kLiveGreen};
    }
}

bool PollChromValues(TableIo& io) { return QuietRead(io, 30, 0, 22); }
bool PollChromZones(TableIo& io) { return QuietRead(io, 32, 0, kGasParameters); }

int MoistRowCount(const TableImage& image) { return image.Byte(15, 6) == 2 ? 4 : kMoistRows; }

std::string MoistRowLabel(const TableImage& image, int row) {
    static const char* const kLabels[kMoistRows] = {
        " PV21 – Температура точки росы газа по воде WDP при рабочем давлении,  °C",
        " PV22 – Температура точки росы газа по углеводородам HDP при рабочем давлении,  °C",
        " PV23 – Избыточное давление газа WDP,  bar",
        " PV24 – Прив. температура точки росы газа по воде к абсолютному давлению 3,92 МПа,  °С",
        " PV25 – Избыточное давление  газа HDP,  bar",
    };
    if (row < 0 || row >= kMoistRows) return {};
    if (row == 2 && image.Byte(15, 6) == 2) return " PV23 – Давление газа,  bar";
    return kLabels[row];
}

std::string MoistValueText(const uint8_t* values28, int row) {
    if (row < 0 || row >= kMoistRows) return "   ?";
    return "  " + FormatMoistureValue(FloatAt(values28 + 8 + 4 * row));
}

bool PollMoist(TableIo& io) { return QuietRead(io, 37, 0, 7); }

StateTexts StateRowTexts(const TableImage& image) {
    StateTexts s;
    const uint8_t* d = image.Data(16);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%02d.%02d.%02d  %02d:%02d:%02d", d[2], d[1], d[0], d[3], d[4], d[5]);
    s.changed = buf;
    const bool flowComputers = image.Byte(6, 9) != 0, moisture = image.Byte(6, 8) != 0;
    if (flowComputers) s.flowComputers = Flag(d[6], "Норма");
    s.chromPolling = ErrorCode(d[7]);
    if (moisture) s.moistPolling = ErrorCode(d[8]);
    s.selfDiagnostics = Flag(d[9], "Норма");
    s.line1 = Flag(d[10], "Нет");
    s.chromLink = Link(image.Byte(33, 0));
    if (moisture) s.moistLink = Link(image.Byte(33, 1));
    return s;
}

void SwapStateWords(TableImage& image) {
    if (image.Byte(0, 10) != 0) return;
    uint8_t* d = image.Data(16);
    std::swap(d[12], d[13]);
    std::swap(d[16], d[17]);
}

bool PollState(TableIo& io) {
    if (!QuietRead(io, 16, 0, 18)) return false;
    SwapStateWords(io.image());
    return true;
}

bool PollLinks(TableIo& io) { return QuietRead(io, 33, 0, 2); }

bool ReadTableStates(TableIo& io, StatusBar* bar, uint8_t* info) {
    if (!NormalRead(io, bar, 7, 0, kTableCount)) return false;
    for (int t = 0; t < kTableCount; ++t) info[t] = Table(t).isConfiguration ? 1 : 0;
    std::memcpy(info + kTableCount, io.image().Data(7), kTableCount);
    std::memset(info + 2 * kTableCount, 0, kTableCount);
    return true;
}

bool ReadFlowComputerState(TableIo& io, StatusBar* bar, uint8_t* record) {
    std::memset(record, 0, 3 * kFlowComputers);
    if (!NormalRead(io, bar, 9, 0, 1)) return false;
    // The count comes from the controller: never more than the tables hold.
    const int k = std::min<int>(io.image().Byte(9, 0), kFlowComputers);
    if (k == 0) return true;
    const int tables[3] = {18, 34, 35};
    for (int t : tables)
        if (!NormalRead(io, bar, t, 0, k)) return false;
    for (int j = 0; j < 3; ++j) std::memcpy(record + j * kFlowComputers, io.image().Data(tables[j]), size_t(k));
    return true;
}

std::string ChromViewText(const TableImage& image, const uint8_t* values, bool have) {
    std::string out = ChromCaption(image) + "\n";
    Row(out, {"Время последнего опроса хроматографа", have ? MeasurementTimeText(values) : ""});
    Row(out, {"Наименование параметра", "Значение", "Зона"});
    for (int i = 0; i < GasParameterCount(image); ++i) {
        const LiveText zone = ZoneText(image.Byte(32, i));
        Row(out, {GasParameterCaption(image, i), have ? GasValueText(image, values, i) : "", zone.text});
    }
    return out;
}

std::string MoistViewText(const TableImage& image, const uint8_t* values, bool have) {
    std::string out = " Мгновенные данные влагомера\n";
    Row(out, {"Дата и время, к которым относятся данные", have ? MeasurementTimeText(values) : ""});
    for (int r = 0; r < MoistRowCount(image); ++r)
        Row(out, {MoistRowLabel(image, r), have ? MoistValueText(values, r) : ""});
    return out;
}

std::string StateViewText(const TableImage& image) {
    const StateTexts s = StateRowTexts(image);
    std::string out = "Текущее состояние контроллера\n";
    Row(out, {"Дата и время последнего изменения признаков нештатных ситуаций", s.changed});
    Row(out, {"Нештатные ситуации, связанные с обменом с вычислителями РГ", s.flowComputers.text});
    Row(out, {"Нештатные ситуации, связанные с опросом хроматографа", s.chromPolling.text});
    Row(out, {"Наличие связи с хроматографом", s.chromLink.text});
    Row(out, {"Нитка 1 хроматографа", s.line1.text});
    Row(out, {"Нитка 2 хроматографа", ""});
    Row(out, {"Нештатные ситуации, связанные с опросом влагомера", s.moistPolling.text});
    Row(out, {"Наличие связи с влагомером", s.moistLink.text});
    Row(out, {"Нештатные ситуации, связанные с самодиагностикой", s.selfDiagnostics.text});
    return out;
}

}  // namespace zul
