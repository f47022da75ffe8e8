// The rules of the period dialog: the three choices ("За последний час",
// "За последние сутки", "Заданный период") and the checks of "Принять".
//
//   PeriodPreset p = PresetPeriod(kPeriodLastHour, clock.LocalNow(), settings.archive);
//   PeriodInput in{startDate, "23", "20", "5", endDate, "0", "20", "5"};
//   PeriodCheck c = CheckPeriod(in);   // c.ok, or c.line1 / c.line2 of the input-error message
#pragma once
#include <string>

#include "link/LinkSettings.h"
#include "tables/Dtfun.h"

namespace zul {

enum PeriodChoice { kPeriodLastHour = 0, kPeriodLastDay = 1, kPeriodGiven = 2 };

struct PeriodPreset {
    PackedDateTime start{}, end{};
    bool editable = false;  // "Заданный период": pickers and lists enabled
};
// What a choice shows; `now` is the PC clock (a date-time value).
PeriodPreset PresetPeriod(int choice, double now, const ArchiveSettings& settings);

// What the dialog holds when "Принять" is pressed: dates from the pickers, the
// hour, minute and second texts of the lists.
struct PeriodInput {
    CalDate startDate;
    std::string startHour, startMinute, startSecond;
    CalDate endDate;
    std::string endHour, endMinute, endSecond;
};
struct PeriodCheck {
    bool ok = false;
    std::string line1, line2;  // the input-error message when not ok
    // What failed: 0..5 the start's and the end's hour, minute and second; 6 the
    // order of the two moments.
    int field = -1;
    PackedDateTime start{}, end{};
};
PeriodCheck CheckPeriod(const PeriodInput& input);
// After an accepted "Заданный период": the remembered dates.
void RememberPeriod(const PeriodCheck& check, ArchiveSettings& settings);

}  // namespace zul
