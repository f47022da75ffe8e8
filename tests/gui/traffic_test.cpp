// The exchanges seen from the window, offscreen, against the simulated controller
// over loopback TCP: the traffic monitor's lines (a good and a failed exchange),
// pause, clear, the 10,000-line limit and its saved text; and the main window's
// "Записывать обмен в файл", whose file reads back as a capture.
#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "core/support/TestClocks.h"
#include "link/Connect.h"
#include "link/ExchangeCapture.h"
#include "link/TcpSocket.h"
#include "shell/Main.h"
#include "shell/EscHook.h"
#include "shell/MainTraffic.h"
#include "shell/QtUserInterface.h"
#include "shell/MessageBox.h"
#include "shell/TrafficMonitor.h"
#include "sim/Qrtsim.h"
#include "support/ModalHelper.h"
#include "tables/Conffun.h"
#include "tables/TableImage.h"

using namespace zul;

namespace {

struct NoUi : UserInterface {
    bool ShowMessageBox(int, const std::string&, const std::string&) override { return false; }
};

// Puts `box` on the simulator's TCP port.
void Connect(Qrtbox& box, const sim::Qrtsim& controller) {
    box.linkKind = kLinkEthernet;
    box.openPerExchange = 0;
    box.tcpSendPauseMs = 0;
    box.replyTimeoutMs = 300;
    box.attempts = 1;
    box.address = 1;
    box.sock = TcpConnect("127.0.0.1", controller.tcpPort(), 2000);
}

QStringList Row(TFormMonitor& m, int r) {
    QStringList cells;
    for (int c = 0; c < TFormMonitor::kColumns; ++c) cells << m.model()->Cell(r, c);
    return cells;
}

}  // namespace

class TrafficTest : public QObject {
    Q_OBJECT
private slots:
    void monitorLinesPauseClearLimitAndSave() {
        sim::Qrtsim controller;
        QVERIFY(controller.StartTcp());
        Qrtbox box;
        Connect(box, controller);
        zul::test::SkippingClock clock;
        box.clock = &clock;
        TFormMonitor m(box);
        ExchangeFanOut fan;
        fan.Add(&m);
        box.observer = &fan;
        m.show();
        TableImage image;
        NoUi ui;
        TableIo io(box, image, ui);
        const uint8_t table0[3] = {0, 0, 18};
        QVERIFY(io.ReadFields(table0, nullptr, false));
        clock.skippedNs += 3'600'000'000'000;  // the engine's clock moves on by an hour
        sim::Faults f;
        f.silence.times = 1;
        controller.SetFaults(f);
        QVERIFY(!io.ReadFields(table0, nullptr, false));
        m.TakeQueued();

        struct Expect {
            int row;
            QString direction, command, attempt, bytesStart, outcome, text;
        } expects[] = {
            {0, ">", "1", "1", "CC 01 0A 01 00 00 00 12", "", ""},
            {1, "<", "1", "1", "", "0", ""},
            {2, ">", "1", "1", "CC 01 0A 01 00 00 00 12", "", ""},
            {3, "<", "1", "1", "-", "10", QString::fromStdString(box.Message(kErrNoReply))},
        };
        QCOMPARE(m.model()->rowCount(), 4);
        for (const Expect& e : expects) {
            const QStringList r = Row(m, e.row);
            QCOMPARE(r[1], e.direction);
            QCOMPARE(r[2], e.command);
            QCOMPARE(r[3], e.attempt);
            QVERIFY2(r[4].startsWith(e.bytesStart), qPrintable(r[4]));
            QCOMPARE(r[5], e.outcome);
            QCOMPARE(r[6], e.text);
        }
        QVERIFY(Row(m, 1)[4].contains(QStringLiteral("33 01")));
        // The time of day comes from the engine's stamp: the hour the engine's clock
        // skipped between the reads lies between their lines.
        const QTime before = QTime::fromString(Row(m, 1)[0], QStringLiteral("HH:mm:ss.zzz"));
        const QTime after = QTime::fromString(Row(m, 2)[0], QStringLiteral("HH:mm:ss.zzz"));
        QVERIFY2(before.isValid() && after.isValid(), qPrintable(Row(m, 1)[0] + " " + Row(m, 2)[0]));
        constexpr int kDayMs = 86'400'000;
        const int apart = (after.msecsSinceStartOfDay() - before.msecsSinceStartOfDay() + kDayMs) % kDayMs;
        QVERIFY2(apart >= 3'600'000, qPrintable(Row(m, 1)[0] + " " + Row(m, 2)[0]));

        // Paused: nothing new is shown until it goes on.
        m.pauseButton()->click();
        QVERIFY(io.ReadFields(table0, nullptr, false));
        m.TakeQueued();
        QCOMPARE(m.model()->rowCount(), 4);
        m.pauseButton()->click();
        QCOMPARE(m.model()->rowCount(), 6);
        m.clearButton()->click();
        QCOMPARE(m.model()->rowCount(), 0);

        // The last 10,000 lines are kept.
        const uint8_t bytes[2] = {0xCC, 0x01};
        for (int i = 1; i <= 10050; ++i) {
            ExchangeEvent e{ExchangeEvent::kRequest, bytes, 2, 0, uint8_t(i % 250), i, 0};
            m.OnExchangeEvent(e);
        }
        m.TakeQueued();
        QCOMPARE(m.model()->rowCount(), 10000);
        QCOMPARE(Row(m, 0)[3], QStringLiteral("51"));
        QCOMPARE(Row(m, 9999)[3], QStringLiteral("10050"));

        QTemporaryDir dir;
        const QString path = dir.path() + "/lines.txt";
        zultest::OnDialog<QFileDialog>([&](QFileDialog* d) { zultest::ChooseFile(d, path); });
        zultest::OnDialog<TFormMessage>([](TFormMessage* b) { b->closeButton()->click(); });
        m.saveButton()->click();
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QCOMPARE(text, QByteArray::fromStdString(m.Text()));
        QCOMPARE(text.count('\n'), 10000);
        QVERIFY(text.endsWith("\t>\t" + QByteArray::number(10050 % 250) + "\t10050\tCC 01\t\t\n"));
        if (box.sock > 0) TcpClose(box.sock);
    }

