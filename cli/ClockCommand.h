// `zul clock [--correct]`: the controller's clock against the computer's, and the
// correction by command 12, as the clock view shows and sends it.
#pragma once
#include <string>
#include <vector>

namespace zul {
class TableIo;
}

namespace zul::cli {

class TerminalUi;

extern const char* const kClockHelp;
bool ClockArgsOk(const std::vector<std::string>& args);
int RunClock(TableIo& io, TerminalUi& ui, const std::vector<std::string>& args);

}  // namespace zul::cli
