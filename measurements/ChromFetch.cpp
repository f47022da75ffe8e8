#include "measurements/ChromFetch.h"

#include <cstring>

#include "link/Clock.h"
#include "link/Qrtbox.h"
#include "shell/UserInterface.h"
#include "tables/Conffun.h"
#include "tables/TableImage.h"

namespace zul {

namespace {

constexpr int kMeasurementsPerReply = 2;
constexpr int kMoistMeasurementsPerReply = 8;
constexpr int kCalibrationsPerReply = 24;

uint32_t U32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

int Width(int unit) { return unit == kUnitHour ? 4 : 3; }

}  // namespace

ArchiveKind ChromArchiveKind(ChromTableKind kind) {
    switch (kind) {
    case kMoistMeasurement: return kArchMwm;
    case kMoistHourly: return kArchHwm;
    case kMoistDaily: return kArchDwm;
    case kChromHourly: return kArchHch;
    case kChromDaily: return kArchDch;
    case kChromCalibration: return kArchClb;
    default: return kArchMch;
    }
}

ChromTableKind ChromKindOfArchive(ArchiveKind kind) {
    for (ChromTableKind k : {kChromMeasurement, kChromHourly, kChromDaily, kChromCalibration, kMoistMeasurement,
                             kMoistHourly, kMoistDaily})
        if (ChromArchiveKind(k) == kind) return k;
    return kChromMeasurement;
}

const char* ChromReadTitle(ChromTableKind kind) {
    switch (kind) {
    case kMoistHourly: return "Часовые данные влагомера из архива";
    case kMoistDaily: return "Суточные данные влагомера из архива";
    case kChromHourly: return "Часовые данные хроматографа из архива";
    case kChromDaily: return "Суточные данные хроматографа из архива";
    case kChromCalibration: return "Данные калибровки";
    default: return "Измерительные данные";
    }
}

ArchiveReadTexts ChromReadTexts(ChromTableKind kind) {
    ArchiveReadTexts t;
    t.title = ChromReadTitle(kind);
    const ChromTableKind twin = ChromTwin(kind);
    const bool averages = twin == kChromHourly || twin == kChromDaily;
    // The averaged reads end silently on an empty first reply and ask before giving up.
    t.noRecordsText = averages ? "" : "Нет данных за указанный период";
    t.notReadKind = kMsgPlain;
    t.errorPanel = 2;
    t.retryQuestion = averages;
    t.holdFullMs = averages ? 500 : 0;  // the full bar stays on screen a moment before the viewer
    return t;
}

std::string ChromScratchPath(const std::string& folder, ChromTableKind kind) {
    switch (ChromTwin(kind)) {
    case kChromMeasurement: return folder + "datafile.msd";
    case kChromCalibration: return folder + "datafile.clb";
    default: return folder + "datafile.hdm";
    }
}

const char* ChromRefusalLine(ChromTableKind kind) {
    switch (kind) {
    case kMoistMeasurement: return "измерительные данные влагомера из архива контроллера ЗУЛ_QRT_510";
    case kMoistHourly: return "часовые данные влагомера из архива контроллера ЗУЛ_QRT_510";
    case kMoistDaily: return "суточные данные влагомера из архива контроллера ЗУЛ_QRT_510";
    case kChromHourly: return "часовые данные  хроматографа из архива контроллера ЗУЛ_QRT_510";
    case kChromDaily: return "суточные данные хроматографа из архива контроллера ЗУЛ_QRT_510";
    case kChromCalibration: return "данные калибровки хроматографа из архива контроллера ЗУЛ_QRT_510";
    default: return "измерительные данные хроматографа из архива контроллера ЗУЛ_QRT_510";
    }
}

AverageRangeRequest::AverageRangeRequest(int unit, uint8_t instrument, const uint8_t* start, const uint8_t* end)
    : unit_(unit), instrument_(instrument), check_(unit, start, end) {
    std::memcpy(end_, end, size_t(Width(unit)));
    const int span = unit == kUnitHour ? HoursBetween(start, end) : UnitsBetween(start, end, kUnitDay);
    progressMax_ = span < 1 ? 1 : span;
}

int AverageRangeRequest::NextRequest(uint8_t* body) {
    const int n = Width(unit_);
    body[0] = 3;
    body[1] = 0;
    body[2] = instrument_;
    std::memcpy(body + 3, check_.expected(), size_t(n));
    std::memcpy(body + 3 + n, end_, size_t(n));
    return 3 + 2 * n;
}

RecordVerdict AverageRangeRequest::OnRecord(const uint8_t* record, UserInterface& ui) {
    if (check_.OutOfOrder(record)) {
        ++questions_;
        if (!ui.ShowMessageBox(kMsgQuestion, "Передаваемые контроллером данные не соответствуют",
                               "запрошенному периоду.    Продолжить чтение?")) {
            check_.Advance();
            return RecordVerdict::kStoreAndStop;
        }
        check_.StopChecking();
    }
    check_.Advance();
    return RecordVerdict::kStore;
}

bool AverageRangeRequest::Continue(const ArchiveReply& reply) {
    return reply.count >= PerReplyLimit() && check_.MoreWanted();
}

bool ChromFetch::ReadClock() {
    const uint8_t req[3] = {2, 0, 8};
    Hourglass h(ui_);
    return io_.ReadFields(req, bar_, true);
}

bool ChromFetch::ByPeriod(ChromTableKind kind, const PackedDateTime& start, const PackedDateTime& end,
                          ChromFetchResult& out) {
    out = ChromFetchResult{};
    out.kind = kind;
    const bool measurement = ChromTwin(kind) == kChromMeasurement;
    const bool moist = IsMoistKind(kind);
    const int hours = HoursBetween(start.data(), end.data());
    // Chromatograph measurements count records against 60 an hour; the others count hours.
    const bool byRecords = kind == kChromMeasurement;
    PeriodRequest req(KindInstrument(kind), measurement ? 6 : 5, ChromRecordSize(kind),
                      moist ? kMoistMeasurementsPerReply : measurement ? kMeasurementsPerReply : kCalibrationsPerReply,
                      start, end, byRecords ? PeriodRequest::kProgressRecords : PeriodRequest::kProgressHours,
                      byRecords ? 60 * hours : hours);
    ArchiveReader reader(io_.box(), ui_, bar_);
    reader.SetSink(sink_);
    ArchiveReadTexts texts = ChromReadTexts(kind);
    if (sink_) texts.noRecordsText.clear();
    ArchiveReadResult read;
    {
        Hourglass h(ui_);
        read = reader.Read(req, texts, ChromScratchPath(folder_, kind));
    }
    out.requests = reader.requestsSent();
    out.end = read.end;
    out.archiveError = read.archiveError;
    if (read.count == 0) return false;
    if (read.archiveError)
        ui_.ShowMessageBox(kMsgPlain, "Обнаружена ошибка",
                           measurement ? "в архиве измерительных данных" : "в архиве данных калибровки");
    out.header = BuildArchiveHeader(ChromArchiveKind(kind), io_.image(), io_.box().address,
                                    ToPacked(clock_.LocalNow()), start.data(), end.data(), read.count);
    out.header.SetEndedEarly(read.end == ReadEnd::kFailed || read.end == ReadEnd::kStopped);
    out.records = std::move(read.records);
    return true;
}

bool ChromFetch::ByRange(ChromTableKind kind, const ShortPeriod& period, ChromFetchResult& out) {
    out = ChromFetchResult{};
    out.kind = kind;
    const int unit = ChromTwin(kind) == kChromDaily ? kUnitDay : kUnitHour;
    AverageRangeRequest req(unit, KindInstrument(kind), period.start, period.end);
    ArchiveReader reader(io_.box(), ui_, bar_);
    reader.SetSink(sink_);
    ArchiveReadResult read = reader.Read(req, ChromReadTexts(kind), ChromScratchPath(folder_, kind));
    out.requests = reader.requestsSent();
    out.end = read.end;
    if (read.count == 0) return false;
    if (kind == kChromDaily && U32(io_.image().Field(41, 0)) == 0) {
        // The chromatograph's serial number, for the live view; its outcome does not matter here.
        const uint8_t req41[3] = {41, 0, 1};
        io_.ReadFields(req41, bar_, true);
    }
    out.header = BuildArchiveHeader(ChromArchiveKind(kind), io_.image(), io_.box().address,
                                    ToPacked(clock_.LocalNow()), period.start, period.end, read.count);
    out.header.SetEndedEarly(read.end == ReadEnd::kFailed || read.end == ReadEnd::kStopped);
    out.records = std::move(read.records);
    return true;
}

}  // namespace zul
