#include "cli/CheckCommand.h"

#include <cstdio>

#include "cli/ArchiveCommand.h"
#include "measurements/Completeness.h"
#include "tables/ArchiveFile.h"
#include "tables/TableImage.h"

namespace zul::cli {

const char* const kCheckHelp =
    "Usage: zul check FILE.mch|.hch|.dch|.clb|.mwm|.hwm|.dwm\n"
    "Tells whether an archive file is whole. On stdout:\n"
    "  expected: N     slots of the file's period at the archive's step, both ends included\n"
    "  received: N     records in the file (duplicates and bad ones included)\n"
    "  invalid: N      records with a bad check\n"
    "  gaps: K         then K lines \"GAP FIRST LAST COUNT\" (moments DD.MM.YYYY HH:MM:SS)\n"
    "On stderr: duplicates, records out of order or off the grid, and the stretches\n"
    "the controller was off (\"OFF FIRST LAST COUNT\"). Exit status 0 when nothing is\n"
    "missing or invalid, 1 otherwise or when the file cannot be read, 2 bad usage.\n";

int RunCheckCommand(const std::vector<std::string>& args) {
    if (args.size() == 1 && args[0] == "--help") {
        std::fputs(kCheckHelp, stdout);
        return 0;
    }
    ChromTableKind kind;
    if (args.size() != 1 || !ChromKindOfPath(args[0], kind)) {
        if (args.size() == 1) std::fprintf(stderr, "zul check: unknown kind of file %s\n", args[0].c_str());
        std::fputs(kCheckHelp, stderr);
        return 2;
    }
    const TableImage image;  // no controller: chromatograph type 0
    ArchiveFileData d;
    if (!ReadChromFile(args[0], kind, image, d)) return 1;
    const CompletenessReport r = CheckChromCompleteness(kind, d.header, d.rows.data(), d.present);
    std::fputs(CompletenessText(r).c_str(), stdout);
    std::fflush(stdout);
    std::fputs(CompletenessDetails(r).c_str(), stderr);
    return r.Whole() ? 0 : 1;
}

}  // namespace zul::cli
