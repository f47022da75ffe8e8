// A user-interface port for dialog tests: records every message box as
// "kind|line 1|line 2" and answers from a script (no answer left: "Нет").
#pragma once
#include <deque>
#include <string>
#include <vector>

#include "shell/UserInterface.h"

namespace zul::test {

class RecordingUi : public UserInterface {
public:
    bool ShowMessageBox(int kind, const std::string& line1, const std::string& line2) override {
        messages.push_back(std::to_string(kind) + "|" + line1 + "|" + line2);
        answerFlag = !answers.empty() && answers.front();
        if (!answers.empty()) answers.pop_front();
        return answerFlag;
    }
    std::string Last() const { return messages.empty() ? std::string() : messages.back(); }
    std::vector<std::string> messages;
    std::deque<bool> answers;
};

}  // namespace zul::test
