#include "cli/ModemLink.h"

#include <signal.h>
#include <unistd.h>

#include <cstdio>

#include "link/Connectmodem.h"
#include "link/Qrtbox.h"
#include "shell/UserInterface.h"

namespace zul::cli {

namespace {

volatile sig_atomic_t gInterrupted = 0;
void OnInterrupt(int) { gInterrupted = 1; }

// The terminal's interface while dialling, with Ctrl+C standing for Esc.
class DialUi : public UserInterface {
public:
    explicit DialUi(UserInterface& ui) : ui_(ui) {}
    bool ShowMessageBox(int kind, const std::string& line1, const std::string& line2) override {
        answerFlag = ui_.ShowMessageBox(kind, line1, line2);
        return answerFlag;
    }
    void ProcessEvents() override { ui_.ProcessEvents(); }
    bool TakeEscPress() override {
        if (!gInterrupted) return false;
        gInterrupted = 0;
        return true;
    }

private:
    UserInterface& ui_;
};

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
    DialUi dialUi(ui);
    struct sigaction interrupt{}, previous{};
    interrupt.sa_handler = OnInterrupt;
    gInterrupted = 0;
    sigaction(SIGINT, &interrupt, &previous);
    Connectmodem modem(*box.port, &dialUi, *box.clock);
    const int code = modem.DialModem(call.phone, call.init, ::isatty(STDERR_FILENO) ? &progress : nullptr,
                                     call.attempts, call.connectWaitSeconds);
    sigaction(SIGINT, &previous, nullptr);
    if (code == kModemConnected) return true;
    std::fprintf(stderr, "%s\n", ModemResultText(code));
    return false;
}

void HangUpAfterCommand(Qrtbox& box, UserInterface& ui) {
    if (box.PortOpen()) Connectmodem(*box.port, &ui, *box.clock).HangUp();
}

}  // namespace zul::cli
