// Lays out and prints 10,000 diagnostic rows into a PDF (the event report of the
// viewers' "Печать"), and reports the time, the pages and the file size.
//   QT_QPA_PLATFORM=offscreen build/bench/print_bench [ROWS] [OUT.pdf]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <QGuiApplication>

#include "events/EventReport.h"
#include "events/ReportPainter.h"
#include "tables/Stringi.h"

using namespace zul;

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 10000;
    const std::string out = argc > 2 ? argv[2] : "/tmp/zul_print_bench.pdf";

    std::array<uint8_t, 905> h{};
    std::memcpy(&h[0], "ALA", 3);
    const std::string name = Utf8ToCp1251("Узел учета газа");
    std::memcpy(&h[4], name.data(), name.size());
    h[44] = 1;
    h[45] = 17;
    std::memcpy(&h[891], &rows, 4);
    std::vector<EventRow> grid{size_t(rows)};
    for (int i = 0; i < rows; ++i) {
        char date[32];
        std::snprintf(date, sizeof date, "  %02d.03.26", 1 + i % 28);
        grid[size_t(i)] = {date, "  12:00:00", "Значение стало выше верхней ПУ", "Метан", "96.5123", "96.0000", "%"};
    }

    const auto t0 = std::chrono::steady_clock::now();
    const ReportDocument doc = BuildEventReport(kPrintDiagnostics, h.data(), grid, "ООО «Газ»");
    const auto t1 = std::chrono::steady_clock::now();
    const std::string pdf = ReportPdf(doc);
    const auto t2 = std::chrono::steady_clock::now();
    const bool written = !pdf.empty() && WriteReportPdf(doc, out);
    const auto ms = [](auto a, auto b) { return std::chrono::duration<double, std::milli>(b - a).count(); };
    std::printf("rows %d  pages %d  layout %.1f ms  pdf %.1f ms  total %.1f ms  %zu bytes  %s\n", rows,
                doc.PageCount(), ms(t0, t1), ms(t1, t2), ms(t0, t2), pdf.size(), written ? out.c_str() : "NOT WRITTEN");
    return written ? 0 : 1;
}
