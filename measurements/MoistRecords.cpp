#include "measurements/MoistRecords.h"

#include <cstring>

#include "shell/Suplfunc.h"
#include "tables/Stringi.h"

namespace zul {

namespace {

constexpr uint8_t kStatusOff = 0x02;     // the controller was switched off
constexpr uint8_t kStatusNoLink = 0x04;  // no link with the moisture meter

}  // namespace

const char* MoistValueHeading(uint8_t meterType, int value, int line) {
    static const char* const kHeadings[kMoistValueCount][4] = {
        {"Т т.росы", "WDP", "при Рраб.", "°С"},
        {"Т т.росы", "HDP", "при Рраб.", "°С"},
        {"Р изб.", "WDP", "", "bar"},
        {"Прив. Т т.росы", "по воде", "к Р абс.", "°С"},
    };
    static const char* const kPressure[4] = {"Давление", " ", " ", "bar"};
    if (value < 0 || value >= kMoistValueCount || line < 0 || line > 3) return "";
    if (value == 2 && meterType == 2) return kPressure[line];
    return kHeadings[value][line];
}

MoistLayout MoistRecordLayout(ChromTableKind kind) {
    return kind == kMoistMeasurement ? MoistLayout{6, 11} : MoistLayout{9, 10};
}

float MoistValue(const uint8_t* record, ChromTableKind kind, int i) {
    float v;
    std::memcpy(&v, record + MoistRecordLayout(kind).valuesAt + 4 * i, 4);
    return v;
}

MoistTable::MoistTable(ChromTableKind kind, const ArchiveFileHeader& header, const uint8_t* records, size_t count)
    : kind_(kind), header_(header), records_(records), count_(records ? count : 0), size_(ChromRecordSize(kind)) {}

bool MoistTable::RecordValid(size_t i) const { return i < count_ && ChromRecordValid(Record(i), size_); }

std::string MoistTable::Caption() const {
    const uint8_t* s = header_.PeriodStart();
    const uint8_t* e = header_.PeriodEnd();
    switch (kind_) {
    case kMoistHourly:
        return Sprintf("Часовые данные влагомера за период с %02d.%02d.%02d  %02dч  по  %02d.%02d.%02d  %02dч", s[2],
                       s[1], s[0], s[3], e[2], e[1], e[0], e[3]);
    case kMoistDaily:
        return Sprintf("Суточные данные влагомера за период с %02d.%02d.%02d  по  %02d.%02d.%02d", s[2], s[1], s[0],
                       e[2], e[1], e[0]);
    default:
        return "Мгновенные данные влагомера за период  с  " + MomentText(s) + "  по  " + MomentText(e);
    }
}

std::vector<std::string> MoistTable::Heading(int column) const {
    if (column >= 4 && column < kMoistColumns) {
        std::vector<std::string> h;
        for (int line = 0; line < 4; ++line) h.emplace_back(MoistValueHeading(header_.MoistType(), column - 4, line));
        return h;
    }
    if (kind_ == kMoistMeasurement) {
        switch (column) {
        case 0: return {"Дата"};
        case 1: return {"Время"};
        case 2: return {"Статус", "контроллера"};
        case 3: return {" Признаки ", "состояния", "влагомера"};
        default: return {};
        }
    }
    switch (column) {
    case 0: return {"Дата", "начала  "};
    case 1: return {"Время", "начала  "};
    case 2: return {"Время", "конца"};
    case 3: return {"Статус", "контроллера"};
    default: return {};
    }
}

std::string MoistTable::Cell(int row, int column) const {
    if (row < 0 || column < 0 || row >= Rows() || column >= Columns()) return {};
    const uint8_t* r = Record(size_t(row));
    if (!RecordValid(size_t(row))) {
        if (column == 0) return "     Данные";
        if (column == 1) return " недостов.";
        return {};
    }
    if (column == 0) return Sprintf("  %02d.%02d.%02d", r[2], r[1], r[0]);
    if (column == 1) return Sprintf("  %02d:%02d:%02d", r[3], r[4], r[5]);
    return kind_ == kMoistMeasurement ? MeasurementCell(r, column) : AverageCell(r, column);
}

std::string MoistTable::MeasurementCell(const uint8_t* r, int column) const {
    const uint8_t status = r[6];
    if (column == 2) return status == 0 ? "  Норма" : Sprintf("  0x%02X", status);
    if (status & kStatusOff) return column == 3 ? "" : "  Выкл.";
    if (status & kStatusNoLink) return column == 3 ? " Нет связи" : "       0";
    if (column == 3) return r[9] == 0 && r[10] == 0 ? "  Норма" : Sprintf("  0x%02X%02X", r[10], r[9]);
    return "  " + FormatMoistureValue(MoistValue(r, kind_, column - 4));
}

std::string MoistTable::AverageCell(const uint8_t* r, int column) const {
    const uint8_t status = r[9];
    if (column == 2) {
        if (kind_ == kMoistDaily)
            return (r[6] & 0x80) ? Sprintf("   %02d:%02d:%02d", r[6] & 0x7F, r[7], r[8])
                                 : Sprintf("   %02d:%02d:%02d*", r[6], r[7], r[8]);
        return Sprintf("   %02d:%02d:%02d", r[6], r[7], r[8]);
    }
    if (column == 3) return status == 0 ? "  Норма" : Sprintf("  0x%02X", status);
    if (status & kStatusOff) return "  Выкл.";
    if (status & kStatusNoLink) return "       0";
    return "  " + FormatMoistureValue(MoistValue(r, kind_, column - 4));
}

}  // namespace zul
