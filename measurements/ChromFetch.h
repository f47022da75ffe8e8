// Reading the measurement archives: the chromatograph's measurements and
// calibrations by period (command 8, kinds 6 and 5), hourly and daily averages by a
// range of hours or days (commands 15 and 16, with the expected-time cursor and the
// order question); the moisture meter's three archives the same way (instrument 1).
// Every read goes through the ArchiveReader; the window and the command line run
// these and only bring their own dialogs.
//
//   ChromFetch fetch(io, ui, &mainBar, clock, programFolder);
//   if (!fetch.ReadClock()) return;                         // table 2, before the dialog
//   ChromFetchResult r;
//   if (fetch.ByPeriod(kChromMeasurement, start, end, r)) OpenViewer(r);
//
//   AvailableRange range;
//   if (!ReadAvailableRange(io, kUnitHour, range)) return;  // messages shown
//   ... TFormShortDate -> period ...
//   if (fetch.ByRange(kChromHourly, period, r)) OpenViewer(r);
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "events/ArchiveRequests.h"
#include "measurements/AverageRange.h"
#include "measurements/ChromRecords.h"
#include "tables/ArchiveHeader.h"

namespace zul {

class Clock;
class StatusBar;
class TableIo;
class UserInterface;

struct ChromFetchResult {
    ChromTableKind kind = kChromMeasurement;
    ArchiveFileHeader header;
    std::vector<uint8_t> records;     // header.RecordCount() records
    ReadEnd end = ReadEnd::kComplete;
    bool archiveError = false;
    int requests = 0;                 // exchanges of the read loop
};

// The archive kind of the header of a chromatograph table.
ArchiveKind ChromArchiveKind(ChromTableKind kind);
// The table of an archive kind other than the event kinds (its inverse).
ChromTableKind ChromKindOfArchive(ArchiveKind kind);
// "Измерительные данные", "Часовые данные хроматографа из архива", ...
const char* ChromReadTitle(ChromTableKind kind);
ArchiveReadTexts ChromReadTexts(ChromTableKind kind);
// The scratch name of a read in the program folder ("datafile.msd", "datafile.hdm",
// "datafile.clb"): every read makes its own file from it (OpenScratchFile).
std::string ChromScratchPath(const std::string& programFolder, ChromTableKind kind);
// Second line of the refusal of a file that is not of the kind.
const char* ChromRefusalLine(ChromTableKind kind);

// Command 15 (hours) or 16 (days): from the cursor to the end while replies are
// full; each record checked against the cursor, the question asked while checking
// is on.
class AverageRangeRequest : public ArchiveRequest {
public:
    AverageRangeRequest(int unit, uint8_t instrument, const uint8_t* start, const uint8_t* end);
    uint8_t Command() const override { return unit_ == kUnitHour ? 15 : 16; }
    // Chromatograph replies hold at most 2 records of 94 bytes, moisture-meter ones 8 of 28.
    int RecordSize() const override { return instrument_ ? kMoistAverageSize : kChromRecordSize; }
    int PerReplyLimit() const override { return instrument_ ? 8 : 2; }
    int NextRequest(uint8_t* body) override;
    int CountOffset() const override { return 4; }
    int RecordsOffset() const override { return 5; }
    RecordVerdict OnRecord(const uint8_t* record, UserInterface& ui) override;
    bool Continue(const ArchiveReply& reply) override;
    int ProgressMax() const override { return progressMax_; }
    const AverageOrderCheck& cursor() const { return check_; }
    int questionsAsked() const { return questions_; }

protected:
    int unit_;
    uint8_t instrument_;
    uint8_t end_[5] = {};
    AverageOrderCheck check_;
    int progressMax_;
    int questions_ = 0;
};

class ChromFetch {
public:
    ChromFetch(TableIo& io, UserInterface& ui, StatusBar* bar, const Clock& clock, std::string programFolder)
        : io_(io), ui_(ui), bar_(bar), clock_(clock), folder_(std::move(programFolder)) {}

    // Table 2 fields 0..7, the controller clock, before the period dialogs.
    bool ReadClock();
    // Measurements or calibrations of a period; true when records arrived.
    bool ByPeriod(ChromTableKind kind, const PackedDateTime& start, const PackedDateTime& end,
                  ChromFetchResult& out);
    // Hourly or daily averages of a range (first and last hour or day).
    bool ByRange(ChromTableKind kind, const ShortPeriod& period, ChromFetchResult& out);
    // A collection: every reply's records go to `sink` as they arrive, and a read
    // that finds no record says nothing (null: the viewers' reads again).
    void CollectInto(ArchiveReplySink* sink) { sink_ = sink; }

private:
    TableIo& io_;
    UserInterface& ui_;
    StatusBar* bar_;
    const Clock& clock_;
    std::string folder_;
    ArchiveReplySink* sink_ = nullptr;
};

}  // namespace zul
