#include "cli/LiveCommand.h"

#include <array>
#include <cstdio>
#include <cstring>

#include "cli/TerminalUi.h"
#include "editors/LiveData.h"
#include "link/Qrtbox.h"
#include "shell/ConnectionStart.h"
#include "tables/Conffun.h"
#include "tables/TableImage.h"

namespace zul::cli {

const char* const kLiveHelp =
    "Usage: zul [LINK OPTIONS] live chrom|moist|state\n"
    "One poll of a live view, printed as the view shows it: the caption, then one\n"
    "line per row with its cells separated by TAB (UTF-8).\n"
    "  chrom   latest chromatograph values and zones (tables 30, 32)\n"
    "  moist   latest moisture-meter values (table 37)\n"
    "  state   the controller's state (tables 16, 33)\n";

namespace {

// The opening checks of the two data views: the link with the instrument.
bool InstrumentLinked(TableIo& io, int field, const char* line1) {
    const uint8_t req[3] = {33, uint8_t(field), 1};
    if (!io.ReadFields(req, nullptr, true)) return false;
    if (io.image().Byte(33, field) == 0) {
        io.ui().ShowMessageBox(kMsgPlain, line1, "(см. текущее состояние контроллера)");
        return false;
    }
    return true;
}

}  // namespace

bool LiveArgsOk(const std::vector<std::string>& args) {
    return args.size() == 1 && (args[0] == "chrom" || args[0] == "moist" || args[0] == "state");
}

int RunLive(TableIo& io, TerminalUi& ui, const std::vector<std::string>& args) {
    if (!IdentifyFirst(io, ui)) return Failed(io.box(), ui);
    TableImage& image = io.image();
    std::string text;
    if (args[0] == "chrom") {
        if (!InstrumentLinked(io, 0, "Нет связи с хроматографом")) return Failed(io.box(), ui);
        if (std::memcmp(image.Data(41), "\0\0\0\0", 4) == 0) {
            const uint8_t req41[3] = {41, 0, 1};
            io.ReadFields(req41, nullptr, true);
        }
        if (!PollChromValues(io) || !PollChromZones(io)) return Failed(io.box(), ui);
        text = ChromViewText(image, image.Data(30), true);
    } else if (args[0] == "moist") {
        if (!InstrumentLinked(io, 1, "Нет связи с влагомером")) return Failed(io.box(), ui);
        if (!PollMoist(io)) return Failed(io.box(), ui);
        text = MoistViewText(image, image.Data(37), true);
    } else {
        if (!PollState(io) || !PollLinks(io)) return Failed(io.box(), ui);
        text = StateViewText(image);
    }
    std::fputs(text.c_str(), stdout);
    return kExitOk;
}

}  // namespace zul::cli
