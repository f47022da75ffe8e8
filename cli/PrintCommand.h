// `zul print FILE -o REPORT.pdf [--organisation TEXT]`: the report the viewer's
// "Печать" would print, written as a PDF.
#pragma once
#include <string>
#include <vector>

namespace zul::cli {

extern const char* const kPrintHelp;
int RunPrintCommand(const std::vector<std::string>& args);

}  // namespace zul::cli
