#include "cli/CheckCommand.h"

#include <cstdio>

#include "cli/ArchiveCommand.h"
#include "cli/ShowCommand.h"
#include "events/DiagnosticFile.h"
#include "events/InterventionFile.h"
#include "measurements/Completeness.h"
#include "tables/ArchiveFile.h"
#include "tables/TableImage.h"

namespace zul::cli {

const char* const kCheckHelp =
    "Usage: zul check FILE.mch|.hch|.dch|.clb|.mwm|.hwm|.dwm|.ala|.aud\n"
    "Tells whether an archive file is whole. On stdout:\n"
    "  expected: N     slots of the file's period at the archive's step, both ends included\n"
    "  received: N     records in the file (duplicates and bad ones included)\n"
    "  invalid: N      records with a bad check\n"
    "  gaps: K         then K lines \"GAP FIRST LAST COUNT\" (moments DD.MM.YYYY HH:MM:SS)\n"
    "On stderr: duplicates, records out of order or off the grid, and the stretches\n"
    "the controller was off (\"OFF FIRST LAST COUNT\"). Exit status 0 when nothing is\n"
    "missing or invalid, 1 otherwise or when the file cannot be read, 2 bad usage.\n"
    "Event files (.ala .aud) have no grid and keep no controller indexes: the rows\n"
    "their header counts are expected, and a gap names the missing rows by number\n"
    "in the file (from 1).\n";

namespace {

int Print(const CompletenessReport& r) {
    std::fputs(CompletenessText(r).c_str(), stdout);
    std::fflush(stdout);
    std::fputs(CompletenessDetails(r).c_str(), stderr);
    return r.Whole() ? 0 : 1;
}

// An event file, or -1 when the name is not one.
int CheckEventFile(const std::string& path) {
    const TableImage image;
    const std::string ext = ExtensionOf(path);
    if (ext == ".ala") {
        DiagnosticView v;
        return Readable(ReadDiagnosticFile(path, image, v), path, kDiagnosticRefusal2) ? Print(v.Completeness()) : 1;
    }
    if (ext == ".aud") {
        InterventionView v;
        return Readable(ReadInterventionFile(path, image, v), path, kInterventionRefusal2) ? Print(v.Completeness())
                                                                                            : 1;
    }
    return -1;
}

}  // namespace

int RunCheckCommand(const std::vector<std::string>& args) {
    if (args.size() == 1 && args[0] == "--help") {
        std::fputs(kCheckHelp, stdout);
        return 0;
    }
    if (args.size() == 1) {
        const int status = CheckEventFile(args[0]);
        if (status >= 0) return status;
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
    return Print(CheckChromCompleteness(kind, d.header, d.rows.data(), d.present));
}

}  // namespace zul::cli
