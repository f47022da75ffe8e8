#include "editors/EditorRules.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tables/TableImage.h"

namespace zul {

// --- numbers -------------------------------------------------------------------

bool ParseUnsigned(const std::string& text, uint64_t* value) {
    if (text.empty()) return false;
    uint64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        const uint64_t d = uint64_t(c - '0');
        v = v > (UINT64_MAX - d) / 10 ? UINT64_MAX : v * 10 + d;
    }
    *value = v;
    return true;
}

bool ParseFloat(const std::string& text, float* value) {
    std::string t = text;
    for (char& c : t)
        if (c == ',') c = '.';
    while (!t.empty() && t.back() == ' ') t.pop_back();
    size_t start = t.find_first_not_of(' ');
    if (start == std::string::npos) return false;
    const char* s = t.c_str() + start;
    char* end = nullptr;
    errno = 0;
    const float v = std::strtof(s, &end);
    if (end == s || *end != '\0' || std::isnan(v)) return false;
    *value = v;
    return true;
}

std::string FormatFixed(double value, int decimals, int maxSignificant) {
    if (decimals < 0) decimals = 0;
    const double a = std::fabs(value);
    if (a >= 1) {
        const int intDigits = int(std::floor(std::log10(a))) + 1;
        decimals = std::max(0, std::min(decimals, maxSignificant - intDigits));
    }
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
    return buf;
}

// --- texts -------------------------------------------------------------------------

std::string FieldText(const uint8_t* field, int size) {
    int n = 0;
    while (n < size && field[n]) ++n;
    return std::string(reinterpret_cast<const char*>(field), size_t(n));
}

void StoreFieldText(uint8_t* field, int size, const std::string& text, uint8_t pad) {
    const int n = std::min<int>(size, int(text.size()));
    std::memcpy(field, text.data(), size_t(n));
    std::memset(field + n, pad, size_t(size - n));
}

std::string TrimBlanks(const std::string& text) {
    const size_t b = text.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    const size_t e = text.find_last_not_of(' ');
    return text.substr(b, e - b + 1);
}

std::string Utf8Left(const std::string& text, int chars) {
    size_t i = 0;
    for (int c = 0; i < text.size() && c < chars; ++c) {
        ++i;
        while (i < text.size() && (uint8_t(text[i]) & 0xC0) == 0x80) ++i;
    }
    return text.substr(0, i);
}

// --- time-change rules ---------------------------------------------------------

int RuleMonthFromItem(bool winter, int item) {
    if (item <= 0 || item >= RuleMonthItemCount()) return 0;
    return winter ? item + 8 : item + 1;
}

int RuleItemFromMonth(bool winter, int month) {
    if (month == 0) return 0;
    const int item = winter ? month - 8 : month - 1;
    return item >= 1 && item < RuleMonthItemCount() ? item : -1;
}

int RuleMonthItemCount() { return 5; }

int RuleDaysInMonth(int month) {
    switch (month) {
    case 2: return 28;
    case 4: case 9: case 11: return 30;
    case 3: case 5: case 10: case 12: return 31;
    default: return 0;
    }
}

int RuleHourFromItem(bool winter, int item) { return winter ? item + 1 : item; }

int RuleItemFromHour(bool winter, int hour) {
    const int item = winter ? hour - 1 : hour;
    return item >= 0 && item < kRuleHourItems ? item : -1;
}

bool DayByteIsWeekday(uint8_t day) { return day & 0x80; }

int DayByteDayItem(uint8_t day) {
    const int d = day & 0x7F;
    return d >= 1 && d <= 31 ? d - 1 : -1;
}

int DayByteOrdinalItem(uint8_t day) {
    const bool fromEnd = day & 0x40;
    const int n = day & 0x07;
    if (!fromEnd) return n >= 1 && n <= 3 ? n - 1 : -1;
    return n == 1 ? 4 : n == 2 ? 3 : -1;
}

int DayByteWeekdayItem(uint8_t day) {
    const int d = (day >> 3) & 0x07;
    return d >= 1 && d <= 7 ? d - 1 : -1;
}

