#include "editors/Mom.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <QChart>
#include <QChartView>
#include <QGraphicsLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QValueAxis>
#include <QVBoxLayout>

#include "shell/UserInterface.h"
#include "tables/Conffun.h"
#include "tables/Dtfun.h"
#include "tables/TableImage.h"

namespace zul {

namespace {

constexpr int kTrendWidth = 150;
constexpr int kTrendHeight = 26;
constexpr int kBoxHeight = 22;

QLineEdit* Box(QWidget* parent, int width) {
    auto* e = new QLineEdit(parent);
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::NoFocus);
    e->setFixedHeight(kBoxHeight);
    if (width > 0) e->setFixedWidth(width);
    return e;
}

void SetTextColour(QWidget* w, LiveColour colour) {
    QPalette p = w->palette();
    p.setColor(QPalette::Text, QColor::fromRgb(LiveColourRgb(colour)));
    w->setPalette(p);
}

// The moment of a measurement in seconds (date-time bytes 0..2 and 4..6).
double MeasurementSeconds(const uint8_t* d) {
    const uint8_t packed[6] = {d[0], d[1], d[2], d[4], d[5], d[6]};
    if (!IsValidPacked(packed)) return -1;
    return std::round(FromPacked(packed) * 86400.0);
}

}  // namespace

TFormMom::TFormMom(TableIo& io, StatusBar* bar, QWidget* parent) : TLiveView(io, bar, kChromPollMs, false, parent) {
    setObjectName("FormMom");
    const TableImage& image = io.image();
    setWindowTitle(QString::fromStdString(ChromCaption(image)));
    rows_ = GasParameterCount(image);

    auto* v = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Время последнего опроса хроматографа"), this));
    EdTime = Box(this, 160);
    EdTime->setObjectName("EdTime");
    top->addWidget(EdTime);
    top->addStretch();
    v->addLayout(top);

    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(1);
    grid->addWidget(new QLabel(QStringLiteral("Наименование параметра"), this), 0, 0, Qt::AlignHCenter);
    grid->addWidget(new QLabel(QStringLiteral("Значение"), this), 0, 1, Qt::AlignHCenter);
    grid->addWidget(new QLabel(QStringLiteral("Зона"), this), 0, 2, Qt::AlignHCenter);
    for (int i = 0; i < kGasParameters; ++i) {
        EdName[i] = Box(this, 420);
        EdName[i]->setObjectName(QString("EdName%1").arg(i + 1));
        EdValue[i] = Box(this, 120);
        EdValue[i]->setObjectName(QString("EdValue%1").arg(i + 1));
        EdValue[i]->setAlignment(Qt::AlignRight);
        EdZone[i] = Box(this, 230);
        EdZone[i]->setObjectName(QString("EdZone%1").arg(i + 1));
        grid->addWidget(EdName[i], i + 1, 0);
        grid->addWidget(EdValue[i], i + 1, 1);
        grid->addWidget(EdZone[i], i + 1, 2);
        if (i < rows_) {
            EdName[i]->setText(QString::fromStdString(GasParameterCaption(image, i)));
            EdName[i]->setCursorPosition(0);
            auto* chart = new QChart;
            chart->legend()->hide();
            chart->setMargins(QMargins(0, 0, 0, 0));
            chart->setBackgroundRoundness(0);
            chart->setBackgroundVisible(false);  // the window's own colour around the line
            chart->layout()->setContentsMargins(0, 0, 0, 0);
            series_[i] = new QLineSeries(chart);
            chart->addSeries(series_[i]);
            axisX_[i] = new QValueAxis(chart);
            axisY_[i] = new QValueAxis(chart);
            for (QValueAxis* a : {axisX_[i], axisY_[i]}) a->setVisible(false);
            chart->addAxis(axisX_[i], Qt::AlignBottom);
            chart->addAxis(axisY_[i], Qt::AlignLeft);
            series_[i]->attachAxis(axisX_[i]);
            series_[i]->attachAxis(axisY_[i]);
            Trend[i] = new QChartView(chart, this);
            Trend[i]->setObjectName(QString("Trend%1").arg(i + 1));
            Trend[i]->setFixedSize(kTrendWidth, kTrendHeight);
            Trend[i]->setFrameShape(QFrame::NoFrame);
            Trend[i]->setBackgroundBrush(palette().brush(QPalette::Window));
            Trend[i]->setToolTip(QStringLiteral("Значения, полученные с момента открытия окна"));
            grid->addWidget(Trend[i], i + 1, 3);
        } else {
            // Parameters not in use: an empty name in the window's colour, no value, no zone.
            QPalette p = EdName[i]->palette();
            p.setColor(QPalette::Base, palette().color(QPalette::Window));
            EdName[i]->setPalette(p);
            EdName[i]->setFrame(false);
            EdValue[i]->hide();
            EdZone[i]->hide();
        }
    }
    v->addLayout(grid);
    auto* buttons = new QHBoxLayout;
    AddButtons(buttons);
    v->addLayout(buttons);
    v->setSizeConstraint(QLayout::SetFixedSize);
}

int TFormMom::trendPoints(int i) const { return i >= 0 && i < rows_ && series_[i] ? series_[i]->count() : 0; }

void TFormMom::Poll() {
    UserInterface& ui = io_.ui();
    ui.SetBusyCursor(true);
    bool ok = PollChromValues(io_);
    if (ok) {
        std::memcpy(values_.data(), io_.image().Data(30), values_.size());
        haveValues_ = true;
        ShowValues();
        AddTrendPoints();
    }
    // The zones are read whatever became of the values (unless the view was closed meanwhile).
    if (!closed()) {
        const bool zones = PollChromZones(io_);
        if (zones) ShowZones();
        ok = ok && zones;
    }
    ReportPoll(ok);
    ui.SetBusyCursor(false);
}

void TFormMom::ShowValues() {
    EdTime->setText(QString::fromStdString(MeasurementTimeText(values_.data())));
    for (int i = 0; i < rows_; ++i)
        EdValue[i]->setText(QString::fromStdString(GasValueText(io_.image(), values_.data(), i)));
}

void TFormMom::ShowZones() {
    for (int i = 0; i < rows_; ++i) {
        const LiveText z = ZoneText(io_.image().Byte(32, i));
        EdZone[i]->setText(QString::fromStdString(z.text));
        SetTextColour(EdZone[i], z.colour);
    }
}

void TFormMom::AddTrendPoints() {
    const double moment = MeasurementSeconds(values_.data());
    // One point per measurement: a poll between two measurements adds nothing.
    if (moment < 0 || moment == lastMoment_) return;
    lastMoment_ = moment;
    for (int i = 0; i < rows_; ++i) {
        const float value = GasValue(values_.data(), i);
        if (!std::isfinite(value)) continue;
        QLineSeries* s = series_[i];
        s->append(moment, double(value));
        double lo = value, hi = value;
        for (const QPointF& p : s->points()) {
            lo = std::min(lo, p.y());
            hi = std::max(hi, p.y());
        }
        const double pad = hi > lo ? (hi - lo) * 0.1 : std::max(std::fabs(hi) * 0.01, 1e-6);
        axisY_[i]->setRange(lo - pad, hi + pad);
        const double first = s->at(0).x();
        axisX_[i]->setRange(first, std::max(moment, first + 1));
    }
}

}  // namespace zul
