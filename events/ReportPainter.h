// Paints a laid-out report (events/ReportLayout.h) page by page on a printer or
// into a PDF, in millimetres of the page: report units are stretched over the
// printable width, fonts are in points of the device.
#pragma once
#include <string>

#include "events/ReportLayout.h"

class QPagedPaintDevice;

namespace zul {

// Sets A4 portrait with the report's margins and paints every page. False when
// the device cannot be painted on (no printer, an unwritable output).
bool PaintReport(const ReportDocument& doc, QPagedPaintDevice& device);

// The report as PDF bytes (empty on failure), and written to `path` (atomically).
std::string ReportPdf(const ReportDocument& doc);
bool WriteReportPdf(const ReportDocument& doc, const std::string& path);

}  // namespace zul
