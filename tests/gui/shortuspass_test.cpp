// The login dialog: code and password into the engine, blank-filled; cancel
// keeps what the engine had; an empty code is refused.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "editors/Shortuspass.h"
#include "link/Qrtbox.h"
#include "shell/MessageBox.h"
#include "support/ModalHelper.h"

using namespace zul;

namespace {

std::string Bytes(const uint8_t* p, size_t n) { return std::string(reinterpret_cast<const char*>(p), n); }

// Fills and accepts (or cancels) the next login dialog that opens.
void AnswerLogin(const QString& code, const QString& password, bool accept) {
    zultest::OnModal([=](QWidget* m) {
        auto* d = qobject_cast<TFormShortUsPass*>(m);
        if (!d) {
            m->close();
            return;
        }
        QTest::keyClicks(d->codeEdit(), code);
        QTest::keyClicks(d->passwordEdit(), password);
        (accept ? d->acceptButton() : d->exitButton())->click();
    });
}

class ShortUsPassTest : public QObject {
    Q_OBJECT
private slots:
    void layoutAndMasking() {
        TFormShortUsPass d;
        QCOMPARE(d.windowTitle(), QString::fromUtf8("Идентификация пользователя программы"));
        QCOMPARE(d.codeEdit()->echoMode(), QLineEdit::Password);
        QCOMPARE(d.passwordEdit()->echoMode(), QLineEdit::Password);
        QCOMPARE(d.codeEdit()->maxLength(), 4);
        QCOMPARE(d.passwordEdit()->maxLength(), 12);
        QVERIFY(d.codeEdit()->text().isEmpty());
        // Only digits reach the code box.
        QTest::keyClicks(d.codeEdit(), "1a2b3c45");
        QCOMPARE(d.codeEdit()->text(), QString("1234"));
        // Enter walks from the code to the password and on to "Принять".
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        d.codeEdit()->setFocus();
        QTest::keyClick(d.codeEdit(), Qt::Key_Return);
        QVERIFY(d.passwordEdit()->hasFocus());
        QTest::keyClick(d.passwordEdit(), Qt::Key_Return);
        QVERIFY(d.acceptButton()->hasFocus());
        QVERIFY(d.isVisible());
    }

    void acceptedCredentialsGoIntoTheEngineBlankFilled() {
        Qrtbox box(1);
        AnswerLogin("3333", "pass", true);
        QVERIFY(AskCredentials(box, nullptr));
        QCOMPARE(Bytes(box.writePassword.data(), 12), std::string("pass        "));
        QCOMPARE(Bytes(box.identCode.data(), 4), std::string("3333"));
        // A short code is blank-filled too; an empty password is twelve blanks.
        AnswerLogin("7", "", true);
        QVERIFY(AskCredentials(box, nullptr));
        QCOMPARE(Bytes(box.writePassword.data(), 12), std::string(12, ' '));
        QCOMPARE(Bytes(box.identCode.data(), 4), std::string("7   "));
    }

    void cancelKeepsWhatTheEngineHad() {
        Qrtbox box(1);
        QCOMPARE(Bytes(box.identCode.data(), 4), std::string(4, ' '));
        std::memcpy(box.writePassword.data(), "old-password", 12);
        std::memcpy(box.identCode.data(), "1111", 4);
        AnswerLogin("2222", "new", false);
        QVERIFY(!AskCredentials(box, nullptr));
        QCOMPARE(Bytes(box.writePassword.data(), 12), std::string("old-password"));
        QCOMPARE(Bytes(box.identCode.data(), 4), std::string("1111"));
    }

    void emptyCodeIsRefusedAndTheDialogStays() {
        TFormShortUsPass d;
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QString line1;
        zultest::OnModal([&](QWidget* m) {
            if (auto* box = qobject_cast<TFormMessage*>(m)) {
                line1 = box->lineLabel(0)->text();
                box->closeButton()->click();
            } else {
                m->close();
            }
        });
        QTest::keyClicks(d.passwordEdit(), "abc");
        d.acceptButton()->click();
        QCOMPARE(line1, QString::fromUtf8("Не задан код идентификации пользователя"));
        QVERIFY(d.isVisible());
        QVERIFY(!d.accepted());
    }
};

}  // namespace

QTEST_MAIN(ShortUsPassTest)
#include "shortuspass_test.moc"
