#include "cli/CliCommon.h"

#include <cstdio>

#include "link/Qrtbox.h"
#include "shell/ConnectionStart.h"
#include "tables/Conffun.h"
#include "tables/TableImage.h"

namespace zul::cli {

bool TerminalUi::ShowMessageBox(int, const std::string& line1, const std::string& line2) {
    std::fprintf(stderr, "%s%s%s\n", line1.c_str(), line2.empty() ? "" : " ", line2.c_str());
    ++shown;
    answerFlag = false;
    return false;
}

int Failed(Qrtbox& box, TerminalUi& ui) {
    if (box.errorCode != 0 || ui.shown == 0) std::fprintf(stderr, "%s\n", box.ErrorText().c_str());
    return kExitLink;
}

bool PrepareController(TableIo& io) {
    const uint8_t req0[3] = {0, 0, 18};
    return io.ReadFields(req0, nullptr, true) && CheckControllerType(io.image(), io.ui()) &&
           ReadBaseTables(io, nullptr);
}

}  // namespace zul::cli
