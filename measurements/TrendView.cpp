#include "measurements/TrendView.h"

#include <QBuffer>
#include <QChart>
#include <QCheckBox>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QScatterSeries>
#include <QValueAxis>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <cmath>
#include <cstdint>

#include "events/ArchiveView.h"
#include "link/IniFile.h"
#include "measurements/Completeness.h"
#include "shell/Folders.h"
#include "shell/MessageBox.h"
#include "shell/Suplfunc.h"
#include "tables/ArchiveFile.h"
#include "tables/Dtfun.h"
#include "tables/Stringi.h"
#include "shell/UserInterface.h"

namespace zul {

namespace {

constexpr int kDefaultParameters = 3;

const QColor kColours[] = {QColor(0x1f, 0x77, 0xb4), QColor(0x2c, 0xa0, 0x2c), QColor(0x94, 0x67, 0xbd),
                           QColor(0x8c, 0x56, 0x4b), QColor(0x17, 0xbe, 0xcf), QColor(0x7f, 0x7f, 0x7f),
                           QColor(0xbc, 0xbd, 0x22), QColor(0xe3, 0x77, 0xc2)};

// A local moment (seconds of the controller's calendar) as the chart's milliseconds
// since the epoch. The zone is asked once per local hour: every question reads the
// zone file again, and a trend has a point per record and parameter.
qint64 Msecs(int64_t seconds) {
    static int64_t cachedHour = INT64_MIN;
    static qint64 hourMs = 0;
    const int64_t hour = seconds / 3600 - (seconds % 3600 < 0);
    if (hour != cachedHour) {
        const PackedDateTime p = ToPacked(double(hour * 3600) / 86400.0);
        hourMs = QDateTime(QDate(2000 + p[0], p[1], p[2]), QTime(p[3], p[4], p[5])).toMSecsSinceEpoch();
        cachedHour = hour;
    }
    return hourMs + (seconds - hour * 3600) * 1000;
}

}  // namespace

void TTrendChartView::wheelEvent(QWheelEvent* e) {
    if (chart()) chart()->zoom(e->angleDelta().y() > 0 ? 1.25 : 0.8);
    e->accept();
}

void TTrendChartView::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::RightButton) {
        panning_ = true;
        last_ = e->pos();
        e->accept();
        return;
    }
    QChartView::mousePressEvent(e);
}

void TTrendChartView::mouseMoveEvent(QMouseEvent* e) {
    if (panning_ && chart()) {
        const QPoint d = e->pos() - last_;
        chart()->scroll(-d.x(), d.y());
        last_ = e->pos();
        e->accept();
        return;
    }
    QChartView::mouseMoveEvent(e);
}

void TTrendChartView::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::RightButton && panning_) {
        panning_ = false;
        e->accept();
        return;
    }
    QChartView::mouseReleaseEvent(e);
}

void TTrendChartView::mouseDoubleClickEvent(QMouseEvent* e) {
    if (chart()) chart()->zoomReset();
    e->accept();
}

TFormTrend::TFormTrend(TrendSource source, QWidget* parent) : QDialog(parent), source_(std::move(source)) {
    setWindowTitle(QStringLiteral("График: ") + QString::fromStdString(source_.caption));
    auto* main = new QVBoxLayout(this);
    auto* body = new QHBoxLayout;
    params_ = new QListWidget(this);
    params_->setObjectName("parameters");
    params_->setMaximumWidth(160);
    for (size_t p = 0; p < source_.names.size(); ++p) {
        auto* item = new QListWidgetItem(QString::fromStdString(source_.names[p]), params_);
        item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
        item->setCheckState(int(p) < kDefaultParameters ? Qt::Checked : Qt::Unchecked);
    }
    view_ = new TTrendChartView(this);
    view_->setRubberBand(QChartView::RectangleRubberBand);
    view_->setRenderHint(QPainter::Antialiasing, false);
    body->addWidget(params_);
    body->addWidget(view_, 1);
    main->addLayout(body, 1);
    point_ = new QLabel(this);
    point_->setObjectName("point");
    point_->setFrameShape(QFrame::Panel);
    point_->setFrameShadow(QFrame::Sunken);
    main->addWidget(point_);
    auto* buttons = new QHBoxLayout;
    normalise_ = new QCheckBox(QStringLiteral("Нормировать (0..100 %)"), this);
    buttons->addWidget(normalise_);
    buttons->addStretch(1);
    save_ = new QPushButton(QStringLiteral("Сохранить"), this);
    auto* exit = new QPushButton(QStringLiteral("Выход"), this);
    save_->setAutoDefault(false);
    buttons->addWidget(save_);
    buttons->addWidget(exit);
    main->addLayout(buttons);
    connect(params_, &QListWidget::itemChanged, this, &TFormTrend::Rebuild);
    connect(normalise_, &QCheckBox::toggled, this, &TFormTrend::Rebuild);
    connect(save_, &QPushButton::clicked, this, &TFormTrend::Save);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);
    resize(1000, 600);
    Rebuild();
}

