// The archive tools of the viewers, offscreen: the completeness line under the
// grid and the "Полнота данных" window listing the gaps; the trend plot "График"
// with its series, the records it leaves out, the zone marks, the hovered point
// and the PNG and PDF it writes.
#include <QChart>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QLineSeries>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <vector>

#include "link/Qrtbox.h"
#include "measurements/ChromView.h"
#include "measurements/CompletenessView.h"
#include "measurements/MoistView.h"
#include "measurements/TrendView.h"
#include "support/ModalHelper.h"

using namespace zul;

namespace {

// Hourly records of 3 March 2021 at the given hours; `bad` hours get a damaged check.
std::vector<uint8_t> Hours(std::initializer_list<int> hours, int bad = -1) {
    std::vector<uint8_t> all;
    for (int h : hours) {
        uint8_t rec[kChromRecordSize] = {21, 3, 3, uint8_t(h), 0, 0};
        rec[6] = uint8_t(h + 1);
        const uint16_t crc = Crc16(rec, kChromRecordSize - 2);
        rec[92] = uint8_t(crc & 0xFF);
        rec[93] = uint8_t((crc >> 8) ^ (h == bad ? 1 : 0));
        all.insert(all.end(), rec, rec + kChromRecordSize);
    }
    return all;
}

ArchiveFileHeader HourHeader(int first, int last, uint32_t count) {
    ArchiveFileHeader h;
    const uint8_t a[4] = {21, 3, 3, uint8_t(first)}, b[4] = {21, 3, 3, uint8_t(last)};
    std::memcpy(h.bytes.data() + ArchiveFileHeader::kPeriodStart, a, 4);
    std::memcpy(h.bytes.data() + ArchiveFileHeader::kPeriodEnd, b, 4);
    h.bytes[52] = 1;
    h.SetRecordCount(count);
    return h;
}

// A measurement of 3 March 2021 10:MM with two values and its status; `bad` damages the check.
struct Meas {
    int minute;
    uint32_t v0, v1;
    uint8_t status = 0;
    bool bad = false;
};

std::vector<uint8_t> Measurements(const std::vector<Meas>& list) {
    std::vector<uint8_t> all;
    for (const Meas& m : list) {
        uint8_t rec[kChromRecordSize] = {21, 3, 3, 10, uint8_t(m.minute), 0};
        rec[7] = m.status;
        std::memcpy(rec + 12, &m.v0, 4);
        std::memcpy(rec + 16, &m.v1, 4);
        const uint16_t crc = Crc16(rec, kChromRecordSize - 2);
        rec[92] = uint8_t(crc & 0xFF);
        rec[93] = uint8_t((crc >> 8) ^ (m.bad ? 1 : 0));
        all.insert(all.end(), rec, rec + kChromRecordSize);
    }
    return all;
}

uint32_t Bits(float v, uint32_t flags = 0) {
    uint32_t b;
    std::memcpy(&b, &v, 4);
    return (b & ~3u) | flags;
}

ArchiveFileHeader MeasHeader(uint32_t count) {
    ArchiveFileHeader h;
    h.bytes[52] = 2;
    std::memcpy(h.bytes.data() + ArchiveFileHeader::kSlotOffset, "CH4", 3);
    std::memcpy(h.bytes.data() + ArchiveFileHeader::kSlotOffset + ParameterSlot::kSize, "N2", 2);
    h.SetRecordCount(count);
    return h;
}

}  // namespace

class ArchiveToolsTest : public QObject {
    Q_OBJECT
private slots:
    void completenessLineAndWindow() {
        struct Case {
            std::vector<uint8_t> records;
            int first, last, bad;
            QString line;
            QStringList rows;  // "what|from|to|count"
        } cases[] = {
            {Hours({1, 2, 3}), 1, 3, -1, QStringLiteral("Полнота данных: ожидалось 3, получено 3 - данные полные"), {}},
            {Hours({2, 3, 6, 7}, 6), 0, 8, 6,
             QStringLiteral("Полнота данных: ожидалось 9, получено 4, недостоверных 1, пропусков 3 (записей 6)"),
             {QStringLiteral("Пропуск|03.03.2021 00:00:00|03.03.2021 01:00:00|2"),
              QStringLiteral("Пропуск|03.03.2021 04:00:00|03.03.2021 06:00:00|3"),
              QStringLiteral("Пропуск|03.03.2021 08:00:00|03.03.2021 08:00:00|1")}},
        };
        for (const Case& c : cases) {
            const uint32_t n = uint32_t(c.records.size() / kChromRecordSize);
            const ArchiveFileHeader h = HourHeader(c.first, c.last, n);
            TChromView v(kChromHourly, h, c.records, nullptr);
            v.show();
            QCOMPARE(v.completenessLine()->text(), c.line);
            QStringList rows;
            QString status;
            zultest::OnDialog<TFormCompleteness>([&](TFormCompleteness* f) {
                status = f->statusPanel()->text();
                for (int r = 0; r < f->model()->rowCount(); ++r) {
                    QStringList cells;
                    for (int col = 0; col < 4; ++col) cells << f->model()->Cell(r, col);
                    rows << cells.join('|');
                }
                f->exitButton()->click();
            });
            v.completenessButton()->click();
            QCOMPARE(status, c.line);
            QCOMPARE(rows, c.rows);
        }
    }

