// Turns an operator-intervention record into the seven texts of its viewer row:
// date, time, caption of the changed field, old value, new value, unit, operator.
// What each table and field is called and how its value reads comes from the
// catalogue in InterventionCatalogue.cpp.
#pragma once
#include <cstdint>
#include <string>

#include "events/EventRow.h"

namespace zul {

class TableImage;

// How a value of a field is rendered.
enum class ValueKind : uint8_t {
    None,       // never shown (passwords, descriptions)
    TwoDigit,   // "  %02d" of the first byte
    Decimal,    // the first byte in decimal
    Speed,      // bit/s of a speed code; the unit becomes "бит/с"
    Hours,      // "%dч"
    Hex14,      // "0x %02X"
    Hex19,      // " 0x%02X"
    List,       // a text of a value list
    DaySpec,    // day of month, or ordinal and weekday of a season-change rule
    NamePiece,  // four characters of a name
    IpAddress,  // four bytes, highest first
    U32,        // unsigned 32-bit
    Float,      // single-precision float with the given decimals
};

// A value list: texts by index; a null text or an index past the list reads as
// `otherwise` ("?" unless the list says another text for any other value).
struct ValueList {
    const char* const* texts;
    int count;
    const char* otherwise;
};

// How the caption takes its number.
enum class CaptionArg : uint8_t {
    None,
    FieldPlus1,   // f + 1
    TableField,   // t, f
    FieldMinus2,  // f - 2
    FieldMinus4,  // f - 4
    ParamName,    // name of parameter f from table 1 of the configuration
};

// One catalogue line: the fields first..last of a table.
struct InterventionEntry {
    uint8_t table;
    uint8_t firstField;
    uint8_t lastField;
    const char* caption;  // printf text, UTF-8
    CaptionArg arg;
    ValueKind kind;
    const ValueList* list;  // ValueKind::List
    int8_t decimals;        // ValueKind::Float: -1 = the parameter's own (table 1 byte 61)
};

// The catalogue line of (t, f), or nullptr when the catalogue does not list it.
const InterventionEntry* FindInterventionEntry(int table, int field);

// Caption of the changed field (column 3).
std::string InterventionCaption(int table, int field, const TableImage& image);
// One value (old or new, the 4 bytes as stored) rendered by its field's kind.
std::string InterventionValue(int table, int field, const uint8_t* value, const TableImage& image);
// The whole row of a record. `badCheck` is set when the record's check fails; the
// row then holds "   ***" in its date column only. The record is not changed.
EventRow DecodeIntervention(const uint8_t* record, const TableImage& image, bool* badCheck = nullptr);

// Float text: fixed notation with `decimals` decimals after rounding to 10
// significant digits; too large for that, exponent notation; NaN and infinity "?".
std::string FormatFloatFixed(float value, int decimals);

}  // namespace zul
