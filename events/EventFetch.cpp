#include "events/EventFetch.h"

#include "link/Clock.h"
#include "link/Qrtbox.h"
#include "shell/UserInterface.h"
#include "tables/Conffun.h"
#include "tables/TableImage.h"

namespace zul {

namespace {

uint32_t U32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace

const char* EventTitle(EventArchive a) {
    return a == kEventsDiagnostic ? "Диагностические сообщения" : "Сообщения о вмешательствах оператора";
}

ArchiveReadTexts EventReadTexts(EventArchive a, bool byPeriod) {
    ArchiveReadTexts t;
    t.title = EventTitle(a);
    t.noRecordsText = byPeriod ? "Нет данных за указанный период" : "Нет сообщений с заданными индексами";
    t.notReadKind = byPeriod && a == kEventsDiagnostic ? kMsgExchangeResult : kMsgPlain;
    t.errorPanel = 2;
    return t;
}

std::string EventScratchPath(const std::string& folder, EventArchive a) {
    return folder + (a == kEventsDiagnostic ? "datafile.ala" : "datafile.aud");
}

bool EventFetch::ReadIndexBounds(EventArchive a, uint32_t& oldest, uint32_t& newest) {
    const uint8_t t = a == kEventsDiagnostic ? 10 : 11;
    const uint8_t req[3] = {t, 0, 2};
    bool ok;
    {
        Hourglass h(ui_);
        ok = io_.ReadFields(req, bar_, true);
    }
    if (!ok) return false;
    oldest = U32(io_.image().Field(t, 0));
    newest = U32(io_.image().Field(t, 1));
    return true;
}

bool EventFetch::ReadIndexes(EventArchive a, uint32_t& oldest, uint32_t& newest) {
    if (!ReadIndexBounds(a, oldest, newest)) return false;
    if (ArchiveHoldsNone(oldest, newest)) {
        ui_.ShowMessageBox(kMsgPlain, "В архиве нет ни одной записи", "");
        return false;
    }
    return true;
}

bool EventFetch::ReadClock() {
    const uint8_t req[3] = {2, 0, 8};
    Hourglass h(ui_);
    return io_.ReadFields(req, bar_, true);
}

bool EventFetch::ByIndex(EventArchive a, uint32_t first, int count, EventFetchResult& out) {
    out = EventFetchResult{};
    out.archive = a;
    out.mode = kViewByIndex;
    out.firstIndex = first;
    out.requested = uint32_t(count);
    EventIndexRequest req(a, first, count);
    ArchiveReader reader(io_.box(), ui_, bar_);
    reader.SetSink(sink_);
    ArchiveReadTexts texts = EventReadTexts(a, false);
    if (sink_) texts.noRecordsText.clear();
    ArchiveReadResult read;
    {
        Hourglass h(ui_);
        read = reader.Read(req, texts, EventScratchPath(folder_, a));
    }
    out.requests = reader.requestsSent();
    out.errorCode = read.errorCode;
    if (read.count == 0) {
        out.end = read.end;
        return false;
    }
    const size_t size = size_t(EventRecordSize(a));
    const uint8_t* firstRec = read.records.data();
    const uint8_t* lastRec = read.records.data() + (read.count - 1) * size;
    return Finish(a, read, firstRec, lastRec, out);
}

bool EventFetch::ByPeriod(EventArchive a, const PackedDateTime& start, const PackedDateTime& end,
                          EventFetchResult& out) {
    out = EventFetchResult{};
    out.archive = a;
    out.mode = kViewByPeriod;
    PeriodRequest req = EventPeriodRequest(a, start, end);
    ArchiveReader reader(io_.box(), ui_, bar_);
    reader.SetSink(sink_);
    ArchiveReadTexts texts = EventReadTexts(a, true);
    if (sink_) texts.noRecordsText.clear();
    ArchiveReadResult read;
    {
        Hourglass h(ui_);
        read = reader.Read(req, texts, EventScratchPath(folder_, a));
    }
    out.requests = reader.requestsSent();
    out.errorCode = read.errorCode;
    if (read.count == 0) {
        out.end = read.end;
        return false;
    }
    if (read.archiveError)
        ui_.ShowMessageBox(kMsgPlain, "Обнаружена ошибка",
                           a == kEventsDiagnostic ? "в архиве диагностических сообщений"
                                                  : "в архиве сообщений о вмешательствах");
    return Finish(a, read, start.data(), end.data(), out);
}

bool EventFetch::Finish(EventArchive a, ArchiveReadResult& read, const uint8_t* start, const uint8_t* end,
                        EventFetchResult& out) {
    out.end = read.end;
    out.archiveError = read.archiveError;
    // The serial number of the chromatograph, for the live view; its outcome does
    // not matter here. A read into the store opens no view.
    if (!sink_ && U32(io_.image().Field(41, 0)) == 0) {
        const uint8_t req[3] = {41, 0, 1};
        io_.ReadFields(req, bar_, true);
    }
    out.header = BuildArchiveHeader(a == kEventsDiagnostic ? kArchAla : kArchAud, io_.image(), io_.box().address,
                                    ToPacked(clock_.LocalNow()), start, end, read.count);
    out.header.SetEndedEarly(read.end == ReadEnd::kFailed || read.end == ReadEnd::kStopped);
    out.records = std::move(read.records);
    return true;
}

}  // namespace zul
