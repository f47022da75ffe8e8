// `zul collect` and `zul store list|check|export`: the archive store from the
// shell, through the same collector, file builder and completeness rules as the window.
#pragma once
#include <string>
#include <vector>

namespace zul {
class TableIo;
}

namespace zul::cli {

class TerminalUi;

extern const char* const kCollectHelp;
extern const char* const kStoreHelp;
// With `argumentsOnly` the arguments are checked (usage: 2) and nothing else is done (0).
int RunCollectCommand(TableIo& io, TerminalUi& ui, const std::vector<std::string>& args, bool argumentsOnly = false);
int RunStoreCommand(const std::vector<std::string>& args);

}  // namespace zul::cli
