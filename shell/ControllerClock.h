// The controller's clock from the menu "Дата и время" and from `zul clock`: the
// reads before the clock view opens, the restore of a destroyed clock table, and
// the correction by command 12. The view itself (or the command line) only shows
// the two clocks and says whether to correct.
//
//   ControllerClock cc(io, mainBar, clock);
//   switch (cc.Read()) {                      // tables 7, 6, 2, 42, messages through io.ui()
//   case kClockReady: ... cc.controller(), cc.computer(), cc.CorrectionAllowed(), cc.Correction()
//   ...
//   }
//   cc.SendCorrection(n);                     // command 12; panel 2 and the message on failure
#pragma once
#include <cstdint>

#include "tables/ClockRules.h"

namespace zul {

class Clock;
class StatusBar;
class TableIo;

enum ClockReadOutcome {
    kClockReadFailed,        // a read failed (already reported)
    kClockSystemDestroyed,   // table 6 destroyed: the view is refused
    kClockRestoreOffered,    // table 2 destroyed: only the restore was offered
    kClockReady,             // both clocks are known
};

class ControllerClock {
public:
    ControllerClock(TableIo& io, StatusBar* bar, const Clock& clock) : io_(io), bar_(bar), clock_(clock) {}

    // The reads of the clock view with their messages; a destroyed table 2 asks
    // whether to restore it from the computer's clock and does so on "Да".
    ClockReadOutcome Read();
    // After kClockReady: the controller's clock (table 2 of the image) and the
    // computer's at the end of the last read, with its weekday and season.
    const uint8_t* controller() const;
    const ClockBytes& computer() const { return computer_; }
    // Table 6 field 11: synchronisation with the computer's clock allowed.
    bool CorrectionAllowed() const;
    int16_t Correction() const { return ClockCorrection(controller(), computer_.data()); }
    // Command 12 with the correction; "Корректировка времени выполнена" in panel 2 on
    // success, the engine's error there and the message box on failure.
    bool SendCorrection(int16_t seconds);

private:
    TableIo& io_;
    StatusBar* bar_;
    const Clock& clock_;
    ClockBytes computer_{};
};

// Table 2 rewritten from the computer's clock after the question "В контроллер будет
// записано время ЭВМ." (table 6 rules as held in the image); false on "Нет" or a failed write.
bool WritePcTime(TableIo& io, StatusBar* bar, const Clock& clock);

}  // namespace zul
