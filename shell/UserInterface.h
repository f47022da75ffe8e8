// How the core talks to the user: message boxes of the numbered kinds, status-bar
// panels, progress, event processing while waiting, and the Esc stop request.
// The program implements it with Qt, the command-line tool with the terminal,
// tests with a scripted fake.
#pragma once
#include <string>

namespace zul {

// Message kinds of ShowMessageBox.
enum MessageKind {
    kMsgError = 1,          // "Ошибка"
    kMsgInputError = 2,     // "Ошибка ввода параметров"
    kMsgQuestion = 3,       // yes / no
    kMsgWarning = 4,        // "(см. текущее состояние контроллера)"
    kMsgExchangeResult = 5, // "Результат обмена с устройством"
    kMsgPlain = 6,
    kMsgRetry = 7,          // "Повторить попытку?"
    kMsgDayReport = 8,
    kMsgArchiveDatesInfo = 9,
    kMsgArchiveDatesQuestion = 10,
    kMsgNoCertificate = 11,
};

// A status bar with numbered panels (texts in UTF-8).
class StatusBar {
public:
    virtual ~StatusBar() = default;
    virtual void SetPanelText(int panel, const std::string& text) = 0;
    virtual std::string PanelText(int panel) const = 0;
    virtual void Repaint() {}
};

class UserInterface {
public:
    virtual ~UserInterface() = default;
    // Shows a modal two-line message box of the given kind; returns the answer
    // flag: true when closed with "Да", false otherwise.
    virtual bool ShowMessageBox(int kind, const std::string& line1, const std::string& line2) = 0;
    // The answer flag of the last message box.
    bool answerFlag = false;
    // Lets the window system handle pending events while the core waits.
    virtual void ProcessEvents() {}
    // True when the user asked to stop a running archive read (Esc).
    virtual bool StopRequested() const { return false; }
    virtual void ClearStopRequest() {}
    // An archive read begins: the wait window in its reading kind with a progress
    // maximum, the main window disabled, the stop request cleared and the
    // read-in-progress flag set (Esc then sets the stop request).
    virtual void BeginArchiveRead(int /*progressMax*/) {}
    // It ends: flag cleared, wait window closed, main window enabled and in front.
    virtual void EndArchiveRead() {}
    // Starts the message timer that empties main status panel 2 after 3 s.
    virtual void StartMessageTimer() {}
    // Takes one Esc key press that arrived since the last call (modem dialling);
    // false when there was none.
    virtual bool TakeEscPress() { return false; }
    // Progress of a long operation; max 0 hides it.
    virtual void SetProgress(int /*value*/, int /*max*/) {}
    // The wait window's bar set full and kept on screen for `ms` (a window's port only).
    virtual void HoldFullProgress(int /*max*/, int /*ms*/) {}
    // The hourglass while the core waits for the controller.
    virtual void SetBusyCursor(bool /*busy*/) {}
    // A file dialog for opening: `title`, starting `folder`, `filter` such as
    // "*.cnf"; true with the chosen path, false when cancelled.
    virtual bool ChooseOpenFile(const std::string& /*title*/, const std::string& /*folder*/,
                                const std::string& /*filter*/, std::string& /*path*/) {
        return false;
    }
    // A file dialog for saving that proposes `path` (a full path) and does not ask
    // about replacing a file itself; true with the chosen path.
    virtual bool ChooseSaveFile(const std::string& /*title*/, const std::string& /*filter*/,
                                std::string& /*path*/) {
        return false;
    }
};

// The hourglass for the length of a scope.
class Hourglass {
public:
    explicit Hourglass(UserInterface& ui) : ui_(ui) { ui_.SetBusyCursor(true); }
    ~Hourglass() { ui_.SetBusyCursor(false); }
    Hourglass(const Hourglass&) = delete;
    Hourglass& operator=(const Hourglass&) = delete;

private:
    UserInterface& ui_;
};

// A status bar that only keeps its texts (command-line tool, tests, dialogs without a bar).
class MemoryStatusBar : public StatusBar {
public:
    void SetPanelText(int panel, const std::string& text) override {
        if (panel >= 0 && panel < kPanels) texts[panel] = text;
    }
    std::string PanelText(int panel) const override {
        return panel >= 0 && panel < kPanels ? texts[panel] : std::string();
    }
    static constexpr int kPanels = 8;
    std::string texts[kPanels];
};

}  // namespace zul