    // While an exchange waits, clicks and keys are held back from the windows (a
    // command started there would use the engine that is still waiting); Esc goes
    // through, and the monitor, which keeps its input, gets its clicks: pause at
    // once, save once the reply is in.
    void inputHeldBackWhileAnExchangeWaits() {
        sim::Qrtsim controller;
        QVERIFY(controller.StartTcp());
        sim::Faults f;
        f.answerDelayMs = 1500;  // the clicks below come well inside the wait, even on a loaded machine
        controller.SetFaults(f);
        Qrtbox box;
        Connect(box, controller);
        box.replyTimeoutMs = 5000;
        QtUserInterface ui;
        box.ui = &ui;
        EscHook hook;
        qApp->installEventFilter(&hook);
        hook.BeginRead();
        QDialog editor;
        auto* button = new QPushButton(QStringLiteral("Записать"), &editor);
        int clicks = 0;
        connect(button, &QPushButton::clicked, [&clicks] { ++clicks; });
        editor.show();
        TFormMonitor monitor(box);
        ExchangeFanOut fan;
        fan.Add(&monitor);
        box.observer = &fan;
        monitor.show();
        bool inside = false;
        QTimer::singleShot(100, [&] {
            inside = ui.InsideProcessEvents();
            QTest::mouseClick(button, Qt::LeftButton);
            QTest::mouseClick(monitor.pauseButton(), Qt::LeftButton);
            QTest::mouseClick(monitor.saveButton(), Qt::LeftButton);  // its file dialog waits for the reply
            QTest::keyClick(&editor, Qt::Key_Escape);
        });
        QTemporaryDir dir;
        const QString saved = dir.path() + "/lines.txt";
        bool dialogInsideExchange = true;
        zultest::OnDialog<QFileDialog>([&](QFileDialog* d) {
            dialogInsideExchange = ui.InsideProcessEvents();
            zultest::ChooseFile(d, saved);
        });
        zultest::OnDialog<TFormMessage>([](TFormMessage* b) { b->closeButton()->click(); });
        TableImage image;
        NoUi quiet;
        TableIo io(box, image, quiet);
        const uint8_t table0[3] = {0, 0, 18};
        QVERIFY(io.ReadFields(table0, nullptr, false));
        QVERIFY(inside);
        QCOMPARE(clicks, 0);
        QCOMPARE(monitor.pauseButton()->text(), QStringLiteral("Продолжить"));
        QVERIFY(hook.stopRequest);
        QTRY_VERIFY(QFile::exists(saved));
        QVERIFY(!dialogInsideExchange);
        box.observer = nullptr;
        QTest::mouseClick(button, Qt::LeftButton);  // no exchange: as usual
        QCOMPARE(clicks, 1);
        qApp->removeEventFilter(&hook);
        if (box.sock > 0) TcpClose(box.sock);
    }

