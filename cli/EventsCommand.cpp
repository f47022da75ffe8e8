#include "cli/EventsCommand.h"

#include <cstdio>
#include <cstdlib>

#include "cli/CliDates.h"
#include "cli/TerminalUi.h"
#include "events/DiagnosticFile.h"
#include "events/EventFetch.h"
#include "events/IndexChoice.h"
#include "events/InterventionFile.h"
#include "events/PeriodChoice.h"
#include "link/Clock.h"
#include "link/IniFile.h"
#include "measurements/Completeness.h"
#include "shell/ConnectionStart.h"
#include "shell/Folders.h"
#include "tables/Conffun.h"
#include "tables/TableImage.h"

namespace zul::cli {

const char* const kEventsHelp =
    "Usage: zul [LINK OPTIONS] events diag|interv --index FIRST COUNT [-o FILE]\n"
    "       zul [LINK OPTIONS] events diag|interv --last N [-o FILE]\n"
    "       zul [LINK OPTIONS] events diag|interv --period \"YYYY-MM-DD HH:MM:SS\" \"YYYY-MM-DD HH:MM:SS\" [-o FILE]\n"
    "Reads the diagnostic (diag) or intervention (interv) archive: COUNT records (1..255)\n"
    "from global index FIRST (command 7), the newest N records (1..255), or the records of\n"
    "a period (command 8). Without -o the rows are printed as \"zul show\" prints them;\n"
    "with -o the event file is written (\".ala\" or \".aud\" added to a name without extension).\n"
    "Ctrl+C stops the read after the current exchange; what arrived is kept.\n";

namespace {

constexpr int kOk = 0, kFail = 1;

int Usage(const std::string& what) { return CommandUsage("events", kEventsHelp, what); }

bool ParseCount(const std::string& text, long& out) {
    char* end = nullptr;
    out = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && *end == 0 && out >= 1 && out <= 255;
}

}  // namespace

int RunEventsCommand(TableIo& io, TerminalUi& ui, const std::vector<std::string>& args, bool argumentsOnly) {
    if (args.empty() || (args[0] != "diag" && args[0] != "interv")) return Usage("diag or interv expected");
    const EventArchive archive = args[0] == "diag" ? kEventsDiagnostic : kEventsIntervention;
    enum { kNone, kIndex, kLast, kPeriod } how = kNone;
    std::string a1, a2, out;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-o" && i + 1 < args.size()) {
            out = args[++i];
        } else if ((a == "--index" || a == "--period") && i + 2 < args.size() && how == kNone) {
            how = a == "--index" ? kIndex : kPeriod;
            a1 = args[++i], a2 = args[++i];
        } else if (a == "--last" && i + 1 < args.size() && how == kNone) {
            how = kLast;
            a1 = args[++i];
        } else {
            return Usage(("unexpected argument " + a).c_str());
        }
    }
    if (how == kNone) return Usage("give --index, --last or --period");
    long n = 0;
    if (how == kLast && !ParseCount(a1, n)) return Usage("N must be 1..255");
    if (how == kIndex && !ParseCount(a2, n)) return Usage("COUNT must be 1..255");
    PeriodInput period;
    if (how == kPeriod &&
        (!ParseMoment(a1, period.startDate, period.startHour, period.startMinute, period.startSecond) ||
         !ParseMoment(a2, period.endDate, period.endHour, period.endMinute, period.endSecond)))
        return Usage("dates as \"YYYY-MM-DD HH:MM:SS\"");
    if (argumentsOnly) return kOk;

    // What the window holds before an archive read: identity and the base tables.
    if (!IdentifyFirst(io, ui)) return kFail;
    MemoryStatusBar bar;
    // The scratch file goes where the window's would: into the program folder.
    EventFetch fetch(io, ui, &bar, SystemClock::Instance(), ChooseProgramFolder(ProgramFolderSourcesFromEnvironment("")));
    EventFetchResult r;
    bool fetched;
    if (how == kPeriod) {
        const PeriodCheck c = CheckPeriod(period);
        if (!c.ok) {
            ui.ShowMessageBox(kMsgInputError, c.line1, c.line2);
            return kFail;
        }
        fetched = fetch.ReadClock() && fetch.ByPeriod(archive, c.start, c.end, r);
    } else {
        uint32_t oldest = 0, newest = 0;
        if (!fetch.ReadIndexes(archive, oldest, newest)) return kFail;
        std::string start = a1, count = a2;
        if (how == kLast) {
            // As "Последние N записей" of the index dialog.
            const uint32_t total = newest - oldest + 1;
            start = std::to_string(total < uint32_t(n) ? oldest : newest - uint32_t(n - 1));
            count = std::to_string(total < uint32_t(n) ? total : uint32_t(n));
        }
        const IndexCheck c = CheckIndexes(start, count, oldest, newest, true);
        if (!c.ok) {
            ui.ShowMessageBox(kMsgInputError, c.line1, c.line2);
            return kFail;
        }
        fetched = fetch.ByIndex(archive, c.start, c.count, r);
    }
    if (!fetched) return kFail;
    std::string text, bytes;
    CompletenessReport whole;
    if (archive == kEventsIntervention) {
        InterventionView v = InterventionViewFromRecords(r.mode, r.header, r.records.data(), r.firstIndex, io.image());
        v.requested = r.requested;
        text = out.empty() ? InterventionShowText(v) : std::string();
        bytes = out.empty() ? std::string() : InterventionFileBytes(v);
        whole = v.Completeness();
    } else {
        DiagnosticView v = DiagnosticViewFromRecords(r.mode, r.header, r.records.data(), r.firstIndex, io.image());
        v.requested = r.requested;
        text = out.empty() ? DiagnosticShowText(v) : std::string();
        bytes = out.empty() ? std::string() : DiagnosticFileBytes(v);
        whole = v.Completeness();
    }
    // The indexes asked for that did not come, as `zul check` names gaps.
    if (!whole.gaps.empty()) std::fputs(CompletenessText(whole).c_str(), stderr);
    if (out.empty()) {
        std::fputs(text.c_str(), stdout);
    } else if (!WriteFileAtomically(WithExtension(out, archive == kEventsIntervention ? ".aud" : ".ala"), bytes)) {
        ui.ShowMessageBox(kMsgError, "Ошибка открытия файла", "");
        return kFail;
    }
    // Stopped by Ctrl+C: the window says nothing after Esc, the command line says the read is short.
    if (r.end == ReadEnd::kStopped) ui.ShowMessageBox(kMsgPlain, EventTitle(archive), "прочитаны не полностью");
    return r.end == ReadEnd::kFailed || r.end == ReadEnd::kStopped ? kFail : kOk;
}

}  // namespace zul::cli
