// The controller's current state: abnormal-situation flags (table 16) and the
// links with the chromatograph and the moisture meter (table 33), polled about
// one second after each poll ends; buttons to the table states and to the flow
// computers.
#pragma once
#include <array>
#include <cstdint>
#include <functional>

#include "editors/LiveView.h"

class QLabel;
class QLineEdit;

namespace zul {

class TFormPrz : public TLiveView {
    Q_OBJECT
public:
    // `info135`: filled by the table-state button for the table-state dialog.
    TFormPrz(TableIo& io, StatusBar* bar, uint8_t* info135, QWidget* parent = nullptr);

    // Closed by the table-state button (the buffer holds the table states).
    bool tableStateChosen() const { return tableState_; }
    // Opens the flow-computer view on the 48-byte record (addresses, links, writing states).
    std::function<void(const uint8_t* record48, int count)> openFlowComputers;
    // Started after each button's reads (the main window's message timer).
    std::function<void()> startMessageTimer;

    QLineEdit* EdChanged = nullptr;
    QLineEdit* EdFlowComputers = nullptr;
    QLineEdit* EdChromPolling = nullptr;
    QLineEdit* EdChromLink = nullptr;
    QLineEdit* EdLine1 = nullptr;
    QLineEdit* EdLine2 = nullptr;
    QLineEdit* EdMoistPolling = nullptr;
    QLineEdit* EdMoistLink = nullptr;
    QLineEdit* EdSelfDiagnostics = nullptr;
    QPushButton* BtnFlowComputers = nullptr;
    QPushButton* BtnTables = nullptr;

public slots:
    void TablesClick();
    void FlowComputersClick();

protected:
    void Poll() override;

private:
    void ShowState();
    void ShowLinks();

    uint8_t* info_;
    bool tableState_ = false;
    bool moisture_ = false;
    bool flowComputers_ = false;
};

}  // namespace zul
