// The month report against the simulated controller over loopback TCP (send pause
// 0), with a moisture meter: from the accepted report dialog to the saved workbook
// (the daily reads of both instruments, the cells, the template filled and written).
// Prints the fastest and the median of several runs.
//   build/bench/report_bench [RUNS]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "bench/BenchLink.h"
#include "core/support/FakeUi.h"
#include "link/Qrtbox.h"
#include "link/TcpSocket.h"
#include "measurements/ReportRead.h"
#include "shell/Folders.h"
#include "sim/Qrtsim.h"
#include "sim/SimTime.h"
#include "tables/Conffun.h"
#include "tables/Dtfun.h"
#include "tables/TableImage.h"

using namespace zul;
using Clock_ = std::chrono::steady_clock;

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const std::string templ = FindDataFile(kMonthTemplate);
    if (templ.empty()) {
        std::fprintf(stderr, "report_bench: no %s beside the build's programs\n", kMonthTemplate);
        return 1;
    }
    sim::SimSettings s = bench::StoppedSim();
    s.moistureMeter = true;
    sim::Qrtsim sim(s);
    if (!sim.StartTcp()) return 1;
    test::FakeUi ui;
    bench::ArchiveSession session(ui, sim);
    if (!session.ok) return 1;
    AvailableRange days;
    if (!ReadAvailableRange(session.io, kUnitDay, days)) return 1;
    const std::filesystem::path dir = bench::BenchFolder("zul-report-bench");
    const uint8_t date[4] = {24, 2, 1, session.image.Byte(6, 6)};  // February 2024: 29 days
    std::vector<double> seconds;
    int monthDays = 0;
    for (int i = 0; i < runs; ++i) {
        ui.answers.push_back(true);  // replace the previous run's report
        const auto t = Clock_::now();
        ReportFetch fetch(session.io, ui, nullptr, dir.string() + "/");
        MonthReportData d;
        const bool ok = fetch.ReadMonth(date, days, d) &&
                        ProduceReport(ui, templ, MonthReportCells(d, fetch.Units(), "Узел"), (dir / "m.xlsx").string());
        seconds.push_back(std::chrono::duration<double>(Clock_::now() - t).count());
        if (!ok) {
            std::fprintf(stderr, "report_bench: the report failed\n");
            return 1;
        }
        monthDays = int(d.chromDays.size() / kChromRecordSize);
    }
    std::sort(seconds.begin(), seconds.end());
    std::printf("month report (%d days, chromatograph and moisture meter, TCP pause 0): fastest %.3f s, median %.3f s "
                "over %d runs; workbook %ju bytes\n",
                monthDays, seconds.front(), seconds[seconds.size() / 2], runs,
                uintmax_t(std::filesystem::file_size(dir / "m.xlsx")));
    std::filesystem::remove_all(dir);
    return 0;
}
