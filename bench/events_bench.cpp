// The whole diagnostic archive of the simulated controller fetched by period over
// loopback TCP with the send pause at 0, through the fetch the window uses; then
// the decoding and the opening of the viewer (offscreen), and the memory they take.
//   build/bench/events_bench [DAYS]      (archive depth, default 540: over 20,000 messages)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include <QApplication>
#include <QTableView>

#include "core/support/FakeUi.h"
#include "events/EventFetch.h"
#include "events/Iniala.h"
#include "link/Qrtbox.h"
#include "link/TcpSocket.h"
#include "sim/Qrtsim.h"
#include "tables/Conffun.h"
#include "tables/TableImage.h"

using namespace zul;
using Steady = std::chrono::steady_clock;

namespace {

long RssKb() {
    std::ifstream f("/proc/self/status");
    for (std::string line; std::getline(f, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return 0;
}

double Seconds(Steady::time_point a, Steady::time_point b) { return std::chrono::duration<double>(b - a).count(); }

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    sim::SimSettings s;
    s.rate = 0;
    s.spanDays = argc > 1 ? std::atoi(argv[1]) : 540;
    sim::Qrtsim sim(s);
    if (!sim.StartTcp()) return 1;
    uint32_t first = 0;
    const size_t held = sim.Diagnostics(&first).size();

    Qrtbox box(1);
    test::FakeUi ui;
    box.ui = &ui;
    box.linkKind = kLinkEthernet;
    box.openPerExchange = 0;
    box.tcpSendPauseMs = 0;
    box.sock = TcpConnect("127.0.0.1", sim.tcpPort(), 2000);
    TableImage image;
    TableIo io(box, image, ui);
    MemoryStatusBar bar;
    const std::string folder = "/tmp/";
    EventFetch fetch(io, ui, &bar, SystemClock::Instance(), folder);
    const PackedDateTime start{0, 1, 1, 0, 0, 0}, end{99, 12, 31, 23, 59, 59};

    const auto t0 = Steady::now();
    EventFetchResult r;
    const bool ok = fetch.ByPeriod(kEventsDiagnostic, start, end, r);
    const auto t1 = Steady::now();
    const long rss0 = RssKb();
    const DiagnosticView view = DiagnosticViewFromRecords(r.mode, r.header, r.records.data(), 0, image);
    const auto t2 = Steady::now();
    {
        TFormAla form(view, QString::fromStdString(folder));
        form.show();
        QApplication::processEvents();
        const auto t3 = Steady::now();
        const long rss1 = RssKb();
        const uint32_t n = r.header.RecordCount();
        std::printf("archive held:        %zu diagnostic messages (%d days)\n", held, s.spanDays);
        std::printf("fetched by period:   %u records in %d requests, %s\n", n, r.requests, ok ? "ok" : "FAILED");
        std::printf("fetch time:          %.3f s (%.0f records/s)\n", Seconds(t0, t1), n / Seconds(t0, t1));
        std::printf("decode:              %.3f s\n", Seconds(t1, t2));
        std::printf("open the viewer:     %.3f s\n", Seconds(t2, t3));
        std::printf("decode + open:       %.3f s\n", Seconds(t1, t3));
        std::printf("memory of the rows:  %.1f MB (resident set growth over decoding and the viewer)\n",
                    (rss1 - rss0) / 1024.0);
    }
    TcpClose(box.sock);
    return ok ? 0 : 1;
}
