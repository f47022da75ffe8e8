#include "events/DiagnosticFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "measurements/Completeness.h"

namespace zul {

uint32_t DiagnosticView::RowCount() const {
    const uint32_t count = header.RecordCount();
    return count <= kMaxRows || count <= present ? count : present;
}

DiagnosticRow DiagnosticView::Row(uint32_t i) const {
    if (i >= present) return {};
    return FromTextRow(textRows.data() + size_t(i) * kDiagnosticTextRowSize);
}

std::string DiagnosticView::Caption() const {
    char buf[200];
    if (mode == 0) {
        std::snprintf(buf, sizeof buf, "Диагностические сообщения с индексами от %u до %u", firstIndex,
                      firstIndex + RowCount() - 1);
        return buf;
    }
    return "Диагностические сообщения за период с " + MomentText(header.PeriodStart()) + " по " +
           MomentText(header.PeriodEnd());
}

CompletenessReport DiagnosticView::Completeness() const {
    // A bad record's row holds only the mark in its date cell; a zero after it ends the text.
    const TextField date = kDiagnosticFields[0];
    const size_t mark = std::strlen(kBadRecordMark);
    uint32_t invalid = 0;
    for (uint32_t i = 0; i < present; ++i) {
        const uint8_t* cell = textRows.data() + size_t(i) * kDiagnosticTextRowSize + date.offset;
        invalid += std::memcmp(cell, kBadRecordMark, mark) == 0 && cell[mark] == 0;
    }
    // The header's own count, not the rows the grid can show: a count past what the
    // file holds is rows missing, however large.
    CompletenessReport r = CheckEventCompleteness(mode, firstIndex, requested, header.RecordCount(), present, invalid);
    r.endedEarly = header.EndedEarly();
    return r;
}

std::string DiagnosticView::StatusText() const {
    if (anyBad) return kBadRecordStatus;
    if (present < header.RecordCount()) {
        char buf[160];
        std::snprintf(buf, sizeof buf, "  Файл неполон: в нем %u записей из %u", present, header.RecordCount());
        return buf;
    }
    return {};
}

std::vector<EventRow> DiagnosticView::GridRows() const {
    std::vector<EventRow> rows(RowCount());
    for (uint32_t i = 0; i < RowCount(); ++i) {
        const DiagnosticRow r = Row(i);
        std::copy(r.cells.begin() + 1, r.cells.end(), rows[i].begin());
    }
    return rows;
}

DiagnosticView DiagnosticViewFromRecords(int mode, const ArchiveFileHeader& header, const uint8_t* records,
                                         uint32_t firstIndex, const TableImage& image) {
    DiagnosticView v;
    v.mode = mode;
    v.header = header;
    v.firstIndex = firstIndex;
    v.present = header.RecordCount();
    v.textRows.resize(size_t(v.present) * kDiagnosticTextRowSize);
    if (v.present) std::memcpy(v.firstDate, records, 3);
    const DiagnosticContext ctx{header.ChromType(), header.MoistType(), &image};
    for (uint32_t i = 0; i < v.present; ++i) {
        const DiagnosticRow row = DecodeDiagnostic(records + size_t(i) * 22, ctx);
        if (!row.valid) v.anyBad = true;
        ToTextRow(row, v.textRows.data() + size_t(i) * kDiagnosticTextRowSize);
    }
    return v;
}

ArchiveFileStatus ReadDiagnosticFile(const std::string& path, const TableImage& image, DiagnosticView& out) {
    ArchiveFileData d;
    const ArchiveFileStatus s = ReadArchiveFile(path, kArchAla, image, kDiagnosticTextRowSize, d);
    out = DiagnosticView{};
    if (s != ArchiveFileStatus::kOk) return s;
    out.mode = 2;
    out.header = d.header;
    out.textRows = std::move(d.rows);
    out.present = d.present;
    std::memcpy(out.firstDate, out.header.PeriodStart(), 3);
    return s;
}

std::string DiagnosticFileBytes(const DiagnosticView& v) {
    ArchiveFileHeader h = v.header;
    h.SetRecordCount(v.RowCount());
    std::string data(reinterpret_cast<const char*>(h.bytes.data()), h.bytes.size());
    data.append(reinterpret_cast<const char*>(v.textRows.data()), v.textRows.size());
    // The rows a short file lacked are written empty, as the grid shows them.
    data.append(size_t(v.RowCount() - v.present) * kDiagnosticTextRowSize, '\0');
    return data;
}

std::string DiagnosticPresetName(const std::string& folder, const DiagnosticView& v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "/zul%02d_%03d_%02d%02d%02d.ala", v.header.Address(), kArchiveDesignation,
                  v.firstDate[0], v.firstDate[1], v.firstDate[2]);
    return folder + buf;
}

std::string DiagnosticShowText(const DiagnosticView& v) {
    std::string out = v.Caption() + "\n";
    for (uint32_t i = 0; i < v.RowCount(); ++i) {
        const DiagnosticRow r = v.Row(i);
        for (int c = 1; c < kDiagnosticColumns; ++c) {
            if (c > 1) out += '\t';
            out += r.cells[size_t(c)];
        }
        out += '\n';
    }
    return out;
}

}  // namespace zul
