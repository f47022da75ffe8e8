// "Монитор обмена": the exchanges as the engine's observer sees them, live — time,
// direction, command, attempt, the bytes in hex, outcome and its text — kept to
// the last 10,000 lines, with pause, clear and save as text. Events are only
// queued while an exchange runs; the grid takes them in a few times a second, so
// the monitor never holds an archive read up.
//
//   TFormMonitor* m = new TFormMonitor(box, this);   // box outlives it
//   fanOut.Add(m);  m->show();
#pragma once
#include <array>
#include <deque>
#include <string>

#include "events/ArchiveView.h"
#include "link/Qrtbox.h"

class QTimer;

namespace zul {

class TFormMonitor : public TArchiveView, public ExchangeObserver {
    Q_OBJECT
public:
    static constexpr size_t kMaxLines = 10000;
    static constexpr int kColumns = 7;

    TFormMonitor(const Qrtbox& box, QWidget* parent = nullptr);

    void OnExchangeEvent(const ExchangeEvent& e) override;

    QPushButton* pauseButton() const { return pause_; }
    QPushButton* clearButton() const { return clear_; }
    QPushButton* saveButton() const { return save_; }
    // Moves the queued lines into the grid (a timer does it; tests may call it).
    void TakeQueued();
    size_t lineCount() const { return lines_.size(); }
    // The text "Сохранить в файле" writes: a line of TAB-separated cells per row.
    std::string Text() const;

private:
    struct Line {
        std::array<std::string, kColumns> cells;
    };
    void TogglePause();
    void Clear();
    void Refill();

    const Qrtbox& box_;
    std::deque<Line> lines_;
    std::deque<Line> queued_;
    bool paused_ = false;
    QTimer* timer_;
    QPushButton* pause_;
    QPushButton* clear_;
    QPushButton* save_;
};

}  // namespace zul
