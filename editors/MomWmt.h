// The live moisture-meter view: the latest values of the moisture meter, polled
// every 10 s.
#pragma once
#include <array>

#include "editors/LiveData.h"
#include "editors/LiveView.h"

class QLabel;
class QLineEdit;

namespace zul {

class TFormMomWmt : public TLiveView {
    Q_OBJECT
public:
    TFormMomWmt(TableIo& io, StatusBar* bar, QWidget* parent = nullptr);

    int rows() const { return rows_; }
    QLineEdit* EdTime = nullptr;
    std::array<QLabel*, kMoistRows> LblValue{};
    std::array<QLineEdit*, kMoistRows> EdValue{};

protected:
    void Poll() override;

private:
    int rows_ = kMoistRows;
    std::array<uint8_t, kMoistValueBytes> values_{};
};

}  // namespace zul
