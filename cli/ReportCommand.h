// `zul report day|month DATE --object NAME -o BOOK.xlsx`: the day and month
// reports read from the controller (or taken from the archive store) and filled into the templates, as the window's
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
// True when the report is built from the archive store (--store): no link is opened.
bool ReportFromStore(const std::vector<std::string>& args);

}  // namespace zul::cli