uint8_t DayByteWithMethod(uint8_t day, bool weekday) {
    return uint8_t((day & 0x7F) | (weekday ? 0x80 : 0));
}

uint8_t DayByteWithDayItem(uint8_t day, int item) { return uint8_t((day & 0x80) | ((item + 1) & 0x7F)); }

uint8_t DayByteWithOrdinalItem(uint8_t day, int item) {
    const int fromEnd = item >= 3 ? 1 : 0;
    const int n = item >= 3 ? 5 - item : item + 1;
    return uint8_t((day & ~0x47) | (fromEnd << 6) | (n & 0x07));
}

uint8_t DayByteWithWeekdayItem(uint8_t day, int item) {
    return uint8_t((day & ~0x38) | (((item + 1) & 0x07) << 3));
}

// --- bytes ------------------------------------------------------------------------

uint32_t GetU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void PutU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

float GetFloat(const uint8_t* p) {
    const uint32_t u = GetU32(p);
    float f;
    std::memcpy(&f, &u, 4);
    return f;
}

void PutFloat(uint8_t* p, float v) {
    uint32_t u;
    std::memcpy(&u, &v, 4);
    PutU32(p, u);
}

// --- limits -------------------------------------------------------------------------

namespace {
struct LimitRow {
    float min22, max22, min, max;
    int decimals[kLimitKinds];
    float defaults[kLimitKinds];
};
constexpr LimitRow kLimitRows[kGasParams] = {
    {0.0001f, 0.1f, 0, 0.6f, {4, 3, 3, 3, 3}, {0.01f, 0.002f, 0.6f, 0.001f, 0.6f}},
    {0.0001f, 0.5f, 0, 6, {4, 3, 3, 3, 3}, {0.05f, 0.05f, 6, 0.01f, 6}},
    {0.0001f, 0.1f, 0, 1.2f, {4, 3, 3, 3, 3}, {0.01f, 0.002f, 1.2f, 0.001f, 1.2f}},
    {0.0001f, 0.1f, 0, 1.2f, {4, 3, 3, 3, 3}, {0.01f, 0.002f, 1.2f, 0.001f, 1.2f}},
    {0.0001f, 0.1f, 0, 1.2f, {4, 4, 3, 4, 3}, {0.01f, 0.0002f, 1.2f, 0.0001f, 1.2f}},
    {0.0001f, 0.1f, 0, 1.2f, {4, 4, 3, 4, 3}, {0.01f, 0.0002f, 1.2f, 0.0001f, 1.2f}},
    {0.0001f, 0.1f, 0, 1.2f, {4, 4, 3, 4, 3}, {0.01f, 0.0002f, 1.2f, 0.0001f, 1.2f}},
    {0.0001f, 10, 0, 18, {4, 3, 3, 3, 3}, {0.05f, 0.2f, 12, 0, 18}},
    {0.0001f, 50, 40, 100, {4, 3, 3, 3, 3}, {5, 95, 100, 90, 100}},
    {0.0001f, 10, 0, 12, {4, 3, 3, 3, 3}, {0.05f, 0.01f, 8, 0, 12}},
    {0.0001f, 0.5f, 0, 12, {4, 3, 3, 3, 3}, {0.05f, 0.1f, 10, 0.01f, 12}},
    {0.0001f, 50, 35, 45, {4, 0, 0, 0, 0}, {5, 36, 45, 35, 45}},
    {0.0001f, 0.001f, 0.66f, 1.05f, {4, 3, 3, 3, 3}, {0.0001f, 0.67f, 1, 0.66f, 1.05f}},
    {0.0001f, 50, 40, 55, {4, 0, 0, 0, 0}, {5, 45, 55, 40, 55}},
    {0.0001f, 0.01f, 0.997f, 1, {4, 4, 4, 4, 4}, {0.001f, 0.998f, 0.999f, 0.997f, 1}},
    {0.0001f, 0.1f, 97, 103, {4, 1, 0, 1, 1}, {0.01f, 98, 103, 97, 103}},
    {0.0001f, 0.1f, 54, 62, {4, 0, 0, 1, 1}, {0.01f, 59, 62, 54, 62}},
    {0.0001f, 0.1f, 150, 350, {2, 0, 0, 1, 1}, {0.1f, 290, 350, 150, 350}},
    {0.0001f, 10, 30, 40, {2, 0, 0, 0, 0}, {4, 32, 40, 30, 40}},
    {0.0001f, 0.001f, 0.425f, 0.85f, {4, 3, 3, 3, 3}, {0.0001f, 0.5f, 0.7f, 0.425f, 0.85f}},
};
}  // namespace

