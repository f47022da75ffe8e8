#include "cli/ClockCommand.h"

#include <cstdio>

#include "cli/TerminalUi.h"
#include "link/Clock.h"
#include "link/Qrtbox.h"
#include "shell/ConnectionStart.h"
#include "shell/ControllerClock.h"
#include "tables/Conffun.h"

namespace zul::cli {

const char* const kClockHelp =
    "Usage: zul [LINK OPTIONS] clock [--correct]\n"
    "Reads the controller's clock (table 2) as the clock view does and prints\n"
    "  controller: DD.MM.YYYY HH:MM:SS SEASON\n"
    "  computer:   DD.MM.YYYY HH:MM:SS SEASON\n"
    "  correction: N        (\"-\" when the controller forbids the correction)\n"
    "With --correct (and --ident / --password) it then sends that correction\n"
    "(command 12). A destroyed clock table is not restored here.\n";

namespace {

void PrintClock(const char* label, const uint8_t* c) {
    std::printf("%s%02d.%02d.%04d %02d:%02d:%02d %s\n", label, c[2], c[1], 2000 + c[0], c[3], c[4], c[5],
                SeasonText(c[7]));
}

}  // namespace

bool ClockArgsOk(const std::vector<std::string>& args) {
    return args.empty() || (args.size() == 1 && args[0] == "--correct");
}

int RunClock(TableIo& io, TerminalUi& ui, const std::vector<std::string>& args) {
    const bool correct = !args.empty();
    if (!IdentifyFirst(io, ui)) return Failed(io.box(), ui);
    ControllerClock clock(io, nullptr, SystemClock::Instance());
    if (clock.Read() != kClockReady) return Failed(io.box(), ui);
    PrintClock("controller: ", clock.controller());
    PrintClock("computer:   ", clock.computer().data());
    if (!clock.CorrectionAllowed()) {
        std::printf("correction: -\n");
        if (!correct) return kExitOk;
        std::fflush(stdout);
        ui.ShowMessageBox(kMsgPlain, "Синхронизация времени контроллера с временем ЭВМ запрещена", "");
        return kExitLink;
    }
    const int16_t n = clock.Correction();
    std::printf("correction: %d\n", n);
    std::fflush(stdout);
    if (!correct) return kExitOk;
    ControllerClock sender(io, nullptr, SystemClock::Instance());
    return sender.SendCorrection(n) ? kExitOk : Failed(io.box(), ui);
}

}  // namespace zul::cli
