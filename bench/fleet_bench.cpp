// The fleet: N simulated controllers served by one qrtsim process (--controllers N,
// a few days of archives each, the clock stopped), collected by
// `zul collect --subscribers ethernet --jobs J` into an SQLite file and into a
// PostgreSQL database (the tests' throwaway server), the subscriber lists 200 at
// a time (what one list holds) one after the other; then two collectors at once
// over the same 100 controllers into one PostgreSQL database, and a third after
// them. Prints the wall time, records per second and the CPU time of zul, of the
// simulators and of the database server; checks that the records each store
// holds per controller and kind (counted by the engine's own client) are the sum
// of what the collections added, and that every controller's measurement, hourly
// and daily archives were taken whole.
//
//   build/bench/fleet_bench [--controllers 1000] [--jobs 16] [--span-days 3] [--pair 100]
#include <dirent.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Process.h"
#include "core/support/PgServer.h"
#include "link/Rd_wr_ini.h"
#include "shell/Folders.h"

namespace {

namespace fs = std::filesystem;
using zul::test::Cells;
using zul::test::Lines;
using zul::test::Process;
using zul::test::RunResult;

using Counts = std::map<std::string, long>;  // "MAC KIND" -> records

double Now() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

// CPU seconds of a process (its own and its waited-for children's), from /proc.
double ProcessCpu(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string s((std::istreambuf_iterator<char>(in)), {});
    const size_t close = s.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream f(s.substr(close + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; f >> field; ++i)
        if (i >= 14 && i <= 17) ticks += std::atof(field.c_str());
    return ticks / double(sysconf(_SC_CLK_TCK));
}

// The children of this process whose name is `comm`.
std::vector<pid_t> Children(const std::string& comm) {
    std::vector<pid_t> out;
    DIR* d = opendir("/proc");
    for (dirent* e; d && (e = readdir(d));) {
        const pid_t pid = pid_t(std::atol(e->d_name));
        if (pid <= 0) continue;
        std::ifstream in(std::string("/proc/") + e->d_name + "/stat");
        std::string s((std::istreambuf_iterator<char>(in)), {});
        const size_t open = s.find('('), close = s.rfind(')');
        if (open == std::string::npos || close == std::string::npos) continue;
        std::istringstream f(s.substr(close + 2));
        std::string state;
        long ppid = 0;
        f >> state >> ppid;
        if (s.substr(open + 1, close - open - 1) == comm && ppid == getpid()) out.push_back(pid);
    }
    if (d) closedir(d);
    return out;
}

double ChildrenCpu(const std::string& comm) {
    double t = 0;
    for (pid_t p : Children(comm)) t += ProcessCpu(p);
    return t;
}

double ReapedCpu() {
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// What a collection's output says it added per controller and kind, and the
// subscribers that failed (with their messages).
void Added(const std::string& out, Counts& added, std::vector<std::string>& failed, long& subscribers) {
    std::string mac;
    for (const std::string& line : Lines(out)) {
        const auto c = Cells(line);
        if (c[0] == "subscriber") {
            ++subscribers;
            mac.clear();
            if (c.size() > 2 && c[2] != "ok") failed.push_back(line);
        } else if (c[0] == "controller" && c.size() >= 2) {
            mac = c[1];
        } else if (c.size() == 5 && !mac.empty()) {
            added[mac + " " + c[0]] += std::atol(c[1].c_str());
        }
    }
}

// The records a store holds per controller and kind, counted by the engine's own client.
const char* const kCountSql =
    "SELECT c.mac, r.kind, r.instrument, count(*) FROM record r JOIN controller c ON c.id = r.controller"
    " GROUP BY c.mac, r.kind, r.instrument";

Counts Held(const std::string& rows) {
    Counts held;
    for (const std::string& line : Lines(rows)) {
        const auto c = Cells(line);
        if (c.size() != 4) continue;
        held[c[0] + " " + (c[2] == "1" ? "w" + c[1] : c[1])] = std::atol(c[3].c_str());
    }
    return held;
}

std::string SqliteRows(const std::string& path) {
    RunResult r = zul::test::RunProgram(
        "/usr/bin/python3",
        {"-c",
         "import sqlite3,sys\nfor r in sqlite3.connect(sys.argv[1]).execute(sys.argv[2]): print(*r, sep=chr(9))",
         path, kCountSql},
        600000);
    return r.out;
}

// One subscriber list of up to 200 in its own program folder.
std::string MakeFolder(const fs::path& root, int index, const std::vector<uint16_t>& ports, size_t from, size_t to) {
    const std::string folder = (root / ("list" + std::to_string(index))).string() + "/";
    fs::create_directories(folder);
    zul::CreateWorkFolders(folder);
    zul::ProgramSettings settings(zul::WorkFolderPath(folder, zul::kFolderIni));
    zul::EthernetSubscriberList& list = settings.link.ethernet.subscribers;
    for (size_t i = from; i < to; ++i) {
        zul::EthernetSubscriber& e = list.entries[list.count++];
        char name[32];
        std::snprintf(name, sizeof name, "K-%04zu", i);
        zul::SetText(e.name, name);
        e.address = 1;
        e.SetIpValue(0x7F000001);
        e.port = ports[i];
    }
    settings.WriteEthernetSubscribers(settings.EthernetSubscribersIni());
    return folder;
}

struct Run {
    double wall = 0, zulCpu = 0;
    long subscribers = 0;
    Counts added;
    std::vector<std::string> failed;
};

std::vector<std::string> CollectArgs(const std::string& store, int jobs) {
    return {"--send-pause-ms", "0", "--reply-timeout-ms", "5000", "--connect-wait-s", "10", "collect",
            "--subscribers", "ethernet", "--jobs", std::to_string(jobs), "--store", store};
}

// The lists one after the other.
Run CollectAll(const std::vector<std::string>& folders, const std::string& store, int jobs) {
    Run run;
    const double cpu0 = ReapedCpu(), t0 = Now();
    for (const std::string& folder : folders) {
        setenv("ZUL_HOME", folder.c_str(), 1);
        RunResult r = zul::test::RunProgram(ZUL_BIN, CollectArgs(store, jobs), 3600000);
        if (r.status != 0 && r.status != 1) std::fprintf(stderr, "zul ended with %d: %s\n", r.status, r.err.c_str());
        Added(r.out, run.added, run.failed, run.subscribers);
    }
    run.wall = Now() - t0;
    run.zulCpu = ReapedCpu() - cpu0;
    return run;
}

long Total(const Counts& c) {
    long n = 0;
    for (const auto& [k, v] : c) n += v;
    return n;
}

// Held equals added, key by key; the measurement, hourly and daily archives of
// every controller hold the same number of records (the same window, clock stopped).
bool Check(const char* what, const Counts& held, const Counts& added, size_t controllers) {
    bool ok = held == added;
    if (!ok) {
        for (const auto& [k, v] : held) {
            auto it = added.find(k);
            if (it == added.end() || it->second != v)
                std::printf("  %s: %s held %ld, added %ld\n", what, k.c_str(), v, it == added.end() ? 0 : it->second);
        }
    }
    std::set<std::string> macs;
    std::map<std::string, std::set<long>> perKind;
    for (const auto& [k, v] : held) {
        macs.insert(k.substr(0, k.find(' ')));
        perKind[k.substr(k.find(' ') + 1)].insert(v);
    }
    if (macs.size() != controllers) {
        std::printf("  %s: %zu controllers held, %zu expected\n", what, macs.size(), controllers);
        ok = false;
    }
    for (const char* kind : {"meas", "hour", "day"}) {
        if (perKind[kind].size() != 1) {
            std::printf("  %s: %s differs between controllers (%zu values)\n", what, kind, perKind[kind].size());
            ok = false;
        }
    }
    std::printf("  %s: %s — %zu controllers, %ld records held, %ld added; meas %ld, hour %ld, day %ld each\n", what,
                ok ? "counts check" : "COUNTS WRONG", macs.size(), Total(held), Total(added),
                perKind["meas"].empty() ? 0 : *perKind["meas"].begin(),
                perKind["hour"].empty() ? 0 : *perKind["hour"].begin(),
                perKind["day"].empty() ? 0 : *perKind["day"].begin());
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    int controllers = 1000, jobs = 16, spanDays = 3, pair = 100;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        const int v = std::atoi(argv[i + 1]);
        if (a == "--controllers") controllers = v;
        else if (a == "--jobs") jobs = v;
        else if (a == "--span-days") spanDays = v;
        else if (a == "--pair") pair = v;
    }
    pair = std::min(pair, controllers);
    char tmpl[] = "/tmp/zul-fleet-XXXXXX";
    const fs::path root = mkdtemp(tmpl);

    // The fleet.
    double t0 = Now();
    Process sim(QRTSIM_BIN, {"--controllers", std::to_string(controllers), "--span-days", std::to_string(spanDays),
                             "--rate", "0", "--start", "2024-03-15 12:00:00", "--tcp", "0"});
    std::vector<uint16_t> ports;
    while (int(ports.size()) < controllers) {
        const std::string line = sim.ReadLine(120000);
        if (line.rfind("tcp 127.0.0.1:", 0) != 0) {
            std::fprintf(stderr, "qrtsim: %s\n", line.empty() ? "no port line (does it know --controllers?)" : line.c_str());
            return 1;
        }
        ports.push_back(uint16_t(std::atoi(line.c_str() + 14)));
    }
    std::printf("qrtsim --controllers %d --span-days %d: up in %.1f s\n", controllers, spanDays, Now() - t0);
    std::vector<std::string> folders;
    for (int from = 0, k = 0; from < controllers; from += zul::kMaxSubscribers, ++k)
        folders.push_back(MakeFolder(root, k, ports, size_t(from), size_t(std::min(controllers, from + zul::kMaxSubscribers))));

    zul::test::PgServer& pg = zul::test::PgServer::Shared();
    if (!pg.running()) std::printf("PostgreSQL left out: %s\n", pg.why().c_str());
    bool ok = true;

    struct Engine {
        const char* name;
        std::string location;
    };
    std::vector<Engine> engines = {{"SQLite", (root / "fleet.sqlite").string()}};
    std::string pgDb;
    if (pg.running()) {
        pgDb = pg.CreateDatabase();
        engines.push_back({"PostgreSQL", pg.Uri(pgDb)});
    }
    Counts pgHeld;
    for (const Engine& e : engines) {
        const double simCpu0 = ChildrenCpu("qrtsim"), pgCpu0 = ChildrenCpu("postgres");
        Run run = CollectAll(folders, e.location, jobs);
        const double simCpu = ChildrenCpu("qrtsim") - simCpu0, pgCpu = ChildrenCpu("postgres") - pgCpu0;
        const long records = Total(run.added);
        std::printf("%s: %d controllers, --jobs %d, %zu list(s): %.1f s wall, %ld records, %.0f records/s, "
                    "%ld subscribers, %zu failed\n",
                    e.name, controllers, jobs, folders.size(), run.wall, records, double(records) / run.wall,
                    run.subscribers, run.failed.size());
        std::printf("  CPU: zul %.1f s, qrtsim %.1f s%s\n", run.zulCpu, simCpu,
                    pg.running() ? (", postgres " + std::to_string(pgCpu).substr(0, 5) + " s").c_str() : "");
        for (size_t i = 0; i < run.failed.size() && i < 5; ++i) std::printf("  %s\n", run.failed[i].c_str());
        const Counts held = e.name[0] == 'S' ? Held(SqliteRows(e.location)) : Held(pg.Query(pgDb, kCountSql));
        ok = Check(e.name, held, run.added, size_t(controllers)) && run.failed.empty() && ok;
        if (e.name[0] == 'P') pgHeld = held;
        // A second round finds nothing new.
        Run again = CollectAll(folders, e.location, jobs);
        std::printf("  second round: %.1f s wall, %ld records added\n", again.wall, Total(again.added));
        ok = ok && Total(again.added) == 0;
    }

    // Two collectors at once over the same controllers into one database, then a third.
    if (pg.running()) {
        const std::string folder = MakeFolder(root, 99, ports, 0, size_t(pair));
        const std::string db = pg.CreateDatabase();
        setenv("ZUL_HOME", folder.c_str(), 1);
        const double t1 = Now();
        Process a(ZUL_BIN, CollectArgs(pg.Uri(db), jobs / 2)), b(ZUL_BIN, CollectArgs(pg.Uri(db), jobs / 2));
        RunResult& ra = a.Wait(3600000);
        RunResult& rb = b.Wait(3600000);
        const double both = Now() - t1;
        Run pairRun;
        Added(ra.out, pairRun.added, pairRun.failed, pairRun.subscribers);
        Added(rb.out, pairRun.added, pairRun.failed, pairRun.subscribers);
        const size_t cutShort = pairRun.failed.size();
        RunResult rc = zul::test::RunProgram(ZUL_BIN, CollectArgs(pg.Uri(db), jobs), 3600000);
        std::vector<std::string> thirdFailed;
        long n = 0;
        Added(rc.out, pairRun.added, thirdFailed, n);
        std::printf("Two collectors at once over the same %d controllers (--jobs %d each) into one PostgreSQL "
                    "database: %.1f s wall, %ld records; %zu of %ld collections cut short by the other reader; "
                    "a third collection after them: %zu failed\n",
                    pair, jobs / 2, both, Total(pairRun.added), cutShort, pairRun.subscribers, thirdFailed.size());
        const Counts held = Held(pg.Query(db, kCountSql));
        ok = Check("two at once", held, pairRun.added, size_t(pair)) && ok;
        // The same records as the fleet's own database holds for these controllers.
        size_t same = 0;
        for (const auto& [k, v] : held) same += pgHeld.count(k) && pgHeld.at(k) == v ? 1 : 0;
        std::printf("  %zu of %zu controller-kind counts equal the fleet collection's\n", same, held.size());
        ok = ok && same == held.size() && thirdFailed.empty();
    }
    sim.Signal(SIGTERM);
    sim.Wait(60000);
    std::error_code ec;
    fs::remove_all(root, ec);
    std::printf("%s\n", ok ? "all counts check" : "SOME COUNTS WRONG");
    return ok ? 0 : 1;
}
