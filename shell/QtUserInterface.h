// The core's user-interface port on Qt: message boxes through ShowMessageBox,
// event processing, the Esc stop request, progress in the wait window shown.
#pragma once
#include <functional>

#include <QPointer>
#include <QProgressBar>
#include <QWidget>

#include "shell/UserInterface.h"


namespace zul {

class EscHook;

class QtUserInterface : public UserInterface {
public:
    explicit QtUserInterface(QWidget* window = nullptr, EscHook* hook = nullptr)
        : window_(window), hook_(hook) {}

    bool ShowMessageBox(int kind, const std::string& line1, const std::string& line2) override;
    void ProcessEvents() override;
    bool StopRequested() const override;
    void SetProgress(int value, int max) override;
    void SetBusyCursor(bool busy) override;
    void ClearStopRequest() override;
    void BeginArchiveRead(int progressMax) override { if (beginRead) beginRead(progressMax); }
    void EndArchiveRead() override { if (endRead) endRead(); }
    void StartMessageTimer() override { if (messageTimer) messageTimer(); }

    // The main window's wait window and message timer (set by the main window).
    std::function<void(int)> beginRead;
    std::function<void()> endRead;
    std::function<void()> messageTimer;

    // Where progress goes (the wait window's bar); null: nowhere.
    void SetProgressBar(QProgressBar* bar) { progress_ = bar; }
    QProgressBar* ProgressBar() const { return progress_; }
    void SetWindow(QWidget* window) { window_ = window; }
    void SetEscHook(EscHook* hook) { hook_ = hook; }
    // True while the core waits inside ProcessEvents (an exchange is running).
    bool InsideProcessEvents() const { return depth_ > 0; }

private:
    QPointer<QWidget> window_;
    EscHook* hook_;
    QPointer<QProgressBar> progress_;
    int depth_ = 0;
    int busy_ = 0;
};

}  // namespace zul
