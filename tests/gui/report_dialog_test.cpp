// The report dialog offscreen: the archive's range, the start at the latest day,
// the day field clipped to the month and hidden for the month report, the checks of
// "Принять", and a new object appended, selected and saved at once.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

#include "core/support/FakeUi.h"
#include "editors/Object.h"
#include "link/Rd_wr_ini.h"
#include "measurements/ExcRep_Date.h"
#include "support/ModalHelper.h"

using namespace zul;

namespace {

AvailableRange Range() {
    AvailableRange r;
    const uint8_t oldest[5] = {24, 1, 13, 0, 0}, latest[5] = {24, 3, 14, 0, 0};
    std::memcpy(r.oldest, oldest, 5);
    std::memcpy(r.latest, latest, 5);
    return r;
}

void AddObject(ProgramSettings& s, const char* name) {
    std::memcpy(s.objects.entries[s.objects.count].name.data(), name, std::strlen(name));
    ++s.objects.count;
}

}  // namespace

class ReportDialogTest : public QObject {
    Q_OBJECT
private slots:
    void acceptChecks() {
        struct Case {
            const char* what;
            bool month;
            int year, month0, day;  // the fields as set
            int object;             // -1 none chosen
            QString line1;          // the refusal, or "" when accepted
            std::array<uint8_t, 3> date;
        } cases[] = {
            {"the latest day", false, 2024, 2, 14, 0, "", {24, 3, 14}},
            {"no object", false, 2024, 2, 14, -1, "Не введено наименование объекта", {}},
            {"the new-object entry is no object", false, 2024, 2, 14, 2, "Не введено наименование объекта", {}},
            {"a day after the latest", false, 2024, 2, 15, 1, "В архиве нет данных за указанную дату", {}},
            {"a day before the oldest", false, 2024, 0, 12, 1, "В архиве нет данных за указанную дату", {}},
            {"the oldest day", false, 2024, 0, 13, 1, "", {24, 1, 13}},
            {"a month: compared by month", true, 2024, 0, 1, 0, "", {24, 1, 1}},
            {"a month before the oldest", true, 2023, 11, 1, 0, "В архиве нет данных за указанную дату", {}},
        };
        for (const Case& c : cases) {
            QTemporaryDir dir;
            ProgramSettings settings(dir.path().toStdString());
            AddObject(settings, "Alpha");
            AddObject(settings, "Beta");
            test::FakeUi ui;
            TFormExcRep_Date d(Range(), c.month, settings, ui);
            d.show();
            QCOMPARE(d.SpDay->isVisible(), !c.month);
            QCOMPARE(d.CbObject->count(), 3);  // two names and "Новый объект"
            d.SpYear->setValue(c.year);
            d.CbMonth->setCurrentIndex(c.month0);
            d.SpDay->setValue(c.day);
            d.CbObject->setCurrentIndex(c.object);
            d.BtnAccept->click();
            QVERIFY2(d.accepted() == c.line1.isEmpty(), c.what);
            if (c.line1.isEmpty()) {
                QVERIFY(ui.shown.empty());
                const std::array<uint8_t, 3> got = {d.date()[0], d.date()[1], d.date()[2]};
                QVERIFY2(got == c.date, c.what);
                QCOMPARE(QString::fromStdString(d.object()), c.object == 0 ? QStringLiteral("Alpha") : QStringLiteral("Beta"));
            } else {
                QCOMPARE(int(ui.shown.size()), 1);
                QCOMPARE(QString::fromStdString(ui.shown[0].line1), c.line1);
            }
        }
    }

    void startsAtTheLatestDayAndClipsTheDay() {
        QTemporaryDir dir;
        ProgramSettings settings(dir.path().toStdString());
        test::FakeUi ui;
        TFormExcRep_Date d(Range(), false, settings, ui);
        QCOMPARE(d.LbOldest->text(), QStringLiteral("Дата самой старой записи в архиве суточных данных:  13.01.24"));
        QCOMPARE(d.LbLatest->text(), QStringLiteral("Дата последней записи в архиве:  14.03.24"));
        QCOMPARE(d.SpYear->value(), 2024);
        QCOMPARE(d.CbMonth->currentText(), QStringLiteral("Март"));
        QCOMPARE(d.SpDay->value(), 14);
        d.SpDay->setValue(31);
        d.CbMonth->setCurrentIndex(1);  // February of a leap year
        QCOMPARE(d.SpDay->value(), 29);
        d.SpYear->setValue(2023);
        QCOMPARE(d.SpDay->value(), 28);
    }

    void aNewObjectIsAppendedAndSaved() {
        QTemporaryDir dir;
        ProgramSettings settings(dir.path().toStdString());
        AddObject(settings, "Beta");
        test::FakeUi ui;
        TFormExcRep_Date d(Range(), false, settings, ui);
        d.show();
        zultest::OnDialog<TFormObject>([](TFormObject* o) {
            o->EdName->setText(QStringLiteral("Alpha"));
            o->BtnAccept->click();
        });
        QTest::keyClick(d.CbObject, Qt::Key_Down);  // from "Beta" to "Новый объект"
        QTRY_COMPARE(settings.objects.count, uint8_t(2));
        QCOMPARE(d.CbObject->currentText(), QStringLiteral("Alpha"));
        QVERIFY(QFileInfo(QString::fromStdString(settings.ObjectsIni())).size() > 0);
        d.BtnAccept->click();
        QVERIFY(d.accepted());
        QCOMPARE(QString::fromStdString(d.object()), QStringLiteral("Alpha"));
    }
};

QTEST_MAIN(ReportDialogTest)
#include "report_dialog_test.moc"
