#include "shell/TrafficMonitor.h"

#include <QDateTime>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

#include "link/ExchangeCapture.h"
#include "shell/Folders.h"
#include "shell/QtUserInterface.h"

namespace zul {

namespace {
constexpr int kTakeEveryMs = 250;
}

TFormMonitor::TFormMonitor(const Qrtbox& box, QWidget* parent) : TArchiveView(parent), box_(box) {
    setModal(false);
    setProperty(kKeepsInputDuringExchange, true);  // pause and clear touch no controller; save waits (below)
    setWindowTitle(QStringLiteral("Монитор обмена"));
    pause_ = AddButton(QStringLiteral("Пауза"));
    clear_ = AddButton(QStringLiteral("Очистить"));
    save_ = AddButton(QStringLiteral("Сохранить в файле"));
    connect(pause_, &QPushButton::clicked, this, &TFormMonitor::TogglePause);
    connect(clear_, &QPushButton::clicked, this, &TFormMonitor::Clear);
    connect(save_, &QPushButton::clicked, this, [this] {
        // A file dialog opened while an exchange waits would hold the engine's wait
        // loop past its deadline: it opens once the reply is in.
        if (box_.InExchange()) {
            saveWaits_ = true;
            return;
        }
        Save();
    });
    Anchor();
    timer_ = new QTimer(this);
    timer_->setInterval(kTakeEveryMs);
    connect(timer_, &QTimer::timeout, this, &TFormMonitor::TakeQueued);
    timer_->start();
    Refill();
    resize(900, 420);
}

void TFormMonitor::Save() {
    SaveFileRequest r;
    r.folder = QString::fromStdString(WorkFolderPath(kFolderIni));
    r.filter = QStringLiteral("Text (*.txt)|*.txt");
    r.presetName = r.folder + "/exchange.txt";
    r.extension = QStringLiteral(".txt");
    r.bytes = [this] { return Text(); };
    SaveToFile(r);
}

void TFormMonitor::Anchor() {
    anchorNs_ = box_.clock->MonotonicNs();
    anchorMsOfDay_ = QTime::currentTime().msecsSinceStartOfDay();
}

void TFormMonitor::OnExchangeEvent(const ExchangeEvent& e) {
    Line l;
    // The time of day from the engine's own stamp: asking for the local time here
    // would read the zone file once per event.
    constexpr int64_t kDayMs = 86'400'000;
    l.msOfDay = int(((anchorMsOfDay_ + (e.monotonicNs - anchorNs_) / 1'000'000) % kDayMs + kDayMs) % kDayMs);
    l.request = e.kind == ExchangeEvent::kRequest;
    l.command = e.command;
    l.attempt = e.attempt;
    l.errorCode = l.request ? 0 : e.errorCode;
    if (e.count > 0) l.bytes.assign(e.bytes, e.bytes + e.count);
    if (l.errorCode) l.error = box_.Message(l.errorCode);
    queued_.push_back(std::move(l));
    // Nothing is shown while paused, and no more than the grid keeps is held back.
    if (queued_.size() > kMaxLines) queued_.pop_front();
}

std::string TFormMonitor::Cell(const Line& l, int column) {
    switch (column) {
    case 0: return QTime::fromMSecsSinceStartOfDay(l.msOfDay).toString(QStringLiteral("HH:mm:ss.zzz")).toStdString();
    case 1: return l.request ? ">" : "<";
    case 2: return std::to_string(l.command);
    case 3: return std::to_string(l.attempt);
    case 4: return l.bytes.empty() ? "-" : HexBytes(l.bytes.data(), int(l.bytes.size()));
    case 5: return l.request ? "" : std::to_string(l.errorCode);
    default: return l.error;
    }
}

void TFormMonitor::SaveIfWaiting() {
    if (!saveWaits_ || box_.InExchange()) return;
    saveWaits_ = false;
    Save();
}

void TFormMonitor::TakeQueued() {
    Anchor();
    SaveIfWaiting();
    if (paused_ || queued_.empty()) return;
    for (Line& l : queued_) lines_.push_back(std::move(l));
    queued_.clear();
    while (lines_.size() > kMaxLines) lines_.pop_front();
    Refill();
    grid()->scrollToBottom();
}

void TFormMonitor::Refill() {
    const std::deque<Line>* lines = &lines_;
    SetGrid(int(lines_.size()),
            {QStringLiteral("Время"), QStringLiteral(""), QStringLiteral("Команда"), QStringLiteral("Попытка"),
             QStringLiteral("Байты"), QStringLiteral("Итог"), QStringLiteral("Ошибка")},
            {90, 20, 60, 60, 420, 40, 200}, [lines](int r, int c) {
                return r >= 0 && size_t(r) < lines->size() ? QString::fromStdString(Cell((*lines)[size_t(r)], c))
                                                           : QString();
            });
    SetStatusText(QStringLiteral("Строк: %1%2").arg(lines_.size()).arg(paused_ ? QStringLiteral("  (пауза)") : QString()));
}

void TFormMonitor::TogglePause() {
    paused_ = !paused_;
    pause_->setText(paused_ ? QStringLiteral("Продолжить") : QStringLiteral("Пауза"));
    if (!paused_) TakeQueued();
    Refill();
}

void TFormMonitor::Clear() {
    lines_.clear();
    queued_.clear();
    Refill();
}

std::string TFormMonitor::Text() const {
    std::string out;
    for (const Line& l : lines_) {
        for (int c = 0; c < kColumns; ++c) {
            if (c) out += '\t';
            out += Cell(l, c);
        }
        out += '\n';
    }
    return out;
}

}  // namespace zul
