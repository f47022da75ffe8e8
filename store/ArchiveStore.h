// The archive store: every record ever read from every controller, kept as the
// bytes the controller sent, so that any period can be given back as the
// program's own file. One small interface; the engine behind it (an SQLite file
// today) keeps its queries to itself.
//
//   std::string why;
//   std::unique_ptr<ArchiveStore> store = OpenArchiveStore("/home/op/zul/archive-store.sqlite", why);
//   if (!store) { ... why ... }
//   store->PutController(controller);                       // by MAC, as last seen
//   StoreRecord recs[2] = ...;                              // one reply's records
//   int added = 0;
//   store->PutRecords("00:1A:2B:3C:4D:5E", kArchMch, recs, 2, added);   // one transaction
//   KindSummary s;
//   store->Summary("00:1A:2B:3C:4D:5E", kArchMch, s);       // held, first, last, bad
//   std::vector<StoreRecord> period;
//   store->Records("00:1A:2B:3C:4D:5E", kArchMch, from, to, period);   // key order
//
// A record's key is its global index (event archives, KindInfo(kind).byIndex) or
// its moment (the others); a kind also names its instrument (KindInfo(kind).source),
// so the moisture meter's archives are kept apart from the chromatograph's.
// Moments are whole seconds on the controller's calendar (SecondsOfPacked).
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tables/ArchiveHeader.h"

namespace zul {

// A controller as it was last seen.
struct StoreController {
    std::string mac;                // table 40: "00:1A:2B:3C:4D:5E"
    uint8_t type = 0;               // table 0 field 1
    uint8_t hardware = 0, software = 0;  // table 0 fields 2 and 3
    uint8_t address = 0;            // the address that answered
    std::string name;               // table 5 field 0, trimmed, UTF-8
    std::vector<uint8_t> image;     // the table image the files' headers are built from
};

struct StoreRecord {
    int64_t key = 0;                // index or moment
    int64_t moment = 0;             // the record's own moment (seconds); events: for periods
    bool intact = true;             // its check was right
    std::vector<uint8_t> bytes;     // as the controller sent it
};

struct KindSummary {
    uint64_t held = 0;
    uint64_t bad = 0;               // held with a failed check
    int64_t first = 0, last = 0;    // keys, when held > 0
};

class ArchiveStore {
public:
    virtual ~ArchiveStore() = default;

    // Inserts the controller or brings its row up to date (by MAC).
    virtual bool PutController(const StoreController& controller) = 0;
    bool FindController(const std::string& mac, StoreController& out);
    // Every controller held, by MAC.
    bool Controllers(std::vector<StoreController>& out) { return QueryControllers(nullptr, out); }

    // The records of one or more whole replies, in one transaction: a key already
    // held is left alone, except that an intact record replaces a held one whose
    // check failed (and a damaged copy of it is counted).
    // `added`: the keys that were not held before. The controller must be known.
    virtual bool PutRecords(const std::string& mac, ArchiveKind kind, const StoreRecord* records, size_t count,
                            int& added) = 0;
    virtual bool Summary(const std::string& mac, ArchiveKind kind, KindSummary& out) = 0;
    // Records with keys from..to (both included) in key order; `byMoment` selects
    // by the records' moments instead (the event archives' periods), still in key order.
    virtual bool Records(const std::string& mac, ArchiveKind kind, int64_t from, int64_t to,
                         std::vector<StoreRecord>& out, bool byMoment = false) = 0;
    // Keys of the records held with a failed check whose damaged copy came fewer than
    // `copies` times, oldest first, at most `limit`.
    virtual bool BadKeys(const std::string& mac, ArchiveKind kind, size_t limit, int copies,
                         std::vector<int64_t>& out) = 0;

    // Why the last call failed.
    const std::string& errorText() const { return error_; }

protected:
    // The controllers held, by MAC: all of them, or the one of `mac` (none when unknown).
    virtual bool QueryControllers(const std::string* mac, std::vector<StoreController>& out) = 0;
    std::string error_;
};

// The store at `location`: an SQLite file (created when missing) or a
// "postgresql://" connection URI. Null with `why` when it cannot be opened or its
// schema is newer than this program's.
std::unique_ptr<ArchiveStore> OpenArchiveStore(const std::string& location, std::string& why);
// The store used without --store: "archive-store.sqlite" in the program folder.
std::string DefaultStorePath(const std::string& programFolder);

// A key as the store's commands print it: "YYYY-MM-DD HH:MM:SS" of a moment, the
// index as a decimal number.
std::string StoreKeyText(ArchiveKind kind, int64_t key);
// The kind as the store's tables name it: the moisture meter's kinds under their
// chromatograph twin's name (the instrument tells them apart).
std::string StoreKindName(ArchiveKind kind);
// Table 40 of the image as "00:1A:2B:3C:4D:5E".
std::string MacText(const uint8_t* mac);

}  // namespace zul
