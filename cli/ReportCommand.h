// `zul report day|month DATE --object NAME -o BOOK.xlsx`: the day and month
// reports read from the controller and filled into the templates, as the window's
// "Паспорт ЗУЛ показателей за сутки / за месяц" does.
#pragma once
#include <string>
#include <vector>

namespace zul {
class TableIo;
}

namespace zul::cli {

class TerminalUi;

extern const char* const kReportHelp;

// With `argumentsOnly` the arguments are checked (usage: 2) and nothing else is done (0).
int RunReportCommand(TableIo& io, TerminalUi& ui, const std::vector<std::string>& args, bool argumentsOnly = false);

}  // namespace zul::cli
