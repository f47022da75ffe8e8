// What the table editors store and check, without window code: numbers typed
// into boxes, fixed-width texts, the summer/winter-time rules of table 6, IP
// octets, the gas-parameter range table of tables 22-26, the data types of
// table 1, the flow-computer list records and the constants record.
#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace zul {

class TableImage;

// --- numbers typed into boxes ------------------------------------------------
// A text of decimal digits (as the integer key filter lets through); false when
// empty or anything else. Values beyond 2^63 saturate, so range checks still see them.
bool ParseUnsigned(const std::string& text, uint64_t* value);
// A floating-point number as the float key filter lets through ('.' or ','),
// parsed into a 32-bit float; false when it is empty or not a number.
bool ParseFloat(const std::string& text, float* value);
// Fixed notation with `decimals` decimals, shortened so that no more than
// `maxSignificant` significant digits are shown.
std::string FormatFixed(double value, int decimals, int maxSignificant);

// --- fixed-width texts ---------------------------------------------------------
// The bytes of a field up to its first zero byte.
std::string FieldText(const uint8_t* field, int size);
// Stores at most `size` bytes of `text` and fills the rest with `pad`.
void StoreFieldText(uint8_t* field, int size, const std::string& text, uint8_t pad = 0);
// Without leading and trailing blanks.
std::string TrimBlanks(const std::string& text);
// The first `chars` characters of a UTF-8 text.
std::string Utf8Left(const std::string& text, int chars);

// --- summer/winter-time rules (table 6 fields 0-2 and 3-5) ---------------------
// Month list: summer "Переход запрещен", Feb..May; winter "Переход запрещен", Sep..Dec.
int RuleMonthFromItem(bool winter, int item);   // 0 for the first item
int RuleItemFromMonth(bool winter, int month);  // -1 for a month the list lacks
int RuleMonthItemCount();                       // 5
// Days offered for a month (28 for February, ...); 0 for a month without a list.
int RuleDaysInMonth(int month);
// Hour list: summer 0..22, winter 1..23.
int RuleHourFromItem(bool winter, int item);
int RuleItemFromHour(bool winter, int hour);
constexpr int kRuleHourItems = 23;
// The day-of-change byte: bit 7 method, bits 0-6 day of month; or bits 0-2
// week count, bit 6 counted from the end, bits 3-5 weekday (1 = Sunday).
bool DayByteIsWeekday(uint8_t day);
int DayByteDayItem(uint8_t day);       // item of "1".."31", -1 when none fits
int DayByteOrdinalItem(uint8_t day);   // "Первый".."Последний", -1 when none fits
int DayByteWeekdayItem(uint8_t day);   // "Воскресенье".."Суббота", -1 when none fits
// Each list changes only its own bits.
uint8_t DayByteWithMethod(uint8_t day, bool weekday);
uint8_t DayByteWithDayItem(uint8_t day, int item);
uint8_t DayByteWithOrdinalItem(uint8_t day, int item);
uint8_t DayByteWithWeekdayItem(uint8_t day, int item);

// --- Ethernet (table 29) -------------------------------------------------------
// Box k (0 = leftmost of the dotted form) holds byte 3 - k of the field.
constexpr int OctetByteOfBox(int box) { return 3 - box; }
uint32_t GetU32(const uint8_t* p);
void PutU32(uint8_t* p, uint32_t v);
float GetFloat(const uint8_t* p);
void PutFloat(uint8_t* p, float v);

// --- gas parameters -------------------------------------------------------------
constexpr int kGasParams = 20;
constexpr int kParamRecordSize = 64;   // one record of table 1
constexpr int kLimitKinds = 5;         // tables 22..26
// The range, display decimals and default of row `row` (0-based) in limit kind 0..4.
struct LimitRange {
    float min, max;
    int decimals;
    float defaultValue;
};
LimitRange LimitRangeOf(int kind, int row);
// True when the value lies within the row's range widened by 0.00001 on each side.
bool LimitAccepts(int kind, int row, float value);

// Data types of table 1 byte 62 with the units each offers.
struct ParamDataType {
    const char* text;
    int unitCount;
    const char* units[3];
    uint8_t firstUnitCode;  // stored unit code = firstUnitCode + unit item
};
constexpr int kParamDataTypes = 9;
const ParamDataType& DataType(int code);  // code outside 0..8: an empty type
int UnitItemOf(int dataType, int unitCode);  // -1 when the type does not offer the code

// --- flow computers (tables 13, 17-20) ------------------------------------------
constexpr int kMaxFlowComputers = 16;
constexpr int kFlowRecordSize = 20;  // address, type, pipeline mask, byte order, 16 password bytes
using FlowRecord = std::array<uint8_t, kFlowRecordSize>;
// Records 0..count-1 from tables 18, 17, 19, 20 with blank passwords.
void FlowRecordsFromImage(const TableImage& image, int count, FlowRecord* records);
// Count into table 9 field 0 and the records into tables 18, 17, 19, 20 and 13.
void FlowRecordsToImage(TableImage& image, int count, const FlowRecord* records);
// The accept checks of the list: "" when all pass, else the two message lines.
bool CheckFlowRecords(const FlowRecord* records, int count, std::string* line1, std::string* line2);
// Pipelines of a flow-computer type (1 for type 1, 3 for the others).
int PipelinesOfType(int type);

// --- gas-parameter constants (tables 43, 44) -------------------------------------
constexpr int kConstRecordSize = 100;  // 20 flags, then 20 floats
void ConstRecordFromImage(const TableImage& image, int n, uint8_t* record);
void ConstRecordToImage(TableImage& image, int n, const uint8_t* record);

}  // namespace zul

namespace zul {
// --- identification view (table 0) ------------------------------------------------
// The rows of the identification view, top to bottom (UTF-8): each value as shown.
struct IdentRow {
    const char* caption;   // lines separated by '\n'
    std::string value;
    bool alarm = false;    // shown in red
};
constexpr int kIdentRows = 9;
// With `display` clear only rows 0 and 2 are filled (the others empty).
void IdentRows(const uint8_t* table0, bool display, IdentRow* rows);
}  // namespace zul

namespace zul {
// What the flow-computer list dialog edits, as plain bytes: the count, the
// records, and per position the SOU flag and the password-to-write flag.
struct FlowList {
    uint8_t count = 0;
    FlowRecord records[kMaxFlowComputers] = {};
    uint8_t sou[kMaxFlowComputers] = {};
    uint8_t passwordToWrite[kMaxFlowComputers] = {};
};
static_assert(sizeof(FlowList) == 1 + kMaxFlowComputers * (kFlowRecordSize + 2), "FlowList is plain bytes");
// Deletes record `index` of the list: later records and their SOU flags move one
// position up, each position that received a record is flagged for its password.
void DeleteFlowRecord(FlowList& list, int index);
}  // namespace zul
