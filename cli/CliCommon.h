// What every `zul` command that talks to the controller shares: exit statuses,
// the terminal in place of message boxes, and the identification that the
// connection start does before any other command.
#pragma once
#include <string>
#include <vector>

#include "shell/UserInterface.h"

namespace zul {
class Qrtbox;
class TableIo;
}  // namespace zul

namespace zul::cli {

constexpr int kExitOk = 0;
constexpr int kExitLink = 1;
constexpr int kExitUsage = 2;

// Messages and questions of the core go to stderr (the two lines joined by one
// blank); every question is answered "Нет".
class TerminalUi : public UserInterface {
public:
    bool ShowMessageBox(int kind, const std::string& line1, const std::string& line2) override;
    int shown = 0;
};

// Prints the engine's error text unless a message has already said why; returns 1.
int Failed(Qrtbox& box, TerminalUi& ui);

// Table 0 read and checked as the connection start does (type 73, version 17 or
// 14), then the base tables (5, 6, 14, 1, 40, 15); false after the message.
bool PrepareController(TableIo& io);

}  // namespace zul::cli
