// The main window's view of its exchanges ("Версия" menu): the traffic monitor
// "Монитор обмена" and "Записывать обмен в файл", both hung on the engine's
// observer through one fan-out.
#pragma once
#include <memory>

#include <QPointer>
#include <QString>

#include "link/ExchangeCapture.h"
#include "shell/TrafficMonitor.h"

class QAction;

namespace zul {

class TFormMain;

class TrafficTools {
public:
    // Hangs the fan-out on the window's engine.
    explicit TrafficTools(TFormMain& main);
    ~TrafficTools();

    // "Монитор обмена": opens the monitor, or brings it to the front.
    void ShowMonitor();
    // "Записывать обмен в файл": asks for the file and starts recording, or stops
    // and writes the file.
    void ToggleCapture(QAction* item);
    // At the window's close: writes a running capture (saying so only when it
    // cannot be written) and closes the monitor.
    void Finish();

    TFormMonitor* monitor() const { return monitor_; }
    bool capturing() const { return recorder_ != nullptr; }
    const QString& capturePath() const { return capturePath_; }

private:
    void StopCapture(QAction* item);
    bool SaveCapture();

    TFormMain& main_;
    ExchangeFanOut observers_;
    QPointer<TFormMonitor> monitor_;
    std::unique_ptr<ExchangeRecorder> recorder_;
    QString capturePath_;
};

}  // namespace zul
