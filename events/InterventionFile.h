// What the intervention-message viewer shows, without the window: the rows
// (decoded from fetched records, or read from an .aud file), the caption, the
// status line, the preset file name and the file's bytes. The viewer, `zul events
// interv`, `zul show` and `zul print` all go through here.
//
//   InterventionView v = InterventionViewFromRecords(kViewByIndex, header, records, first, image);
//   v.Caption();   // "Сообщения о вмешательствах оператора с индексами от 1000 до 1009"
//   v.Row(i);      // seven texts (UTF-8), shown whole
//   WriteFileAtomically(path, InterventionFileBytes(v));   // 205-byte text rows, cut texts
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "events/EventRow.h"
#include "events/TextRow.h"
#include "tables/ArchiveFile.h"

namespace zul {

struct CompletenessReport;

class TableImage;

constexpr int kInterventionTextRowSize = 205;
extern const TextField kInterventionFields[kEventColumns];

struct InterventionView {
    int mode = 0;                    // 0 by index, 1 by period, 2 from a file
    ArchiveFileHeader header;
    uint32_t firstIndex = 0;         // mode 0
    uint32_t requested = 0;          // mode 0: the records asked for (0: those shown)
    std::vector<EventRow> rows;      // the rows held (a short file holds fewer than its count)
    bool anyBad = false;             // some record failed its check
    uint8_t firstDate[3] = {};       // year-2000, month, day of the first record

    static constexpr uint32_t kMaxRows = 1000000;
    // Rows of the grid: the header's count (rows a short file lacks are empty).
    uint32_t RowCount() const;
    EventRow Row(uint32_t i) const;
    std::string Caption() const;
    // Whether every record asked for came (by index) and how many have a bad check.
    CompletenessReport Completeness() const;
    std::string StatusText() const;
    // Every grid row, for printing.
    std::vector<EventRow> GridRows() const;
};

InterventionView InterventionViewFromRecords(int mode, const ArchiveFileHeader& header, const uint8_t* records,
                                             uint32_t firstIndex, const TableImage& image);
ArchiveFileStatus ReadInterventionFile(const std::string& path, const TableImage& image, InterventionView& out);
// The second line of the refusal of a file that is not an intervention message file.
constexpr const char* kInterventionRefusal2 = "сообщения о вмешательствах оператора контроллера ЗУЛ_QRT_510";

// Header and one 205-byte text row per grid row, as "Сохранить в файле" writes them.
std::string InterventionFileBytes(const InterventionView& view);
// "<folder>/zul%02d_%03d_%02d%02d%02d.aud": 17, the address, and the date of the
// first record (from a file: the start of the header's period).
std::string InterventionPresetName(const std::string& audFolder, const InterventionView& view);
// The caption and every row as `zul show` prints them (cells 1..7, TAB-separated).
std::string InterventionShowText(const InterventionView& view);

}  // namespace zul
