// `zul live chrom|moist|state`: one poll of a live view, printed as the view shows
// it (caption line, then TAB-separated rows).
#pragma once
#include <string>
#include <vector>

namespace zul {
class TableIo;
}

namespace zul::cli {

class TerminalUi;

extern const char* const kLiveHelp;
bool LiveArgsOk(const std::vector<std::string>& args);
int RunLive(TableIo& io, TerminalUi& ui, const std::vector<std::string>& args);

}  // namespace zul::cli
