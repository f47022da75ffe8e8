#include "cli/StoreCommand.h"

#include <cstdio>

#include "cli/CliDates.h"
#include "cli/TerminalUi.h"
#include "link/Clock.h"
#include "link/IniFile.h"
#include "measurements/Completeness.h"
#include "shell/ConnectionStart.h"
#include "shell/Folders.h"
#include "store/Collector.h"
#include "store/StoreFiles.h"
#include "tables/ArchiveFile.h"
#include "tables/Conffun.h"
#include "tables/TableImage.h"

namespace zul::cli {

const char* const kCollectHelp =
    "Usage: zul [LINK OPTIONS] collect [--store STORE] [--kinds KIND,...] [--since \"YYYY-MM-DD HH:MM:SS\"]\n"
    "Collects into the archive store what the controller holds that the store does not:\n"
    "the event archives from the newest index held + 1, the others from the last moment\n"
    "held; the first collection of a kind takes the whole window the controller still\n"
    "holds, or what lies from --since. Records held with a failed check are asked for\n"
    "again while the controller has them, until three damaged copies have come.\n"
    "KIND: diag interv meas hour day clb wmeas whour wday (default: every kind the\n"
    "controller has). STORE: an SQLite file (created when missing); default\n"
    "\"archive-store.sqlite\" in the program folder. Records are kept as they arrive, whole\n"
    "replies only: a collection cut short keeps what arrived and exits 1. On stdout:\n"
    "  controller<TAB>MAC<TAB>NAME\n"
    "  KIND<TAB>NEW<TAB>HELD<TAB>FIRST<TAB>LAST      one line per kind collected\n";

const char* const kStoreHelp =
    "Usage: zul store list [--store STORE]\n"
    "       zul store check [--store STORE]\n"
    "       zul store export MAC KIND --period START END -o FILE [--store STORE]\n"
    "list: one line per controller and kind held, MAC<TAB>KIND<TAB>HELD<TAB>FIRST<TAB>LAST<TAB>GAPS.\n"
    "check: the lines of \"zul check\" for everything held of each controller and kind, each\n"
    "block after a line MAC<TAB>KIND; exit 1 when something is missing or has a bad check.\n"
    "export: the program's own file of KIND for the period (both ends included, moments\n"
    "\"YYYY-MM-DD HH:MM:SS\"; hours \"YYYY-MM-DD HH\" and days \"YYYY-MM-DD\" also for\n"
    "hour, day, whour and wday), the records byte for byte as a read of that period\n"
    "writes them; the kind's extension is added to a name without one.\n";

namespace {

constexpr int kOk = 0, kFail = 1;

std::string ProgramFolder() { return ChooseProgramFolder(ProgramFolderSourcesFromEnvironment("")); }

std::unique_ptr<ArchiveStore> OpenStore(const std::string& location) {
    std::string why;
    auto store = OpenArchiveStore(location.empty() ? DefaultStorePath(ProgramFolder()) : location, why);
    if (!store) std::fprintf(stderr, "zul: %s\n", why.c_str());
    return store;
}

bool ParseKinds(const std::string& text, std::vector<ArchiveKind>& kinds) {
    size_t from = 0;
    for (;;) {
        const size_t comma = text.find(',', from);
        ArchiveKind k;
        if (!ArchiveKindByName(text.substr(from, comma - from), k)) return false;
        kinds.push_back(k);
        if (comma == std::string::npos) return true;
        from = comma + 1;
    }
}

// One held key, or "-" when nothing is held.
std::string KeyOrDash(ArchiveKind kind, const KindSummary& s, bool last) {
    return s.held == 0 ? "-" : StoreKeyText(kind, last ? s.last : s.first);
}

// A period end: a moment, or for the hour and day kinds also the hour or day.
bool ParseEnd(const std::string& text, ArchiveKind kind, PackedDateTime& out) {
    if (ParsePackedMoment(text, out)) return true;
    const int bytes = KindInfo(kind).periodBytes;
    uint8_t unit[5];
    if (bytes == 6 || !ParseUnit(text, bytes == 4 ? kUnitHour : kUnitDay, unit)) return false;
    out = PackedDateTime{unit[0], unit[1], unit[2], unit[3], 0, 0};
    return true;
}

int Export(const std::vector<std::string>& args, const std::string& location) {
    auto usage = [](const std::string& what) { return CommandUsage("store", kStoreHelp, what); };
    if (args.size() != 8 || args[3] != "--period" || args[6] != "-o")
        return usage("export MAC KIND --period START END -o FILE expected");
    const std::string& mac = args[1];
    ArchiveKind kind;
    if (!ArchiveKindByName(args[2], kind)) return usage("unknown kind " + args[2]);
    PackedDateTime start{}, end{};
    if (!ParseEnd(args[4], kind, start) || !ParseEnd(args[5], kind, end))
        return usage("dates as \"YYYY-MM-DD HH:MM:SS\"");
    if (SecondsOfPacked(end.data()) < SecondsOfPacked(start.data())) return usage("the period ends before it starts");
    auto store = OpenStore(location);
    if (!store) return kFail;
    StoredPeriod p;
    if (!LoadStoredPeriod(*store, mac, kind, start, end, ToPacked(SystemClock::Instance().LocalNow()), p)) {
        std::fprintf(stderr, "zul: %s\n", store->errorText().c_str());
        return kFail;
    }
    if (p.count == 0) {
        std::fprintf(stderr, "Нет данных за указанный период\n");
        return kFail;
    }
    if (!WriteFileAtomically(WithExtension(args[7], KindInfo(kind).extension), StoredPeriodFileBytes(p))) {
        std::fprintf(stderr, "Ошибка открытия файла\n");
        return kFail;
    }
    return kOk;
}

// list and check: every controller and every kind held.
int ListOrCheck(bool check, const std::string& location) {
    auto store = OpenStore(location);
    if (!store) return kFail;
    std::vector<StoreController> controllers;
    if (!store->Controllers(controllers)) {
        std::fprintf(stderr, "zul: %s\n", store->errorText().c_str());
        return kFail;
    }
    bool whole = true;
    for (const StoreController& c : controllers)
        for (int k = 0; k < kArchiveKindCount; ++k) {
            const ArchiveKind kind = ArchiveKind(k);
            KindSummary s;
            CompletenessReport r;
            if (!store->Summary(c.mac, kind, s) || (s.held > 0 && !CheckStoredKind(*store, c.mac, kind, r))) {
                std::fprintf(stderr, "zul: %s\n", store->errorText().c_str());
                return kFail;
            }
            if (s.held == 0) continue;
            if (check) {
                std::printf("%s\t%s\n%s", c.mac.c_str(), KindInfo(kind).name, CompletenessText(r).c_str());
                std::fflush(stdout);
                std::fputs(CompletenessDetails(r).c_str(), stderr);
                whole = whole && r.Whole();
            } else {
                std::printf("%s\t%s\t%llu\t%s\t%s\t%zu\n", c.mac.c_str(), KindInfo(kind).name,
                            static_cast<unsigned long long>(s.held), KeyOrDash(kind, s, false).c_str(),
                            KeyOrDash(kind, s, true).c_str(), r.gaps.size());
            }
        }
    return whole ? kOk : kFail;
}

}  // namespace

int RunStoreCommand(const std::vector<std::string>& all) {
    auto usage = [](const std::string& what) { return CommandUsage("store", kStoreHelp, what); };
    if (all.size() == 1 && all[0] == "--help") {
        std::fputs(kStoreHelp, stdout);
        return kOk;
    }
    // --store anywhere after the verb.
    std::vector<std::string> args;
    std::string location;
    for (size_t i = 0; i < all.size(); ++i) {
        if (all[i] == "--store" && i + 1 < all.size()) location = all[++i];
        else args.push_back(all[i]);
    }
    if (args.empty()) return usage("list, check or export expected");
    if (args[0] == "list" || args[0] == "check") {
        if (args.size() != 1) return usage("unexpected argument " + args[1]);
        return ListOrCheck(args[0] == "check", location);
    }
    if (args[0] == "export") return Export(args, location);
    return usage("list, check or export expected");
}

int RunCollectCommand(TableIo& io, TerminalUi& ui, const std::vector<std::string>& args, bool argumentsOnly) {
    auto usage = [](const std::string& what) { return CommandUsage("collect", kCollectHelp, what); };
    std::string location;
    std::vector<ArchiveKind> kinds;
    bool sinceSet = false;
    PackedDateTime since{};
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--store" && i + 1 < args.size()) location = args[++i];
        else if (a == "--kinds" && i + 1 < args.size()) {
            if (!ParseKinds(args[++i], kinds)) return usage("kinds among diag interv meas hour day clb wmeas whour wday");
        } else if (a == "--since" && i + 1 < args.size()) {
            if (!ParsePackedMoment(args[++i], since)) return usage("--since \"YYYY-MM-DD HH:MM:SS\"");
            sinceSet = true;
        } else if (a == "--subscribers") {
            return usage("--subscribers: collecting from the subscriber lists is not built yet");
        } else {
            return usage("unexpected argument " + a);
        }
    }
    if (argumentsOnly) return kOk;

