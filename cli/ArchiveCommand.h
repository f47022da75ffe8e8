// `zul archive meas|clb|hour|day`: the chromatograph archives read through the
// same fetch, tables and file writer as the window; and the show and export of
// their files (`zul show`, `zul export`).
#pragma once
#include <string>
#include <vector>

#include "measurements/ChromRecords.h"

namespace zul {
class TableIo;
class TableImage;
struct ArchiveFileData;
}

namespace zul::cli {

class TerminalUi;

extern const char* const kArchiveHelp;
extern const char* const kExportHelp;
// With `argumentsOnly` the arguments are checked (usage: 2) and nothing else is done (0).
int RunArchiveCommand(TableIo& io, TerminalUi& ui, const std::vector<std::string>& args, bool argumentsOnly = false);
int RunExportCommand(const std::vector<std::string>& args);
// `zul show` of .mch, .hch, .dch, .clb, .mwm, .hwm and .dwm files.
int ShowMeasurementFile(const std::string& path, const TableImage& image);
int ShowHourlyFile(const std::string& path, const TableImage& image);
int ShowDailyFile(const std::string& path, const TableImage& image);
int ShowCalibrationFile(const std::string& path, const TableImage& image);
// Reads a chromatograph archive file as its viewer does; prints the refusal or the
// open failure on stderr and returns false when the file cannot be shown.
bool ReadChromFile(const std::string& path, ChromTableKind kind, const TableImage& image, ArchiveFileData& d);
// The kind of a file by its extension (.mch .hch .dch .clb .mwm .hwm .dwm); false for another.
bool ChromKindOfPath(const std::string& path, ChromTableKind& kind);
int ShowMoistMeasurementFile(const std::string& path, const TableImage& image);
int ShowMoistHourlyFile(const std::string& path, const TableImage& image);
int ShowMoistDailyFile(const std::string& path, const TableImage& image);

}  // namespace zul::cli
