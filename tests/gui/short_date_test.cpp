// The short period dialog of the hourly and daily reads driven offscreen: the range
// texts, the preset, both choices and the remembered choice, and the checks of
// "Принять" with their input-error messages.
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <cstring>

#include "measurements/ShortDate.h"
#include "shell/MessageBox.h"
#include "support/ModalHelper.h"
#include "tables/Dtfun.h"

using namespace zul;

namespace {

AvailableRange MakeRange(std::initializer_list<uint8_t> oldest, std::initializer_list<uint8_t> latest) {
    AvailableRange r;
    std::copy(oldest.begin(), oldest.end(), r.oldest);
    std::copy(latest.begin(), latest.end(), r.latest);
    return r;
}

}  // namespace

class ShortDateTest : public QObject {
    Q_OBJECT
private slots:
    void texts_preset_and_choices() {
        struct Case {
            int unit;
            int remembered;
            QString oldest, latest, choice0;
            QDate start, end;
            int startHour, endHour;
            int applied;
        } cases[] = {
            // Hours, "Заданный период": the preset stays (one day back from the latest).
            {kUnitHour, 1, "Дата и время самой старой записи в архиве:  10.01.24 05ч",
             "Дата и время последней записи в архиве:  01.03.24 09ч", "За последние сутки", QDate(2024, 2, 29),
             QDate(2024, 3, 1), 9, 9, 1},
            // Hours, "За последние сутки" from the clock 01.03.24 00:20: the last 24 complete hours.
            {kUnitHour, 0, "Дата и время самой старой записи в архиве:  10.01.24 05ч",
             "Дата и время последней записи в архиве:  01.03.24 09ч", "За последние сутки", QDate(2024, 2, 29),
             QDate(2024, 2, 29), 0, 23, 0},
            // Days, a remembered index beyond the list selects its last item.
            {kUnitDay, 2, "Дата и время самой старой записи в архиве:  10.01.24",
             "Дата и время последней записи в архиве:  31.03.24", "За последний месяц", QDate(2024, 3, 2),
             QDate(2024, 3, 31), -1, -1, 1},
            // Days, "За последний месяц" from the clock: yesterday and one month before.
            {kUnitDay, 0, "Дата и время самой старой записи в архиве:  10.01.24",
             "Дата и время последней записи в архиве:  31.03.24", "За последний месяц", QDate(2024, 1, 29),
             QDate(2024, 2, 29), -1, -1, 0},
        };
        const uint8_t clock[6] = {24, 3, 1, 0, 20, 5};
        for (const auto& c : cases) {
            const AvailableRange range = c.unit == kUnitHour ? MakeRange({24, 1, 10, 5}, {24, 3, 1, 9})
                                                             : MakeRange({24, 1, 10, 0}, {24, 3, 31, 0});
            ArchiveSettings s;
            s.periodChoice = c.remembered;
            TFormShortDate d(range, c.unit, clock, s);
            QCOMPARE(d.windowTitle(), QStringLiteral("Ввод периода времени запрашиваемых данных"));
            QCOMPARE(d.oldestLabel()->text(), c.oldest);
            QCOMPARE(d.latestLabel()->text(), c.latest);
            QCOMPARE(d.choice(0)->text(), c.choice0);
            QCOMPARE(d.datePicker(false)->date(), c.start);
            QCOMPARE(d.datePicker(true)->date(), c.end);
            QCOMPARE(d.datePicker(false)->minimumDate(), QDate(2000, 1, 1));
            QCOMPARE(d.hourList(false) != nullptr, c.unit == kUnitHour);
            if (c.startHour >= 0) {
                QCOMPARE(d.hourList(false)->currentIndex(), c.startHour);
                QCOMPARE(d.hourList(true)->currentIndex(), c.endHour);
            }
            QCOMPARE(s.periodChoice, c.applied);
            QCOMPARE(d.datePicker(true)->isEnabled(), c.applied == 1);
        }
    }

    void accept_checks() {
        struct Case {
            QDate start, end;
            int startHour, endHour;
            QString line1;  // empty: accepted
            std::array<uint8_t, 4> first, last;
        } cases[] = {
            {QDate(2024, 2, 1), QDate(2024, 2, 1), 5, 4, "Дата и время конца опроса должны быть", {}, {}},
            {QDate(2024, 1, 1), QDate(2024, 1, 10), 0, 4, "В архиве нет данных за указанный период", {}, {}},
            {QDate(2024, 3, 1), QDate(2024, 3, 2), 10, 0, "В архиве нет данных за указанный период", {}, {}},
            {QDate(2024, 1, 1), QDate(2024, 3, 5), 0, 0, "", {24, 1, 10, 5}, {24, 3, 1, 9}},
            {QDate(2024, 2, 1), QDate(2024, 2, 1), 7, 7, "", {24, 2, 1, 7}, {24, 2, 1, 7}},
        };
        const uint8_t clock[6] = {24, 3, 1, 10, 20, 5};
        for (const auto& c : cases) {
            ArchiveSettings s;
            s.periodChoice = 1;
            TFormShortDate d(MakeRange({24, 1, 10, 5}, {24, 3, 1, 9}), kUnitHour, clock, s);
            d.datePicker(false)->setDate(c.start);
            d.datePicker(true)->setDate(c.end);
            d.hourList(false)->setCurrentIndex(c.startHour);
            d.hourList(true)->setCurrentIndex(c.endHour);
            QString seen1, seen2;
            if (!c.line1.isEmpty()) {
                zultest::OnDialog<TFormMessage>([&](TFormMessage* m) {
                    seen1 = m->lineLabel(0)->text();
                    seen2 = m->lineLabel(1)->text();
                    m->closeButton()->click();
                });
            }
            d.show();
            QTest::mouseClick(d.acceptButton(), Qt::LeftButton);
            QCOMPARE(d.accepted(), c.line1.isEmpty());
            QCOMPARE(seen1, c.line1);
            if (c.line1.isEmpty()) {
                QCOMPARE(std::memcmp(d.period().start, c.first.data(), 4), 0);
                QCOMPARE(std::memcmp(d.period().end, c.last.data(), 4), 0);
                QVERIFY(!d.isVisible());
            } else {
                QVERIFY(d.isVisible());  // the dialog stays open with the user's input
                QVERIFY(!seen2.isEmpty());
            }
        }
    }
};

QTEST_MAIN(ShortDateTest)
#include "short_date_test.moc"
