// The moisture meter's archive records and the tables its viewers, its print and
// `zul show` build from them: one text per grid cell, computed on demand.
//
//  MoistMeasurementRecord (29 bytes): date-time 0..5, status byte 6 (bit 1 the
//    controller was off, bit 2 no link with the meter), status word 9 (low) and
//    10 (high), 4 values at 11 + 4*i, check bytes 27..28.
//  MoistAverageRecord (28 bytes, hourly and daily): start 0..5, end hour 6 (daily:
//    bit 7 a flag), end minute 7, end second 8, status byte 9, 4 averages at
//    10 + 4*i, check bytes 26..27.
//
//   MoistTable t(kMoistHourly, header, records.data(), header.RecordCount());
//   t.Caption();  t.Heading(4);  t.Cell(0, 4);   // "  -15.23"
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "measurements/ChromRecords.h"
#include "tables/ArchiveHeader.h"

namespace zul {

constexpr int kMoistValueCount = 4;
constexpr int kMoistColumns = 8;

// Line 0..3 of the heading of value i (0..3) for the moisture-meter type of
// header byte 47; only type 2 changes a heading (value 2 reads "Давление").
const char* MoistValueHeading(uint8_t meterType, int value, int line);

// Where the parts of a record lie.
struct MoistLayout {
    int statusAt;  // status byte
    int valuesAt;  // value 0
};
MoistLayout MoistRecordLayout(ChromTableKind kind);

// Value i of a record (the four bytes as stored).
float MoistValue(const uint8_t* record, ChromTableKind kind, int i);

class MoistTable {
public:
    // `kind` one of kMoistMeasurement, kMoistHourly, kMoistDaily. Header and records
    // stay the caller's and must outlive the table.
    MoistTable(ChromTableKind kind, const ArchiveFileHeader& header, const uint8_t* records, size_t count);

    ChromTableKind kind() const { return kind_; }
    std::string Caption() const;
    // The heading above grid column c (2 to 4 lines, top first).
    std::vector<std::string> Heading(int column) const;
    int Rows() const { return int(count_); }
    int Columns() const { return kMoistColumns; }
    std::string Cell(int row, int column) const;

    size_t RecordCount() const { return count_; }
    const uint8_t* Record(size_t i) const { return records_ + i * size_t(size_); }
    bool RecordValid(size_t i) const;
    const ArchiveFileHeader& header() const { return header_; }

private:
    std::string MeasurementCell(const uint8_t* r, int column) const;
    std::string AverageCell(const uint8_t* r, int column) const;

    ChromTableKind kind_;
    const ArchiveFileHeader& header_;
    const uint8_t* records_;
    size_t count_;
    int size_;
};

// What `zul show` prints: the caption, then every grid row (the heading stands
// above the grid, not in it).
inline std::string MoistShowText(const MoistTable& table) { return TableShowText(table); }

}  // namespace zul
