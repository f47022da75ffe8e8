// The link options of `zul` and the opening and closing of the link they name,
// shared by every command that talks to a controller and by the collection
// from the subscriber lists (which fills them from each subscriber).
#pragma once
#include <string>

#include "link/Qrtbox.h"
#include "shell/UserInterface.h"

namespace zul::cli {

// The port number the direct line or the modem is mapped to (its device comes from --serial or --modem).
constexpr int kCliPort = 1;

struct Options {
    std::string tcp, serial, modem, phone, modemInit;
    long address = 1, baud = 38400, preambles = 5, attempts = 1;
    // -1: not given (the kind's default applies)
    long replyTimeoutMs = -1, interByteMs = -1, sendPauseMs = -1, connectWaitS = -1;
    std::string ident, password, capture;
    bool identSet = false, passwordSet = false;
    bool trace = false;
};

// Sets up the engine for the chosen link (options already checked): a TCP
// connection tried again until the connection wait has passed, or the serial
// device opened (and the modem dialled). The reason goes to `ui` (or stderr for
// a port that cannot be opened, when `portTold` is null) and false comes back
// when the link cannot be opened.
bool OpenLink(const Options& o, Qrtbox& box, UserInterface& ui, std::string* portTold = nullptr);
// Closes what OpenLink opened (a modem is hung up first).
void CloseLink(Qrtbox& box, UserInterface& ui);

}  // namespace zul::cli
