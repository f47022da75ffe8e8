// The archive store against the simulator's two-month archive over loopback TCP with
// the send pause at 0: the first collection of the measurement archive beside the
// bare read of the same period (same run, same link), a second collection of every
// kind with nothing new (exchanges and time), the export of the measurements to
// .mch, and the store's size beside the raw bytes of the records it holds.
//   build/bench/store_bench [DAYS]      (archive depth, default 61: 28,800 measurements and more)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <filesystem>

#include "BenchLink.h"
#include "core/support/FakeUi.h"
#include "link/Clock.h"
#include "link/IniFile.h"
#include "measurements/ChromFetch.h"
#include "shell/ConnectionStart.h"
#include "store/Collector.h"
#include "store/StoreFiles.h"

using namespace zul;
using Steady = std::chrono::steady_clock;
namespace fs = std::filesystem;

namespace {

double Seconds(Steady::time_point a, Steady::time_point b) { return std::chrono::duration<double>(b - a).count(); }

// A connection as `zul` makes it: identified, base tables read.
struct Session {
    Session(UserInterface& ui, const sim::Qrtsim& sim) : io(box, image, ui) {
        ok = bench::ConnectToSim(box, ui, sim) && IdentifyController(io, ui, nullptr) &&
             ReadBaseTables(io, ui, nullptr);
    }
    ~Session() {
        if (box.sock > 0) TcpClose(box.sock);
    }
    Qrtbox box{1};
    TableImage image;
    TableIo io;
    bool ok = false;
};

struct Collected {
    bool ok = true;
    int added = 0;
    uint64_t exchanges = 0;
    double seconds = 0;
};

Collected Collect(const sim::Qrtsim& sim, ArchiveStore& store, const std::string& folder,
                  const std::vector<ArchiveKind>& kinds) {
    test::FakeUi ui;
    Collected c;
    const uint64_t before = sim.stats().repliesSent;
    const auto t0 = Steady::now();
    Session s(ui, sim);
    MemoryStatusBar bar;
    Collector collector(s.io, ui, &bar, SystemClock::Instance(), folder, store);
    c.ok = s.ok && collector.Begin();
    for (ArchiveKind k : kinds.empty() ? collector.KindsOfController() : kinds) {
        if (!c.ok) break;
        CollectedKind r;
        collector.Collect(k, r);
        c.ok = r.ok;
        c.added += r.added;
    }
    c.seconds = Seconds(t0, Steady::now());
    c.exchanges = sim.stats().repliesSent - before;
    return c;
}

}  // namespace

