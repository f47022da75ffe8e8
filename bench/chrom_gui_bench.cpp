// The two-month measurement archive against the simulated controller over loopback
// TCP (send pause 0), through the code the window uses: the read, the viewer opened
// on it, a 28,800-record .mch opened from disk (in a fresh process, for its memory),
// and the export to .xlsx.
//   QT_QPA_PLATFORM=offscreen build/bench/chrom_gui_bench
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QTableView>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/BenchLink.h"
#include "core/support/FakeUi.h"
#include "link/Clock.h"
#include "link/Qrtbox.h"
#include "link/TcpSocket.h"
#include "measurements/ChromFetch.h"
#include "measurements/ChromView.h"
#include "measurements/XlsxExport.h"
#include "sim/Qrtsim.h"
#include "sim/SimTime.h"
#include "tables/ArchiveFile.h"
#include "tables/Conffun.h"
#include "tables/TableImage.h"

using namespace zul;
using Clock_ = std::chrono::steady_clock;

namespace {

double Since(Clock_::time_point t) { return std::chrono::duration<double>(Clock_::now() - t).count(); }

long PeakRssKb() {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

// The viewer opened and shown, its first screen painted.
void ShowViewer(ChromTableKind kind, const ArchiveFileHeader& h, const std::vector<uint8_t>& records) {
    TChromView v(kind, h, records, nullptr);
    v.show();
    QApplication::processEvents();
    v.grid()->viewport()->repaint();
}

int OpenFromDisk(const char* path) {
    const auto t = Clock_::now();
    TableImage image;
    ArchiveFileData d;
    if (ReadArchiveFile(path, kArchMch, image, kChromRecordSize, d) != ArchiveFileStatus::kOk) return 1;
    ShowViewer(kChromMeasurement, d.header, d.rows);
    std::printf("open .mch (%u records) and show: %.3f s, peak resident %ld MB\n", d.present, Since(t),
                PeakRssKb() / 1024);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "open") == 0) return OpenFromDisk(argv[2]);

    sim::Qrtsim sim(bench::StoppedSim());
    if (!sim.StartTcp()) return 1;
    test::FakeUi ui;
    bench::ArchiveSession session(ui, sim);
    if (!session.ok) return 1;
    const std::filesystem::path dir = bench::BenchFolder("zul-bench");
    ChromFetch fetch(session.io, ui, nullptr, SystemClock::Instance(), dir.string() + "/");
    const PackedDateTime start = {24, 1, 15, 12, 0, 0}, end = {24, 3, 15, 12, 0, 0};

    auto t = Clock_::now();
    ChromFetchResult r;
    if (!fetch.ByPeriod(kChromMeasurement, start, end, r)) return 1;
    const double read = Since(t);
    t = Clock_::now();
    ShowViewer(kChromMeasurement, r.header, r.records);
    std::printf("read %u records in %d exchanges: %.3f s; viewer shown: %.3f s\n", r.header.RecordCount(),
                r.requests, read, Since(t));

    const std::string mch = (dir / "bench.mch").string();
    WriteArchiveFile(mch, r.header, r.records.data(), r.records.size());
    const pid_t child = fork();
    if (child == 0) {
        execl("/proc/self/exe", argv[0], "open", mch.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);

    t = Clock_::now();
    const ChromTable table(kChromMeasurement, r.header, r.records.data(), r.header.RecordCount());
    const std::clock_t cpu = std::clock();
    const bool ok = WriteChromWorkbook(table, (dir / "bench.xlsx").string(), nullptr);
    const double cpuSeconds = double(std::clock() - cpu) / CLOCKS_PER_SEC;
    std::printf("export to .xlsx: %.3f s, %.3f s of processor time (%s, %ju bytes)\n", Since(t), cpuSeconds,
                ok ? "written" : "FAILED",
                uintmax_t(ok ? std::filesystem::file_size(dir / "bench.xlsx") : 0));
    std::filesystem::remove_all(dir);
    return ok && WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}
