#include "cli/ConfigCommand.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "cli/TerminalUi.h"
#include "shell/ConnectionStart.h"
#include "shell/UserInterface.h"
#include "tables/ConfigCheck.h"
#include "tables/ConfigFile.h"
#include "tables/ConfigIo.h"
#include "tables/ConfigRecord.h"
#include "tables/Conffun.h"
#include "tables/TableImage.h"

namespace zul::cli {

namespace {

constexpr int kExitFailed = kExitLink;

struct ConfigArgs {
    std::string what, file, output, tables = "all";
};

bool Parse(const std::vector<std::string>& args, ConfigArgs& a, std::string& why) {
    if (args.empty()) return why = "config needs read, new, check or write", false;
    a.what = args[0];
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& s = args[i];
        if (s == "-o" || s == "--tables") {
            if (i + 1 >= args.size()) return why = "config: " + s + " needs a value", false;
            (s == "-o" ? a.output : a.tables) = args[++i];
        } else if (a.file.empty() && s.rfind("-", 0) != 0) {
            a.file = s;
        } else {
            return why = "config: unexpected argument " + s, false;
        }
    }
    if (a.what == "read" || a.what == "new") {
        if (a.output.empty() || !a.file.empty()) return why = "config " + a.what + " needs -o FILE.cnf", false;
    } else if (a.what == "check" || a.what == "write") {
        if (a.file.empty() || !a.output.empty()) return why = "config " + a.what + " needs FILE.cnf", false;
    } else {
        return why = "config needs read, new, check or write", false;
    }
    if (a.what != "write" && args.size() > 1 && a.tables != "all") return why = "config: --tables only with write", false;
    return true;
}

// "all" or a list of configuration tables (the clock, table 2, is not in a file).
bool ParseTables(const std::string& text, uint8_t* marks) {
    if (text == "all") {
        for (uint8_t t : kConfigurationTables) marks[t] = t != 2;
        return true;
    }
    std::stringstream in(text);
    std::string item;
    int n = 0;
    while (std::getline(in, item, ',')) {
        char* end = nullptr;
        const long t = std::strtol(item.c_str(), &end, 10);
        if (item.empty() || *end || t < 0 || t >= kTableCount || !Table(int(t)).isConfiguration || t == 2)
            return false;
        marks[t] = 1;
        ++n;
    }
    return n > 0;
}

int Save(const ConfigurationRecord& r, const std::string& output, UserInterface& ui) {
    if (WriteConfigurationFile(WithConfigurationExtension(output), r, ui, false)) return kExitOk;
    ui.ShowMessageBox(kMsgError, "Ошибка открытия файла", "");
    return kExitFailed;
}


}  // namespace

const char* const kConfigHelp =
    "Usage: zul [LINK OPTIONS] config read -o FILE.cnf\n"
    "       zul config new -o FILE.cnf\n"
    "       zul config check FILE.cnf\n"
    "       zul [LINK OPTIONS] --ident CODE --password TEXT config write FILE.cnf [--tables all|T,T,...]\n"
    "read   every configuration table of the controller (the flow-computer passwords are\n"
    "       never read) into a configuration file; -o replaces an existing file\n"
    "new    a configuration with every default\n"
    "check  the check that runs before a restore, with the user table included; nothing\n"
    "       and exit 0 when it passes, else its two lines on stderr and exit 1\n"
    "write  the tables of a configuration file into the controller (default all; the user\n"
    "       table, 4, goes first without credentials, as a restore of a damaged table does),\n"
    "       after the same check; a failed table stops the write, the tables before it stay\n"
    "A name after -o without extension gets \".cnf\".\n";

std::string ConfigUsageError(const std::vector<std::string>& args) {
    ConfigArgs a;
    std::string why;
    if (!Parse(args, a, why)) return why;
    uint8_t marks[kTableCount] = {};
    if (a.what == "write" && !ParseTables(a.tables, marks))
        return "config write: --tables takes all or configuration tables other than 2, e.g. 6,9,22";
    return {};
}

bool ConfigNeedsLink(const std::vector<std::string>& args) {
    return !args.empty() && (args[0] == "read" || args[0] == "write");
}

int RunConfigCommand(TableIo* io, UserInterface& ui, const std::vector<std::string>& args,
                     const std::function<int()>& failed) {
    ConfigArgs a;
    std::string why;
    Parse(args, a, why);  // checked by the caller
    ConfigurationRecord record;
    if (a.what == "new") {
        NewConfiguration(record);
        return Save(record, a.output, ui);
    }
    if (a.what == "check") {
        // A file refused as a file follows the general rule (two lines joined by a
        // blank); the check's own refusal gives its lines each on its own line.
        if (!ReadConfigurationFile(a.file, record, ui)) return kExitFailed;
        TableImage image;
        const ConfigRefusal r = CheckConfiguration(record, true, image);
        if (!r.refused) return kExitOk;
        std::fprintf(stderr, "%s\n%s\n", r.line1.c_str(), r.line2.c_str());
        return kExitFailed;
    }
    // A write is the start sequence's restore, which runs before the base tables are
    // read: it asks only for the controller's type and version, so that it can mend
    // the very tables the further checks read (the chromatograph code of table 14).
    if (!io) return failed();
    if (!(a.what == "read" ? IdentifyFirst(*io, io->ui()) : IdentifyController(*io, io->ui(), nullptr)))
        return failed();
    if (a.what == "read") {
        if (!ReadConfiguration(*io, nullptr, 0)) {
            failed();
            ui.ShowMessageBox(kMsgExchangeResult, "Параметры конфигурации не прочитаны", "");
            return kExitFailed;
        }
        NewConfiguration(record);
        ConfigurationFromImage(record, io->image());
        return Save(record, a.output, ui);
    }
    uint8_t marks[kTableCount] = {};
    ParseTables(a.tables, marks);
    if (!ReadConfigurationFile(a.file, record, ui)) return kExitFailed;
    if (!ValidateConfiguration(record, marks[4] != 0, io->image(), ui)) return kExitFailed;
    if (marks[4]) {
        if (!WriteAccessTable(*io, nullptr)) {
            failed();
            ui.ShowMessageBox(kMsgPlain, "Таблица зарегистрированных пользователей не восстановлена",
                              "Запись в таблицы параметров конфигурации недопустима");
            return kExitFailed;
        }
        marks[4] = 0;
    }
    ConfigWriteOptions options;
    options.finalPauseMs = 0;
    return WriteMarkedTables(*io, marks, nullptr, options) ? kExitOk : failed();
}

}  // namespace zul::cli
