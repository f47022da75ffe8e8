// The common part of the live views: a polling timer, the toggle "Не обновлять
// данные" / "Обновлять данные" and "Выход".
//
// A poll runs quiet reads through the engine, which lets the window system run
// while it waits. A tick that falls due while any exchange is running (the view's
// first poll, a read of one of its buttons, any other exchange) is skipped, never
// queued: two exchanges never overlap, and the next tick comes a period later.
// (The repeating timer itself does not fire again inside its own poll.)
// A failed poll leaves the values on screen and says why in the status bar.
// Closing the view (also during a poll) stops its timer; a poll that is still
// waiting finishes into the hidden view, which the caller destroys afterwards.
//
//   class TFormXxx : public TLiveView {
//       void Poll() override;                     // the reads and the display
//   };
//   TFormXxx view(io, mainBar, parent);  view.exec();
#pragma once
#include <functional>
#include <string>

#include <QDialog>

class QBoxLayout;
class QPushButton;
class QTimer;

namespace zul {

class StatusBar;
class TableIo;

class TLiveView : public QDialog {
    Q_OBJECT
public:
    // `periodMs`: repeating timer, first poll when shown; with `oneShot` the timer
    // is started when shown and again by the view at the end of each poll.
    TLiveView(TableIo& io, StatusBar* bar, int periodMs, bool oneShot, QWidget* parent);
    ~TLiveView() override;

    bool polling() const { return polling_; }
    bool pollRunning() const { return inPoll_; }
    int polls() const { return polls_; }
    int skippedTicks() const { return skipped_; }
    QTimer* pollTimer() const { return timer_; }

    QPushButton* BtnToggle = nullptr;   // "Не обновлять данные" / "Обновлять данные"
    QPushButton* BtnExit = nullptr;

public slots:
    void ToggleClick();
    void TimerTick();

protected:
    // One poll (the timer is stopped meanwhile for one-shot views).
    virtual void Poll() = 0;
    // Whether the poll may go on after the window system had its turn.
    bool StillPolling() const { return polling_ && !closed_; }
    bool closed() const { return closed_; }
    // After the reads of a poll: a failure puts the engine's error into panel 2 of
    // the status bar (the view keeps its values); the next good poll clears it.
    void ReportPoll(bool ok);
    // A button's action runs at once, or right after the poll that is running.
    void WhenIdle(std::function<void()> action);
    // A button's own reads: the timer rests and the buttons are disabled meanwhile.
    void BeginButtonRead();
    void EndButtonRead();
    void AddButtons(QBoxLayout* row);
    bool ExchangeRunning() const;

    void showEvent(QShowEvent* event) override;
    void done(int result) override;

    TableIo& io_;
    StatusBar* bar_;

private:
    QTimer* timer_;
    bool oneShot_;
    bool polling_ = true;
    bool started_ = false;
    bool closed_ = false;
    bool inPoll_ = false;
    bool buttonRead_ = false;
    int polls_ = 0;
    int skipped_ = 0;
    std::function<void()> pending_;
    std::string failureShown_;
};

}  // namespace zul
