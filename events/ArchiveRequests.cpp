#include "events/ArchiveRequests.h"

#include <algorithm>
#include <cstring>

namespace zul {

int EventIndexRequest::NextRequest(uint8_t* b) {
    b[0] = 0;
    b[1] = archive_;
    for (int i = 0; i < 4; ++i) b[2 + i] = uint8_t(next_ >> (8 * i));
    b[6] = uint8_t(std::min(remaining_, PerReplyLimit()));
    return 7;
}

bool EventIndexRequest::Continue(const ArchiveReply& reply) {
    if (reply.count >= remaining_) return false;
    remaining_ -= reply.count;
    next_ += uint32_t(reply.count);
    return true;
}

PeriodRequest::PeriodRequest(uint8_t selector, uint8_t kind, int recordSize, int perReply,
                             const PackedDateTime& start, const PackedDateTime& end, Progress progress,
                             int progressMax)
    : selector_(selector), kind_(kind), size_(recordSize), perReply_(perReply), start_(start), end_(end),
      progress_(progress), progressMax_(progressMax) {}

int PeriodRequest::NextRequest(uint8_t* b) {
    b[0] = selector_;
    b[1] = kind_;
    b[2] = seq_;
    std::memcpy(b + 3, start_.data(), 6);
    std::memcpy(b + 9, end_.data(), 6);
    return 15;
}

void PeriodRequest::ParseExtras(const uint8_t* frame, ArchiveReply& reply) const {
    reply.flags = frame[4];
    reply.more = frame[7] != 0;
}

bool PeriodRequest::Continue(const ArchiveReply& reply) {
    if (!reply.more) return false;
    seq_ = seq_ == 255 ? 1 : uint8_t(seq_ + 1);
    return true;
}

int PeriodRequest::ProgressAfter(int total, const ArchiveReply& reply) const {
    if (progress_ == kProgressRecords || reply.count == 0) return total;
    const uint8_t* last = reply.records + size_t(reply.count - 1) * size_t(size_);
    return HoursBetween(start_.data(), last);
}

PeriodRequest EventPeriodRequest(EventArchive archive, const PackedDateTime& start, const PackedDateTime& end) {
    return PeriodRequest(0, archive, EventRecordSize(archive), EventsPerReply(archive), start, end,
                         PeriodRequest::kProgressHours, HoursBetween(start.data(), end.data()));
}

}  // namespace zul