    auto store = OpenStore(location);
    if (!store) return kFail;
    if (!IdentifyController(io, ui, nullptr) || !ReadBaseTables(io, ui, nullptr)) return kFail;
    MemoryStatusBar bar;
    Collector collector(io, ui, &bar, SystemClock::Instance(), ProgramFolder(), *store);
    if (sinceSet) collector.SetSince(SecondsOfPacked(since.data()));
    if (!collector.Begin()) return kFail;
    std::printf("controller\t%s\t%s\n", collector.controller().mac.c_str(), collector.controller().name.c_str());
    std::fflush(stdout);
    if (kinds.empty()) kinds = collector.KindsOfController();
    bool ok = true;
    for (ArchiveKind kind : kinds) {
        CollectedKind r;
        collector.Collect(kind, r);
        ok = ok && r.ok;
        if (r.ok || store->Summary(collector.controller().mac, kind, r.held))
            std::printf("%s\t%d\t%llu\t%s\t%s\n", KindInfo(kind).name, r.added,
                        static_cast<unsigned long long>(r.held.held), KeyOrDash(kind, r.held, false).c_str(),
                        KeyOrDash(kind, r.held, true).c_str());
        std::fflush(stdout);
        if (r.end == ReadEnd::kStopped) {
            ui.ShowMessageBox(kMsgPlain, "Сбор архивов в хранилище", "прерван");
            break;
        }
    }
    return ok ? kOk : kFail;
}

}  // namespace zul::cli
