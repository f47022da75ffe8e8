// Records of the archive store given back as the program's own files and checked
// as `zul check` checks a file: a period of one kind becomes the header a read of
// that period builds (from the controller's tables as last seen) and the records
// in key order, byte for byte as the controller sent them.
//
//   StoredPeriod p;
//   if (LoadStoredPeriod(*store, mac, kArchMch, start, end, ToPacked(clock.LocalNow()), p) && p.count)
//       WriteFileAtomically(path, StoredPeriodFileBytes(p));   // as "zul archive meas -o" writes
//   CompletenessReport c;
//   CheckStoredKind(*store, mac, kArchHch, c);                 // gaps of time or index, bad checks
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "store/ArchiveStore.h"
#include "tables/TableImage.h"

namespace zul {

struct CompletenessReport;

struct StoredPeriod {
    ArchiveKind kind = kArchAla;
    StoreController controller;
    TableImage image;                 // the controller's tables as last seen
    ArchiveFileHeader header;         // as a read of the period builds it
    std::vector<uint8_t> records;     // count records of the kind's size, in key order
    uint32_t count = 0;
};

// The records of `start` .. `end` (packed moments, both included; the hour and day
// kinds take the whole hours or days they fall in, and their header the kind's
// period form). False with the store's error when the store fails.
bool LoadStoredPeriod(ArchiveStore& store, const std::string& mac, ArchiveKind kind, const PackedDateTime& start,
                      const PackedDateTime& end, const PackedDateTime& builtAt, StoredPeriod& out);
// The file's bytes, as the viewer's "Сохранить в файле" writes them after a read
// of the period (the event kinds as text rows, the others as records).
std::string StoredPeriodFileBytes(const StoredPeriod& period);
// Everything held of one kind, checked by the rules of `zul check`: moments on the
// kind's grid from the first to the last held, indexes from the first to the last.
bool CheckStoredKind(ArchiveStore& store, const std::string& mac, ArchiveKind kind, CompletenessReport& out);

}  // namespace zul
