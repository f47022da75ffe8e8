// Archive and event files copied between machines: byte 0 chooses the kind, the
// rest is the file. Each is read as its viewer reads it (header accepted, the rows
// the file really holds), then decoded into the viewer's text and, for the
// measurement archives, checked for completeness: every decoded file gives text.
#include "events/DiagnosticFile.h"
#include "events/InterventionFile.h"
#include "fuzz/FuzzSupport.h"
#include "measurements/ChromFetch.h"
#include "measurements/ChromRecords.h"
#include "measurements/Completeness.h"
#include "measurements/MoistRecords.h"
#include "tables/ArchiveFile.h"
#include "tables/TableImage.h"

using namespace zul;

namespace {

const char* const kExtensions[] = {".ala", ".aud", ".mch", ".hch", ".dch", ".clb", ".mwm", ".hwm", ".dwm"};

void Records(ChromTableKind kind, const std::string& path, const TableImage& image) {
    ArchiveFileData d;
    if (ReadArchiveFile(path, ChromArchiveKind(kind), image, ChromRecordSize(kind), d) != ArchiveFileStatus::kOk)
        return;
    FUZZ_CHECK(d.rows.size() == size_t(d.present) * size_t(ChromRecordSize(kind)));
    FUZZ_CHECK(d.present <= d.header.RecordCount());
    const std::string text = IsMoistKind(kind) ? MoistShowText(MoistTable(kind, d.header, d.rows.data(), d.present))
                                               : ChromShowText(ChromTable(kind, d.header, d.rows.data(), d.present));
    FUZZ_CHECK(!text.empty());
    if (kind != kChromCalibration) {
        const CompletenessReport r = CheckChromCompleteness(kind, d.header, d.rows.data(), d.present);
        FUZZ_CHECK(!CompletenessText(r).empty());
        CompletenessDetails(r);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const int kind = data[0] % 9;
    const std::string path = fuzz::InputFile(data + 1, size - 1, kExtensions[kind]);
    const TableImage image;  // no controller: chromatograph type 0
    if (kind == 0) {
        DiagnosticView v;
        if (ReadDiagnosticFile(path, image, v) == ArchiveFileStatus::kOk) {
            FUZZ_CHECK(!DiagnosticShowText(v).empty());
            const CompletenessReport r = v.Completeness();
            FUZZ_CHECK(r.received == v.present && r.invalid <= r.received);
        }
    } else if (kind == 1) {
        InterventionView v;
        if (ReadInterventionFile(path, image, v) == ArchiveFileStatus::kOk) {
            FUZZ_CHECK(!InterventionShowText(v).empty());
            const CompletenessReport r = v.Completeness();
            FUZZ_CHECK(r.received == v.rows.size() && r.invalid <= r.received);
        }
    } else {
        Records(ChromTableKind(kind - 2), path, image);
    }
    return 0;
}
