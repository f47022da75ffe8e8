// The login dialog driven offscreen: masked boxes, key handling, the 16 credential
// bytes, and what the simulated controller makes of them in a write request.
#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>  // QtUserInterface.h keeps a QPointer to one
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "support/ModalHelper.h"

#include "editors/Shortuspass.h"
#include "link/Qrtbox.h"
#include "link/TcpSocket.h"
#include "shell/MessageBox.h"
#include "sim/Qrtsim.h"
#include "support/settings_fakes.h"
#include "tables/Conffun.h"
#include "tables/Stringi.h"
#include "tables/TableImage.h"

using namespace zul;

namespace {

// Types text of any script: QTest::keyClicks asserts on non-Latin characters.
void TypeText(QWidget* w, const QString& text) {
    for (QChar c : text) QTest::sendKeyEvent(QTest::KeyAction::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

void Fill(TFormShortUsPass* d, const QString& code, const QString& password) {
    d->EdCode->setText(code);
    d->EdPassword->setText(password);
    QTest::mouseClick(d->BtnAccept, Qt::LeftButton);
}

std::string Bytes(const uint8_t* p, size_t n) { return std::string(reinterpret_cast<const char*>(p), n); }

}  // namespace

class ShortUsPassTest : public QObject {
    Q_OBJECT

    test::RecordingUi ui;

private slots:
    void init() { ui.messages.clear(); }

    void layoutAndKeys() {
        TFormShortUsPass d(ui);
        d.show();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        QCOMPARE(d.windowTitle(), QStringLiteral("Идентификация пользователя программы"));
        QStringList groups;
        for (QGroupBox* g : d.findChildren<QGroupBox*>()) groups << g->title();
        QCOMPARE(groups, (QStringList{QStringLiteral(" Код идентификации  пользователя"),
                                      QStringLiteral(" Пароль на запись в контроллер")}));
        QCOMPARE(d.EdCode->echoMode(), QLineEdit::Password);
        QCOMPARE(d.EdPassword->echoMode(), QLineEdit::Password);
        QVERIFY(d.EdCode->text().isEmpty() && d.EdPassword->text().isEmpty());
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(d.EdCode));
        const QString artifacts = qEnvironmentVariable("ZUL_TEST_ARTIFACTS");
        if (!artifacts.isEmpty()) {
            QDir().mkpath(artifacts);
            QVERIFY(d.grab().save(artifacts + "/shortuspass.png"));
        }

        // Digits only, at most four.
        QTest::keyClicks(d.EdCode, "1a2-3 45");
        QCOMPARE(d.EdCode->text(), QStringLiteral("1234"));
        // Each character shown as "*", whatever the style's own mask.
        QCOMPARE(d.EdCode->displayText(), QStringLiteral("****"));
        TypeText(d.EdPassword, QStringLiteral("пар"));
        QCOMPARE(d.EdPassword->displayText(), QStringLiteral("***"));
        d.EdPassword->clear();
        // Enter moves on without accepting: code -> password -> "Принять".
        QTest::keyClick(d.EdCode, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(d.EdPassword));
        TypeText(d.EdPassword, QStringLiteral("пароль-12345678"));
        QCOMPARE(d.EdPassword->text(), QStringLiteral("пароль-12345"));  // cut at 12
        QTest::keyClick(d.EdPassword, Qt::Key_Enter);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(d.BtnAccept));
        QVERIFY(d.isVisible());
        QVERIFY(!d.accepted());
        QTest::keyClick(d.BtnAccept, Qt::Key_Return);
        QVERIFY(d.accepted());
        QVERIFY(!d.isVisible());
        // The password in code page 1251 in bytes 0..11, the code in 12..15.
        QCOMPARE(Bytes(d.credentials().data(), 16), Utf8ToCp1251("пароль-12345") + "1234");
        QVERIFY(ui.messages.empty());
    }

    void bytesAreBlankFilled() {
        TFormShortUsPass d(ui);
        d.show();
        Fill(&d, "12", "ab");
        QVERIFY(d.accepted());
        QCOMPARE(Bytes(d.credentials().data(), 16), std::string("ab          12  "));

        TFormShortUsPass empty(ui);
        empty.show();
        Fill(&empty, "5555", "");  // a user may have no password
        QVERIFY(empty.accepted());
        QCOMPARE(Bytes(empty.credentials().data(), 16), std::string(12, ' ') + "5555");

        TFormShortUsPass shortCode(ui);
        shortCode.show();
        QTest::keyClicks(shortCode.EdCode, "7");
        QTest::mouseClick(shortCode.BtnAccept, Qt::LeftButton);
        QVERIFY(shortCode.accepted());
        QCOMPARE(Bytes(shortCode.credentials().data(), 16), std::string(12, ' ') + "7   ");
    }

    void emptyCodeIsRefused() {
        TFormShortUsPass d(ui);
        d.show();
        Fill(&d, "", "secret");
        QCOMPARE(ui.Last(), std::string("2|Не задан код идентификации пользователя|"));
        QVERIFY(d.isVisible());
        QVERIFY(!d.accepted());
        QTest::mouseClick(d.BtnExit, Qt::LeftButton);
        QVERIFY(!d.accepted());
        QVERIFY(!d.isVisible());
    }

