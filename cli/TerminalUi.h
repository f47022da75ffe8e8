// The user-interface port of the command line: message boxes as their two lines
// joined by one blank on stderr, every question answered "Нет", progress on stderr
// when it is a terminal, Ctrl+C during an archive read as the stop request; the
// exit statuses every command shares.
#pragma once
#include <csignal>
#include <cstdio>
#include <string>

#include <unistd.h>

#include "link/Qrtbox.h"
#include "shell/UserInterface.h"

namespace zul::cli {

constexpr int kExitOk = 0;
constexpr int kExitLink = 1;  // the controller could not be reached or refused
constexpr int kExitUsage = 2;

class TerminalUi : public UserInterface {
public:
    bool ShowMessageBox(int, const std::string& line1, const std::string& line2) override {
        EndProgressLine();
        std::fprintf(stderr, "%s%s%s\n", line1.c_str(), line2.empty() ? "" : " ", line2.c_str());
        ++shown;
        answerFlag = false;
        return false;
    }
    bool StopRequested() const override { return interrupted_ != 0; }
    void ClearStopRequest() override { interrupted_ = 0; }
    void BeginArchiveRead(int) override {
        interrupted_ = 0;
        previous_ = std::signal(SIGINT, [](int) { interrupted_ = 1; });
    }
    void EndArchiveRead() override {
        std::signal(SIGINT, previous_ == SIG_ERR ? SIG_DFL : previous_);
        EndProgressLine();
    }
    void SetProgress(int value, int max) override {
        if (max <= 0 || !isatty(2)) return;
        std::fprintf(stderr, "\r%d / %d", value, max);
        progressShown_ = true;
    }
    int shown = 0;

private:
    void EndProgressLine() {
        if (progressShown_) std::fputc('\n', stderr);
        progressShown_ = false;
    }
    static inline volatile std::sig_atomic_t interrupted_ = 0;
    void (*previous_)(int) = SIG_DFL;
    bool progressShown_ = false;
};

// A command's bad usage: "zul COMMAND: what", then the command's help; kExitUsage.
inline int CommandUsage(const char* command, const char* help, const std::string& what) {
    std::fprintf(stderr, "zul %s: %s\n", command, what.c_str());
    std::fputs(help, stderr);
    return kExitUsage;
}

// Prints the engine's error text unless a message has already said why; kExitLink.
inline int Failed(Qrtbox& box, TerminalUi& ui) {
    if (box.errorCode != 0 || ui.shown == 0) std::fprintf(stderr, "%s\n", box.ErrorText().c_str());
    return kExitLink;
}

}  // namespace zul::cli
