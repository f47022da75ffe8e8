// The start sequence in the main window against the simulated controller over
// loopback TCP, driven offscreen: the menus that follow, the refusals, the
// table-state dialog.
#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "link/LinkSettings.h"
#include "shell/Main.h"
#include "shell/MessageBox.h"
#include "shell/Tableinfo.h"
#include "sim/Qrtsim.h"
#include "support/ConnectedWindow.h"
#include "support/ModalHelper.h"
#include "tables/Stringi.h"

using namespace zul;

namespace {

bool Visible(TFormMain& w, const char* name) {
    QAction* a = w.menuItem(QString::fromLatin1(name));
    return a && a->isVisible();
}

// Answers every modal window of a start sequence until it has ended: message
// boxes are recorded and closed, the table-state dialog is handed to `onInfo`,
// anything else (the login) is cancelled.
struct Answerer {
    QStringList messages;
    std::function<void(TFormTableInfo*)> onInfo = [](TFormTableInfo* d) { d->exitButton()->click(); };
    int infoShown = 0;
    zultest::ModalPoll poll;  // re-armed after each window
    void Arm() {
        poll.Arm(
            [this](QWidget* m) {
                if (auto* box = qobject_cast<TFormMessage*>(m)) {
                    messages << box->lineLabel(0)->text();
                    if (box->yesButton() && box->yesButton()->isVisible()) box->yesButton()->click();
                    else if (box->closeButton()) box->closeButton()->click();
                    else box->close();
                } else if (auto* info = qobject_cast<TFormTableInfo*>(m)) {
                    ++infoShown;
                    onInfo(info);
                } else if (auto* d = qobject_cast<QDialog*>(m)) {
                    d->reject();
                } else {
                    m->close();
                }
                Arm();
            },
            15000);
    }
};

class StartSequenceTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<sim::Qrtsim> sim;

    // A main window that connects to the simulator without the connection dialog.
    std::unique_ptr<TFormMain> Window() {
        auto w = zultest::WindowOnSim(dir->path().toStdString() + "/", sim->tcpPort());
        return w;
    }
    bool RunStart(TFormMain& w) {
        QSignalSpy done(&w, &TFormMain::startSequenceDone);
        w.show();
        return done.wait(20000);
    }

private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        sim = std::make_unique<sim::Qrtsim>();
        QVERIFY(sim->StartTcp());
    }
    void cleanup() { sim.reset(); }

    void healthyControllerShowsTheControllerMenus() {
        auto w = Window();
        Answerer a;
        a.Arm();
        QVERIFY(RunStart(*w));
        QVERIFY(w->linkEstablished);
        QCOMPARE(a.infoShown, 0);
        for (const char* name : {"NWorkPar", "NMac_Adr", "NContrDt", "NSit", "NChrom_RdMeas", "Nrdcnf", "NAudInd"})
            QVERIFY2(Visible(*w, name), name);
        QVERIFY(!Visible(*w, "NWmt_Data"));  // the simulator has no moisture meter
        QVERIFY(w->mainBar()->text(1).startsWith(QString::fromUtf8("Контроллер")));
        QVERIFY(w->qrtbox()->sock > 0);
        if (qEnvironmentVariableIsSet("ZUL_TEST_ARTIFACTS")) {
            QTest::qWait(200);  // the menu bar lays out the items the sequence has shown
            QDir().mkpath(qEnvironmentVariable("ZUL_TEST_ARTIFACTS"));
            w->grab().save(qEnvironmentVariable("ZUL_TEST_ARTIFACTS") + "/connected_main_window.png");
        }
    }

    void otherTypeIsRefusedAndMenusStayReduced() {
        sim->SetByte(0, 1, 72);
        auto w = Window();
        Answerer a;
        a.Arm();
        QVERIFY(RunStart(*w));
        QVERIFY(!w->linkEstablished);
        QVERIFY(a.messages.contains(QString::fromUtf8("Код типа подключенного контроллера  72")));
        QVERIFY(!Visible(*w, "NWorkPar"));
        QVERIFY(Visible(*w, "NFile"));
        QCOMPARE(w->qrtbox()->sock, 0);
    }

    void damagedTableDialogThenExitKeepsTheLink() {
        sim->DamageTable(13);
        auto w = Window();
        Answerer a;
        bool writeAll = true, writeSelected = true, reset = false;
        QString row13, state13;
        a.onInfo = [&](TFormTableInfo* d) {
            writeAll = d->writeAllButton()->isEnabled();
            writeSelected = d->writeSelectedButton()->isEnabled();
            reset = d->resetButton()->isEnabled();
            for (int r = 0; r < d->grid()->rowCount(); ++r)
                if (d->grid()->item(r, 0)->text().startsWith(QString::fromUtf8(" Табл. 13."))) {
                    row13 = d->grid()->item(r, 0)->text();
                    state13 = d->grid()->item(r, 1)->text();
                    QCOMPARE(d->grid()->item(r, 1)->foreground().color(), QColor(Qt::red));
                }
            d->exitButton()->click();
        };
        a.Arm();
        QVERIFY(RunStart(*w));
        QCOMPARE(a.infoShown, 1);
        QVERIFY(!writeAll);
        QVERIFY(!writeSelected);
        QVERIFY(reset);
        QCOMPARE(state13, QString::fromUtf8("Да"));
        QVERIFY(!row13.isEmpty());
        QVERIFY(w->linkEstablished);
        QVERIFY(Visible(*w, "NWorkPar"));
    }

    void versionFourteenExitDropsTheLink() {
        sim->SetByte(0, 3, 14);
        auto w = Window();
        Answerer a;
        int damagedRows = 0, rows = 0;
        a.onInfo = [&](TFormTableInfo* d) {
            rows = d->grid()->rowCount();
            for (int r = 0; r < rows; ++r) damagedRows += d->grid()->item(r, 1)->text() == QString::fromUtf8("Да");
            d->exitButton()->click();
        };
        a.Arm();
        QVERIFY(RunStart(*w));
        QCOMPARE(rows, 24);
        QCOMPARE(damagedRows, 24);
        QVERIFY(!w->linkEstablished);
        QVERIFY(!Visible(*w, "NWorkPar"));
    }

    void chromatographCodeTwoDropsTheLink() {
        sim->SetByte(14, 6, 2);
        auto w = Window();
        Answerer a;
        a.Arm();
        QVERIFY(RunStart(*w));
        QVERIFY(!w->linkEstablished);
        QVERIFY(a.messages.contains(QString::fromUtf8("Код подключенного хроматографа равен 2.")));
    }
};

}  // namespace

QTEST_MAIN(StartSequenceTest)
#include "start_sequence_test.moc"
