#include "measurements/ReportSheet.h"

#include <cstring>

#include "measurements/ChromRecords.h"
#include "shell/Suplfunc.h"
#include "tables/Stringi.h"

namespace zul {

namespace {

constexpr int kSkip = -1;
// The chromatograph row: parameter per position (kSkip leaves one column alone).
constexpr int kColumnMap[] = {8, 10, 1, 2, 3, 4, 5, 6, 0, kSkip, 7, 9, 12, 18, 11, 13};
constexpr int kFirstColumn = 2;
constexpr int kMoistColumn = 24;
constexpr uint8_t kStatusOff = 0x02, kStatusNoChrom = 0x20, kStatusNoMoist = 0x04;
constexpr const char* kEmpty = "--";
constexpr const char* kNan = " NAN";

bool ThreeColumns(int p) { return p == 18 || p == 11 || p == 13; }

float Value(const uint8_t* record, int at) {
    float v;
    std::memcpy(&v, record + at, 4);
    return v;
}

class Cells {
public:
    explicit Cells(ReportSheet& s) : s_(s) {}
    void Number(int row, int column, float v) { s_.cells.push_back({row, column, false, v, {}}); }
    void Text(int row, int column, std::string t) { s_.cells.push_back({row, column, true, 0, std::move(t)}); }
    void Heat(int row, int column, float v, uint8_t unit) {
        std::array<float, 3> three;
        if (!HeatValueColumns(v, unit, three)) return;  // an unknown unit: the template's cells stay
        for (int k = 0; k < 3; ++k) Number(row, column + k, three[size_t(k)]);
    }

private:
    ReportSheet& s_;
};

void ChromRow(Cells& out, int row, const uint8_t* r, const ParameterUnits& units) {
    const uint8_t* values = r + 12;
    const bool empty = (r[9] & (kStatusOff | kStatusNoChrom)) || IsNanOrInf(values + 4 * 8) ||
                       Value(values, 4 * 8) < 0.001f;
    int column = kFirstColumn;
    for (int p : kColumnMap) {
        if (p == kSkip) {
            ++column;
            continue;
        }
        const int width = ThreeColumns(p) ? 3 : 1;
        const uint8_t* v = values + 4 * p;
        if (empty || IsNanOrInf(v)) {
            for (int k = 0; k < width; ++k) out.Text(row, column + k, empty ? kEmpty : kNan);
        } else if (width == 1) {
            out.Number(row, column, Value(v, 0));
        } else {
            out.Heat(row, column, Value(v, 0), units[size_t(p)]);
        }
        column += width;
    }
}

void MoistRow(Cells& out, int row, const uint8_t* r) {
    if (r[9] & (kStatusOff | kStatusNoMoist)) {
        for (int k = 0; k < 4; ++k) out.Text(row, kMoistColumn + k, kEmpty);
        return;
    }
    const uint8_t* v = r + 10;
    out.Number(row, kMoistColumn, Value(v, 0));
    out.Number(row, kMoistColumn + 1, Value(v, 12));
    out.Number(row, kMoistColumn + 2, Value(v, 4));
    out.Number(row, kMoistColumn + 3, float((long double)Value(v, 8) * 1.019716213L));
}

void Titles(ReportSheet& s, const std::string& object, std::string period) {
    Cells out(s);
    out.Text(2, 7, object);
    s.merges.push_back({2, 7, 28});
    out.Text(4, 22, std::move(period));
    s.merges.push_back({4, 22, 28});
}

std::string SafeName(std::string object) {
    for (char& c : object)
        if (c == '/') c = '_';
    return object;
}

}  // namespace

bool HeatValueColumns(float value, uint8_t unitCode, std::array<float, 3>& out) {
    const long double v = value;
    switch (unitCode) {
    case 4: out = {float(v * 239.0800200827217L), value, float(v * 0.277778L)}; return true;
    case 5: out = {value, float(v * 0.0041827L), float(v * 0.0011619L)}; return true;
    case 6: out = {float(v * 860.6592649969876L), float(v * 3.5999971200023038L), value}; return true;
    default: return false;
    }
}

void MonthAverages(const std::vector<uint8_t>& days, float& average11, float& average18) {
    double sum11 = 0, sum18 = 0;
    int n11 = 0, n18 = 0;
    for (size_t at = 0; at + kChromRecordSize <= days.size(); at += kChromRecordSize) {
        const uint8_t* values = days.data() + at + 12;
        if (IsNanOrInf(values + 8) || Value(values, 8) < 0.001f) continue;  // parameter 2
        if (!IsNanOrInf(values + 44)) sum11 += Value(values, 44), ++n11;
        if (!IsNanOrInf(values + 72)) sum18 += Value(values, 72), ++n18;
    }
    average11 = n11 ? float(sum11 / n11) : 0.0f;
    average18 = n18 ? float(sum18 / n18) : 0.0f;
}

std::string DayReportName(const std::string& object, const uint8_t* d) {
    return Sprintf("%s_day_%02d%02d%02d.xlsx", SafeName(object).c_str(), d[0], d[1], d[2]);
}

std::string MonthReportName(const std::string& object, const uint8_t* d) {
    return Sprintf("%s_mon_%02d%02d.xlsx", SafeName(object).c_str(), d[0], d[1]);
}

ReportSheet DayReportCells(const DayReportData& d, const ParameterUnits& units, const std::string& object) {
    ReportSheet s;
    const size_t hours = d.chromHours.size() / kChromRecordSize;
    std::string period;
    if (hours) {
        const uint8_t* a = d.chromHours.data();
        const uint8_t* b = d.chromHours.data() + (hours - 1) * kChromRecordSize;
        period = Sprintf("За період з %02d.%02d.%02d %02d:00  по  %02d.%02d.%02d %02d:00", a[2], a[1], a[0], a[3], b[2],
                         b[1], b[0], b[3]);
    }
    Titles(s, object, period);
    Cells out(s);
    for (size_t j = 0; j < hours; ++j) {
        const uint8_t* r = d.chromHours.data() + j * kChromRecordSize;
        const int row = 10 + int(j);
        out.Text(row, 1, Sprintf("%02d.%02d.%02d  %02d:00", r[2], r[1], r[0], r[3]));
        ChromRow(out, row, r, units);
        if (d.moisture && (j + 1) * kMoistAverageSize <= d.moistHours.size())
            MoistRow(out, row, d.moistHours.data() + j * kMoistAverageSize);
    }
    if (d.chromDay.size() >= size_t(kChromRecordSize)) ChromRow(out, 34, d.chromDay.data(), units);
    if (d.moisture && d.moistDay.size() >= size_t(kMoistAverageSize)) MoistRow(out, 34, d.moistDay.data());
    return s;
}

ReportSheet MonthReportCells(const MonthReportData& d, const ParameterUnits& units, const std::string& object) {
    ReportSheet s;
    const size_t days = d.chromDays.size() / kChromRecordSize;
    std::string period;
    if (days) {
        const uint8_t* a = d.chromDays.data();
        const uint8_t* b = d.chromDays.data() + (days - 1) * kChromRecordSize;
        period = Sprintf("За період з %02d.%02d.%02d по  %02d.%02d.%02d", a[2], a[1], a[0], b[2], b[1], b[0]);
    }
    Titles(s, object, period);
    Cells out(s);
    const int firstRow = days ? 9 + d.chromDays[2] : 10;
    for (size_t j = 0; j < days; ++j) {
        const int row = firstRow + int(j);
        ChromRow(out, row, d.chromDays.data() + j * kChromRecordSize, units);
        if (d.moisture && (j + 1) * kMoistAverageSize <= d.moistDays.size())
            MoistRow(out, row, d.moistDays.data() + j * kMoistAverageSize);
    }
    out.Heat(41, 15, d.average18, units[18]);
    out.Heat(41, 18, d.average11, units[11]);
    return s;
}

}  // namespace zul
