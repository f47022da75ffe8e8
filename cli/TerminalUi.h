// The user-interface port of the command line: message boxes as their two lines
// joined by one blank on stderr (the first message after a failed exchange ends
// with the engine's reason, which the window shows beside it in its status bar),
// every question answered "Нет", progress on stderr
// when it is a terminal, Ctrl+C during an archive read as the stop request (and so
// SIGTERM and SIGHUP, which `timeout`, a service manager or a closed terminal send:
// what arrived is kept); the exit statuses every command shares.
#pragma once
#include <signal.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <string>

#include <unistd.h>

#include "link/Qrtbox.h"
#include "shell/ConnectionStart.h"
#include "shell/UserInterface.h"
#include "tables/Conffun.h"

namespace zul::cli {

constexpr int kExitOk = 0;
constexpr int kExitLink = 1;  // the controller could not be reached or refused
constexpr int kExitUsage = 2;

class TerminalUi : public UserInterface {
public:
    bool ShowMessageBox(int, const std::string& line1, const std::string& line2) override {
        EndProgressLine();
        std::string text = line1;
        if (!line2.empty()) text += " " + line2;
        if (box && box->errorCode != 0 && !ReasonTold()) {
            reasonTold_ = box->ExchangeCount();
            // Unless the message already gives it (a refusal's text in line 2).
            const std::string& reason = box->ErrorText();
            const size_t cut = reason.find(".  ");
            if (text.find(cut == std::string::npos ? reason : reason.substr(cut + 3)) == std::string::npos)
                text += " " + reason;
        }
        std::fprintf(stderr, "%s\n", text.c_str());
        ++shown;
        answerFlag = false;
        return false;
    }
    bool StopRequested() const override { return interrupted_ != 0; }
    void ClearStopRequest() override { interrupted_ = 0; }
    void BeginArchiveRead(int) override {
        interrupted_ = 0;
        struct sigaction stop{};
        stop.sa_handler = [](int) { interrupted_ = 1; };
        sigemptyset(&stop.sa_mask);
        for (int i = 0; i < kStopSignals; ++i) sigaction(kStopSignal[i], &stop, &previous_[i]);
    }
    void EndArchiveRead() override {
        for (int i = 0; i < kStopSignals; ++i) sigaction(kStopSignal[i], &previous_[i], nullptr);
        EndProgressLine();
    }
    void SetProgress(int value, int max) override {
        if (max <= 0 || !isatty(2)) return;
        std::fprintf(stderr, "\r%d / %d", value, max);
        progressShown_ = true;
    }
    // True when a message has told why the engine's last exchange failed.
    bool ReasonTold() const { return box && reasonTold_ == box->ExchangeCount(); }
    int shown = 0;
    Qrtbox* box = nullptr;  // the engine whose failures the messages tell

private:
    void EndProgressLine() {
        if (progressShown_) std::fputc('\n', stderr);
        progressShown_ = false;
    }
    static constexpr int kStopSignals = 3;
    static constexpr int kStopSignal[kStopSignals] = {SIGINT, SIGTERM, SIGHUP};
    static inline volatile std::sig_atomic_t interrupted_ = 0;
    struct sigaction previous_[kStopSignals] = {};
    bool progressShown_ = false;
    uint64_t reasonTold_ = UINT64_MAX;
};

// A command's bad usage: "zul COMMAND: what", then the command's help; kExitUsage.
inline int CommandUsage(const char* command, const char* help, const std::string& what) {
    std::fprintf(stderr, "zul %s: %s\n", command, what.c_str());
    std::fputs(help, stderr);
    return kExitUsage;
}

// What every command that talks to the controller does first, as the window's start
// does: table 0 identifies it (another type or version is refused), then the base
// tables are read (another chromatograph code is refused).
inline bool IdentifyFirst(TableIo& io, UserInterface& ui) {
    return IdentifyController(io, ui, nullptr) && ReadBaseTables(io, ui, nullptr);
}

// Prints the engine's error text unless a message has already said why; kExitLink.
inline int Failed(Qrtbox& box, TerminalUi& ui) {
    if (box.errorCode != 0 ? !ui.ReasonTold() : ui.shown == 0) std::fprintf(stderr, "%s\n", box.ErrorText().c_str());
    return kExitLink;
}

}  // namespace zul::cli
