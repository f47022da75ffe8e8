// `zul config read|new|check|write`: configuration files from the command line,
// through the same record, file, check and table writer as the window.
#pragma once
#include <functional>
#include <string>
#include <vector>

namespace zul {
class TableIo;
class UserInterface;
}  // namespace zul

namespace zul::cli {

extern const char* const kConfigHelp;
// Empty when the arguments are usable, else what is wrong with them.
std::string ConfigUsageError(const std::vector<std::string>& args);
// `read` and `write` talk to the controller; `new` and `check` do not.
bool ConfigNeedsLink(const std::vector<std::string>& args);
// Runs the command (`io` null for the commands without a link); `failed` reports a
// failed exchange and gives the exit status.
int RunConfigCommand(TableIo* io, UserInterface& ui, const std::vector<std::string>& args,
                     const std::function<int()>& failed);

}  // namespace zul::cli
