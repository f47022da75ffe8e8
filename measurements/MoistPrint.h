// The printed table of a moisture-meter viewer (print kinds 6 hourly, 7 daily,
// 8 measurements): A4 portrait, the five-line title band on the first page, then
// page tables of the viewer's rows with the column heading on every page, and
// "Лист N из M" under each. The window previews and prints it (QPrintPreviewDialog);
// `zul print` writes it into a PDF.
//
//   MoistTable t(kMoistHourly, header, records.data(), n);
//   ReportDocument doc = BuildMoistReport(t, "ООО Газ");
#pragma once
#include <string>

#include "events/ReportLayout.h"
#include "measurements/MoistRecords.h"

namespace zul {

// Lines of a page: 65; the title block takes 7 and each page table's heading 6.
constexpr int kMoistPrintRowsFirstPage = 52;
constexpr int kMoistPrintRowsLaterPages = 59;

// The print kind of a moisture table (6, 7 or 8).
int MoistPrintKind(ChromTableKind kind);

ReportDocument BuildMoistReport(const MoistTable& table, const std::string& organisation);

}  // namespace zul
