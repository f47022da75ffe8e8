#include "store/StoreFiles.h"

#include <cstring>
#include <limits>

#include "events/DiagnosticFile.h"
#include "events/EventFetch.h"
#include "events/InterventionFile.h"
#include "measurements/ChromFetch.h"
#include "measurements/Completeness.h"

namespace zul {

namespace {

constexpr int64_t kHour = 3600, kDay = 86400;

bool RestoreImage(const StoreController& c, TableImage& image) {
    if (c.image.size() != size_t(TableImage::Size())) return false;
    std::memcpy(image.Bytes(), c.image.data(), c.image.size());
    return true;
}

std::vector<uint8_t> Concatenated(const std::vector<StoreRecord>& records, int size, uint32_t& invalid) {
    std::vector<uint8_t> out;
    out.reserve(records.size() * size_t(size));
    invalid = 0;
    for (const StoreRecord& r : records) {
        out.insert(out.end(), r.bytes.begin(), r.bytes.end());
        out.resize(out.size() + size_t(size) - std::min(r.bytes.size(), size_t(size)));  // never short
        if (!r.intact) ++invalid;
    }
    return out;
}

}  // namespace

bool LoadStoredPeriod(ArchiveStore& store, const std::string& mac, ArchiveKind kind, const PackedDateTime& start,
                      const PackedDateTime& end, const PackedDateTime& builtAt, StoredPeriod& out) {
    out = StoredPeriod{};
    out.kind = kind;
    if (!store.FindController(mac, out.controller)) return false;
    RestoreImage(out.controller, out.image);
    int64_t from = SecondsOfPacked(start.data()), to = SecondsOfPacked(end.data());
    const ArchiveKindInfo& k = KindInfo(kind);
    if (k.periodBytes < 6) {
        // Whole hours or days: the records of the units the ends fall in.
        const int64_t unit = k.periodBytes == 4 ? kHour : kDay;
        from -= from % unit;
        to += unit - 1 - to % unit;
    }
    std::vector<StoreRecord> records;
    if (!store.Records(mac, kind, from, to, records, k.byIndex)) return false;
    uint32_t invalid = 0;
    out.records = Concatenated(records, k.recordSize, invalid);
    out.count = uint32_t(records.size());
    out.header = BuildArchiveHeader(kind, out.image, out.controller.address, builtAt, start.data(), end.data(),
                                    out.count);
    return true;
}

std::string StoredPeriodFileBytes(const StoredPeriod& p) {
    if (p.kind == kArchAla)
        return DiagnosticFileBytes(DiagnosticViewFromRecords(kViewByPeriod, p.header, p.records.data(), 0, p.image));
    if (p.kind == kArchAud)
        return InterventionFileBytes(
            InterventionViewFromRecords(kViewByPeriod, p.header, p.records.data(), 0, p.image));
    std::string bytes(reinterpret_cast<const char*>(p.header.bytes.data()), p.header.bytes.size());
    bytes.append(reinterpret_cast<const char*>(p.records.data()), p.records.size());
    return bytes;
}

bool CheckStoredKind(ArchiveStore& store, const std::string& mac, ArchiveKind kind, CompletenessReport& out) {
    out = CompletenessReport{};
    StoreController c;
    std::vector<StoreRecord> records;
    if (!store.FindController(mac, c) ||
        !store.Records(mac, kind, std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max(), records))
        return false;
    const ArchiveKindInfo& k = KindInfo(kind);
    uint32_t invalid = 0;
    const std::vector<uint8_t> bytes = Concatenated(records, k.recordSize, invalid);
    if (k.byIndex) {
        std::vector<int64_t> keys;
        keys.reserve(records.size());
        for (const StoreRecord& r : records) keys.push_back(r.key);
        out = CheckIndexKeys(keys, invalid);
        return true;
    }
    TableImage image;
    RestoreImage(c, image);
    PackedDateTime first{}, last{};
    if (!records.empty()) {
        first = ToPacked(double(records.front().key) / double(kDay));
        last = ToPacked(double(records.back().key) / double(kDay));
    }
    const ArchiveFileHeader header =
        BuildArchiveHeader(kind, image, c.address, PackedDateTime{}, first.data(), last.data(), uint32_t(records.size()));
    out = CheckChromCompleteness(ChromKindOfArchive(kind), header, bytes.data(), records.size());
    return true;
}

}  // namespace zul
