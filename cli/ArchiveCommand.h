// `zul archive meas|clb|hour|day`: the chromatograph archives read through the
// same fetch, tables and file writer as the window; and the show and export of
// their files (`zul show`, `zul export`).
#pragma once
#include <string>
#include <vector>

namespace zul {
class TableIo;
class TableImage;
}

namespace zul::cli {

class TerminalUi;

extern const char* const kArchiveHelp;
extern const char* const kExportHelp;
int RunArchiveCommand(TableIo& io, TerminalUi& ui, const std::vector<std::string>& args);
int RunExportCommand(const std::vector<std::string>& args);
// `zul show` of .mch, .hch, .dch, .clb, .mwm, .hwm and .dwm files.
int ShowMeasurementFile(const std::string& path, const TableImage& image);
int ShowHourlyFile(const std::string& path, const TableImage& image);
int ShowDailyFile(const std::string& path, const TableImage& image);
int ShowCalibrationFile(const std::string& path, const TableImage& image);
int ShowMoistMeasurementFile(const std::string& path, const TableImage& image);
int ShowMoistHourlyFile(const std::string& path, const TableImage& image);
int ShowMoistDailyFile(const std::string& path, const TableImage& image);

}  // namespace zul::cli
