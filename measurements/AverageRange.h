// The hourly and daily archives of the chromatograph: the range of hours (days)
// the controller still holds, the choices of the short period dialog, and the
// expected-time cursor with which a read checks the order of the records.
//
// Hours are 4-byte packed prefixes (year-2000, month, day, hour), days 3-byte ones;
// the buffers below are 5 bytes so that the calendar helpers may use them.
#pragma once
#include <cstdint>
#include <string>

namespace zul {

class TableIo;

// kUnitHour (0) or kUnitDay (1) of tables/Dtfun.h.
struct AvailableRange {
    uint8_t oldest[5] = {};
    uint8_t latest[5] = {};
};

enum RangeOutcome {
    kRangeOk = 0,
    kRangeEmpty,      // table 27 holds 01.01.01 00:00:00
    kRangeBadDate,    // table 27 is no date
    kRangeBadClock,   // the controller clock is no date
    kRangeNotYet,     // the oldest record is later than the latest complete period
};

// The range from the table-27 field of the archive (6 bytes; for days bit 7 of the
// last byte is a flag, cleared here), the controller clock (6 bytes) and the
// contract hour. `field` is changed only by clearing the flag.
RangeOutcome ComputeAvailableRange(uint8_t* field, const uint8_t* clock, int contractHour, int unit,
                                   AvailableRange& range);

// "Прочитанные параметры даты и времени (DD.MM.YY hh:mm:ss)": the first line of
// the message about a table-27 field or controller clock that is no date.
std::string BadDateLine(const uint8_t* packed);

// Reads table 27 (field 1 for hours, 2 for days), table 2 fields 0..7 and table 6
// fields 0..11, and computes the range. Every failure has been shown to the user
// when this returns false.
bool ReadAvailableRange(TableIo& io, int unit, AvailableRange& range);

// Period of the short dialog: first and last hour (day).
struct ShortPeriod {
    uint8_t start[5] = {};
    uint8_t end[5] = {};
};

// One month back keeping the day number; a day the earlier month lacks runs on
// into the following month (31 March gives 3 March, 2 March in a leap year).
void MonthBack(uint8_t* date);
// The preset when the dialog opens: end = latest, start = one day (month) earlier
// but not before the oldest.
ShortPeriod ShortDatePreset(const AvailableRange& range, int unit);
// "За последние сутки" (hours): the last 24 complete hours of the clock;
// "За последний месяц" (days): from one month before yesterday to yesterday.
ShortPeriod ShortDateLastChoice(const uint8_t* clock, int unit);

enum ShortDateCheck {
    kShortDateOk = 0,
    kShortDateEndBeforeStart,  // "Дата и время конца опроса должны быть" / "больше даты и времени начала опроса"
    kShortDateOutside,         // "В архиве нет данных за указанный период" / "(см. период имеющихся в архиве данных)"
};
// The check of "Принять"; on success the period is clipped to the range.
ShortDateCheck ShortDateAccept(const AvailableRange& range, int unit, ShortPeriod& period);
// The two lines of a refusal.
const char* ShortDateCheckLine(ShortDateCheck check, int line);

// The expected-time cursor of a read of commands 15 and 16.
class AverageOrderCheck {
public:
    AverageOrderCheck(int unit, const uint8_t* start, const uint8_t* end);
    // True when the record (its start in bytes 0..3) lies before the expected hour or
    // after the end (days: with one day of slack on both sides) while checking is on.
    bool OutOfOrder(const uint8_t* record) const;
    // One record stored: the cursor moves on one hour (day), whatever the record held.
    void Advance();
    void StopChecking() { checking_ = false; }
    bool checking() const { return checking_; }
    const uint8_t* expected() const { return expected_; }
    // True while the cursor has not passed the end.
    bool MoreWanted() const;

private:
    int unit_;
    bool checking_ = true;
    uint8_t expected_[5] = {};
    uint8_t end_[5] = {};
};

}  // namespace zul
