// Menu commands of users and the clock: the program's own login, one registered
// user changed in the controller, the controller's clock, and the clock
// synchronisation switches.
#include <QProgressBar>  // QtUserInterface keeps a QPointer to one
#include <QTimer>

#include "editors/ChangeAccess.h"
#include "editors/Dt.h"
#include "editors/Shortuspass.h"
#include "editors/Time_Sinhr.h"
#include "link/Clock.h"
#include "shell/ControllerClock.h"
#include "shell/Main.h"
#include "tables/Conffun.h"

namespace zul {

void TFormMain::NUserClick() { AskCredentials(*qrtbox_, this); }

void TFormMain::NPassClick() {
    TableIo io(*qrtbox_, *image_, ui_);
    ChangeOneUser(io, mainBar_, this);
}

void TFormMain::NSinhrClick() {
    TableIo io(*qrtbox_, *image_, ui_);
    EditTimeSynchronisation(io, mainBar_, this);
}

void TFormMain::NContrDtClick() {
    TableIo io(*qrtbox_, *image_, ui_);
    ControllerClock clock(io, mainBar_, SystemClock::Instance());
    if (clock.Read() != kClockReady) return;
    int16_t correction = 0;
    {
        TFormDt view(clock.controller(), clock.computer().data(), clock.CorrectionAllowed(), &ui_, this);
        view.exec();
        if (!view.corrected()) return;
        correction = view.correction();
    }
    clock.SendCorrection(correction);
    StartMessageTimer();
}

}  // namespace zul
