// The telephone link of `zul`: the modem on the held port is prepared and dialled
// before the command and hung up after it, with the window's own dialling code.
#pragma once
#include <string>

namespace zul {
class Qrtbox;
class UserInterface;
}  // namespace zul

namespace zul::cli {

struct ModemCall {
    std::string phone;
    std::string init;          // the modem command text ("AT...^AT...")
    int attempts = 1;          // dialling attempts
    int connectWaitSeconds = 50;
};

// Dials on the engine's open port (Ctrl+C acts as Esc meanwhile); on failure
// prints the result code's text on stderr and returns false.
bool DialForCommand(Qrtbox& box, UserInterface& ui, const ModemCall& call);
// Back to command mode and on-hook (outcomes ignored).
void HangUpAfterCommand(Qrtbox& box, UserInterface& ui);

}  // namespace zul::cli
