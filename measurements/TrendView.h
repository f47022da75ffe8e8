// "График": a trend plot of the chosen parameters of an archive table (the button
// of the measurement, hourly and daily viewers of both instruments). One series per parameter
// on its own axis or all normalised to 0..100 %, gaps where records are missing
// or left out, warning- and alarm-zone values marked, zoom with the mouse (a
// rectangle or the wheel), pan with the right button, the hovered point's time and
// value under the plot, saved as PNG or PDF.
//
//   TFormTrend f(TrendSource::Of(table), this);   // the records stay the caller's
//   f.exec();
#pragma once
#include <QChartView>
#include <QDialog>
#include <QPoint>
#include <functional>
#include <vector>

#include "measurements/Trend.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace zul {

// The plot: zoom with a rectangle (left button) or the wheel, pan with the right
// button held, the whole range again on a double click.
class TTrendChartView : public QChartView {
    Q_OBJECT
public:
    using QChartView::QChartView;

protected:
    void wheelEvent(QWheelEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    bool panning_ = false;
    QPoint last_;
};

class TFormTrend : public QDialog {
    Q_OBJECT
public:
    explicit TFormTrend(TrendSource source, QWidget* parent = nullptr);

    QListWidget* parameterList() const { return params_; }
    QCheckBox* normaliseBox() const { return normalise_; }
    QLabel* pointLabel() const { return point_; }
    QPushButton* saveButton() const { return save_; }
    TTrendChartView* chartView() const { return view_; }
    const std::vector<TrendSeries>& series() const { return series_; }

    // Rebuilds the plot from the checked parameters.
    void Rebuild();
    // The plot as PNG or PDF bytes (by the name's extension); false on failure.
    bool RenderTo(const QString& path);
    // "Сохранить": the save dialog, then RenderTo.
    void Save();

private:
    void ShowPoint(const TrendSeries& s, const QPointF& p, bool normalised);

    TrendSource source_;
    std::vector<TrendSeries> series_;
    QListWidget* params_;
    QCheckBox* normalise_;
    QLabel* point_;
    QPushButton* save_;
    TTrendChartView* view_;
};

// "График" among a viewer's buttons: the plot of `source` (taken when clicked).
QPushButton* AddTrendButton(class TArchiveView& view, std::function<TrendSource()> source);

}  // namespace zul
