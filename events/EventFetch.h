// Fetching the diagnostic and intervention archives: the table reads before the
// dialogs, the read loop (ArchiveReader) by index or by period, the archive-error
// message, table 41 and the file header. The window and the command line both
// run these; only the dialogs between the steps are theirs.
//
//   EventFetch fetch(io, ui, &mainBar, clock, programFolder);
//   uint32_t oldest, newest;
//   if (!fetch.ReadIndexes(kEventsDiagnostic, oldest, newest)) return;   // messages shown
//   ... index dialog -> first, count ...
//   EventFetchResult r;
//   if (fetch.ByIndex(kEventsDiagnostic, first, count, r)) OpenViewer(r);  // r.header, r.records
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "events/ArchiveRequests.h"
#include "tables/ArchiveHeader.h"

namespace zul {

class Clock;
class StatusBar;
class TableIo;
class UserInterface;

// Viewer modes: records by index, records by period, rows from a file.
enum EventViewMode { kViewByIndex = 0, kViewByPeriod = 1, kViewFromFile = 2 };

struct EventFetchResult {
    EventArchive archive = kEventsDiagnostic;
    int mode = kViewByIndex;
    uint32_t firstIndex = 0;          // by index
    uint32_t requested = 0;           // by index: the records asked for
    ArchiveFileHeader header;
    std::vector<uint8_t> records;     // header.RecordCount() raw records
    ReadEnd end = ReadEnd::kComplete;
    bool archiveError = false;
    uint32_t errorCode = 0;           // the engine's error that ended the read
    int requests = 0;                 // exchanges of the read loop
};

// "Диагностические сообщения" / "Сообщения о вмешательствах оператора".
const char* EventTitle(EventArchive archive);
// The texts of a read of the archive, by index or by period.
ArchiveReadTexts EventReadTexts(EventArchive archive, bool byPeriod);
// The scratch name of the archive's reads in the program folder ("datafile.ala",
// "datafile.aud"): every read makes its own file from it (OpenScratchFile).
std::string EventScratchPath(const std::string& programFolder, EventArchive archive);

class EventFetch {
public:
    EventFetch(TableIo& io, UserInterface& ui, StatusBar* bar, const Clock& clock, std::string programFolder)
        : io_(io), ui_(ui), bar_(bar), clock_(clock), folder_(std::move(programFolder)) {}

    // Table 10 or 11. False when the read failed (its messages shown) or when the
    // archive holds nothing (equal non-zero indexes: "В архиве нет ни одной записи").
    bool ReadIndexes(EventArchive archive, uint32_t& oldest, uint32_t& newest);
    // The same table read alone: false only when it failed. Equal non-zero indexes
    // say the archive is empty (ArchiveHoldsNone).
    bool ReadIndexBounds(EventArchive archive, uint32_t& oldest, uint32_t& newest);
    static bool ArchiveHoldsNone(uint32_t oldest, uint32_t newest) { return oldest == newest && oldest != 0; }
    // A collection: every reply's records go to `sink` as they arrive, and a read
    // that finds no record says nothing (null: the viewers' reads again).
    void CollectInto(ArchiveReplySink* sink) { sink_ = sink; }
    // Table 2 fields 0..7, the controller clock, before the period dialog.
    bool ReadClock();
    // The reads; true when records arrived and the viewer is to be opened.
    bool ByIndex(EventArchive archive, uint32_t first, int count, EventFetchResult& out);
    bool ByPeriod(EventArchive archive, const PackedDateTime& start, const PackedDateTime& end,
                  EventFetchResult& out);

private:
    bool Finish(EventArchive archive, ArchiveReadResult& read, const uint8_t* start, const uint8_t* end,
                EventFetchResult& out);

    TableIo& io_;
    UserInterface& ui_;
    StatusBar* bar_;
    const Clock& clock_;
    std::string folder_;
    ArchiveReplySink* sink_ = nullptr;
};

}  // namespace zul
