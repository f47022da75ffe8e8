#include "events/InterventionFile.h"

#include <cstdio>
#include <cstring>

#include "events/DiagnosticDecoder.h"
#include "events/InterventionDecoder.h"
#include "measurements/Completeness.h"
#include "tables/ArchiveHeader.h"

namespace zul {

const TextField kInterventionFields[kEventColumns] = {
    {0, 20}, {20, 20}, {40, 100}, {140, 20}, {160, 20}, {180, 20}, {200, 5},
};

namespace {
constexpr const char* kBadStatus = "  ***  Данные в записи недостоверны (не совпадает КС)";
}

uint32_t InterventionView::RowCount() const {
    const uint32_t count = header.RecordCount();
    return count <= kMaxRows || count <= rows.size() ? count : uint32_t(rows.size());
}

EventRow InterventionView::Row(uint32_t i) const { return i < rows.size() ? rows[i] : EventRow{}; }

std::string InterventionView::Caption() const {
    char buf[200];
    if (mode == 0) {
        std::snprintf(buf, sizeof buf, "Сообщения о вмешательствах оператора с индексами от %u до %u", firstIndex,
                      firstIndex + RowCount() - 1);
        return buf;
    }
    return "Сообщения о вмешательствах оператора за период с " + MomentText(header.PeriodStart()) + " по " +
           MomentText(header.PeriodEnd());
}

CompletenessReport InterventionView::Completeness() const {
    uint32_t invalid = 0;
    for (const EventRow& row : rows) invalid += row[0] == kBadRecordMark;
    // The header's own count, not the rows the grid can show: a count past what the
    // file holds is rows missing, however large.
    CompletenessReport r = CheckEventCompleteness(mode, firstIndex, requested, header.RecordCount(), uint32_t(rows.size()), invalid);
    r.endedEarly = header.EndedEarly();
    return r;
}

std::string InterventionView::StatusText() const {
    if (anyBad) return kBadStatus;
    if (rows.size() < header.RecordCount()) {
        char buf[160];
        std::snprintf(buf, sizeof buf, "  Файл неполон: в нем %zu записей из %u", rows.size(), header.RecordCount());
        return buf;
    }
    return {};
}

std::vector<EventRow> InterventionView::GridRows() const {
    std::vector<EventRow> out(rows);
    out.resize(RowCount());
    return out;
}

InterventionView InterventionViewFromRecords(int mode, const ArchiveFileHeader& header, const uint8_t* records,
                                             uint32_t firstIndex, const TableImage& image) {
    InterventionView v;
    v.mode = mode;
    v.header = header;
    v.firstIndex = firstIndex;
    const uint32_t n = header.RecordCount();
    v.rows.reserve(n);
    if (n) std::memcpy(v.firstDate, records, 3);
    for (uint32_t i = 0; i < n; ++i) {
        bool bad = false;
        v.rows.push_back(DecodeIntervention(records + size_t(i) * size_t(KindInfo(kArchAud).recordSize), image, &bad));
        v.anyBad = v.anyBad || bad;
    }
    return v;
}

ArchiveFileStatus ReadInterventionFile(const std::string& path, const TableImage& image, InterventionView& out) {
    ArchiveFileData d;
    const ArchiveFileStatus s = ReadArchiveFile(path, kArchAud, image, kInterventionTextRowSize, d);
    out = InterventionView{};
    if (s != ArchiveFileStatus::kOk) return s;
    out.mode = 2;
    out.header = d.header;
    out.rows.resize(d.present);
    for (uint32_t i = 0; i < d.present; ++i)
        UnpackTextRow(d.rows.data() + size_t(i) * kInterventionTextRowSize, kInterventionFields, kEventColumns,
                      out.rows[i].data());
    std::memcpy(out.firstDate, out.header.PeriodStart(), 3);
    return s;
}

std::string InterventionFileBytes(const InterventionView& v) {
    ArchiveFileHeader h = v.header;
    const uint32_t n = v.RowCount();
    h.SetRecordCount(n);
    std::string data(reinterpret_cast<const char*>(h.bytes.data()), h.bytes.size());
    data.resize(data.size() + size_t(n) * kInterventionTextRowSize);
    uint8_t* out = reinterpret_cast<uint8_t*>(data.data()) + h.bytes.size();
    // The rows a short file lacked are written empty, as the grid shows them.
    for (uint32_t i = 0; i < n && i < v.rows.size(); ++i)
        PackTextRow(v.rows[i].data(), kInterventionFields, kEventColumns, kInterventionTextRowSize,
                    out + size_t(i) * kInterventionTextRowSize);
    return data;
}

std::string InterventionPresetName(const std::string& folder, const InterventionView& v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "/zul%02d_%03d_%02d%02d%02d.aud", kArchiveDesignation, v.header.Address(),
                  v.firstDate[0], v.firstDate[1], v.firstDate[2]);
    return folder + buf;
}

std::string InterventionShowText(const InterventionView& v) {
    std::string out = v.Caption() + "\n";
    for (uint32_t i = 0; i < v.RowCount(); ++i) {
        const EventRow r = v.Row(i);
        for (int c = 0; c < kEventColumns; ++c) {
            if (c > 0) out += '\t';
            out += r[size_t(c)];
        }
        out += '\n';
    }
    return out;
}

}  // namespace zul