    void askCredentialsKeepsTheOldBytesWhenCancelled() {
        Qrtbox box(1);
        box.ui = &ui;
        QCOMPARE(Bytes(box.writePassword.data(), 12), std::string(12, ' '));  // at start: blanks
        QCOMPARE(Bytes(box.identCode.data(), 4), std::string(4, ' '));

        zultest::OnDialog<TFormShortUsPass>([](TFormShortUsPass* d) { Fill(d, "3333", "333333"); });
        QVERIFY(AskCredentials(box, nullptr));
        QCOMPARE(Bytes(box.writePassword.data(), 12), std::string("333333      "));
        QCOMPARE(Bytes(box.identCode.data(), 4), std::string("3333"));

        // Typed in, then "Выход": the engine keeps what it had.
        zultest::OnDialog<TFormShortUsPass>([](TFormShortUsPass* d) {
            d->EdCode->setText("9");
            d->EdPassword->setText("x");
            QTest::mouseClick(d->BtnExit, Qt::LeftButton);
        });
        QVERIFY(!AskCredentials(box, nullptr));
        QCOMPARE(Bytes(box.writePassword.data(), 12), std::string("333333      "));
        QCOMPARE(Bytes(box.identCode.data(), 4), std::string("3333"));

        // An empty code is refused in the dialog; Esc then leaves it.
        zultest::OnDialog<TFormShortUsPass>([](TFormShortUsPass* d) {
            Fill(d, "", "");
            QTest::keyClick(d, Qt::Key_Escape);
        });
        QVERIFY(!AskCredentials(box, nullptr));
        QCOMPARE(ui.Last(), std::string("2|Не задан код идентификации пользователя|"));
        QCOMPARE(Bytes(box.identCode.data(), 4), std::string("3333"));
    }

    void ownMessageBoxKeepsTheDialogOpen() {
        TFormShortUsPass d;  // no interface given: its own message boxes
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QString line1;
        zultest::OnDialog<TFormMessage>([&](TFormMessage* m) {
            line1 = m->lineLabel(0)->text();
            m->closeButton()->click();
        });
        QTest::keyClicks(d.EdPassword, "abc");
        d.BtnAccept->click();
        QCOMPARE(line1, QStringLiteral("Не задан код идентификации пользователя"));
        QVERIFY(d.isVisible());
        QVERIFY(!d.accepted());
        QCOMPARE(d.focusWidget(), static_cast<QWidget*>(d.EdCode));  // back to the code
    }

    void withoutAnInterfaceTheMessageIsARealBox() {
        Qrtbox box(1);  // no user interface: the dialog shows its own message box
        zultest::OnDialog<TFormShortUsPass>([](TFormShortUsPass* d) {
            zultest::OnDialog<TFormMessage>([d](TFormMessage* m) {
                QCOMPARE(m->windowTitle(), QStringLiteral("Ошибка ввода параметров"));
                QCOMPARE(m->lineLabel(0)->text(), QStringLiteral("Не задан код идентификации пользователя"));
                QTest::mouseClick(m->closeButton(), Qt::LeftButton);
                QTimer::singleShot(0, d, [d] { Fill(d, "4444", "444444"); });
            });
            Fill(d, "", "");
        });
        QVERIFY(AskCredentials(box, nullptr));
        QCOMPARE(Bytes(box.identCode.data(), 4), std::string("4444"));
    }

    void theControllerJudgesTheCredentials() {
        sim::Qrtsim sim;
        QVERIFY(sim.StartTcp());
        Qrtbox box(1);
        box.ui = &ui;
        box.linkKind = kLinkEthernet;
        box.openPerExchange = 0;
        box.tcpSendPauseMs = 0;
        box.attempts = 1;
        box.replyTimeoutMs = 1000;
        box.sock = TcpConnect("127.0.0.1", sim.tcpPort(), 2000);
        QVERIFY(box.sock > 0);
        TableImage image;
        TableIo io(box, image, ui);
        MemoryStatusBar bar;
        auto write = [&] {
            image.Field(6, 6)[0] = 11;
            uint8_t buf[3 + 255] = {6, 6, 1};
            return io.WriteFields(buf, &bar, false);
        };
        // At start the credentials are blanks: nobody is registered with them.
        QVERIFY(!write());
        QCOMPARE(int(box.reply[4]), 34);
        // The user without a password logs in: twelve blanks are his password.
        zultest::OnDialog<TFormShortUsPass>([](TFormShortUsPass* d) { Fill(d, "5555", ""); });
        QVERIFY(AskCredentials(box, nullptr));
        QVERIFY2(write(), box.ErrorText().c_str());
        QCOMPARE(sim.Field(6, 6), std::vector<uint8_t>{11});
        // A wrong password for a known code.
        zultest::OnDialog<TFormShortUsPass>([](TFormShortUsPass* d) { Fill(d, "3333", "33333"); });
        QVERIFY(AskCredentials(box, nullptr));
        QVERIFY(!write());
        QCOMPARE(int(box.reply[4]), 3);
        TcpClose(box.sock);
        box.sock = 0;
    }
};

QTEST_MAIN(ShortUsPassTest)
#include "shortuspass_test.moc"
