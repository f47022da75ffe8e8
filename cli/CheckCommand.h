// `zul check FILE`: whether an archive file is whole (expected, received and bad
// records, the gaps), as the viewers' "Полнота данных" tells it.
#pragma once
#include <string>
#include <vector>

namespace zul::cli {

extern const char* const kCheckHelp;
int RunCheckCommand(const std::vector<std::string>& args);

}  // namespace zul::cli
