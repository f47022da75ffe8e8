#include "measurements/ChromRecords.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "link/Qrtbox.h"
#include "measurements/ChromFetch.h"
#include "shell/Suplfunc.h"
#include "tables/Stringi.h"

namespace zul {

namespace {

// Header offsets used here.

constexpr uint8_t kStatusOff = 0x02;         // the controller was switched off
constexpr uint8_t kStatusNoChrom = 0x20;     // no link with the chromatograph
constexpr uint8_t kStatusCalibrating = 0x80; // measurement taken during a calibration

std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Printf(const char* format, ...) {
    char buf[256];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(buf, sizeof buf, format, args);
    va_end(args);
    return std::string(buf, n < 0 ? 0 : std::min<size_t>(size_t(n), sizeof buf - 1));
}

uint32_t U32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

float FloatFromBits(uint32_t bits) {
    float v;
    std::memcpy(&v, &bits, 4);
    return v;
}

// "dd.mm.yy hh:mm:ss" of a 6-byte date-time.
std::string DateTimeText(const uint8_t* p) {
    return Printf("%02d.%02d.%02d %02d:%02d:%02d", p[2], p[1], p[0], p[3], p[4], p[5]);
}

}  // namespace

int ChromRecordSize(ChromTableKind kind) { return KindInfo(ChromArchiveKind(kind)).recordSize; }

bool ChromRecordValid(const uint8_t* record, int size) { return Crc16(record, uint16_t(size)) == 0; }

std::string CentreInTen(const std::string& text) {
    const int length = Utf8Length(text);
    const int blanks = length < 10 ? (10 - length) / 2 : 1;
    return std::string(size_t(blanks), ' ') + text;
}

ChromTable::ChromTable(ChromTableKind kind, const ArchiveFileHeader& header, const uint8_t* records, size_t count)
    : kind_(kind), header_(header), records_(records), count_(records ? count : 0),
      recordSize_(ChromRecordSize(kind)) {
    const int n = header.ParameterCount();
    params_ = n >= 1 && n <= kMaxHeaderParameters ? n : 0;
    Scan();
}

int ChromTable::FixedColumns() const {
    switch (kind_) {
    case kChromMeasurement: return 2;
    case kChromCalibration: return 0;
    default: return 3;
    }
}

int ChromTable::Columns() const {
    switch (kind_) {
    case kChromMeasurement: return params_ + 2;
    case kChromCalibration: return 4;
    default: return params_ + 4;
    }
}

int ChromTable::Decimals(int param) const {
    if (param < 0 || param >= params_) return 0;
    return header_.Slot(param).decimals;
}

std::string ChromTable::Caption() const {
    const uint8_t* s = header_.PeriodStart();
    const uint8_t* e = header_.PeriodEnd();
    switch (kind_) {
    case kChromMeasurement:
        return "Измерительные данные хроматографа за период  с  " + DateTimeText(s) + "  по  " + DateTimeText(e);
    case kChromHourly:
        return Printf("Часовые данные хроматографа за период с %02d.%02d.%02d  %02dч  по  %02d.%02d.%02d  %02dч", s[2],
                      s[1], s[0], s[3], e[2], e[1], e[0], e[3]);
    case kChromDaily:
        return Printf("Суточные данные хроматографа за период с %02d.%02d.%02d  по  %02d.%02d.%02d", s[2], s[1], s[0],
                      e[2], e[1], e[0]);
    case kChromCalibration:
        return "Калибровочные данные хроматографа за период  с  " + DateTimeText(s) + "  по  " + DateTimeText(e);
    default: break;  // the moisture meter's tables are MoistTable's
    }
    return {};
}

std::string ChromTable::Cell(int row, int column) const {
    if (row < 0 || column < 0 || row >= Rows() || column >= Columns()) return {};
    if (row < FixedRows()) return HeadingCell(row, column);
    const size_t i = size_t(row - FixedRows());
    const uint8_t* r = Record(i);
    switch (kind_) {
    case kChromMeasurement: return MeasurementCell(r, valid_[i], column);
    case kChromCalibration: return CalibrationCell(r, valid_[i], column);
    default: return AverageCell(r, valid_[i], column);
    }
}

std::string ChromTable::HeadingCell(int row, int column) const {
    static const char* const kMeasurement[2][2] = {{"   Дата", "   Время"}, {"", ""}};
    static const char* const kAverage[2][4] = {{"   Дата", "   Время", "  Время", "Кол. ликв."},
                                               {"  начала", "  начала", "  конца", " данных"}};
    const int fixed = FixedColumns();
    if (column < fixed) return kind_ == kChromMeasurement ? kMeasurement[row][column] : kAverage[row][column];
    if (kind_ != kChromMeasurement && column == 3) return kAverage[row][3];
    const int p = column - FirstValueColumn();
    const ParameterSlot slot = header_.Slot(p);
    if (row == 0) return CentreInTen(Cp1251ToUtf8(slot.Name()));
    const uint8_t unit = slot.unitCode;
    return CentreInTen(unit < 12 ? kUnits2[unit] : "");
}

std::string ChromTable::MeasurementCell(const uint8_t* r, bool valid, int column) const {
    if (!valid) {
        if (column == 2) return "  Данные";
        if (column == 3) return " недостов.";
        return {};
    }
    if (column == 0) return Printf(" %02d.%02d.%02d", r[2], r[1], r[0]);
    if (column == 1) return Printf(" %02d:%02d:%02d", r[3], r[4], r[5]);
    const uint8_t status = r[7];
    if (status & kStatusOff) return " 0";
    if (status & kStatusNoChrom) return " ";
    const int p = column - 2;
    const uint8_t* v = r + 12 + 4 * p;
    if (IsNanOrInf(v)) return "  NAN";
    const uint32_t bits = U32(v);
    char mark = (status & kStatusCalibrating) ? '"' : ' ';
    if (bits & 2) mark = '#';
    else if (bits & 1) mark = '*';
    return " " + FormatFixed(FloatFromBits(bits & ~3u), Decimals(p)) + " " + mark;
}

std::string ChromTable::AverageCell(const uint8_t* r, bool valid, int column) const {
    if (!valid) {
        if (column == 1) return "     Данные";
        if (column == 2) return "недостов.";
        return {};
    }
    switch (column) {
    case 0: return Printf(" %02d.%02d.%02d", r[2], r[1], r[0]);
    case 1: return Printf(" %02d:%02d:%02d", r[3], r[4], r[5]);
    case 2:
        if (kind_ == kChromDaily)
            return (r[6] & 0x80) ? Printf(" %02d:%02d:%02d", r[6] & 0x7F, r[7], r[8])
                                 : Printf(" %02d:%02d:%02d*", r[6], r[7], r[8]);
        return Printf(" %02d:%02d:%02d", r[6], r[7], r[8]);
    case 3: return Printf(" %d", int(r[10] | r[11] << 8));
    default: break;
    }
    const uint8_t status = r[9];
    if (status & (kStatusOff | kStatusNoChrom)) return " 0";
    const uint8_t* v = r + 12 + 4 * (column - 4);
    if (IsNanOrInf(v)) return "  NAN";
    const char mark = status ? '"' : ' ';
    return " " + FormatFixed(FloatFromBits(U32(v)), Decimals(column - 4)) + " " + mark;
}

std::string ChromTable::CalibrationCell(const uint8_t* r, bool valid, int column) const {
    if (!valid) {
        if (column == 0) return " Данные";
        if (column == 1) return "недостов.";
        return {};
    }
    switch (column) {
    case 0: return Printf(" %02d.%02d.%02d", r[2], r[1], r[0]);
    case 1: return Printf(" %02d:%02d:%02d", r[3], r[4], r[5]);
    case 2: return (r[6] & 1) ? "   Неудачная" : "   Норма";
    default: return Printf("%02X %02X", r[7], r[6]);
    }
}

void ChromTable::Scan() {
    valid_.resize(count_);
    for (size_t i = 0; i < count_; ++i) valid_[i] = ChromRecordValid(Record(i), recordSize_);
    if (kind_ == kChromCalibration) return;
    double sum[kMaxHeaderParameters] = {};
    size_t valid[kMaxHeaderParameters] = {};
    const int statusAt = kind_ == kChromMeasurement ? 7 : 9;
    const uint32_t flagMask = kind_ == kChromMeasurement ? ~3u : ~0u;
    for (size_t i = 0; i < count_; ++i) {
        const uint8_t* r = Record(i);
        if (!valid_[i]) continue;
        if (r[statusAt] & (kStatusOff | kStatusNoChrom)) continue;
        for (int p = 0; p < params_; ++p) {
            const uint8_t* v = r + 12 + 4 * p;
            if (IsNanOrInf(v)) continue;
            sum[p] += double(FloatFromBits(U32(v) & flagMask));
            ++valid[p];
        }
    }
    for (int p = 0; p < params_; ++p) averages_[size_t(p)] = valid[p] ? float(sum[p] / double(valid[p])) : 0.0f;
}

std::string ChromTable::StatusCaption(size_t i) const {
    const uint8_t* r = Record(i);
    switch (kind_) {
    case kChromMeasurement:
        return Printf(" Измерительные данные (%02d.%02d.%02d  %02d:%02d:%02d)", r[2], r[1], r[0], r[3], r[4], r[5]);
    case kChromHourly:
        return Printf(" Часовые данные с %02d.%02d.%02d %02d:%02d:%02d по %02d:%02d:%02d", r[2], r[1], r[0], r[3], r[4],
                      r[5], r[6], r[7], r[8]);
    case kChromDaily:
        return Printf(" Суточные данные с %02d.%02d.%02d %02d:%02d:%02d по %02d:%02d:%02d%c", r[2], r[1], r[0], r[3],
                      r[4], r[5], r[6] & 0x7F, r[7], r[8], (r[6] & 0x80) ? '*' : ' ');
    case kChromCalibration:
        return Printf("Статус калибровки   %02d.%02d.%02d   %02d:%02d:%02d", r[2], r[1], r[0], r[3], r[4], r[5]);
    default: break;
    }
    return {};
}

const char* ChromFileExtension(ChromTableKind kind) {
    static const char* const kExt[7] = {".mch", ".hch", ".dch", ".clb", ".mwm", ".hwm", ".dwm"};
    return kind < 7 ? kExt[kind] : "";
}

std::string ChromFileName(ChromTableKind kind, uint8_t address, const uint8_t* first) {
    static const uint8_t kNone[6] = {};
    const uint8_t* f = first ? first : kNone;
    std::string name = Printf("zul%02d_%03d_%02d%02d%02d", 17, address, f[0], f[1], f[2]);
    if (kind == kChromCalibration) name += Printf("-%02d%02d%02d", f[3], f[4], f[5]);
    return name + ChromFileExtension(kind);
}

std::string ChromWorkbookName(ChromTableKind kind, uint8_t address, const uint8_t* first) {
    static const uint8_t kNone[6] = {};
    const uint8_t* f = first ? first : kNone;
    static const char* const kSuffix[4] = {"_mom", "_hou", "_day", "_clb"};
    return Printf("zul%02d_%03d_%02d%02d%02d%s.xlsx", 17, address, f[0], f[1], f[2], kSuffix[kind & 3]);
}

}  // namespace zul
