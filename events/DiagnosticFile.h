// What the diagnostic-message viewer shows, without the window: the text rows
// (decoded once from fetched records, or read from a .ala file), the caption, the
// status-panel line, the preset file name and the file's bytes. The viewer, the
// command line's `events diag` and `show` all go through here.
//
//   DiagnosticView v = DiagnosticViewFromRecords(kViewByIndex, header, records.data(), first, image);
//   v.Caption();        // "Диагностические сообщения с индексами от 1000 до 1029"
//   v.Row(i).cells;     // seven texts (UTF-8), empty beyond the rows a short file holds
//   WriteFileAtomically(path, DiagnosticFileBytes(v));
//
//   DiagnosticView f;
//   ReadDiagnosticFile(path, image, f);   // kOk / kCannotOpen / kRefused
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "events/DiagnosticDecoder.h"
#include "events/EventRow.h"
#include "tables/ArchiveFile.h"

namespace zul {

struct CompletenessReport;

struct DiagnosticView {
    int mode = 0;                     // 0 by index, 1 by period, 2 from a file
    ArchiveFileHeader header;
    uint32_t firstIndex = 0;          // mode 0
    uint32_t requested = 0;           // mode 0: the records asked for (0: those shown)
    std::vector<uint8_t> textRows;    // `present` rows of 300 bytes
    uint32_t present = 0;
    bool anyBad = false;              // some record failed its check
    uint8_t firstDate[3] = {};        // year-2000, month, day of the first record

    // The most rows a view shows; a file claiming more shows the rows it holds.
    static constexpr uint32_t kMaxRows = 1000000;
    // Rows of the grid: the header's count (rows a short file lacks are empty).
    uint32_t RowCount() const;
    DiagnosticRow Row(uint32_t i) const;
    std::string Caption() const;
    // Whether every record asked for came (by index) and how many have a bad check.
    CompletenessReport Completeness() const;
    // The status panel: the bad-check line, or that the file holds fewer rows than it says.
    std::string StatusText() const;
    // Every grid row (columns 1..7), for printing.
    std::vector<EventRow> GridRows() const;
};

DiagnosticView DiagnosticViewFromRecords(int mode, const ArchiveFileHeader& header, const uint8_t* records,
                                         uint32_t firstIndex, const TableImage& image);
ArchiveFileStatus ReadDiagnosticFile(const std::string& path, const TableImage& image, DiagnosticView& out);
// The second line of the refusal of a file that is not a diagnostic message file.
constexpr const char* kDiagnosticRefusal2 = "диагностические сообщения контроллера ЗУЛ_QRT_510";

// Header and text rows, as "Сохранить в файле" writes them.
std::string DiagnosticFileBytes(const DiagnosticView& view);
// "<folder>/zul%02d_%03d_%02d%02d%02d.ala": address, 17, and the date of the first
// record (from a file: the start of the header's period).
std::string DiagnosticPresetName(const std::string& alaFolder, const DiagnosticView& view);
// The caption and every row as `zul show` prints them (cells 1..7, TAB-separated).
std::string DiagnosticShowText(const DiagnosticView& view);

}  // namespace zul
