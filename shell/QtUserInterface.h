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

// While the core waits inside an exchange, Qt's events are processed so that the
// windows repaint and Esc reaches the read and dialling loops; the user's clicks
// and keys are held back, since a command started from one would run its own
// exchange on the engine that is still waiting. A window whose actions wait for the
// exchange to end (the live views, the traffic monitor) sets this property to true
// and keeps its input; so does a modal window opened meanwhile.
constexpr const char* kKeepsInputDuringExchange = "zulKeepsInputDuringExchange";
class ExchangeInputGuard;

class QtUserInterface : public UserInterface {
public:
    explicit QtUserInterface(QWidget* window = nullptr, EscHook* hook = nullptr);
    ~QtUserInterface() override;
    QtUserInterface(const QtUserInterface&) = delete;
    QtUserInterface& operator=(const QtUserInterface&) = delete;

    bool ShowMessageBox(int kind, const std::string& line1, const std::string& line2) override;
    void ProcessEvents() override;
    bool StopRequested() const override;
    bool TakeEscPress() override;
    void SetProgress(int value, int max) override;
    void HoldFullProgress(int max, int ms) override;
    void SetBusyCursor(bool busy) override;
    void ClearStopRequest() override;
    void BeginArchiveRead(int progressMax) override { if (beginRead) beginRead(progressMax); }
    void EndArchiveRead() override { if (endRead) endRead(); }
    void StartMessageTimer() override { if (messageTimer) messageTimer(); }

    // The main window's wait window and message timer (set by the main window).
    std::function<void(int)> beginRead;
    std::function<void()> endRead;
    std::function<void()> messageTimer;
    bool ChooseOpenFile(const std::string& title, const std::string& folder, const std::string& filter,
                        std::string& path) override;
    bool ChooseSaveFile(const std::string& title, const std::string& filter, std::string& path) override;

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
    ExchangeInputGuard* guard_;
};

}  // namespace zul
