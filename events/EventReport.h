// The printed lists of event messages (diagnostic messages, print kind 3, and
// operator interventions, print kind 4), and the texts of the print-title dialog
// for every print kind.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "events/EventRow.h"
#include "events/ReportLayout.h"

namespace zul {

enum PrintKind {
    kPrintDiagnostics = 3,
    kPrintInterventions = 4,
    kPrintMoistHourly = 6,
    kPrintMoistDaily = 7,
    kPrintMoistMeasurements = 8,
};

constexpr int kOrganisationNameLength = 40;  // characters (cp1251 bytes)

// The three read-only lines of the print-title dialog for a print kind and the
// data's archive file header (905 bytes). An unknown kind gives empty lines.
std::array<std::string, 3> PrintTitleLines(int kind, const uint8_t* header);

// The controller name of header bytes 4..23, blanks trimmed, UTF-8: the page header
// of every printed report.
std::string PrintControllerName(const uint8_t* header);

// The organisation name kept in the INI folder's "title.ini": exactly 40 bytes,
// cp1251, padded with zero bytes. A missing or unreadable file gives "".
std::string TitleIniPath(const std::string& iniFolder);
std::string ReadOrganisationName(const std::string& path);
// Writes `name` (cut to 40 bytes) when it differs from `previous`; true when the
// file now holds it (or nothing needed writing).
bool StoreOrganisationName(const std::string& path, const std::string& name, const std::string& previous);

// Rows per page of the event reports.
constexpr int kDiagnosticRowsFirstPage = 58;
constexpr int kDiagnosticRowsLaterPages = 65;
constexpr int kInterventionRowsFirstPage = 57;
constexpr int kInterventionRowsLaterPages = 69;

// Lays out the report of print kind 3 or 4: the header of the data (905 bytes),
// the viewer's rows and the organisation name (UTF-8). An intervention report takes
// as many rows as the header counts, never more than there are.
ReportDocument BuildEventReport(int kind, const uint8_t* header, const std::vector<EventRow>& rows,
                                const std::string& organisation);

}  // namespace zul