    void captureFromTheMenu() {
        QTimer closer;  // the start sequence's connection dialog is left with "Выход"
        closer.setInterval(20);
        connect(&closer, &QTimer::timeout, [] {
            if (auto* d = qobject_cast<TFormConnect*>(QApplication::activeModalWidget())) d->BtnExit->click();
        });
        closer.start();
        QTemporaryDir home;
        sim::Qrtsim controller;
        QVERIFY(controller.StartTcp());
        TFormMain w(home.path().toStdString() + "/");
        w.show();
        QTRY_VERIFY(w.menuItem("NVersion")->isVisible());
        closer.stop();

        const QString path = home.path() + "/site";
        zultest::OnDialog<QFileDialog>([&](QFileDialog* d) { zultest::ChooseFile(d, path); });
        w.menuItem("NCapture")->trigger();
        QVERIFY(w.traffic()->capturing());
        QVERIFY(w.menuItem("NCapture")->isChecked());
        w.menuItem("NMonitor")->trigger();
        QVERIFY(w.traffic()->monitor() && w.traffic()->monitor()->isVisible());

        Connect(*w.qrtbox(), controller);
        TableIo io(*w.qrtbox(), *w.image(), *w.ui());
        const uint8_t table5[3] = {5, 0, 2};
        QVERIFY(io.ReadFields(table5, nullptr, false));
        TcpClose(w.qrtbox()->sock);
        w.qrtbox()->sock = 0;

        QString said;
        zultest::OnDialog<TFormMessage>([&](TFormMessage* b) {
            said = b->lineLabel(0)->text();
            b->closeButton()->click();
        });
        w.menuItem("NCapture")->trigger();
        QCOMPARE(said, QStringLiteral("Обмен записан в файле site.cap."));
        QVERIFY(!w.traffic()->capturing());
        QVERIFY(!w.menuItem("NCapture")->isChecked());
        QFile file(path + ".cap");
        QVERIFY(file.open(QIODevice::ReadOnly));
        CaptureLog log;
        std::string why;
        QVERIFY2(ParseCapture(file.readAll().toStdString(), log, why), why.c_str());
        QCOMPARE(log.exchanges.size(), size_t(1));
        QCOMPARE(int(log.exchanges[0].command), 1);
        QCOMPARE(log.exchanges[0].errorCode, 0u);
        QVERIFY(log.exchanges[0].reply.size() > 8);
        w.traffic()->monitor()->TakeQueued();
        QCOMPARE(w.traffic()->monitor()->model()->rowCount(), 2);

        // A capture whose folder is gone by the time the window closes: said, not lost silently.
        QVERIFY(QDir(home.path()).mkdir("gone"));
        zultest::OnDialog<QFileDialog>([&](QFileDialog* d) { zultest::ChooseFile(d, home.path() + "/gone/late"); });
        w.menuItem("NCapture")->trigger();
        QVERIFY(w.traffic()->capturing());
        QVERIFY(QDir(home.path() + "/gone").removeRecursively());
        said.clear();
        QString name;
        zultest::OnDialog<TFormMessage>([&](TFormMessage* b) {
            said = b->lineLabel(0)->text();
            name = b->lineLabel(1)->text();
            b->closeButton()->click();
        });
        w.close();
        QCOMPARE(said, QStringLiteral("Ошибка открытия файла"));
        QCOMPARE(name, QStringLiteral("late.cap"));
    }
};

QTEST_MAIN(TrafficTest)
#include "traffic_test.moc"
