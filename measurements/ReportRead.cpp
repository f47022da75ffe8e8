#include "measurements/ReportRead.h"

#include <sys/stat.h>

#include <cstring>

#include "link/IniFile.h"
#include "link/Qrtbox.h"
#include "measurements/XlsxTemplate.h"
#include "shell/UserInterface.h"
#include "tables/ArchiveFile.h"
#include "tables/Conffun.h"
#include "tables/Dtfun.h"
#include "tables/Stringi.h"
#include "tables/TableImage.h"

namespace zul {

namespace {

int Width(int unit) { return unit == kUnitHour ? 4 : 3; }

}  // namespace

ReportRangeRequest::ReportRangeRequest(int unit, uint8_t instrument, const uint8_t* start, const uint8_t* end,
                                       int limit, const std::vector<uint8_t>* reference)
    : AverageRangeRequest(unit, instrument, start, end), limit_(limit), reference_(reference) {
    std::memcpy(expected_, start, size_t(Width(unit)));
}

int ReportRangeRequest::NextRequest(uint8_t* body) {
    const int n = Width(unit_);
    body[0] = 3;
    body[1] = 0;
    body[2] = instrument_;
    std::memcpy(body + 3, expected_, size_t(n));
    std::memcpy(body + 3 + n, end_, size_t(n));
    return 3 + 2 * n;
}

RecordVerdict ReportRangeRequest::OnRecord(const uint8_t* record, UserInterface& ui) {
    if (failed_) return RecordVerdict::kStoreAndStop;
    if (CompareToUnit(record, expected_, unit_) < 0 || CompareToUnit(record, end_, unit_) > 0) {
        ui.ShowMessageBox(kMsgPlain, "Передаваемые контроллером данные не соответствуют", "запрошенному периоду");
        failed_ = true;
        return RecordVerdict::kStoreAndStop;
    }
    if (reference_) {
        const size_t at = size_t(stored_) * kChromRecordSize;
        if (at + kChromRecordSize <= reference_->size() &&
            std::memcmp(record, reference_->data() + at, size_t(Width(unit_))) != 0) {
            ui.ShowMessageBox(kMsgPlain, "Несоответствие дат в записях", "архивов данных хроматографа и влагомера");
            failed_ = true;
            return RecordVerdict::kStoreAndStop;
        }
    }
    std::memcpy(expected_, record, size_t(Width(unit_)));
    StepForward(expected_, unit_);
    ++stored_;
    return RecordVerdict::kStore;
}

bool ReportRangeRequest::Continue(const ArchiveReply& reply) {
    return reply.count > 0 && stored_ < limit_ && CompareToUnit(expected_, end_, unit_) <= 0;
}

bool ReportFetch::MoistureMeter() const { return io_.image().Byte(6, 8) != 0; }

ParameterUnits UnitsOfImage(const TableImage& image) {
    ParameterUnits u{};
    for (int i = 0; i < kMaxHeaderParameters; ++i) u[size_t(i)] = image.Field(1, i)[50];
    return u;
}

ParameterUnits ReportFetch::Units() const { return UnitsOfImage(io_.image()); }

bool ReportFetch::ReadRange(int unit, uint8_t instrument, const uint8_t* start, const uint8_t* end, int limit,
                            const std::vector<uint8_t>* reference, const char* title, std::vector<uint8_t>& out) {
    ReportRangeRequest req(unit, instrument, start, end, limit, reference);
    ArchiveReadTexts texts;
    texts.title = title;
    texts.noRecordsText = "";
    texts.notReadKind = kMsgPlain;
    texts.errorPanel = 2;
    texts.partialLine = "не прочитаны";  // a report cannot use a part
    ArchiveReader reader(io_.box(), ui_, bar_);
    ArchiveReadResult r = reader.Read(req, texts, ChromScratchPath(folder_, kChromHourly));
    if (req.failed()) return false;  // its message has been shown
    if (r.end == ReadEnd::kFailed || r.end == ReadEnd::kFileError || r.end == ReadEnd::kStopped) return false;
    if (r.count == 0) {
        ui_.ShowMessageBox(kMsgPlain, title, "не прочитаны");
        return false;
    }
    const size_t size = size_t(req.RecordSize());
    if (r.records.size() > size_t(limit) * size) r.records.resize(size_t(limit) * size);
    out = std::move(r.records);
    return true;
}

bool ReportFetch::ReadOneDay(uint8_t instrument, const uint8_t* day, std::vector<uint8_t>& out) {
    const char* what = instrument ? "влагомера" : " хроматографа";
    ReportRangeRequest req(kUnitDay, instrument, day, day, 1, nullptr);
    ArchiveReadTexts texts;
    texts.title = "Суточные данные из архива";
    texts.notReadKind = kMsgPlain;
    texts.errorPanel = 2;
    texts.notReadLine = texts.partialLine = std::string(what) + " не прочитаны";
    ArchiveReader reader(io_.box(), ui_, bar_);
    ArchiveReadResult r = reader.Read(req, texts, ChromScratchPath(folder_, kChromHourly));
    if (req.failed() || r.end == ReadEnd::kFailed || r.end == ReadEnd::kFileError || r.end == ReadEnd::kStopped)
        return false;
    if (r.count == 0) {
        ui_.ShowMessageBox(kMsgPlain, texts.title, texts.notReadLine);
        return false;
    }
    const int size = req.RecordSize();
    if (!ChromRecordValid(r.records.data(), size)) {
        ui_.ShowMessageBox(kMsgPlain, instrument ? "Суточные данные влагомера недостоверны"
                                                 : "Суточные данные хроматографа недостоверны",
                           "(не совпадает КС записи");
        return false;
    }
    out.assign(r.records.begin(), r.records.begin() + size);
    return true;
}

bool ReportFetch::SameCount(const std::vector<uint8_t>& chrom, const std::vector<uint8_t>& moist) {
    const size_t c = chrom.size() / kChromRecordSize, m = moist.size() / kMoistAverageSize;
    if (c == m) return true;
    ui_.ShowMessageBox(kMsgPlain, "Несоответствие количества прочитанных данных",
                       Sprintf("хроматографа (%d) и влагомера (%d)", int(c), int(m)));
    return false;
}

bool ReportFetch::ReadDay(const uint8_t* date, DayReportData& out) {
    out = DayReportData{};
    out.moisture = MoistureMeter();
    if (!ReadOneDay(0, date, out.chromDay)) return false;
    if (out.moisture && !ReadOneDay(1, date, out.moistDay)) return false;
    AvailableRange hours;
    if (!ReadAvailableRange(io_, kUnitHour, hours)) return false;
    uint8_t first[5] = {date[0], date[1], date[2], date[3], 0};
    uint8_t last[5];
    std::memcpy(last, first, 5);
    StepForward(last, kUnitDay);
    StepBack(last, kUnitHour);
    if (CompareToUnit(first, hours.oldest, kUnitHour) < 0) std::memcpy(first, hours.oldest, 4);
    ui_.ClearStopRequest();
    if (!ReadRange(kUnitHour, 0, first, last, 24, nullptr, "Часовые данные хроматографа из архива", out.chromHours))
        return false;
    if (!out.moisture) return true;
    return ReadRange(kUnitHour, 1, first, last, 24, &out.chromHours, "Часовые данные влагомера из архива",
                     out.moistHours) &&
           SameCount(out.chromHours, out.moistHours);
}

bool ReportFetch::ReadMonth(const uint8_t* date, const AvailableRange& days, MonthReportData& out) {
    out = MonthReportData{};
    out.moisture = MoistureMeter();
    const int length = DaysInMonth(2000 + date[0], date[1]);
    uint8_t first[5] = {date[0], date[1], 1, 0, 0};
    uint8_t last[5] = {date[0], date[1], uint8_t(length), 0, 0};
    if (CompareToUnit(first, days.oldest, kUnitDay) < 0) std::memcpy(first, days.oldest, 3);
    if (CompareToUnit(last, days.latest, kUnitDay) > 0) std::memcpy(last, days.latest, 3);
    ui_.ClearStopRequest();
    if (!ReadRange(kUnitDay, 0, first, last, length, nullptr, "Суточные данные хроматографа из архива",
                   out.chromDays))
        return false;
    if (out.moisture && !(ReadRange(kUnitDay, 1, first, last, length, &out.chromDays,
                                    "Суточные данные влагомера из архива", out.moistDays) &&
                          SameCount(out.chromDays, out.moistDays)))
        return false;
    MonthAverages(out.chromDays, out.average11, out.average18);
    return true;
}

int ReportDateOutside(const AvailableRange& days, const uint8_t* date, bool month) {
    if (month)
        return (date[0] * 12 + date[1] < days.oldest[0] * 12 + days.oldest[1] ||
                date[0] * 12 + date[1] > days.latest[0] * 12 + days.latest[1])
                   ? 1
                   : 0;
    return CompareToUnit(date, days.oldest, kUnitDay) < 0 || CompareToUnit(date, days.latest, kUnitDay) > 0 ? 1 : 0;
}

bool ProduceReport(UserInterface& ui, const std::string& templatePath, const ReportSheet& sheet,
                   const std::string& outPath, bool ask) {
    const std::string name = FileNameOnly(outPath);
    struct stat st;
    if (ask && ::stat(outPath.c_str(), &st) == 0 &&
        !ui.ShowMessageBox(kMsgQuestion, Sprintf("Файл отчета %s уже есть.", name.c_str()),
                           "Вы хотите заменить существующий отчет?"))
        return false;
    std::string book, why;
    if (!FillXlsxTemplate(templatePath, sheet, book, why)) {
        ui.ShowMessageBox(kMsgError, Sprintf("Ошибка работы с файлом %s", FileNameOnly(templatePath).c_str()),
                          "(" + why + ")");
        return false;
    }
    // Written under a temporary name and renamed: an earlier report is replaced only now.
    if (!WriteFileAtomically(outPath, book)) {
        ui.ShowMessageBox(kMsgError, "Ошибка работы с файлом!", name);
        return false;
    }
    ui.ShowMessageBox(kMsgPlain, Sprintf("Данные сохранены в файле %s", name.c_str()), "");
    return true;
}

void ShowMissingTemplate(UserInterface& ui, const std::string& name) {
    ui.ShowMessageBox(kMsgError, Sprintf("В рабочем каталоге отсутствует файл %s", name.c_str()),
                      "Обратитесь к разработчику программного обеспечения");
}

}  // namespace zul
