// Collecting into the archive store: for each archive kind, only what lies after
// the newest record held (events by index from the newest held + 1, clamped to the
// controller's oldest and newest; the others by period, hour or day from the last
// moment held); the first collection of a kind takes the whole window the
// controller still holds, or what lies from `since`. Records held from earlier
// collections with a failed check are asked for again (three per collection, all
// kinds together) while the controller still has them, until an intact copy
// replaces them or three damaged copies have come. Every read goes through the event and chromatograph fetches
// (the one archive reader); each reply is committed to the store as it arrives.
//
//   // identity and base tables read first (IdentifyController, ReadBaseTables)
//   Collector c(io, ui, &bar, clock, programFolder, *store);
//   if (!c.Begin()) return;                        // table 40 missing, store refused: told
//   for (ArchiveKind k : c.KindsOfController()) {
//       CollectedKind r;
//       c.Collect(k, r);                            // r.added, r.held, r.end
//       if (r.end == ReadEnd::kStopped) break;      // Esc / Ctrl+C
//   }
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "events/ArchiveReader.h"
#include "store/ArchiveStore.h"

namespace zul {

class Clock;
class StatusBar;
class TableIo;
class UserInterface;

struct CollectedKind {
    ArchiveKind kind = kArchAla;
    int added = 0;                  // records this collection added
    KindSummary held;               // what the store holds afterwards
    ReadEnd end = ReadEnd::kComplete;
    bool ok = true;                 // false: a read failed or the store refused (told)
    int requests = 0;               // exchanges of the reads
};

class Collector {
public:
    Collector(TableIo& io, UserInterface& ui, StatusBar* bar, const Clock& clock, std::string programFolder,
              ArchiveStore& store);

    // Bounds the first collection of a kind (seconds; events from the first record at or after it).
    void SetSince(int64_t since) { since_ = since, sinceSet_ = true; }
    // The controller into the store (MAC of table 40, table 0 and 5 as now held).
    // False with the message told when it has no MAC or the store refuses.
    bool Begin();
    const StoreController& controller() const { return controller_; }
    // Diagnostics, interventions, measurements, hours, days, calibrations, and the
    // moisture meter's three when table 6 says one is connected.
    std::vector<ArchiveKind> KindsOfController() const;
    void Collect(ArchiveKind kind, CollectedKind& out);

private:
    class Sink;
    bool ReadClock();
    // The controller clock and the oldest records (table 27), once per collection;
    // false (told, `out` failed) when they cannot be read.
    bool Window(CollectedKind& out);
    void CollectEvents(ArchiveKind kind, CollectedKind& out);
    void CollectPeriod(ArchiveKind kind, CollectedKind& out);
    void CollectRange(ArchiveKind kind, CollectedKind& out);
    // The index of the first event at or after `since_`, by halving [oldest, newest].
    bool FirstIndexSince(ArchiveKind kind, uint32_t oldest, uint32_t newest, uint64_t& first);
    void StoreFailed();
    // One read into the store: `read` points a fetch at the sink, reads, sets the
    // exchanges it took and returns how it ended; `out` takes the sum. False when
    // the read or the store failed.
    bool SinkRead(ArchiveKind kind, uint32_t firstIndex, int64_t lastKey, CollectedKind& out,
                  const std::function<ReadEnd(Sink&, int&)>& read);
    // The summary held and the keys held with a failed check; false (told, `out.ok`
    // cleared) when the store fails.
    bool Held(ArchiveKind kind, KindSummary& held, CollectedKind& out);
    bool BadKeys(ArchiveKind kind, std::vector<int64_t>& keys, CollectedKind& out);
    // True, and one less left, while this collection may still ask for a damaged record again.
    bool Mend();

    TableIo& io_;
    UserInterface& ui_;
    StatusBar* bar_;
    const class Clock& clock_;
    std::string folder_;
    ArchiveStore& store_;
    StoreController controller_;
    int64_t since_ = 0;
    bool sinceSet_ = false;
    bool clockRead_ = false, oldestRead_ = false;
    int mendLeft_;  // damaged records this collection may still ask for again
};

}  // namespace zul