LimitRange LimitRangeOf(int kind, int row) {
    if (kind < 0 || kind >= kLimitKinds || row < 0 || row >= kGasParams) return {0, 0, 0, 0};
    const LimitRow& r = kLimitRows[row];
    return kind == 0 ? LimitRange{r.min22, r.max22, r.decimals[0], r.defaults[0]}
                     : LimitRange{r.min, r.max, r.decimals[kind], r.defaults[kind]};
}

bool LimitAccepts(int kind, int row, float value) {
    const LimitRange r = LimitRangeOf(kind, row);
    const float hi = float(double(r.max) + 0.00001);
    const float lo = float(double(r.min) - 0.00001);
    return !std::isnan(value) && value <= hi && value >= lo;
}

// --- data types ----------------------------------------------------------------------

namespace {
constexpr ParamDataType kTypes[kParamDataTypes] = {
    {"Компон.состав", 1, {"%"}, 1},
    {"Температура", 1, {"°C"}, 8},
    {" Давление", 3, {"Па", "кПа", "МПа"}, 9},
    {"Тепл. низшая", 3, {"МДж/м3", "ккал/м3", "кВт*ч/м3"}, 4},
    {"Тепл. высшая", 3, {"МДж/м3", "ккал/м3", "кВт*ч/м3"}, 4},
    {"Индекс Воббе", 3, {"МДж/м3", "ккал/м3", "кВт*ч/м3"}, 4},
    {"Плотность абс.", 1, {"кг/м3"}, 7},
    {"Плотность отн.", 1, {""}, 0},
    {"Фактор сжим.  ", 1, {""}, 0},
};
constexpr ParamDataType kNoType = {"", 0, {}, 0};
}  // namespace

const ParamDataType& DataType(int code) { return code >= 0 && code < kParamDataTypes ? kTypes[code] : kNoType; }

int UnitItemOf(int dataType, int unitCode) {
    const ParamDataType& t = DataType(dataType);
    const int item = unitCode - t.firstUnitCode;
    return item >= 0 && item < t.unitCount ? item : -1;
}

// --- flow computers ----------------------------------------------------------------

void FlowRecordsFromImage(const TableImage& image, int count, FlowRecord* records) {
    count = std::clamp(count, 0, kMaxFlowComputers);
    for (int i = 0; i < count; ++i) {
        FlowRecord& r = records[i];
        r.fill(' ');
        r[0] = image.Byte(18, i);
        r[1] = image.Byte(17, i);
        r[2] = image.Byte(19, i);
        r[3] = image.Byte(20, i);
    }
}

void FlowRecordsToImage(TableImage& image, int count, const FlowRecord* records) {
    count = std::clamp(count, 0, kMaxFlowComputers);
    *image.Field(9, 0) = uint8_t(count);
    for (int i = 0; i < count; ++i) {
        const FlowRecord& r = records[i];
        *image.Field(18, i) = r[0];
        *image.Field(17, i) = r[1];
        *image.Field(19, i) = r[2];
        *image.Field(20, i) = r[3];
        std::memcpy(image.Field(13, i), r.data() + 4, 16);
    }
}

