#include "events/InterventionDecoder.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "link/Qrtbox.h"
#include "tables/ArchiveHeader.h"
#include "shell/Suplfunc.h"
#include "tables/Stringi.h"
#include "tables/TableImage.h"

namespace zul {

namespace {

constexpr int kParamNameBytes = 40;    // table 1: the parameter's name
constexpr int kParamDecimalsByte = 61; // table 1: its number of decimals
constexpr int kMaxDecimals = 18;
constexpr int kSignificantDigits = 10;

const char* const kWeekDayShort[8] = {nullptr, "Вс", "Пн", "Вт", "Ср", "Чт", "Пт", "Сб"};
const char* const kOrdinalFromStart[4] = {nullptr, "1", "2", "3"};
const char* const kOrdinalFromEnd[4] = {nullptr, "п", "пп", ""};

// cp1251 bytes up to the first zero (at most n) as UTF-8.
std::string Text(const uint8_t* bytes, int n) {
    int len = 0;
    while (len < n && bytes[len] != 0) ++len;
    return Cp1251ToUtf8(std::string(reinterpret_cast<const char*>(bytes), size_t(len)));
}

uint32_t U32(const uint8_t* v) { return uint32_t(v[0]) | uint32_t(v[1]) << 8 | uint32_t(v[2]) << 16 | uint32_t(v[3]) << 24; }

float F32(const uint8_t* v) {
    uint32_t u = U32(v);
    float f;
    std::memcpy(&f, &u, 4);
    return f;
}

std::string ParamName(int f, const TableImage& image) {
    const uint8_t* p = image.Field(1, f);
    return p ? Text(p, kParamNameBytes) : std::string();
}

std::string ListText(const ValueList& list, int index) {
    if (index >= 0 && index < list.count) return list.texts[index] ? list.texts[index] : "?";
    return list.otherwise;
}

std::string DaySpec(uint8_t b) {
    if (!(b & 0x80)) return Sprintf("%d", b & 0x1F);
    const int w = (b >> 3) & 7, n = b & 7;
    if (w < 1 || w > 7 || n < 1 || n > 3) return "?";
    return std::string((b & 0x40) ? kOrdinalFromEnd[n] : kOrdinalFromStart[n]) + kWeekDayShort[w];
}

}  // namespace

std::string FormatFloatFixed(float value, int decimals) {
    if (!std::isfinite(value)) return "?";
    if (decimals < 0) decimals = 0;
    if (decimals > kMaxDecimals) decimals = kMaxDecimals;
    // Ten significant digits first; what needs more before the point goes to exponent form.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*E", kSignificantDigits - 1, double(value));
    if (std::fabs(std::strtod(buf, nullptr)) >= 1e10) return buf;
    return FormatFixed(double(value), decimals);  // rounded once, from the exact value
}

std::string InterventionCaption(int t, int f, const TableImage& image) {
    const InterventionEntry* e = FindInterventionEntry(t, f);
    if (!e) return Sprintf(t == 1 ? " Табл. %d;  Поле %d" : "Табл. %d;  Поле %d", t, f);
    switch (e->arg) {
    case CaptionArg::None: return e->caption;
    case CaptionArg::FieldPlus1: return Sprintf(e->caption, f + 1);
    case CaptionArg::TableField: return Sprintf(e->caption, t, f);
    case CaptionArg::FieldMinus2: return Sprintf(e->caption, f - 2);
    case CaptionArg::FieldMinus4: return Sprintf(e->caption, f - 4);
    case CaptionArg::ParamName: return Sprintf(e->caption, ParamName(f, image).c_str());
    }
    return {};
}

std::string InterventionValue(int t, int f, const uint8_t* v, const TableImage& image) {
    const InterventionEntry* e = FindInterventionEntry(t, f);
    if (!e) return {};
    const uint8_t b = v[0];
    switch (e->kind) {
    case ValueKind::None: return {};
    case ValueKind::TwoDigit: return Sprintf("  %02d", b);
    case ValueKind::Decimal: return Sprintf("%d", b);
    case ValueKind::Speed: return Sprintf("%d", b < kSpeedCodeCount ? SpeedFromCode(b) : 0);
    case ValueKind::Hours: return Sprintf("%dч", b);
    case ValueKind::Hex14: return Sprintf("0x %02X", b);
    case ValueKind::Hex19: return Sprintf(" 0x%02X", b);
    case ValueKind::List: return ListText(*e->list, b);
    case ValueKind::DaySpec: return DaySpec(b);
    case ValueKind::NamePiece: {
        // A zero byte ends the text, as it ends the operator's name.
        uint8_t piece[4];
        std::memcpy(piece, v, 4);
        if (image.NamesInCodePage866()) FromControllerCodePage(piece, 4);
        for (int i = 0; i < 4; ++i)
            if (piece[i] == 0) return Text(piece, i);
        return Text(piece, 4) + "...";
    }
    case ValueKind::IpAddress: return Sprintf("%d.%d.%d.%d", v[3], v[2], v[1], v[0]);
    case ValueKind::U32: return Sprintf("%u", U32(v));
    case ValueKind::Float: {
        int d = e->decimals;
        if (d < 0) {
            const uint8_t* p = image.Field(1, f);
            d = p ? p[kParamDecimalsByte] : 4;
        }
        return FormatFloatFixed(F32(v), d);
    }
    }
    return {};
}

EventRow DecodeIntervention(const uint8_t* r, const TableImage& image, bool* badCheck) {
    EventRow row;
    const bool bad = Crc16(r, uint16_t(KindInfo(kArchAud).recordSize)) != 0;
    if (badCheck) *badCheck = bad;
    if (bad) {
        row[0] = "   ***";
        return row;
    }
    const int t = r[7], f = r[8], unit = r[9];
    row[0] = Sprintf("    %02d.%02d.%02d", r[2], r[1], r[0]);
    row[1] = Sprintf("    %02d:%02d:%02d", r[3], r[4], r[5]);
    row[2] = InterventionCaption(t, f, image);
    row[3] = InterventionValue(t, f, r + 10, image);
    row[4] = InterventionValue(t, f, r + 14, image);
    const InterventionEntry* e = FindInterventionEntry(t, f);
    row[5] = e && e->kind == ValueKind::Speed ? "бит/с" : unit <= 36 ? kUnits1[unit] : "?";
    row[6] = Text(r + 18, 4);
    return row;
}

}  // namespace zul