void TFormTrend::Rebuild() {
    std::vector<int> chosen;
    for (int i = 0; i < params_->count(); ++i)
        if (params_->item(i)->checkState() == Qt::Checked) chosen.push_back(i);
    series_ = BuildTrend(source_, chosen);
    const bool normalised = normalise_->isChecked();

    auto* chart = new QChart;
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->setAlignment(Qt::AlignTop);
    auto* x = new QDateTimeAxis;
    x->setFormat(ChromTwin(source_.kind) == kChromDaily ? QStringLiteral("dd.MM.yy") : QStringLiteral("dd.MM hh:mm"));
    chart->addAxis(x, Qt::AlignBottom);
    QValueAxis* shared = nullptr;
    if (normalised) {
        shared = new QValueAxis;
        shared->setRange(0, 100);
        shared->setTitleText(QStringLiteral("%"));
        chart->addAxis(shared, Qt::AlignLeft);
    }
    size_t points = 0;
    uint32_t leftOut = 0;
    for (size_t k = 0; k < series_.size(); ++k) {
        const TrendSeries& s = series_[k];
        const QColor colour = kColours[k % (sizeof kColours / sizeof kColours[0])];
        const QString name = QString::fromStdString(s.name);
        QValueAxis* y = shared;
        if (!y) {
            y = new QValueAxis;
            y->setTitleText(name);
            y->setLabelsColor(colour);
            y->setTitleBrush(colour);
            const double span = s.high > s.low ? double(s.high - s.low) : std::max(1.0, std::fabs(double(s.high)));
            y->setRange(double(s.low) - span * 0.05, double(s.high) + span * 0.05);
            chart->addAxis(y, k % 2 ? Qt::AlignRight : Qt::AlignLeft);
        }
        const double low = s.low, range = s.high > s.low ? double(s.high - s.low) : 0;
        auto level = [&](float v) { return !normalised ? double(v) : range > 0 ? (double(v) - low) / range * 100 : 50.0; };
        QList<QPointF> warnings, alarms;
        for (size_t r = 0; r < s.runs.size(); ++r) {
            QList<QPointF> line;
            line.reserve(qsizetype(s.runs[r].size()));
            for (const TrendPoint& p : s.runs[r]) {
                const QPointF at(double(Msecs(p.seconds)), level(p.value));
                line << at;
                if (p.zone == kTrendWarning) warnings << at;
                if (p.zone == kTrendAlarm) alarms << at;
            }
            auto* series = new QLineSeries;
            series->setName(name);
            series->setColor(colour);
            series->setPointsVisible(line.size() == 1);
            series->replace(line);
            chart->addSeries(series);
            series->attachAxis(x);
            series->attachAxis(y);
            if (r > 0)
                for (QLegendMarker* m : chart->legend()->markers(series)) m->setVisible(false);
            connect(series, &QLineSeries::hovered, this, [this, k, normalised](const QPointF& p, bool on) {
                if (on && k < series_.size()) ShowPoint(series_[k], p, normalised);
            });
        }
        for (int zone = 0; zone < 2; ++zone) {
            const QList<QPointF>& marked = zone ? alarms : warnings;
            if (marked.isEmpty()) continue;
            auto* dots = new QScatterSeries;
            dots->setName(zone ? QStringLiteral("зона АУ") : QStringLiteral("зона ПУ"));
            dots->setColor(zone ? Qt::red : QColor(0xff, 0xa5, 0x00));
            dots->setMarkerSize(7);
            dots->replace(marked);
            chart->addSeries(dots);
            dots->attachAxis(x);
            dots->attachAxis(y);
        }
        points += s.Points();
        leftOut += s.leftOut;
    }
    QChart* old = view_->chart();
    view_->setChart(chart);
    delete old;
    point_->setText(series_.empty() ? QStringLiteral("Выберите параметры")
                    : points == 0   ? QStringLiteral("Нет достоверных значений для графика")
                                    : QStringLiteral("Точек: %1, без значения: %2").arg(points).arg(leftOut));
}

void TFormTrend::ShowPoint(const TrendSeries& s, const QPointF& at, bool) {
    // The nearest point of the series in time: its own value, not the plotted level.
    const TrendPoint* best = nullptr;
    double distance = 0;
    for (const auto& run : s.runs)
        for (const TrendPoint& p : run) {
            const double d = std::fabs(double(Msecs(p.seconds)) - at.x());
            if (!best || d < distance) best = &p, distance = d;
        }
    if (!best) return;
    point_->setText(QString::fromStdString(MomentOfSeconds(best->seconds)) + "   " + QString::fromStdString(s.name) +
                    " = " + QString::fromStdString(FormatFixed(best->value, source_.decimals[size_t(s.param)])));
}

bool TFormTrend::RenderTo(const QString& path) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    bool ok;
    if (path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) {
        QPdfWriter pdf(&buffer);
        pdf.setPageOrientation(QPageLayout::Landscape);
        pdf.setTitle(windowTitle());
        QPainter painter(&pdf);
        ok = painter.isActive();
        if (ok) view_->render(&painter);
        painter.end();
    } else {
        ok = view_->grab().save(&buffer, "PNG");
    }
    buffer.close();
    return ok && WriteFileAtomically(path.toStdString(), bytes.toStdString());
}

void TFormTrend::Save() {
    const QString folder = QString::fromStdString(WorkFolderPath(kFolderMomData));
    QFileDialog dialog(this, QStringLiteral("Введите имя файла для сохранения графика"), folder,
                       QStringLiteral("PNG (*.png);;PDF (*.pdf)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.selectFile(folder + "/trend.png");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    QString path = dialog.selectedFiles().first();
    if (QFileInfo(path).suffix().isEmpty())
        path += dialog.selectedNameFilter().startsWith(QStringLiteral("PDF")) ? ".pdf" : ".png";
    if (!RenderTo(path)) {
        ShowMessageBox(kMsgError, QStringLiteral("Ошибка открытия файла"), QString(), this);
        return;
    }
    ShowMessageBox(kMsgPlain, QStringLiteral("График сохранён в файле %1.").arg(QFileInfo(path).fileName()), QString(),
                   this);
}

QPushButton* AddTrendButton(TArchiveView& view, std::function<TrendSource()> source) {
    QPushButton* b = view.AddButton(QStringLiteral("График"));
    QObject::connect(b, &QPushButton::clicked, &view, [&view, source] {
        TFormTrend f(source(), &view);
        f.exec();
    });
    return b;
}

}  // namespace zul
