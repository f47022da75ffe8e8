// The archive tools against the simulated controller over loopback TCP (send pause
// 0): the two-month measurement read (28,800 records) with the traffic monitor
// closed and open, and the trend window opened on the 28,800-record file.
//   QT_QPA_PLATFORM=offscreen build/bench/archive_tools_gui_bench [--png PATH]
// With --png the trend of one day's measurements is written to PATH as well.
#include <unistd.h>

#include <QApplication>
#include <QBuffer>
#include <QChart>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/BenchLink.h"
#include "link/Clock.h"
#include "link/IniFile.h"
#include "link/ExchangeCapture.h"
#include "link/Qrtbox.h"
#include "link/TcpSocket.h"
#include "measurements/ChromFetch.h"
#include "measurements/TrendView.h"
#include "shell/TrafficMonitor.h"
#include "shell/UserInterface.h"
#include "sim/Qrtsim.h"
#include "sim/SimTime.h"
#include "tables/ArchiveFile.h"
#include "tables/Conffun.h"
#include "tables/TableImage.h"

using namespace zul;
using Clock_ = std::chrono::steady_clock;

namespace {

double Since(Clock_::time_point t) { return std::chrono::duration<double>(Clock_::now() - t).count(); }

// The window's way of waiting: Qt's events are processed while an exchange waits.
struct QtEventsUi : UserInterface {
    bool ShowMessageBox(int, const std::string&, const std::string&) override { return false; }
    void ProcessEvents() override { QApplication::processEvents(); }
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const char* png = argc == 3 && std::strcmp(argv[1], "--png") == 0 ? argv[2] : nullptr;
    sim::Qrtsim sim(bench::StoppedSim());
    if (!sim.StartTcp()) return 1;
    QtEventsUi ui;
    bench::ArchiveSession session(ui, sim);
    if (!session.ok) return 1;
    const std::filesystem::path dir = bench::BenchFolder("zul-bench");
    ChromFetch fetch(session.io, ui, nullptr, SystemClock::Instance(), dir.string() + "/");
    const PackedDateTime start = {24, 1, 15, 12, 0, 0}, end = {24, 3, 15, 12, 0, 0};

    ExchangeFanOut observers;
    session.box.observer = &observers;
    ChromFetchResult r;
    // Closed and open in the order ABBA ABBA, so that neither gains from coming
    // later; the medians are printed at the end.
    std::vector<double> times[2];
    for (int run = 0; run < 8; ++run) {
        const int open = (run % 4 == 1 || run % 4 == 2) ? 1 : 0;
        TFormMonitor monitor(session.box);
        if (open) {
            monitor.show();
            observers.Add(&monitor);
        }
        const auto t = Clock_::now();
        if (!fetch.ByPeriod(kChromMeasurement, start, end, r)) return 1;
        const double read = Since(t);
        times[open].push_back(read);
        QApplication::processEvents();
        std::printf("read %u records in %d exchanges, monitor %s: %.3f s%s\n", r.header.RecordCount(), r.requests,
                    open ? "open" : "closed", read,
                    open ? (" (" + std::to_string(monitor.lineCount()) + " lines shown)").c_str() : "");
        observers.Remove(&monitor);
    }
    for (int open = 0; open < 2; ++open) {
        std::sort(times[open].begin(), times[open].end());
        std::printf("median read, monitor %s: %.3f s\n", open ? "open" : "closed",
                    (times[open][1] + times[open][2]) / 2);
    }
    session.box.observer = nullptr;

    const std::string mch = (dir / "bench.mch").string();
    WriteArchiveFile(mch, r.header, r.records.data(), r.records.size());
    auto t = Clock_::now();
    ArchiveFileData d;
    if (ReadArchiveFile(mch, kArchMch, session.image, kChromRecordSize, d) != ArchiveFileStatus::kOk) return 1;
    {
        const ChromTable table(kChromMeasurement, d.header, d.rows.data(), d.present);
        TFormTrend trend(TrendSource::Of(table));
        trend.show();
        QApplication::processEvents();
        trend.chartView()->viewport()->repaint();
        size_t points = 0;
        for (const TrendSeries& series : trend.series()) points += series.Points();
        std::printf("trend of the .mch (%u records, %zu series, %zu points) opened and painted: %.3f s\n", d.present,
                    trend.series().size(), points, Since(t));
    }
    if (png) {
        // One day of the file: 480 records from 14.03.2024 00:00.
        const size_t first = d.present >= 480 ? d.present - 480 - 240 : 0;
        ArchiveFileHeader h = d.header;
        const uint8_t* a = d.rows.data() + first * kChromRecordSize;
        const uint8_t* b = a + 479 * kChromRecordSize;
        std::memcpy(h.bytes.data() + ArchiveFileHeader::kPeriodStart, a, 6);
        std::memcpy(h.bytes.data() + ArchiveFileHeader::kPeriodEnd, b, 6);
        const ChromTable day(kChromMeasurement, h, a, 480);
        TFormTrend trend(TrendSource::Of(day));
        trend.resize(1000, 560);
        trend.show();
        QApplication::processEvents();
        // The whole window, as the README shows it.
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        const bool ok = trend.grab().save(&buffer, "PNG") && WriteFileAtomically(png, bytes.toStdString());
        std::printf("picture %s: %s\n", png, ok ? "written" : "FAILED");
    }
    std::filesystem::remove_all(dir);
    return 0;
}
