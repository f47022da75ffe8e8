// "Монитор обмена": the exchanges as the engine's observer sees them, live — time,
// direction, command, attempt, the bytes in hex, outcome and its text — kept to
// the last 10,000 lines, with pause, clear and save as text. While an exchange
// runs an event is only copied into a queue; the grid takes the queue in a few
// times a second and makes the texts of the rows it shows, so that the monitor
// holds an archive read up as little as it can.
//
//   TFormMonitor* m = new TFormMonitor(box, this);   // box outlives it
//   fanOut.Add(m);  m->show();
#pragma once
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

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
    // What an event leaves; the texts are made only for the rows shown or saved.
    struct Line {
        int msOfDay = 0;
        bool request = false;
        uint8_t command = 0;
        int attempt = 0;
        uint32_t errorCode = 0;
        std::vector<uint8_t> bytes;
        std::string error;  // the outcome's text (failures only)
    };
    static std::string Cell(const Line& l, int column);
    // The local time of day at a moment of the engine's monotonic clock.
    void Anchor();
    void Save();
    // The save pressed during an exchange, once the engine is out of it.
    void SaveIfWaiting();
    void TogglePause();
    void Clear();
    void Refill();

    const Qrtbox& box_;
    std::deque<Line> lines_;
    std::deque<Line> queued_;
    bool paused_ = false;
    bool saveWaits_ = false;     // "Сохранить в файле" pressed during an exchange
    int64_t anchorNs_ = 0;
    int64_t anchorMsOfDay_ = 0;
    QTimer* timer_;
    QPushButton* pause_;
    QPushButton* clear_;
    QPushButton* save_;
};

}  // namespace zul
