// The telephone start in the main window, offscreen, against the simulated modem
// in front of the simulated controller on a pseudo-terminal: the repeat question
// after a failed dial, the call-duration panel, "Отключить связь".
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "link/Comportfunctions.h"
#include "link/LinkSettings.h"
#include "shell/Main.h"
#include "shell/MainModem.h"
#include "shell/MessageBox.h"
#include "sim/Qrtsim.h"
#include "support/ModalHelper.h"
#include "tables/Stringi.h"

using namespace zul;

namespace {

constexpr int kModemPort = 120;

// Answers the modal windows of a start sequence: message boxes are recorded and
// answered from `answers` ("Да" when true; "Нет" or close otherwise), the login is
// cancelled. One chain for the whole test program (it re-arms after each window).
struct Answerer {
    QStringList messages;
    QList<bool> answers;
    void Arm() {
        zultest::OnModal(
            [this](QWidget* m) {
                if (auto* box = qobject_cast<TFormMessage*>(m)) {
                    messages << box->lineLabel(0)->text() + " / " + box->lineLabel(1)->text();
                    const bool yes = !answers.isEmpty() && answers.takeFirst();
                    if (box->yesButton() && box->yesButton()->isVisible())
                        (yes ? box->yesButton() : box->noButton())->click();
                    else if (box->closeButton())
                        box->closeButton()->click();
                    else
                        box->close();
                } else if (auto* d = qobject_cast<QDialog*>(m)) {
                    d->reject();
                } else {
                    m->close();
                }
                Arm();
            },
            600000);
    }
};

// The duration text whenever the panel is shown.
struct ShowWatch : QObject {
    QStringList texts;
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Show) texts << static_cast<TModemPanel*>(o)->LDuration->text();
        return false;
    }
};

class ModemPanelTest : public QObject {
    Q_OBJECT
    Answerer a;

private slots:
    void initTestCase() { a.Arm(); }
    void init() {
        a.messages.clear();
        a.answers.clear();
    }

    void durationTextIsTheTimeOfDayOfTheDifference() {
        struct Case {
            double seconds;
            const char* text;
        };
        const Case cases[] = {{0, "00:00:00"}, {1, "00:00:01"}, {3661, "01:01:01"}, {86399, "23:59:59"},
                              {86400 + 3600 + 5, "01:00:05"}};
        const double start = 45000.25;
        for (const Case& c : cases)
            QCOMPARE(CallDurationText(start, start + c.seconds / 86400.0), QString::fromLatin1(c.text));
    }

    void failedDialIsRepeatedOnYesThenTheCallIsTimedAndEnded() {
        QTemporaryDir dir;
        sim::Qrtsim sim;
        sim::ModemSettings ms;
        ms.dialOutcome = sim::DialOutcome::kBusy;
        ms.dialFailures = 1;  // the first call is busy, the second connects
        sim.EnableModem(ms);
        QVERIFY(sim.StartPty());
        SetPortDevicePath(kModemPort, sim.ptyPath());

        TFormMain w(dir.path().toStdString() + "/");
        LinkSettings& link = w.settings().link;
        link.current.connectionKind = kLinkPhone;
        link.phone.params.port = kModemPort;
        link.phone.params.speed = 9600;
        link.phone.params.replyWaitSeconds = 1;
        link.phone.subscribers.count = 1;
        link.phone.subscribers.selected = 0;
        SetText(link.phone.subscribers.entries[0].name, Utf8ToCp1251("Стенд"));
        link.phone.subscribers.entries[0].address = 1;
        SetText(link.phone.subscribers.entries[0].phone, "8 (000) 111-22-33");
        link.phone.connectWait = 5;
        w.ConnectWithoutDialogOnce();
        ShowWatch watch;
        w.modemPanel()->installEventFilter(&watch);

        a.answers = {true};
        QSignalSpy done(&w, &TFormMain::startSequenceDone);
        w.show();
        QVERIFY(done.wait(60000));

        QCOMPARE(a.messages.value(0), QString::fromUtf8("Номер абонента занят / Повторить попытку соединения?"));
        QCOMPARE(sim.modemStats().dialled, (std::vector<std::string>{"80001112233", "80001112233"}));
        QVERIFY(w.modemConnected);
        QVERIFY(w.linkEstablished);
        QVERIFY(w.modemPanel()->isVisible());
        QCOMPARE(watch.texts, QStringList{"00:00:00"});
        QCOMPARE(w.thirdBar()->text(0), QString());
        // Bottom right of the client area, above the status bars.
        const QRect g = w.modemPanel()->geometry();
        QCOMPARE(g.right(), w.centralWidget()->width() - 4 - 1);
        QVERIFY(g.bottom() < w.thirdBar()->geometry().top() || !w.thirdBar()->isVisible());
        // The duration counts on.
        QTRY_VERIFY_WITH_TIMEOUT(w.modemPanel()->LDuration->text() != "00:00:00", 5000);
        QVERIFY(QRegularExpression("^00:00:0[1-9]$").match(w.modemPanel()->LDuration->text()).hasMatch());

        w.modemPanel()->BtnDisconnect->click();
        QVERIFY(!w.modemPanel()->isVisible());
        QVERIFY(!w.modemPanel()->TimerMoney->isActive());
        QVERIFY(!w.modemConnected);
        QVERIFY(!w.linkEstablished);
        QVERIFY(!w.qrtbox()->PortOpen());
        QVERIFY(!sim.modemStats().offHook);  // hung up
        QVERIFY(!w.menuItem("NWorkPar")->isVisible());
        SetPortDevicePath(kModemPort, "");
    }