bool CheckFlowRecords(const FlowRecord* records, int count, std::string* line1, std::string* line2) {
    char buf[64];
    for (int i = 0; i < count; ++i) {
        const FlowRecord& r = records[i];
        if (r[0] == 0 || r[0] == 255 || r[1] > 3 || r[3] > 1) {
            std::snprintf(buf, sizeof buf, "Вычислитель № %d", i + 1);
            *line1 = buf;
            *line2 = "Неверно заданы параметры";
            return false;
        }
        for (int j = i + 1; j < count; ++j) {
            if (records[j][0] == r[0]) {
                std::snprintf(buf, sizeof buf, "Повтор адреса %d", r[0]);
                *line1 = buf;
                line2->clear();
                return false;
            }
        }
    }
    return true;
}

int PipelinesOfType(int type) { return type == 1 ? 1 : 3; }

// --- constants ----------------------------------------------------------------------

void ConstRecordFromImage(const TableImage& image, int n, uint8_t* record) {
    n = std::clamp(n, 0, kGasParams);
    std::memset(record, 0, kConstRecordSize);
    std::memcpy(record, image.Data(43), size_t(n));
    std::memcpy(record + kGasParams, image.Data(44), size_t(4 * n));
}

void ConstRecordToImage(TableImage& image, int n, const uint8_t* record) {
    n = std::clamp(n, 0, kGasParams);
    std::memcpy(image.Data(43), record, size_t(n));
    std::memcpy(image.Data(44), record + kGasParams, size_t(4 * n));
}

}  // namespace zul

namespace zul {

namespace {
std::string Part2(int v, bool ok) {
    char b[8];
    std::snprintf(b, sizeof b, "%02d", v);
    return ok ? b : "**";
}
}  // namespace

void IdentRows(const uint8_t* t, bool display, IdentRow* rows) {
    static const char* const kCaptions[kIdentRows] = {
        "Код типа контроллера",
        "Версия аппаратного обеспечения",
        "Версия программного обеспечения",
        "Дата создания ПО",
        "Порядок расположения байтов",
        "Наличие разрушенных таблиц",
        "Возможность работы на разных\nскоростях обмена",
        "Возможность изменения адреса\nконтроллера",
        "Номер последней версии протокола\nNVS-CC33-T, которая поддерживается\nконтроллером",
    };
    char b[64];
    for (int i = 0; i < kIdentRows; ++i) rows[i] = IdentRow{kCaptions[i], {}, false};
    rows[0].value = std::to_string(t[1]);
    rows[2].value = std::to_string(t[3]);
    if (!display) return;
    rows[1].value = std::to_string(t[2]);
    const int year = t[4], month = t[5], day = t[6], hour = t[7], minute = t[8], second = t[9];
    rows[3].value = Part2(day, day != 0 && day < 32) + "." + Part2(month, month != 0 && month <= 12) + "." +
                    Part2(year, year < 100) + "  " + Part2(hour, hour <= 23) + ":" + Part2(minute, minute < 60) +
                    ":" + Part2(second, second < 60);
    rows[4].value = t[10] == 0 ? "Мл. адрес - ст. байт" : t[10] == 1 ? "Мл. адрес - мл. байт" : " ? ";
    if (t[0] == 0) {
        rows[5].value = "Разрушенных таблиц нет";
    } else {
        std::snprintf(b, sizeof b, "Разрушена таблица %d", t[0]);
        rows[5].value = b;
        rows[5].alarm = true;
    }
    rows[6].value = t[11] == 0 ? "Нет" : "Есть";
    if (t[13] == 0) {
        rows[7].value = "Есть";
    } else {
        std::snprintf(b, sizeof b, "Нет. Адрес = %d", t[13]);
        rows[7].value = b;
    }
    std::snprintf(b, sizeof b, "%d.%d.%d", t[14], t[15], t[16]);
    rows[8].value = b;
}

}  // namespace zul

namespace zul {

void DeleteFlowRecord(FlowList& list, int index) {
    const int count = std::clamp<int>(list.count, 0, kMaxFlowComputers);
    if (index < 0 || index >= count) return;
    for (int i = index; i + 1 < count; ++i) {
        list.records[i] = list.records[i + 1];
        list.sou[i] = list.sou[i + 1];
        list.passwordToWrite[i] = 1;
    }
    list.count = uint8_t(count - 1);
}

}  // namespace zul
