#include "cli/ArchiveCommand.h"

#include <cstdio>

#include "cli/CliDates.h"
#include "cli/TerminalUi.h"
#include "events/PeriodChoice.h"
#include "link/Clock.h"
#include "link/IniFile.h"
#include "measurements/ChromFetch.h"
#include "measurements/MoistRecords.h"
#include "measurements/XlsxExport.h"
#include "shell/ConnectionStart.h"
#include "shell/Folders.h"
#include "tables/ArchiveFile.h"
#include "tables/Conffun.h"
#include "tables/Dtfun.h"
#include "tables/TableImage.h"

namespace zul::cli {

const char* const kArchiveHelp =
    "Usage: zul [LINK OPTIONS] archive meas|clb --period \"YYYY-MM-DD HH:MM:SS\" \"YYYY-MM-DD HH:MM:SS\" [--moisture] [-o FILE]\n"
    "       zul [LINK OPTIONS] archive hour|day --from FIRST --to LAST [--moisture] [--yes] [-o FILE]\n"
    "Reads the chromatograph's measurements (meas) or calibrations (clb) of a period\n"
    "(command 8), or its hourly (hour, \"YYYY-MM-DD HH\") or daily (day, \"YYYY-MM-DD\")\n"
    "averages (commands 15 and 16); with --moisture the moisture meter's measurements,\n"
    "hourly or daily averages. Without -o the rows are printed as \"zul show\" prints\n"
    "them; with -o the archive file is written (.mch .clb .hch .dch .mwm .hwm .dwm added\n"
    "to a name without extension). The order question of the hourly and daily reads is answered\n"
    "\"Нет\", or \"Да\" with --yes. Ctrl+C stops a read after the current exchange.\n";

const char* const kExportHelp =
    "Usage: zul export FILE.mch|.hch|.dch -o BOOK.xlsx\n"
    "Writes the table of a measurement, hourly or daily file into a workbook as\n"
    "\"Сохранить в формате Excel\" of its viewer does (\".xlsx\" added to a name without one).\n";

namespace {

constexpr int kOk = 0, kFail = 1;
const char* const kOrderQuestion = "Передаваемые контроллером данные не соответствуют";


// The terminal's port that answers the order question "Да" (--yes).
class OrderAnswerUi : public UserInterface {
public:
    OrderAnswerUi(UserInterface& inner, bool yes) : inner_(inner), yes_(yes) {}
    bool ShowMessageBox(int kind, const std::string& l1, const std::string& l2) override {
        inner_.ShowMessageBox(kind, l1, l2);
        answerFlag = yes_ && kind == kMsgQuestion && l1 == kOrderQuestion;
        return answerFlag;
    }
    void ProcessEvents() override { inner_.ProcessEvents(); }
    bool StopRequested() const override { return inner_.StopRequested(); }
    void ClearStopRequest() override { inner_.ClearStopRequest(); }
    void BeginArchiveRead(int max) override { inner_.BeginArchiveRead(max); }
    void EndArchiveRead() override { inner_.EndArchiveRead(); }
    void StartMessageTimer() override { inner_.StartMessageTimer(); }
    void SetProgress(int v, int m) override { inner_.SetProgress(v, m); }
    void SetBusyCursor(bool b) override { inner_.SetBusyCursor(b); }

private:
    UserInterface& inner_;
    bool yes_;
};

}  // namespace

bool ReadChromFile(const std::string& path, ChromTableKind kind, const TableImage& image, ArchiveFileData& d) {
    switch (ReadArchiveFile(path, ChromArchiveKind(kind), image, ChromRecordSize(kind), d)) {
    case ArchiveFileStatus::kCannotOpen:
        std::fprintf(stderr, "Ошибка открытия файла\n");
        return false;
    case ArchiveFileStatus::kRefused:
        std::fprintf(stderr, "Файл %s не является файлом, содержащим %s\n", FileNameOnly(path).c_str(),
                     ChromRefusalLine(kind));
        return false;
    case ArchiveFileStatus::kOk: break;
    }
    return true;
}

bool ChromKindOfPath(const std::string& path, ChromTableKind& kind) {
    const size_t dot = path.find_last_of('.');
    const std::string ext = dot == std::string::npos ? "" : path.substr(dot);
    for (ChromTableKind k : {kChromMeasurement, kChromHourly, kChromDaily, kChromCalibration, kMoistMeasurement,
                             kMoistHourly, kMoistDaily})
        if (ext == ChromFileExtension(k)) {
            kind = k;
            return true;
        }
    return false;
}

namespace {

// The rows of a table of either instrument as `zul show` prints them.
std::string ShowText(ChromTableKind kind, const ArchiveFileHeader& header, const uint8_t* records, size_t count) {
    if (IsMoistKind(kind)) return MoistShowText(MoistTable(kind, header, records, count));
    return ChromShowText(ChromTable(kind, header, records, count));
}

int ShowFile(const std::string& path, const TableImage& image, ChromTableKind kind) {
    ArchiveFileData d;
    if (!ReadChromFile(path, kind, image, d)) return kFail;
    std::fputs(ShowText(kind, d.header, d.rows.data(), d.present).c_str(), stdout);
    return kOk;
}

}  // namespace

int ShowMeasurementFile(const std::string& p, const TableImage& i) { return ShowFile(p, i, kChromMeasurement); }
int ShowHourlyFile(const std::string& p, const TableImage& i) { return ShowFile(p, i, kChromHourly); }
int ShowDailyFile(const std::string& p, const TableImage& i) { return ShowFile(p, i, kChromDaily); }
int ShowCalibrationFile(const std::string& p, const TableImage& i) { return ShowFile(p, i, kChromCalibration); }
int ShowMoistMeasurementFile(const std::string& p, const TableImage& i) { return ShowFile(p, i, kMoistMeasurement); }
int ShowMoistHourlyFile(const std::string& p, const TableImage& i) { return ShowFile(p, i, kMoistHourly); }
int ShowMoistDailyFile(const std::string& p, const TableImage& i) { return ShowFile(p, i, kMoistDaily); }

int RunArchiveCommand(TableIo& io, TerminalUi& ui, const std::vector<std::string>& args, bool argumentsOnly) {
    auto usage = [](const std::string& what) { return CommandUsage("archive", kArchiveHelp, what); };
    if (args.empty()) return usage("meas, clb, hour or day expected");
    ChromTableKind kind;
    if (args[0] == "meas") kind = kChromMeasurement;
    else if (args[0] == "clb") kind = kChromCalibration;
    else if (args[0] == "hour") kind = kChromHourly;
    else if (args[0] == "day") kind = kChromDaily;
    else return usage("meas, clb, hour or day expected");
    const bool byPeriod = kind == kChromMeasurement || kind == kChromCalibration;
    std::string a1, a2, out;
    bool yes = false, period = false, from = false, to = false, moisture = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-o" && i + 1 < args.size()) out = args[++i];
        else if (a == "--period" && byPeriod && i + 2 < args.size()) period = true, a1 = args[++i], a2 = args[++i];
        else if (a == "--from" && !byPeriod && i + 1 < args.size()) from = true, a1 = args[++i];
        else if (a == "--to" && !byPeriod && i + 1 < args.size()) to = true, a2 = args[++i];
        else if (a == "--yes" && !byPeriod) yes = true;
        else if (a == "--moisture" && kind != kChromCalibration) moisture = true;
        else return usage("unexpected argument " + a);
    }
    // The moisture meter's twins of meas, hour and day.
    if (moisture) kind = ChromTableKind(kind + kMoistMeasurement);
    PeriodInput input;
    ShortPeriod range;
    const int unit = ChromTwin(kind) == kChromDaily ? kUnitDay : kUnitHour;
    if (byPeriod) {
        if (!period) return usage("give --period START END");
        if (!ParseMoment(a1, input.startDate, input.startHour, input.startMinute, input.startSecond) ||
            !ParseMoment(a2, input.endDate, input.endHour, input.endMinute, input.endSecond))
            return usage("dates as \"YYYY-MM-DD HH:MM:SS\"");
    } else {
        if (!from || !to) return usage("give --from FIRST --to LAST");
        if (!ParseUnit(a1, unit, range.start) || !ParseUnit(a2, unit, range.end))
            return usage(unit == kUnitHour ? "hours as \"YYYY-MM-DD HH\"" : "days as \"YYYY-MM-DD\"");
    }
    if (argumentsOnly) return 0;