    void escWhileDiallingEndsTheCallWithItsQuestion() {
        QTemporaryDir dir;
        sim::Qrtsim sim;
        sim::ModemSettings ms;
        ms.dialMs = 120000;  // the call would take two minutes
        sim.EnableModem(ms);
        QVERIFY(sim.StartPty());
        SetPortDevicePath(kModemPort, sim.ptyPath());
        TFormMain w(dir.path().toStdString() + "/");
        LinkSettings& link = w.settings().link;
        link.current.connectionKind = kLinkPhone;
        link.phone.params.port = kModemPort;
        link.phone.subscribers.count = 1;
        SetText(link.phone.subscribers.entries[0].phone, "123");
        link.phone.connectAttempts = 3;
        w.ConnectWithoutDialogOnce();
        // Esc on the main window once the modem has the dial command.
        QTimer esc;
        esc.setInterval(100);
        connect(&esc, &QTimer::timeout, [&] {
            if (w.escHook()->dialInProgress && !sim.modemStats().dialled.empty())
                QTest::keyClick(&w, Qt::Key_Escape);
        });
        esc.start();
        QSignalSpy done(&w, &TFormMain::startSequenceDone);
        w.show();
        QVERIFY(done.wait(60000));
        esc.stop();
        QCOMPARE(a.messages.value(0),
                 QString::fromUtf8("Попытка соединения прервана по требованию пользователя / "
                                   "Повторить попытку соединения?"));
        QCOMPARE(sim.modemStats().dialled.size(), size_t(1));  // no further attempt
        QVERIFY(!w.escHook()->dialInProgress);
        QVERIFY(!w.modemConnected);
        QVERIFY(!w.qrtbox()->PortOpen());
        SetPortDevicePath(kModemPort, "");
    }

    void failedDialAnsweredNoEndsWithoutALink() {
        QTemporaryDir dir;
        sim::Qrtsim sim;
        sim::ModemSettings ms;
        ms.cpasError = true;
        sim.EnableModem(ms);
        QVERIFY(sim.StartPty());
        SetPortDevicePath(kModemPort, sim.ptyPath());
        TFormMain w(dir.path().toStdString() + "/");
        LinkSettings& link = w.settings().link;
        link.current.connectionKind = kLinkPhone;
        link.phone.params.port = kModemPort;
        link.phone.subscribers.count = 1;
        SetText(link.phone.subscribers.entries[0].phone, "123");
        w.ConnectWithoutDialogOnce();
        QSignalSpy done(&w, &TFormMain::startSequenceDone);
        w.show();
        QVERIFY(done.wait(60000));
        QCOMPARE(a.messages.value(0), QString::fromUtf8("Нет готовности GSM / Повторить попытку соединения?"));
        QVERIFY(!w.modemConnected);
        QVERIFY(!w.modemPanel()->isVisible());
        QVERIFY(!w.qrtbox()->PortOpen());  // the port is released
        QVERIFY(sim.modemStats().dialled.empty());
        SetPortDevicePath(kModemPort, "");
    }
};

}  // namespace

QTEST_MAIN(ModemPanelTest)
#include "modem_panel_test.moc"
