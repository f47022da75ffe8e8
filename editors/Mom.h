// The live chromatograph view: the latest value and zone of every gas parameter
// in use, polled every 10 s, with a small trend per parameter of the values
// polled while the view is open.
#pragma once
#include <array>
#include <vector>

#include "editors/LiveData.h"
#include "editors/LiveView.h"

class QLineEdit;
class QLabel;

class QChartView;
class QLineSeries;
class QValueAxis;

namespace zul {

class TFormMom : public TLiveView {
    Q_OBJECT
public:
    TFormMom(TableIo& io, StatusBar* bar, QWidget* parent = nullptr);

    int rows() const { return rows_; }
    QLineEdit* EdTime = nullptr;
    std::array<QLineEdit*, kGasParameters> EdName{}, EdValue{}, EdZone{};
    std::array<QChartView*, kGasParameters> Trend{};
    // Points of the trend of parameter i (one per distinct measurement time).
    int trendPoints(int i) const;
    const std::array<uint8_t, kChromValueBytes>& values() const { return values_; }

protected:
    void Poll() override;

private:
    void ShowValues();
    void ShowZones();
    void AddTrendPoints();

    int rows_ = 0;
    bool haveValues_ = false;
    std::array<uint8_t, kChromValueBytes> values_{};
    double lastMoment_ = -1;
    std::array<QLineSeries*, kGasParameters> series_{};
    std::array<QValueAxis*, kGasParameters> axisX_{}, axisY_{};
};

}  // namespace zul
