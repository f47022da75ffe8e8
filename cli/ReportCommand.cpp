#include "cli/ReportCommand.h"

#include <cstdio>
#include <cstring>
#include <optional>

#include "cli/TerminalUi.h"
#include "measurements/ReportRead.h"
#include "shell/ConnectionStart.h"
#include "shell/Folders.h"
#include "store/StoreReport.h"
#include "tables/ArchiveFile.h"
#include "tables/Conffun.h"
#include "tables/Dtfun.h"
#include "tables/TableImage.h"

namespace zul::cli {

const char* const kReportHelp =
    "Usage: zul [LINK OPTIONS] report day \"YYYY-MM-DD\" --object NAME -o BOOK.xlsx\n"
    "       zul [LINK OPTIONS] report month \"YYYY-MM\" --object NAME -o BOOK.xlsx\n"
    "       zul report day|month DATE --object NAME -o BOOK.xlsx --store STORE [--mac MAC]\n"
    "Reads the hourly and daily records of a gas day (day) or the daily records of a\n"
    "month (month) from the chromatograph, and from the moisture meter when one is\n"
    "connected, and fills them into the template \"day_report_title.xlsx\" or\n"
    "\"mon_report_title.xlsx\" (found in the program folder, else in the data folder\n"
    "beside the programs). An existing BOOK is replaced (\".xlsx\" added to a name\n"
    "without one). With --store the records come from the archive store (\"\" for the\n"
    "default one in the program folder) instead of the controller: those of controller\n"
    "MAC, or of the one controller the store holds.\n";

namespace {

constexpr int kOk = 0, kFail = 1;

std::string ProgramFolder() { return ChooseProgramFolder(ProgramFolderSourcesFromEnvironment("")); }

int Usage(const std::string& what) { return CommandUsage("report", kReportHelp, what); }

// "YYYY-MM-DD" (day) or "YYYY-MM" (month) into year - 2000, month, day.
bool ParseReportDate(const std::string& text, bool month, uint8_t* date) {
    int y = 0, m = 0, d = 1;
    char tail = 0;
    const int n = month ? std::sscanf(text.c_str(), "%4d-%2d%c", &y, &m, &tail)
                        : std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &tail);
    if (n != (month ? 2 : 3) || y < 2000 || y > 2099 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m))
        return false;
    date[0] = uint8_t(y - 2000);
    date[1] = uint8_t(m);
    date[2] = uint8_t(d);
    return true;
}

}  // namespace

bool ReportFromStore(const std::vector<std::string>& args) {
    for (size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == "--store") return true;
    return false;
}

int RunReportCommand(TableIo& io, TerminalUi& ui, const std::vector<std::string>& args, bool argumentsOnly) {
    if (args.empty() || (args[0] != "day" && args[0] != "month")) return Usage("day or month expected");
    const bool month = args[0] == "month";
    uint8_t date[4] = {};
    std::string object, out, mac;
    std::optional<std::string> store;
    bool dated = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--object" && i + 1 < args.size()) object = args[++i];
        else if (a == "-o" && i + 1 < args.size()) out = args[++i];
        else if (a == "--store" && i + 1 < args.size()) store = args[++i];
        else if (a == "--mac" && i + 1 < args.size()) mac = args[++i];
        else if (!dated && ParseReportDate(a, month, date)) dated = true;
        else return Usage("unexpected argument " + a);
    }
    if (!dated) return Usage(month ? "give the month as \"YYYY-MM\"" : "give the day as \"YYYY-MM-DD\"");
    if (object.empty()) return Usage("give --object NAME");
    if (out.empty()) return Usage("give -o BOOK.xlsx");
    if (!mac.empty() && !store) return Usage("--mac goes with --store");
    if (argumentsOnly) return 0;

    const char* name = month ? kMonthTemplate : kDayTemplate;
    const std::string templatePath = FindDataFile(name);
    if (templatePath.empty()) {
        ShowMissingTemplate(ui, name);
        return kFail;
    }
    if (store) {
        std::string why;
        auto held = OpenArchiveStore(store->empty() ? DefaultStorePath(ProgramFolder()) : *store, why);
        if (!held) {
            std::fprintf(stderr, "zul: %s\n", why.c_str());
            return kFail;
        }
        ParameterUnits units;
        ReportSheet sheet;
        if (!StoredReportController(*held, mac, ui)) return kFail;
        if (month) {
            MonthReportData d;
            if (!StoredMonthReport(*held, mac, date, ui, d, units)) return kFail;
            sheet = MonthReportCells(d, units, object);
        } else {
            DayReportData d;
            if (!StoredDayReport(*held, mac, date, ui, d, units)) return kFail;
            sheet = DayReportCells(d, units, object);
        }
        return ProduceReport(ui, templatePath, sheet, WithExtension(out, ".xlsx"), false) ? kOk : kFail;
    }
    if (!IdentifyFirst(io, ui)) return kFail;
    AvailableRange days;
    if (!ReadAvailableRange(io, kUnitDay, days)) return kFail;
    if (ReportDateOutside(days, date, month)) {
        ui.ShowMessageBox(kMsgInputError, "В архиве нет данных за указанную дату",
                          "(см. период имеющихся в архиве данных)");
        return kFail;
    }
    date[3] = io.image().Byte(6, 6);  // the contract hour
    MemoryStatusBar bar;
    ReportFetch fetch(io, ui, &bar, ProgramFolder());
    ReportSheet sheet;
    if (month) {
        MonthReportData d;
        if (!fetch.ReadMonth(date, days, d)) return kFail;
        sheet = MonthReportCells(d, fetch.Units(), object);
    } else {
        DayReportData d;
        if (!fetch.ReadDay(date, d)) return kFail;
        sheet = DayReportCells(d, fetch.Units(), object);
    }
    return ProduceReport(ui, templatePath, sheet, WithExtension(out, ".xlsx"), false) ? kOk : kFail;
}

}  // namespace zul::cli