    void trendSeriesGapsMarksAndPictures() {
        const uint32_t nan = 0x7FC00000u;
        struct Case {
            const char* name;
            std::vector<Meas> records;
            std::vector<size_t> runs;         // points per run, parameter 0 then 1
            std::vector<uint32_t> leftOut;    // per parameter
            int lines, marks;                 // line series and zone-mark series in the chart
            QString label;
        } cases[] = {
            {"gaps and zones",
             {{0, Bits(90.0f), Bits(1.0f)},
              {3, Bits(91.0f), Bits(1.1f), 0, true},
              {6, Bits(92.0f, 1), Bits(1.2f)},
              {9, Bits(93.0f), Bits(1.3f), 0x02},
              {12, Bits(94.0f), Bits(1.4f, 3)},
              {15, nan, Bits(1.5f)},
              {24, Bits(95.0f), Bits(1.6f)}},
             {1, 1, 1, 1, 1, 1, 2, 1}, {3, 2}, 8, 2, QStringLiteral("Точек: 9, без значения: 5")},
            {"one record", {{0, Bits(90.0f), Bits(1.0f)}}, {1, 1}, {0, 0}, 2, 0,
             QStringLiteral("Точек: 2, без значения: 0")},
            {"no valid value", {{0, nan, nan}, {3, Bits(1.0f), Bits(1.0f), 0x20}}, {}, {2, 2}, 0, 0,
             QStringLiteral("Нет достоверных значений для графика")},
        };
        QTemporaryDir dir;
        for (const Case& c : cases) {
            const std::vector<uint8_t> recs = Measurements(c.records);
            const ArchiveFileHeader h = MeasHeader(uint32_t(c.records.size()));
            const ChromTable table(kChromMeasurement, h, recs.data(), c.records.size());
            TFormTrend f(TrendSource::Of(table));
            f.show();
            QCOMPARE(f.series().size(), size_t(2));
            std::vector<size_t> runs;
            for (const TrendSeries& s : f.series())
                for (const auto& run : s.runs) runs.push_back(run.size());
            QCOMPARE(runs, c.runs);
            QCOMPARE(f.series()[0].leftOut, c.leftOut[0]);
            QCOMPARE(f.series()[1].leftOut, c.leftOut[1]);
            int lines = 0, marks = 0;
            for (QAbstractSeries* s : f.chartView()->chart()->series())
                (s->type() == QAbstractSeries::SeriesTypeLine ? lines : marks)++;
            QCOMPARE(lines, c.lines);
            QCOMPARE(marks, c.marks);
            QCOMPARE(f.pointLabel()->text(), c.label);
            // Own scales: the time axis and one per parameter; normalised: one shared.
            QCOMPARE(f.chartView()->chart()->axes().size(), 3);
            f.normaliseBox()->setChecked(true);
            QCOMPARE(f.chartView()->chart()->axes().size(), 2);

            const QString png = dir.path() + "/trend.png", pdf = dir.path() + "/trend.pdf";
            QVERIFY(f.RenderTo(png));
            QVERIFY(f.RenderTo(pdf));
            QVERIFY(!QImage(png).isNull());
            QFile file(pdf);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY(file.read(5) == "%PDF-");
        }

        // The hovered point shows its moment and its own value, also when normalised.
        const std::vector<uint8_t> recs = Measurements(cases[0].records);
        const ArchiveFileHeader h = MeasHeader(7);
        const ChromTable table(kChromMeasurement, h, recs.data(), 7);
        TFormTrend f(TrendSource::Of(table));
        f.normaliseBox()->setChecked(true);
        auto* first = qobject_cast<QLineSeries*>(f.chartView()->chart()->series().first());
        QVERIFY(first);
        emit first->hovered(first->at(0), true);
        QCOMPARE(f.pointLabel()->text(), QStringLiteral("03.03.2021 10:00:00   CH4 = 90"));
        // Unchecking a parameter drops its series.
        f.parameterList()->item(0)->setCheckState(Qt::Unchecked);
        QCOMPARE(f.series().size(), size_t(1));
        QCOMPARE(QString::fromStdString(f.series()[0].name), QStringLiteral("N2"));

        // The viewer's button opens the plot of its table.
        TChromView v(kChromMeasurement, h, recs, nullptr);
        size_t shown = 0;
        zultest::OnDialog<TFormTrend>([&](TFormTrend* t) {
            shown = t->series().size();
            t->accept();
        });
        v.trendButton()->click();
        QCOMPARE(shown, size_t(2));

        // The moisture meter's hourly viewer: its four values, and its completeness line.
        std::vector<uint8_t> moist;
        for (int hour : {1, 2, 4}) {
            uint8_t rec[kMoistAverageSize] = {21, 3, 3, uint8_t(hour), 0, 0};
            const float value = -15.0f + float(hour);
            for (int i = 0; i < 4; ++i) std::memcpy(rec + 10 + 4 * i, &value, 4);
            const uint16_t crc = Crc16(rec, kMoistAverageSize - 2);
            rec[26] = uint8_t(crc & 0xFF);
            rec[27] = uint8_t(crc >> 8);
            moist.insert(moist.end(), rec, rec + kMoistAverageSize);
        }
        ArchiveFileHeader mh = HourHeader(1, 4, 3);
        mh.bytes[3] = 1;
        TMoistView mv(kMoistHourly, mh, moist, nullptr);
        QCOMPARE(mv.completenessLine()->text(),
                 QStringLiteral("Полнота данных: ожидалось 4, получено 3, недостоверных 0, пропусков 1 (записей 1)"));
        std::vector<size_t> runs;
        zultest::OnDialog<TFormTrend>([&](TFormTrend* t) {
            for (const TrendSeries& s : t->series()) runs.push_back(s.runs.size());
            QCOMPARE(t->parameterList()->count(), 4);
            t->accept();
        });
        mv.trendButton()->click();
        QCOMPARE(runs, (std::vector<size_t>{2, 2, 2}));  // three ticked at first; hour 3 is missing
    }
};

QTEST_MAIN(ArchiveToolsTest)
#include "archive_tools_test.moc"
