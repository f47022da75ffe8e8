#include "cli/ModemLink.h"

#include <unistd.h>

#include <cstdio>

#include "link/Connectmodem.h"
#include "link/Qrtbox.h"
#include "shell/UserInterface.h"

namespace zul::cli {

namespace {
// Dialling progress on stderr, when it is a terminal.
class ProgressLine : public StatusBar {
public:
    void SetPanelText(int, const std::string& text) override {
        std::string shown;
        for (char c : text) shown += c == '\r' ? "\\r" : c == '\n' ? "\\n" : std::string(1, c);
        std::fprintf(stderr, "%s\n", shown.c_str());
        text_ = text;
    }
    std::string PanelText(int) const override { return text_; }

private:
    std::string text_;
};
}  // namespace

bool DialForCommand(Qrtbox& box, UserInterface& ui, const ModemCall& call) {
    ProgressLine progress;
    Connectmodem modem(*box.port, &ui, *box.clock);
    const int code = modem.DialModem(call.phone, call.init, ::isatty(STDERR_FILENO) ? &progress : nullptr,
                                     call.attempts, call.connectWaitSeconds);
    if (code == kModemConnected) return true;
    std::fprintf(stderr, "%s\n", ModemResultText(code));
    return false;
}

void HangUpAfterCommand(Qrtbox& box, UserInterface& ui) {
    if (box.PortOpen()) Connectmodem(*box.port, &ui, *box.clock).HangUp();
}

}  // namespace zul::cli
