// The chromatograph's archive records and the tables the viewers, `zul show` and
// the spreadsheet export build from them: one text per grid cell, computed on
// demand from the records, and the per-parameter averages.
//
//  ChromMeasurementRecord (94 bytes): date-time 0..5, status byte 7, chromatograph
//    status word 8..9, 20 values at 12 + 4*i whose two low mantissa bits are zone
//    flags (bit 0 warning "*", bit 1 alarm "#"), check bytes 92..93.
//  ChromAverageRecord (94 bytes, hourly and daily): start 0..5, end hour 6 (daily:
//    bit 7 a flag), end minute 7, end second 8, status byte 9, count 10..11,
//    20 averages at 12 + 4*i used as they are, check bytes 92..93.
//  CalibrationRecord (10 bytes): date-time 0..5, status low 6 (bit 0: failed),
//    status high 7, check bytes 8..9.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tables/ArchiveHeader.h"

namespace zul {

constexpr int kChromRecordSize = 94;
constexpr int kCalibrationRecordSize = 10;

// The measurement archives of both instruments; the moisture meter's three kinds
// read and save as their chromatograph twins do (measurements/MoistRecords.h).
enum ChromTableKind : uint8_t {
    kChromMeasurement = 0,  // .mch
    kChromHourly = 1,       // .hch
    kChromDaily = 2,        // .dch
    kChromCalibration = 3,  // .clb
    kMoistMeasurement = 4,  // .mwm
    kMoistHourly = 5,       // .hwm
    kMoistDaily = 6,        // .dwm
};

constexpr int kMoistRecordSize = 29;
constexpr int kMoistAverageSize = 28;

inline bool IsMoistKind(ChromTableKind kind) { return kind >= kMoistMeasurement; }
// The instrument of the requests and of header byte 3: 0 chromatograph, 1 moisture meter.
inline uint8_t KindInstrument(ChromTableKind kind) { return IsMoistKind(kind) ? 1 : 0; }
// The chromatograph twin of a moisture kind (itself for a chromatograph kind).
inline ChromTableKind ChromTwin(ChromTableKind kind) {
    return IsMoistKind(kind) ? ChromTableKind(kind - kMoistMeasurement) : kind;
}

int ChromRecordSize(ChromTableKind kind);
// True when the record's check bytes are right (Crc16 over the whole record is 0).
bool ChromRecordValid(const uint8_t* record, int size);

// A parameter's name or unit centred in ten characters: (10 - length) / 2 leading
// blanks, or one blank for a text of ten characters or more (UTF-8 in and out).
std::string CentreInTen(const std::string& text);

// The table one viewer shows. Header and records stay the caller's and must
// outlive the table; nothing is copied.
class ChromTable {
public:
    ChromTable(ChromTableKind kind, const ArchiveFileHeader& header, const uint8_t* records, size_t count);

    ChromTableKind kind() const { return kind_; }
    std::string Caption() const;
    // Grid size, heading rows included (measurement, hourly and daily tables have
    // two: names and units; the calibration table has none).
    int FixedRows() const { return kind_ == kChromCalibration ? 0 : 2; }
    int FixedColumns() const;
    int Rows() const { return FixedRows() + int(count_); }
    int Columns() const;
    std::string Cell(int row, int column) const;

    // Gas parameters (1..20; a header byte outside that range counts as 0).
    int ParamCount() const { return params_; }
    int Decimals(int param) const;
    float Average(int param) const { return param >= 0 && param < kMaxHeaderParameters ? averages_[param] : 0; }
    // The first grid column holding parameter values.
    int FirstValueColumn() const { return kind_ == kChromMeasurement ? 2 : 4; }

    size_t RecordCount() const { return count_; }
    const uint8_t* Record(size_t i) const { return records_ + i * size_t(recordSize_); }
    bool RecordValid(size_t i) const { return i < valid_.size() && valid_[i]; }
    const ArchiveFileHeader& header() const { return header_; }

    // Caption of the status view of record i.
    std::string StatusCaption(size_t i) const;
    // Mode of the status view: 0 measurement, 1 hourly or daily, 2 calibration.
    int StatusMode() const { return kind_ == kChromMeasurement ? 0 : kind_ == kChromCalibration ? 2 : 1; }

private:
    std::string HeadingCell(int row, int column) const;
    std::string MeasurementCell(const uint8_t* r, bool valid, int column) const;
    std::string AverageCell(const uint8_t* r, bool valid, int column) const;
    std::string CalibrationCell(const uint8_t* r, bool valid, int column) const;
    // Checks every record once and forms the averages.
    void Scan();

    ChromTableKind kind_;
    const ArchiveFileHeader& header_;
    const uint8_t* records_;
    size_t count_;
    int recordSize_;
    int params_;
    std::array<float, kMaxHeaderParameters> averages_{};
    std::vector<bool> valid_;
};

// What `zul show` prints of any table with Caption, Rows, Columns and Cell: the
// caption, then every grid row (headings included), cells separated by one TAB,
// each line ending in a newline.
template <typename Table>
std::string TableShowText(const Table& t) {
    std::string out = t.Caption() + "\n";
    for (int r = 0; r < t.Rows(); ++r) {
        for (int c = 0; c < t.Columns(); ++c) {
            if (c) out += '\t';
            out += t.Cell(r, c);
        }
        out += '\n';
    }
    return out;
}
inline std::string ChromShowText(const ChromTable& table) { return TableShowText(table); }

// Default file names ("zul17_005_210303.mch", "zul17_005_210303-051203.clb"),
// without folder; `first` is the first record or null (then the date reads 000000).
std::string ChromFileName(ChromTableKind kind, uint8_t address, const uint8_t* first);
// Default workbook names ("zul17_005_210303_mom.xlsx", "_hou", "_day").
std::string ChromWorkbookName(ChromTableKind kind, uint8_t address, const uint8_t* first);
// ".mch", ".hch", ".dch", ".clb", ".mwm", ".hwm", ".dwm".
const char* ChromFileExtension(ChromTableKind kind);

}  // namespace zul
