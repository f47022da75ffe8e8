#include "cli/ShowCommand.h"

#include <cstdio>

#include "cli/ArchiveCommand.h"
#include "events/DiagnosticFile.h"
#include "events/InterventionFile.h"
#include "tables/ArchiveFile.h"
#include "tables/TableImage.h"

namespace zul::cli {

const char* const kShowHelp =
    "Usage: zul show FILE\n"
    "Prints an archive or event file as its viewer shows it: the caption, then one line\n"
    "per grid row with the cells separated by TAB (UTF-8). Kinds: .ala .aud .mch .hch .dch .clb .mwm .hwm .dwm\n";

// Prints the refusal or the open failure; true when the file was read.
bool Readable(ArchiveFileStatus s, const std::string& path, const char* refusal2) {
    if (s == ArchiveFileStatus::kCannotOpen) {
        std::fprintf(stderr, "Ошибка открытия файла\n");
        return false;
    }
    if (s == ArchiveFileStatus::kRefused) {
        std::fprintf(stderr, "Файл %s не является файлом, содержащим %s\n", FileNameOnly(path).c_str(), refusal2);
        return false;
    }
    return true;
}

namespace {

int ShowDiagnostic(const std::string& path, const TableImage& image) {
    DiagnosticView v;
    if (!Readable(ReadDiagnosticFile(path, image, v), path, kDiagnosticRefusal2)) return 1;
    std::fputs(DiagnosticShowText(v).c_str(), stdout);
    return 0;
}

int ShowIntervention(const std::string& path, const TableImage& image) {
    InterventionView v;
    if (!Readable(ReadInterventionFile(path, image, v), path, kInterventionRefusal2)) return 1;
    std::fputs(InterventionShowText(v).c_str(), stdout);
    return 0;
}

struct Kind {
    const char* extension;
    int (*show)(const std::string& path, const TableImage& image);
};

// One line per kind of file.
const Kind kKinds[] = {
    {".ala", ShowDiagnostic},
    {".mch", ShowMeasurementFile},
    {".hch", ShowHourlyFile},
    {".dch", ShowDailyFile},
    {".clb", ShowCalibrationFile},
    {".mwm", ShowMoistMeasurementFile},
    {".hwm", ShowMoistHourlyFile},
    {".dwm", ShowMoistDailyFile},
    {".aud", ShowIntervention},
};

}  // namespace

int RunShowCommand(const std::vector<std::string>& args) {
    if (args.size() == 1 && args[0] == "--help") {
        std::fputs(kShowHelp, stdout);
        return 0;
    }
    if (args.size() != 1) {
        std::fputs(kShowHelp, stderr);
        return 2;
    }
    const std::string& path = args[0];
    const std::string ext = ExtensionOf(path);
    // No controller is asked: the table image holds nothing (chromatograph type 0).
    const TableImage image;
    for (const Kind& k : kKinds)
        if (ext == k.extension) return k.show(path, image);
    std::fprintf(stderr, "zul show: unknown kind of file %s\n", path.c_str());
    std::fputs(kShowHelp, stderr);
    return 2;
}

}  // namespace zul::cli
