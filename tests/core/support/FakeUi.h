// A user-interface port that records every message box and answers from a script.
#pragma once
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "shell/UserInterface.h"

namespace zul::test {

struct ShownMessage {
    int kind;
    std::string line1, line2;
};

class FakeUi : public UserInterface {
public:
    bool ShowMessageBox(int kind, const std::string& l1, const std::string& l2) override {
        shown.push_back({kind, l1, l2});
        bool a = false;
        if (!answers.empty()) {
            a = answers.front();
            answers.pop_front();
        }
        answerFlag = a;
        return a;
    }
    void ProcessEvents() override {
        ++eventTurns;
        if (onEvents) onEvents();
    }
    // File dialogs: each takes the next answer ("" or none left = cancelled) and
    // records its title and the path it proposed.
    bool ChooseOpenFile(const std::string& title, const std::string& folder, const std::string&,
                        std::string& path) override {
        dialogs.push_back({title, folder});
        return NextFile(path);
    }
    bool ChooseSaveFile(const std::string& title, const std::string&, std::string& path) override {
        dialogs.push_back({title, path});
        return NextFile(path);
    }
    bool NextFile(std::string& path) {
        if (files.empty()) return false;
        const std::string f = files.front();
        files.pop_front();
        if (f.empty()) return false;
        path = f;
        return true;
    }
    struct FileDialog {
        std::string title, proposed;
    };
    std::vector<FileDialog> dialogs;
    std::deque<std::string> files;
    std::vector<ShownMessage> shown;
    std::deque<bool> answers;  // "Да" = true; when empty every question is answered "Нет"
    std::function<void()> onEvents;
    long eventTurns = 0;
};

// A status bar that keeps every text ever put into each panel.
class RecordingStatusBar : public StatusBar {
public:
    void SetPanelText(int panel, const std::string& text) override {
        if (panel >= 0 && panel < 8) {
            current[panel] = text;
            history[panel].push_back(text);
        }
    }
    std::string PanelText(int panel) const override { return panel >= 0 && panel < 8 ? current[panel] : ""; }
    std::string current[8];
    std::vector<std::string> history[8];
};

}  // namespace zul::test
