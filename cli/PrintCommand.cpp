#include "cli/PrintCommand.h"
#include "cli/ShowCommand.h"
#include "cli/TerminalUi.h"

#include <cstdio>
#include <cstdlib>

#include <QGuiApplication>

#include "events/DiagnosticFile.h"
#include "events/EventReport.h"
#include "events/InterventionFile.h"
#include "events/ReportPainter.h"
#include "measurements/ChromFetch.h"
#include "measurements/MoistPrint.h"
#include "tables/ArchiveFile.h"
#include "shell/Folders.h"
#include "tables/Stringi.h"
#include "tables/TableImage.h"

namespace zul::cli {

const char* const kPrintHelp =
    "Usage: zul print FILE.ala|FILE.aud|FILE.hwm|FILE.dwm -o REPORT.pdf [--organisation TEXT]\n"
    "Writes the report that the viewer's \"Печать\" prints, as a PDF (\".pdf\" added to a\n"
    "name without extension). The organisation name defaults to the one the print\n"
    "dialog keeps in INI/title.ini of the program folder.\n";

namespace {

constexpr int kOk = 0, kFail = 1;

int Usage(const std::string& what) { return CommandUsage("print", kPrintHelp, what); }

}  // namespace

int RunPrintCommand(const std::vector<std::string>& args) {
    std::string file, out, organisation;
    bool organisationSet = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--help") {
            std::fputs(kPrintHelp, stdout);
            return kOk;
        } else if (args[i] == "-o" && i + 1 < args.size()) {
            out = args[++i];
        } else if (args[i] == "--organisation" && i + 1 < args.size()) {
            organisation = args[++i];
            organisationSet = true;
        } else if (file.empty() && !args[i].empty() && args[i][0] != '-') {
            file = args[i];
        } else {
            return Usage(("unexpected argument " + args[i]).c_str());
        }
    }
    if (file.empty() || out.empty()) return Usage("FILE and -o REPORT.pdf expected");
    const std::string ext = ExtensionOf(file);
    const ChromTableKind moist = ext == ".hwm" ? kMoistHourly : kMoistDaily;
    if (ext != ".ala" && ext != ".aud" && ext != ".hwm" && ext != ".dwm")
        return Usage("an .ala, .aud, .hwm or .dwm file expected");
    if (!organisationSet) {
        const std::string home = ChooseProgramFolder(ProgramFolderSourcesFromEnvironment(""));
        organisation = Cp1251ToUtf8(ReadOrganisationName(TitleIniPath(WorkFolderPath(home, kFolderIni))));
    }
    if (Utf8ToCp1251(organisation).size() > size_t(kOrganisationNameLength))
        organisation = Cp1251ToUtf8(Utf8ToCp1251(organisation).substr(0, kOrganisationNameLength));

    // No controller is asked: the table image holds nothing (chromatograph type 0).
    const TableImage image;
    ReportDocument doc;
    if (ext == ".ala") {
        DiagnosticView v;
        if (!Readable(ReadDiagnosticFile(file, image, v), file, kDiagnosticRefusal2)) return kFail;
        doc = BuildEventReport(kPrintDiagnostics, v.header.bytes.data(), v.GridRows(), organisation);
    } else if (ext == ".hwm" || ext == ".dwm") {
        ArchiveFileData d;
        const ArchiveFileStatus st =
            ReadArchiveFile(file, ChromArchiveKind(moist), image, ChromRecordSize(moist), d);
        if (!Readable(st, file, ChromRefusalLine(moist))) return kFail;
        doc = BuildMoistReport(MoistTable(moist, d.header, d.rows.data(), d.present), organisation);
    } else {
        InterventionView v;
        if (!Readable(ReadInterventionFile(file, image, v), file, kInterventionRefusal2)) return kFail;
        doc = BuildEventReport(kPrintInterventions, v.header.bytes.data(), v.GridRows(), organisation);
    }

    // Painting needs Qt's font machinery, never a display.
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "zul";
    static char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);
    if (!WriteReportPdf(doc, WithExtension(out, ".pdf"))) {
        std::fprintf(stderr, "Ошибка печати данных\n");
        return kFail;
    }
    return kOk;
}

}  // namespace zul::cli