    // What the window holds before an archive read: identity and the base tables.
    if (!IdentifyFirst(io, ui)) return kFail;
    MemoryStatusBar bar;
    OrderAnswerUi answers(ui, yes);
    ChromFetch fetch(io, answers, &bar, SystemClock::Instance(),
                     ChooseProgramFolder(ProgramFolderSourcesFromEnvironment("")));
    ChromFetchResult r;
    bool fetched;
    if (byPeriod) {
        const PeriodCheck c = CheckPeriod(input);
        if (!c.ok) {
            ui.ShowMessageBox(kMsgInputError, c.line1, c.line2);
            return kFail;
        }
        fetched = fetch.ReadClock() && fetch.ByPeriod(kind, c.start, c.end, r);
    } else {
        AvailableRange available;
        if (!ReadAvailableRange(io, unit, available)) return kFail;
        const ShortDateCheck c = ShortDateAccept(available, unit, range);
        if (c != kShortDateOk) {
            ui.ShowMessageBox(kMsgInputError, ShortDateCheckLine(c, 0), ShortDateCheckLine(c, 1));
            return kFail;
        }
        fetched = fetch.ByRange(kind, range, r);
        // The window shows nothing when the first reply is empty; here it is said.
        if (!fetched && r.end == ReadEnd::kEmpty) ui.ShowMessageBox(kMsgPlain, "Нет данных за указанный период", "");
    }
    if (!fetched) return kFail;
    if (out.empty()) {
        std::fputs(ShowText(kind, r.header, r.records.data(), r.header.RecordCount()).c_str(), stdout);
    } else if (!WriteArchiveFile(WithExtension(out, ChromFileExtension(kind)), r.header, r.records.data(),
                                 r.records.size())) {
        ui.ShowMessageBox(kMsgError, "Ошибка открытия файла", "");
        return kFail;
    }
    if (r.end == ReadEnd::kStopped) ui.ShowMessageBox(kMsgPlain, ChromReadTitle(kind), "прочитаны не полностью");
    return r.end == ReadEnd::kFailed || r.end == ReadEnd::kStopped ? kFail : kOk;
}

int RunExportCommand(const std::vector<std::string>& args) {
    auto usage = [](const std::string& what) { return CommandUsage("export", kExportHelp, what); };
    if (args.size() == 1 && args[0] == "--help") {
        std::fputs(kExportHelp, stdout);
        return kOk;
    }
    if (args.size() != 3 || args[1] != "-o") return usage("FILE -o BOOK.xlsx expected");
    const std::string& path = args[0];
    ChromTableKind kind;
    if (!ChromKindOfPath(path, kind) || kind == kChromCalibration || IsMoistKind(kind)) return usage("a .mch, .hch or .dch file expected");
    const TableImage image;  // no controller: chromatograph type 0
    ArchiveFileData d;
    if (!ReadChromFile(path, kind, image, d)) return kFail;
    const ChromTable t(kind, d.header, d.rows.data(), d.present);
    if (!WriteChromWorkbook(t, WithExtension(args[2], ".xlsx"), nullptr)) {
        std::fprintf(stderr, "Ошибка работы с файлом!\n");
        return kFail;
    }
    return kOk;
}

}  // namespace zul::cli
