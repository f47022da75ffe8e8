// Diagnostic messages as text: one 22-byte record of the controller's diagnostic
// archive becomes the seven cells of a viewer row (date, time, event, object or
// cause, current value, set-point, unit), and a row becomes the 300-byte text row
// of a .ala file and back.
//
//   DiagnosticContext ctx{header.ChromType(), header.MoistType(), &image};
//   DiagnosticRow row = DecodeDiagnostic(record, ctx);   // row.cells[1..7], UTF-8
//   uint8_t text[kDiagnosticTextRowSize];
//   ToTextRow(row, text);                                // cp1251, zero-padded fields
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "events/TextRow.h"

namespace zul {

class TableImage;

constexpr int kDiagnosticTextRowSize = 300;
constexpr int kDiagnosticColumns = 8;  // column 0 is an empty margin

struct DiagnosticContext {
    uint8_t chromModel = 0;            // header byte 46
    uint8_t moistModel = 0;            // header byte 47
    const TableImage* image = nullptr; // parameter names and units (table 1) held now
};

struct DiagnosticRow {
    std::array<std::string, kDiagnosticColumns> cells;  // UTF-8
    bool valid = true;                                  // the record's check was right
};

DiagnosticRow DecodeDiagnostic(const uint8_t* record, const DiagnosticContext& context);

// Fields of the text row: offset and width of columns 1..7.
extern const TextField kDiagnosticFields[kDiagnosticColumns - 1];

// Every field cp1251, cut to leave at least one zero byte; a row of a bad record
// holds only its date cell.
void ToTextRow(const DiagnosticRow& row, uint8_t* textRow);
// The cells of a text row, each up to its first zero byte.
DiagnosticRow FromTextRow(const uint8_t* textRow);

// The bad-check mark in the date column and the status-panel line.
constexpr const char* kBadRecordMark = "   ***";
constexpr const char* kBadRecordStatus = "  ***  Данные в записи недостоверны (не совпадает КС)";

}  // namespace zul
