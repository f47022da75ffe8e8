// The one loop that reads records of a controller archive: it sends the requests
// of an ArchiveRequest one after another, appends the records of every reply to a
// scratch file of its own, reports progress and failures through the user-interface port,
// honours the stop request (Esc) after each reply, and loads the records back once
// the read ends.
//
//   EventIndexRequest req(kEventsDiagnostic, first, count);     // command 7
//   ArchiveReadTexts texts = EventReadTexts(kEventsDiagnostic, /*byPeriod=*/false);
//   ArchiveReader reader(box, ui);
//   ArchiveReadResult r = reader.Read(req, texts, programFolder + "datafile.ala");
//   if (r.records.empty()) return;      // messages have been shown
//   // r.records: r.count records of req.RecordSize() bytes; r.end says why it stopped
//
// A request kind says how to build the next request, where a reply keeps its
// records and whether to go on; a kind with an expected-time cursor and an order
// check (the hourly and daily reads) overrides OnRecord() and Continue().
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace zul {

class Qrtbox;
class StatusBar;
class UserInterface;

// What one reply carried.
struct ArchiveReply {
    const uint8_t* records = nullptr;  // count records of the request's size
    int count = 0;
    uint8_t flags = 0;                 // command 8: body byte 0 (bit 7 archive error)
    bool more = false;                 // command 8: continuation byte
};

enum class RecordVerdict {
    kStore,         // store the record and go on
    kStoreAndStop,  // store it, skip the rest of this reply and end the read (as Esc)
};

class ArchiveRequest {
public:
    virtual ~ArchiveRequest() = default;
    virtual uint8_t Command() const = 0;
    virtual int RecordSize() const = 0;
    // The most records a reply may carry; a reply claiming more is a wrong length.
    virtual int PerReplyLimit() const = 0;
    // Writes the body of the next request from the current state (sending it again
    // after a failure repeats it); returns its length.
    virtual int NextRequest(uint8_t* body) = 0;
    // Reply frame offsets of the record count and of the first record.
    virtual int CountOffset() const = 0;
    virtual int RecordsOffset() const = 0;
    // Reads the extra bytes of a reply (flags, continuation) from the frame.
    virtual void ParseExtras(const uint8_t* /*frame*/, ArchiveReply& /*reply*/) const {}
    // Each record of a reply before it is stored (the order check of cursor reads).
    virtual RecordVerdict OnRecord(const uint8_t* /*record*/, UserInterface& /*ui*/) { return RecordVerdict::kStore; }
    // After a reply with records has been stored: moves the state on and returns
    // true to send another request.
    virtual bool Continue(const ArchiveReply& reply) = 0;
    // Progress bar: maximum, and position after a stored reply given the total so far.
    virtual int ProgressMax() const = 0;
    virtual int ProgressAfter(int total, const ArchiveReply& /*reply*/) const { return total; }
};

// The texts and ways of the messages of one read.
struct ArchiveReadTexts {
    std::string title;                // "Диагностические сообщения", ...
    std::string noRecordsText;        // first reply empty: line 1 (empty: no message)
    int notReadKind = 6;              // kind of the "не прочитаны" message
    int errorPanel = 2;               // main status panel that gets ErrorText
    bool retryQuestion = false;       // ask "Не выполнено чтение" / "очередного блока данных"
    std::string notReadLine = "не прочитаны";  // line 2 after a failure before any record
    // Line 2 after a failure once records have arrived (a report that cannot use a
    // part of its records says "не прочитаны").
    std::string partialLine = "прочитаны не полностью";
    // Once records have arrived and the read did not fail, the wait window shows a full
    // bar for this long before it closes (0: it closes at once).
    int holdFullMs = 0;
};

// Takes the records of each reply as soon as they are in the scratch file: a
// collection into the archive store commits them reply by reply, so that a read
// cut short keeps every whole reply that arrived.
class ArchiveReplySink {
public:
    virtual ~ArchiveReplySink() = default;
    // `before`: records of this read taken before the reply. False ends the read
    // (ReadEnd::kFileError); the sink has told why.
    virtual bool TakeReply(const uint8_t* records, int count, uint32_t before) = 0;
};

enum class ReadEnd {
    kComplete,    // the controller said it had no more
    kEmpty,       // a reply without records ended the read
    kFailed,      // an exchange failed (errorCode in the engine)
    kStopped,     // stop request, or the order check said stop
    kFileError,   // the scratch file could not be created or read back, or the sink refused
};

struct ArchiveReadResult {
    ReadEnd end = ReadEnd::kComplete;
    uint32_t count = 0;               // records loaded
    std::vector<uint8_t> records;     // count * record size bytes
    bool archiveError = false;        // a reply had flag bit 7 set
    uint32_t errorCode = 0;           // the engine's, when kFailed
    const uint8_t* Record(uint32_t i, int size) const { return records.data() + size_t(i) * size_t(size); }
};

class ArchiveReader {
public:
    ArchiveReader(Qrtbox& box, UserInterface& ui, StatusBar* bar = nullptr) : box_(box), ui_(ui), bar_(bar) {}

    // Runs the whole read: scratch file, wait window, request loop, load.
    // `scratchName` ("folder/datafile.ala") names the folder and the kind's suffix of
    // the read's own scratch file (OpenScratchFile). Messages as `texts` say; on a
    // scratch file that cannot be created or read back "Ошибка открытия файла" is shown.
    ArchiveReadResult Read(ArchiveRequest& request, const ArchiveReadTexts& texts, const std::string& scratchName);

    // Number of requests sent by the last Read.
    int requestsSent() const { return requests_; }
    // Every reply's records also go to `sink` (null: none).
    void SetSink(ArchiveReplySink* sink) { sink_ = sink; }

private:
    Qrtbox& box_;
    UserInterface& ui_;
    StatusBar* bar_;
    ArchiveReplySink* sink_ = nullptr;
    int requests_ = 0;
};

// The scratch file of one read: "folder/datafile-XXXXXX.ala" for the name
// "folder/datafile.ala", created exclusively (so that any number of reads, in one
// process or in many, work side by side on one program folder) and removed from
// the folder at once; it lives while the stream is open. Null when it cannot be made.
std::FILE* OpenScratchFile(const std::string& name);

}  // namespace zul
