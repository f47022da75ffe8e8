// The two-line message box of the numbered kinds (caption, third line and
// buttons by kind) and the program-wide answer flag.
#pragma once
#include <QDialog>
#include <QString>

#include "shell/Suplfunc.h"

class QLabel;
class QPushButton;

namespace zul {

class TFormMessage : public QDialog {
    Q_OBJECT
public:
    TFormMessage(int kind, const QString& line1, const QString& line2, QWidget* parent = nullptr);
    // 1 after "Да", 0 after "Нет", the closing button, Esc or the window's close.
    int answer() const { return answer_; }
    QLabel* lineLabel(int i) const { return lines_[i]; }  // i = 0..2
    QPushButton* yesButton() const { return yes_; }
    QPushButton* noButton() const { return no_; }
    QPushButton* closeButton() const { return close_; }
    const MessageBoxLayout& layoutRules() const { return layout_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    MessageBoxLayout layout_;
    QLabel* lines_[3] = {};
    QPushButton* yes_ = nullptr;
    QPushButton* no_ = nullptr;
    QPushButton* close_ = nullptr;
    int answer_ = 0;
};

// Shows the box modally over `parent` (the active window when null) and returns
// the answer flag, which also stays readable through AnswerFlag().
bool ShowMessageBox(int kind, const QString& line1, const QString& line2, QWidget* parent = nullptr);
int AnswerFlag();

}  // namespace zul
