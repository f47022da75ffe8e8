#include "cli/StoreCommand.h"

#include <cstdio>
#include <cstdlib>

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
    "controller has). STORE: an SQLite file (created when missing), a postgresql:// URI\n"
    "or a key=value connection string (\"host=/run/postgresql dbname=zul\"); default\n"
    "\"archive-store.sqlite\" in the program folder. Records are kept as they arrive, whole\n"
    "replies only: a collection cut short keeps what arrived and exits 1. On stdout:\n"
    "  controller<TAB>MAC<TAB>NAME\n"
    "  KIND<TAB>NEW<TAB>HELD<TAB>FIRST<TAB>LAST      one line per kind collected\n"
    "\n"
    "Usage: zul [TIMING OPTIONS] collect --subscribers ethernet|direct|phone [--jobs N] [--store STORE]\n"
    "       [--kinds KIND,...] [--since \"YYYY-MM-DD HH:MM:SS\"]\n"
    "Collects from every subscriber of the program's list of that kind (the direct line:\n"
    "the one controller of its settings), each over the link its settings describe;\n"
    "Ethernet subscribers up to N at once (default 1), a direct line or a modem one at a\n"
    "time. --reply-timeout-ms, --inter-byte-ms, --send-pause-ms and --connect-wait-s\n"
    "override the stored timings, --serial or --modem the stored port. Each subscriber's\n"
    "lines follow a line\n"
    "  subscriber<TAB>NAME<TAB>ok    or    subscriber<TAB>NAME<TAB>failed<TAB>MESSAGE\n"
    "in the list's order; one failure never stops the rest. A summary (subscribers ok\n"
    "and failed, records added, time) ends on stderr. Exit 0 when every subscriber was\n"
    "collected, 1 otherwise.\n";

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

std::string ProgramFolderOfRun() { return ChooseProgramFolder(ProgramFolderSourcesFromEnvironment("")); }

std::unique_ptr<ArchiveStore> OpenStore(const std::string& location) {
    std::string why;
    auto store = OpenArchiveStore(location.empty() ? DefaultStorePath(ProgramFolderOfRun()) : location, why);
    if (!store) std::fprintf(stderr, "zul: %s\n", why.c_str());
    return store;
}

namespace {

constexpr int kOk = 0, kFail = 1;

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

bool ParseCollectArgs(const std::vector<std::string>& args, CollectRequest& out, std::string& why) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool value = i + 1 < args.size();
        if (a == "--store" && value) {
            out.location = args[++i];
        } else if (a == "--kinds" && value) {
            if (!ParseKinds(args[++i], out.kinds)) {
                why = "kinds among diag interv meas hour day clb wmeas whour wday";
                return false;
            }
        } else if (a == "--since" && value) {
            if (!ParsePackedMoment(args[++i], out.since)) {
                why = "--since \"YYYY-MM-DD HH:MM:SS\"";
                return false;
            }
            out.sinceSet = true;
        } else if (a == "--subscribers" && value) {
            out.subscribers = args[++i];
            if (out.subscribers != "ethernet" && out.subscribers != "direct" && out.subscribers != "phone") {
                why = "--subscribers ethernet, direct or phone";
                return false;
            }
        } else if (a == "--jobs" && value) {
            char* end = nullptr;
            out.jobs = std::strtol(args[++i].c_str(), &end, 10);
            if (*end || out.jobs < 1 || out.jobs > 256) {
                why = "--jobs 1..256";
                return false;
            }
        } else {
            why = "unexpected argument " + a;
            return false;
        }
    }
    if (out.jobs != 1 && out.subscribers.empty()) {
        why = "--jobs goes with --subscribers";
        return false;
    }
    return true;
}

CollectOutcome CollectController(TableIo& io, UserInterface& ui, ArchiveStore& store, const CollectRequest& request,
                                 const std::string& scratchFolder, const std::function<void(const std::string&)>& line) {
    CollectOutcome out;
    if (!IdentifyFirst(io, ui)) return out;
    MemoryStatusBar bar;
    Collector collector(io, ui, &bar, SystemClock::Instance(), scratchFolder, store);
    if (request.sinceSet) collector.SetSince(SecondsOfPacked(request.since.data()));
    if (!collector.Begin()) return out;
    line("controller\t" + collector.controller().mac + "\t" + collector.controller().name);
    const std::vector<ArchiveKind> kinds = request.kinds.empty() ? collector.KindsOfController() : request.kinds;
    out.ok = true;
    for (ArchiveKind kind : kinds) {
        CollectedKind r;
        collector.Collect(kind, r);
        out.ok = out.ok && r.ok;
        out.added += r.added;
        if (r.ok || store.Summary(collector.controller().mac, kind, r.held))
            line(std::string(KindInfo(kind).name) + "\t" + std::to_string(r.added) + "\t" + std::to_string(r.held.held) +
                 "\t" + KeyOrDash(kind, r.held, false) + "\t" + KeyOrDash(kind, r.held, true));
        if (r.end == ReadEnd::kStopped) {
            ui.ShowMessageBox(kMsgPlain, "Сбор архивов в хранилище", "прерван");
            out.ok = false;
            out.stopped = true;
            break;
        }
    }
    return out;
}

int RunCollectCommand(TableIo& io, TerminalUi& ui, const std::vector<std::string>& args, bool argumentsOnly) {
    CollectRequest request;
    std::string why;
    if (!ParseCollectArgs(args, request, why)) return CommandUsage("collect", kCollectHelp, why);
    if (argumentsOnly) return kOk;

    auto store = OpenStore(request.location);
    if (!store) return kFail;
    const CollectOutcome r = CollectController(io, ui, *store, request, ProgramFolderOfRun(), [](const std::string& l) {
        std::printf("%s\n", l.c_str());
        std::fflush(stdout);
    });
    return r.ok ? kOk : kFail;
}

}  // namespace zul::cli
