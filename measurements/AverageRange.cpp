#include "measurements/AverageRange.h"

#include <cstdio>
#include <cstring>

#include "shell/UserInterface.h"
#include "tables/Conffun.h"
#include "tables/Dtfun.h"
#include "tables/Stringi.h"
#include "tables/TableImage.h"

namespace zul {

namespace {

constexpr uint8_t kEmptyArchive[6] = {1, 1, 1, 0, 0, 0};

int Width(int unit) { return unit == kUnitHour ? 4 : 3; }

void ShowBadDate(UserInterface& ui, const uint8_t* p) {
    ui.ShowMessageBox(kMsgPlain, BadDateLine(p), "не соответствуют допустимым значениям");
}

}  // namespace

std::string BadDateLine(const uint8_t* p) {
    return Sprintf("Прочитанные параметры даты и времени (%02d.%02d.%02d %02d:%02d:%02d)", p[2], p[1], p[0], p[3],
                   p[4], p[5]);
}

RangeOutcome ComputeAvailableRange(uint8_t* field, const uint8_t* clock, int contractHour, int unit,
                                   AvailableRange& range) {
    bool flag = false;
    if (unit == kUnitDay) {
        flag = (field[5] & 0x80) != 0;
        field[5] &= 0x7F;
    }
    if (std::memcmp(field, kEmptyArchive, 6) == 0) return kRangeEmpty;
    if (!IsValidPacked(field)) return kRangeBadDate;
    if (!IsValidPacked(clock)) return kRangeBadClock;
    if (!PeriodArchiveRange(field, clock, unit, flag, contractHour, range.oldest, range.latest)) return kRangeNotYet;
    return kRangeOk;
}

bool ReadAvailableRange(TableIo& io, int unit, AvailableRange& range) {
    UserInterface& ui = io.ui();
    const uint8_t field = unit == kUnitHour ? 1 : 2;
    const uint8_t read27[3] = {27, field, 1};
    if (!io.ReadFields(read27, nullptr, true)) return false;
    uint8_t first[6];
    std::memcpy(first, io.image().Field(27, field), 6);
    if (unit == kUnitDay) first[5] &= 0x7F;
    if (std::memcmp(first, kEmptyArchive, 6) == 0) {
        ui.ShowMessageBox(kMsgPlain, "В архиве нет данных", "");
        return false;
    }
    if (!IsValidPacked(first)) {
        ShowBadDate(ui, first);
        return false;
    }
    const uint8_t read2[3] = {2, 0, 8};
    if (!io.ReadFields(read2, nullptr, true)) return false;
    const uint8_t* clock = io.image().Data(2);
    if (!IsValidPacked(clock)) {
        ShowBadDate(ui, clock);
        return false;
    }
    const uint8_t read6[3] = {6, 0, 12};
    if (!io.ReadFields(read6, nullptr, true)) return false;
    std::memcpy(first, io.image().Field(27, field), 6);
    if (ComputeAvailableRange(first, clock, io.image().Byte(6, 6), unit, range) == kRangeNotYet) {
        ui.ShowMessageBox(kMsgPlain, "В архиве еще нет ни одной записи", "");
        return false;
    }
    return true;
}

void MonthBack(uint8_t* d) {
    if (d[1] > 1) {
        --d[1];
    } else {
        d[1] = 12;
        --d[0];
    }
    const int days = DaysInMonth(2000 + d[0], d[1]);
    if (d[2] > days) {
        d[2] = uint8_t(d[2] - days);
        ++d[1];  // never past December: only a month of 28..30 days overflows
    }
}

ShortPeriod ShortDatePreset(const AvailableRange& range, int unit) {
    ShortPeriod p;
    std::memcpy(p.end, range.latest, 5);
    std::memcpy(p.start, range.latest, 5);
    if (unit == kUnitHour) {
        StepBack(p.start, kUnitDay);
    } else {
        MonthBack(p.start);
    }
    if (CompareToUnit(p.start, range.oldest, unit) < 0) std::memcpy(p.start, range.oldest, 5);
    return p;
}

ShortPeriod ShortDateLastChoice(const uint8_t* clock, int unit) {
    ShortPeriod p;
    std::memcpy(p.end, clock, 4);
    if (unit == kUnitHour) {
        StepBack(p.end, kUnitHour);
        std::memcpy(p.start, p.end, 5);
        StepBack(p.start, kUnitDay);
        StepForward(p.start, kUnitHour);
    } else {
        p.end[3] = 0;
        StepBack(p.end, kUnitDay);
        std::memcpy(p.start, p.end, 5);
        MonthBack(p.start);
    }
    return p;
}

ShortDateCheck ShortDateAccept(const AvailableRange& range, int unit, ShortPeriod& p) {
    if (CompareToUnit(p.end, p.start, unit) < 0) return kShortDateEndBeforeStart;
    const bool bothBefore = CompareToUnit(p.end, range.oldest, unit) < 0;
    const bool bothAfter = CompareToUnit(p.start, range.latest, unit) > 0;
    if (bothBefore || bothAfter) return kShortDateOutside;
    if (CompareToUnit(p.start, range.oldest, unit) < 0) std::memcpy(p.start, range.oldest, 5);
    if (CompareToUnit(p.end, range.latest, unit) > 0) std::memcpy(p.end, range.latest, 5);
    return kShortDateOk;
}

const char* ShortDateCheckLine(ShortDateCheck check, int line) {
    switch (check) {
    case kShortDateEndBeforeStart:
        return line == 0 ? "Дата и время конца опроса должны быть" : "больше даты и времени начала опроса";
    case kShortDateOutside:
        return line == 0 ? "В архиве нет данных за указанный период" : "(см. период имеющихся в архиве данных)";
    default: return "";
    }
}

AverageOrderCheck::AverageOrderCheck(int unit, const uint8_t* start, const uint8_t* end) : unit_(unit) {
    std::memcpy(expected_, start, size_t(Width(unit)));
    std::memcpy(end_, end, size_t(Width(unit)));
}

bool AverageOrderCheck::OutOfOrder(const uint8_t* record) const {
    if (!checking_) return false;
    if (unit_ == kUnitHour)
        return CompareToUnit(record, expected_, kUnitHour) < 0 || CompareToUnit(record, end_, kUnitHour) > 0;
    uint8_t low[5], high[5];
    std::memcpy(low, expected_, 5);
    std::memcpy(high, end_, 5);
    StepBack(low, kUnitDay);
    StepForward(high, kUnitDay);
    return CompareToUnit(record, low, kUnitDay) < 0 || CompareToUnit(record, high, kUnitDay) > 0;
}

void AverageOrderCheck::Advance() { StepForward(expected_, unit_); }

bool AverageOrderCheck::MoreWanted() const { return CompareToUnit(expected_, end_, unit_) <= 0; }

}  // namespace zul
