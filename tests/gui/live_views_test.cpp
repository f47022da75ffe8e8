// The live views from the main window's menu against the simulated controller,
// offscreen: polls and the toggle, the trend, a dropped link, closing during a
// poll, and the table-state round trip of the controller-state view.
#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QChartView>
#include <QtTest>

#include "editors/LiveData.h"
#include "editors/Mom.h"
#include "editors/MomWmt.h"
#include "editors/Prz.h"
#include "shell/Tableinfo.h"
#include "sim/SimTime.h"
#include "support/ConnectedWindow.h"
#include "support/ModalHelper.h"
#include "tables/Conffun.h"

using namespace zul;

namespace {

constexpr int kFastMs = 20;  // polling period of the tests

double Moment(int h, int m, int s) {
    return sim::DateTimeFromSeconds(sim::SecondsFromFields(2024, 3, 15, h, m, s));
}

}  // namespace

class LiveViewsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<sim::Qrtsim> sim;
    std::unique_ptr<zultest::ConnectedWindow> cw;

private slots:
    void init() {
        sim::SimSettings s;
        s.startDateTime = Moment(10, 0, 5);
        s.rate = 0;
        s.moistureMeter = true;
        sim = std::make_unique<sim::Qrtsim>(s);
        QVERIFY(sim->StartTcp());
        cw = std::make_unique<zultest::ConnectedWindow>();
        QVERIFY(cw->Connect(*sim));
    }
    void cleanup() {
        cw.reset();
        sim.reset();
    }

    void chromViewPollsTogglesAndKeepsValuesWhenTheLinkDrops() {
        TFormMain& w = *cw->window;
        bool seen = false;
        zultest::OnIdleDialog<TFormMom>(w, [&](TFormMom* v) {
            seen = true;
            QCOMPARE(v->windowTitle(),
                     QStringLiteral("Мгновенные данные хроматографа (сер. № 510001), зоны параметров газа"));
            const int n = v->rows();
            QCOMPARE(n, GasParameterCount(*w.image()));
            QVERIFY(n > 0 && n <= 20);
            QVERIFY(v->EdValue[n - 1]->isVisibleTo(v));
            if (n < 20) QVERIFY(!v->EdValue[n]->isVisibleTo(v));
            v->pollTimer()->setInterval(kFastMs);
            QTRY_VERIFY(v->polls() >= 1);
            QCOMPARE(v->EdTime->text(), QStringLiteral("15.03.24 10:00:00"));
            // The simulator's measurement of 10:00, as the view must show it.
            const char* const shown[20] = {"0.0504",  "0.9459",  "0.1613", "0.1791",   "0.0056", "0.0445", "0.0319",
                                           "1.0822",  "96.3164", "0.3865", "2.5607",   "39.0919", "0.6954", "49.9862",
                                           "0.9984",  "99.9877", "59.9563", "319.2971", "34.9916", "0.5818"};
            QCOMPARE(n, 20);
            for (int i = 0; i < n; ++i) {
                QCOMPARE(v->EdValue[i]->text(), QString::fromLatin1(shown[i]));
                QCOMPARE(v->EdZone[i]->text(), QStringLiteral(" Норма"));
            }
            QCOMPARE(v->trendPoints(0), 1);
            // A trend is drawn on the window's colour, not as a white column.
            const QImage trend = v->Trend[0]->grab().toImage();
            QCOMPARE(trend.pixelColor(1, 1), v->palette().color(QPalette::Window));
            QCOMPARE(trend.pixelColor(trend.width() - 2, trend.height() - 2), v->palette().color(QPalette::Window));

            // A new measurement: a second point in every trend.
            sim->SetClock(Moment(10, 1, 5));
            QTRY_COMPARE(v->EdTime->text(), QStringLiteral("15.03.24 10:01:00"));
            QCOMPARE(v->trendPoints(0), 2);
            QCOMPARE(v->trendPoints(n - 1), 2);

            // "Не обновлять данные": no more polls until "Обновлять данные".
            QCOMPARE(v->BtnToggle->text(), QStringLiteral("Не обновлять данные"));
            v->BtnToggle->click();
            QCOMPARE(v->BtnToggle->text(), QStringLiteral("Обновлять данные"));
            QVERIFY(!v->pollTimer()->isActive());
            const int stopped = v->polls();
            QTest::qWait(10 * kFastMs);
            QCOMPARE(v->polls(), stopped);
            v->BtnToggle->click();
            QCOMPARE(v->BtnToggle->text(), QStringLiteral("Не обновлять данные"));
            QTRY_VERIFY(v->polls() > stopped);

            // The link drops: values stay, the status bar says why, no message box.
            const QString kept = v->EdValue[0]->text();
            sim::Faults f;
            f.silence.times = -1;
            sim->SetFaults(f);
            QTRY_VERIFY_WITH_TIMEOUT(w.mainBar()->text(2).startsWith(QStringLiteral("Команда 1.")), 10000);
            QCOMPARE(v->EdValue[0]->text(), kept);
            QCOMPARE(QApplication::activeModalWidget(), static_cast<QWidget*>(v));
            sim->SetFaults(sim::Faults{});
            QTRY_VERIFY_WITH_TIMEOUT(w.mainBar()->text(2).isEmpty(), 10000);
            v->BtnExit->click();
        });
        w.menuItem("NChrom_Mom")->trigger();
        QVERIFY(seen);
        QVERIFY(w.TimerMessage()->isActive());
    }

    void aTickDuringAnExchangeIsSkippedAndClosingDuringAPollIsSafe() {
        TFormMain& w = *cw->window;
        sim::Faults f;
        f.answerDelayMs = 150;  // each poll's exchange waits; the ticks keep coming
        int skipped = 0;
        bool closedInPoll = false;
        zultest::OnIdleDialog<TFormMomWmt>(w, [&](TFormMomWmt* v) {
            QCOMPARE(v->rows(), 5);
            sim->SetFaults(f);
            v->pollTimer()->setInterval(kFastMs);
            // From inside a running poll: a tick falls due (the poll timer itself does not
            // fire inside its own poll; a one-shot tick, a button's read, or another timer may),
            // then "Выход" is pressed.
            auto* presser = new QTimer(v);
            presser->setInterval(5);
            QObject::connect(presser, &QTimer::timeout, [&, v, presser] {
                if (!v->pollRunning()) return;
                presser->stop();
                const int before = v->polls();
                v->TimerTick();
                skipped = v->skippedTicks();
                QCOMPARE(v->polls(), before);  // no second poll inside the first
                closedInPoll = true;
                v->BtnExit->click();
            });
            presser->start();
        });
        w.menuItem("NWmt_MomData")->trigger();
        QVERIFY(closedInPoll);
        QCOMPARE(skipped, 1);
        // The engine is free again: another view opens and polls.
        sim->SetFaults(sim::Faults{});
        zultest::OnIdleDialog<TFormMomWmt>(w, [&](TFormMomWmt* v) {
            QTRY_VERIFY(v->polls() >= 1);
            QVERIFY(v->EdValue[0]->text().startsWith(QStringLiteral("  ")));
            QVERIFY(!v->EdTime->text().isEmpty());
            v->BtnExit->click();
        });
        w.menuItem("NWmt_MomData")->trigger();
    }

    void stateViewTableStatesRoundTrip() {
        TFormMain& w = *cw->window;
        sim->DamageTable(13);
        int przShown = 0, infoShown = 0;
        QString chromLink, tableRow;
        std::function<void()> armPrz;
        armPrz = [&] {
            zultest::OnIdleDialog<TFormPrz>(w, [&](TFormPrz* v) {
                ++przShown;
                QTRY_VERIFY(v->polls() >= 1);
                chromLink = v->EdChromLink->text();
                if (przShown == 1) {
                    // To the table states; "Выход" there brings the view back.
                    zultest::OnIdleDialog<TFormTableInfo>(w, [&](TFormTableInfo* d) {
                        ++infoShown;
                        for (int r = 0; r < d->grid()->rowCount(); ++r)
                            if (d->grid()->item(r, 1)->text() == QStringLiteral("Да"))
                                tableRow = d->grid()->item(r, 0)->text();
                        armPrz();
                        d->exitButton()->click();
                    });
                    v->BtnTables->click();
                } else {
                    v->BtnExit->click();
                }
            });
        };
        armPrz();
        w.menuItem("NSit")->trigger();
        QCOMPARE(przShown, 2);
        QCOMPARE(infoShown, 1);
        QCOMPARE(chromLink, QStringLiteral("Норма"));
        QVERIFY2(tableRow.startsWith(QStringLiteral(" Табл. 13.")), qPrintable(tableRow));
        QVERIFY(w.linkEstablished);

        // The reset of the non-volatile data there (result 3) ends the link.
        zultest::OnIdleDialog<TFormPrz>(w, [&](TFormPrz* v) {
            zultest::OnIdleDialog<TFormTableInfo>(w, [&](TFormTableInfo* d) {
                zultest::AnswerNextBox(nullptr, true);
                d->resetButton()->click();
            });
            v->BtnTables->click();
        });
        w.menuItem("NSit")->trigger();
        QVERIFY(!w.linkEstablished);
        QVERIFY(!w.menuItem("NSit")->isVisible());
    }
};

QTEST_MAIN(LiveViewsTest)
#include "live_views_test.moc"
