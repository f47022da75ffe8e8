// The archive tools of the viewers, offscreen: the completeness line under the
// grid and the "Полнота данных" window listing the gaps.
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <cstring>
#include <vector>

#include "link/Qrtbox.h"
#include "measurements/ChromView.h"
#include "measurements/CompletenessView.h"
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
};

QTEST_MAIN(ArchiveToolsTest)
#include "archive_tools_test.moc"
