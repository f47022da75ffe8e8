// The telephone side of the main window: the dial step of the start sequence and
// the modem panel with the call duration and "Отключить связь".
#pragma once
#include <QFrame>

class QLabel;
class QPushButton;
class QTimer;

namespace zul {

class TFormMain;

class TModemPanel : public QFrame {
    Q_OBJECT
public:
    // A hidden panel over the main window's client area.
    explicit TModemPanel(TFormMain& main);

    // The call has begun: "00:00:00", the duration timer running, the panel shown
    // at the bottom right above the status bars.
    void StartCall(double callStart);
    // Hides the panel and stops the timer.
    void EndCall();
    double callStart() const { return callStart_; }

    QLabel* LDuration = nullptr;
    QPushButton* BtnDisconnect = nullptr;  // "Отключить связь"
    QTimer* TimerMoney = nullptr;

public slots:
    // The duration since the call began, "%02d:%02d:%02d" (hours again from 00 after a day).
    void TimerMoneyTimer();
    void DisconnectClick();

private:
    TFormMain& main_;
    double callStart_ = 0;
};

// The duration text of a call from `callStart` to `now` (date-time values).
QString CallDurationText(double callStart, double now);

// The dial step of the start sequence (telephone kind): dials the selected
// subscriber, asks whether to repeat a failed call; true when connected.
bool DialSubscriber(TFormMain& main);

}  // namespace zul
