// The archive requests of commands 7 (event records by index) and 8 (records of a
// period), for the ArchiveReader.
//
//   EventIndexRequest byIndex(kEventsDiagnostic, 1000, 25);   // 11 + 11 + 3 records
//   PeriodRequest byPeriod = EventPeriodRequest(kEventsIntervention, start, end);
//   PeriodRequest meas(0 /*selector*/, 6 /*kind*/, 94, 2, start, end,
//                      PeriodRequest::kProgressRecords, 60 * hours);
#pragma once
#include <cstdint>

#include "events/ArchiveReader.h"
#include "tables/ArchiveHeader.h"
#include "tables/Dtfun.h"

namespace zul {

enum EventArchive : uint8_t { kEventsDiagnostic = 0, kEventsIntervention = 1 };

// The bytes of one record, from the table of the archive kinds.
inline int EventRecordSize(EventArchive a) { return KindInfo(a == kEventsDiagnostic ? kArchAla : kArchAud).recordSize; }
// Records per command-7 or command-8 reply: 11 diagnostic, 10 intervention records.
inline int EventsPerReply(EventArchive a) { return a == kEventsDiagnostic ? 11 : 10; }

// Command 7: `count` records from global index `first`, at most 11 (10) per request;
// a short reply asks again from where it ended.
class EventIndexRequest : public ArchiveRequest {
public:
    EventIndexRequest(EventArchive archive, uint32_t first, int count)
        : archive_(archive), next_(first), remaining_(count), count_(count) {}
    uint8_t Command() const override { return 7; }
    int RecordSize() const override { return EventRecordSize(archive_); }
    int PerReplyLimit() const override { return EventsPerReply(archive_); }
    int NextRequest(uint8_t* body) override;
    int CountOffset() const override { return 10; }
    int RecordsOffset() const override { return 11; }
    bool Continue(const ArchiveReply& reply) override;
    int ProgressMax() const override { return count_; }

private:
    EventArchive archive_;
    uint32_t next_;
    int remaining_, count_;
};

// Command 8: selector, kind, sequence byte (0, 1, ..., 255, 1, ...) and the period.
class PeriodRequest : public ArchiveRequest {
public:
    enum Progress {
        kProgressRecords,  // records received so far
        kProgressHours,    // hours from the start to the last record of the reply
    };
    PeriodRequest(uint8_t selector, uint8_t kind, int recordSize, int perReply, const PackedDateTime& start,
                  const PackedDateTime& end, Progress progress, int progressMax);
    uint8_t Command() const override { return 8; }
    int RecordSize() const override { return size_; }
    int PerReplyLimit() const override { return perReply_; }
    int NextRequest(uint8_t* body) override;
    int CountOffset() const override { return 6; }
    int RecordsOffset() const override { return 8; }
    void ParseExtras(const uint8_t* frame, ArchiveReply& reply) const override;
    bool Continue(const ArchiveReply& reply) override;
    int ProgressMax() const override { return progressMax_; }
    int ProgressAfter(int total, const ArchiveReply& reply) const override;
    uint8_t sequence() const { return seq_; }

private:
    uint8_t selector_, kind_;
    int size_, perReply_;
    PackedDateTime start_, end_;
    Progress progress_;
    int progressMax_;
    uint8_t seq_ = 0;
};

// The command-8 request of an event archive: progress in hours of the period.
PeriodRequest EventPeriodRequest(EventArchive archive, const PackedDateTime& start, const PackedDateTime& end);

}  // namespace zul
