// The modeless wait window with its three lines and a progress bar.
#pragma once
#include <QDialog>

class QLabel;
class QProgressBar;

namespace zul {

class TFormWait : public QDialog {
    Q_OBJECT
public:
    static constexpr int kWidth = 332;
    static constexpr int kHeight = 138;

    explicit TFormWait(int kind, QWidget* parent = nullptr);
    int kind() const { return kind_; }
    QProgressBar* progressBar() const { return progress_; }
    QLabel* lineLabel(int i) const { return lines_[i]; }  // i = 0..2
    // Progress; max 0 empties the bar.
    void SetProgress(int value, int max);

protected:
    void keyPressEvent(QKeyEvent* event) override;  // Esc does not close it
    void closeEvent(QCloseEvent* event) override;   // nor does the window system

private:
    int kind_;
    QLabel* lines_[3] = {};
    QProgressBar* progress_ = nullptr;
    bool closing_ = false;
    friend void CloseWaitWindow(TFormWait*);
};

// Closes (hides) a wait window the caller showed; the caller still owns it.
void CloseWaitWindow(TFormWait* wait);

}  // namespace zul
