#include "store/StoreReport.h"

#include <cstring>

#include "measurements/Completeness.h"
#include "measurements/ReportRead.h"
#include "shell/UserInterface.h"
#include "store/StoreFiles.h"
#include "tables/Dtfun.h"
#include "tables/Stringi.h"

namespace zul {

namespace {

constexpr int64_t kHour = 3600, kDay = 86400;

void NoData(UserInterface& ui) {
    ui.ShowMessageBox(kMsgInputError, "В архиве нет данных за указанную дату", "(см. период имеющихся в архиве данных)");
}

bool Failed(ArchiveStore& store, UserInterface& ui) {
    ui.ShowMessageBox(kMsgPlain, "Ошибка чтения хранилища архивов", store.errorText());
    return false;
}

int64_t DayStart(const uint8_t* date) {
    const uint8_t p[6] = {date[0], date[1], date[2], 0, 0, 0};
    return SecondsOfPacked(p);
}

// The records of `kind` with keys from..to, concatenated; false when the store fails.
bool Held(ArchiveStore& store, const std::string& mac, ArchiveKind kind, int64_t from, int64_t to, UserInterface& ui,
          std::vector<uint8_t>& out, bool& anyBad) {
    std::vector<StoreRecord> records;
    if (!store.Records(mac, kind, from, to, records)) return Failed(store, ui);
    out.clear();
    anyBad = false;
    for (const StoreRecord& r : records) {
        out.insert(out.end(), r.bytes.begin(), r.bytes.end());
        anyBad = anyBad || !r.intact;
    }
    return true;
}

bool SameCount(const std::vector<uint8_t>& chrom, const std::vector<uint8_t>& moist, UserInterface& ui) {
    const size_t c = chrom.size() / kChromRecordSize, m = moist.size() / kMoistAverageSize;
    if (c == m) return true;
    ui.ShowMessageBox(kMsgPlain, "Несоответствие количества прочитанных данных",
                      Sprintf("хроматографа (%d) и влагомера (%d)", int(c), int(m)));
    return false;
}

// The controller's tables as last seen: moisture meter, contract hour, units.
bool Tables(ArchiveStore& store, const std::string& mac, UserInterface& ui, TableImage& image) {
    StoreController c;
    if (!store.FindController(mac, c)) return Failed(store, ui);
    if (c.image.size() == size_t(TableImage::Size())) std::memcpy(image.Bytes(), c.image.data(), c.image.size());
    return true;
}

}  // namespace

bool StoredReportController(ArchiveStore& store, std::string& mac, UserInterface& ui) {
    if (!mac.empty()) return true;
    std::vector<StoreController> all;
    if (!store.Controllers(all)) return Failed(store, ui);
    if (all.size() == 1) {
        mac = all[0].mac;
        return true;
    }
    ui.ShowMessageBox(kMsgPlain, all.empty() ? "В хранилище архивов нет ни одного контроллера"
                                             : "В хранилище архивов несколько контроллеров",
                      all.empty() ? "" : "(укажите MAC-адрес)");
    return false;
}

bool StoredDayReport(ArchiveStore& store, const std::string& mac, const uint8_t* date, UserInterface& ui,
                     DayReportData& out, ParameterUnits& units) {
    out = DayReportData{};
    TableImage image;
    if (!Tables(store, mac, ui, image)) return false;
    units = UnitsOfImage(image);
    out.moisture = image.Byte(6, 8) != 0;
    const int64_t day = DayStart(date);
    const int64_t first = day + int64_t(image.Byte(6, 6)) * kHour;
    for (int instrument = 0; instrument <= (out.moisture ? 1 : 0); ++instrument) {
        std::vector<uint8_t>& daily = instrument ? out.moistDay : out.chromDay;
        std::vector<uint8_t>& hours = instrument ? out.moistHours : out.chromHours;
        bool bad = false;
        if (!Held(store, mac, instrument ? kArchDwm : kArchDch, day, day + kDay - 1, ui, daily, bad)) return false;
        if (daily.empty()) {
            NoData(ui);
            return false;
        }
        const size_t size = size_t(instrument ? kMoistAverageSize : kChromRecordSize);
        daily.resize(size);  // the day's record
        if (!ChromRecordValid(daily.data(), int(size))) {
            ui.ShowMessageBox(kMsgPlain, instrument ? "Суточные данные влагомера недостоверны"
                                                    : "Суточные данные хроматографа недостоверны",
                              "(не совпадает КС записи");
            return false;
        }
        if (!Held(store, mac, instrument ? kArchHwm : kArchHch, first, first + kDay - 1, ui, hours, bad)) return false;
        if (hours.empty()) {
            NoData(ui);
            return false;
        }
    }
    return !out.moisture || SameCount(out.chromHours, out.moistHours, ui);
}

bool StoredMonthReport(ArchiveStore& store, const std::string& mac, const uint8_t* date, UserInterface& ui,
                       MonthReportData& out, ParameterUnits& units) {
    out = MonthReportData{};
    TableImage image;
    if (!Tables(store, mac, ui, image)) return false;
    units = UnitsOfImage(image);
    out.moisture = image.Byte(6, 8) != 0;
    const uint8_t firstDay[3] = {date[0], date[1], 1};
    const int64_t from = DayStart(firstDay);
    const int64_t to = from + int64_t(DaysInMonth(2000 + date[0], date[1])) * kDay - 1;
    bool bad = false;
    if (!Held(store, mac, kArchDch, from, to, ui, out.chromDays, bad)) return false;
    if (out.chromDays.empty()) {
        NoData(ui);
        return false;
    }
    if (out.moisture && !(Held(store, mac, kArchDwm, from, to, ui, out.moistDays, bad) &&
                          SameCount(out.chromDays, out.moistDays, ui)))
        return false;
    MonthAverages(out.chromDays, out.average11, out.average18);
    return true;
}

}  // namespace zul