int main(int argc, char** argv) {
    sim::SimSettings settings = bench::StoppedSim();
    settings.spanDays = argc > 1 ? std::atoi(argv[1]) : 61;
    sim::Qrtsim sim(settings);
    if (!sim.StartTcp()) return 1;
    const fs::path dir = bench::BenchFolder("store-bench");
    const std::string folder = dir.string() + "/";
    const std::string path = folder + "store.sqlite";
    std::string why;
    auto store = OpenArchiveStore(path, why);
    if (!store) {
        std::fprintf(stderr, "%s\n", why.c_str());
        return 1;
    }

    // The bare read (what `zul archive meas` does for the window the controller
    // holds) and the first collection of the same period, in turns on a fresh store:
    // the quickest of three rounds of each, as the machine is shared.
    test::FakeUi ui;
    uint32_t bare = 0;
    double bareSeconds = 1e9;
    PackedDateTime start{}, end{};
    Collected first;
    first.seconds = 1e9;
    for (int round = 0; round < 3; ++round) {
        const auto t0 = Steady::now();
        Session s(ui, sim);
        MemoryStatusBar bar;
        ChromFetch fetch(s.io, ui, &bar, SystemClock::Instance(), folder);
        const uint8_t req27[3] = {27, 0, 1};
        bool ok = s.ok && fetch.ReadClock() && s.io.ReadFields(req27, nullptr, true);
        std::memcpy(start.data(), s.image.Field(27, 0), 6);
        std::memcpy(end.data(), s.image.Data(2), 6);
        ChromFetchResult r;
        ok = ok && fetch.ByPeriod(kChromMeasurement, start, end, r);
        bareSeconds = std::min(bareSeconds, Seconds(t0, Steady::now()));
        bare = r.header.RecordCount();
        if (!ok) return 1;
        store.reset();
        for (const char* tail : {"", "-wal", "-shm"}) fs::remove(path + tail);
        store = OpenArchiveStore(path, why);
        if (!store) return 1;
        const Collected c = Collect(sim, *store, folder, {kArchMch});
        if (c.seconds < first.seconds || !c.ok) first = c;
    }
    std::printf("bare read (zul archive meas):   %u records in %.3f s\n", bare, bareSeconds);
    std::printf("first collection, meas:         %d records in %.3f s (%.2f x the bare read; at most 1.25)%s\n",
                first.added, first.seconds, first.seconds / bareSeconds, first.ok ? "" : " FAILED");
    const Collected rest = Collect(sim, *store, folder, {});
    const Collected second = Collect(sim, *store, folder, {});
    std::printf("first collection, other kinds:  %d records in %.3f s\n", rest.added, rest.seconds);
    std::printf("second collection, all kinds:   %d new, %llu exchanges (at most 20), %.3f s (under 0.3)%s\n",
                second.added, static_cast<unsigned long long>(second.exchanges), second.seconds,
                second.ok ? "" : " FAILED");
    // The simulator's damaged diagnostic records are asked for again, eight at a
    // time, until three damaged copies of each have come; then nothing is asked twice.
    int rounds = 2;
    std::vector<StoreController> held;
    auto stillAsked = [&] {
        std::vector<int64_t> keys;
        for (int k = 0; k < kArchiveKindCount; ++k)
            if (!store->BadKeys(held[0].mac, ArchiveKind(k), 1, 3, keys) || !keys.empty()) return true;
        return false;
    };
    Collected steady = second;
    if (store->Controllers(held) && !held.empty())
        for (bool last = false; rounds < 200 && !last; ++rounds) {
            last = !stillAsked();  // one more collection once none is left to ask
            steady = Collect(sim, *store, folder, {});
        }
    std::printf("once no damaged record is asked: %d new, %llu exchanges, %.3f s (collection %d)\n", steady.added,
                static_cast<unsigned long long>(steady.exchanges), steady.seconds, rounds);

    const auto t0 = Steady::now();
    std::vector<StoreController> controllers;
    StoredPeriod p;
    bool exported = store->Controllers(controllers) && !controllers.empty() &&
                    LoadStoredPeriod(*store, controllers[0].mac, kArchMch, start, end,
                                     ToPacked(SystemClock::Instance().LocalNow()), p) &&
                    WriteFileAtomically(folder + "export.mch", StoredPeriodFileBytes(p));
    const double exportSeconds = Seconds(t0, Steady::now());
    std::printf("export to .mch:                 %u records in %.3f s (under 0.3)%s\n", p.count, exportSeconds,
                exported ? "" : " FAILED");

    uint64_t raw = 0;
    for (int k = 0; k < kArchiveKindCount; ++k) {
        KindSummary s;
        if (store->Summary(controllers[0].mac, ArchiveKind(k), s)) raw += s.held * uint64_t(KindInfo(ArchiveKind(k)).recordSize);
    }
    store.reset();  // the last connection folds the journal into the file
    const uint64_t size = fs::file_size(path);
    std::printf("store size:                     %.2f MB for %.2f MB of raw records (%.2f x; under 2)\n",
                size / 1048576.0, raw / 1048576.0, double(size) / double(raw));
    fs::remove_all(dir);
    return first.ok && second.ok && exported ? 0 : 1;
}
