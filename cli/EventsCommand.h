// `zul events diag|interv`: the event archives by index, the newest N records, or
// a period, through the same fetch, decoder and file writer as the window.
#pragma once
#include <string>
#include <vector>

namespace zul {
class TableIo;
}

namespace zul::cli {

class TerminalUi;

extern const char* const kEventsHelp;
// With `argumentsOnly` the arguments are checked (usage: 2) and nothing else is done (0).
int RunEventsCommand(TableIo& io, TerminalUi& ui, const std::vector<std::string>& args, bool argumentsOnly = false);

}  // namespace zul::cli
