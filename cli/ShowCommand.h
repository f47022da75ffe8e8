// `zul show FILE`: an archive or event file printed as its viewer shows it.
#pragma once
#include <string>
#include <vector>

namespace zul::cli {

extern const char* const kShowHelp;
int RunShowCommand(const std::vector<std::string>& args);

}  // namespace zul::cli
