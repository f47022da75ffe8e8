// Users and the clock from the main window's menu against the simulated
// controller, offscreen: a user added and removed as the frames sent, the
// refusals before anything is sent, the whole-table editor and its per-user
// dialog, the clock view and its correction, the synchronisation switches.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include "editors/Access.h"
#include "editors/ChangeAccess.h"
#include "editors/Dt.h"
#include "editors/Time_Sinhr.h"
#include "editors/Uspass.h"
#include "sim/SimTime.h"
#include "support/ConnectedWindow.h"
#include "support/settings_fakes.h"

using namespace zul;

namespace {

// Every write-type request: command, table, first field, count.
struct Frames : ExchangeObserver {
    void OnExchangeEvent(const ExchangeEvent& e) override {
        if (e.kind != ExchangeEvent::kRequest) return;
        const uint8_t* f = e.bytes;
        while (*f == 0xFF) ++f;
        if (f[3] == 2) writes << QString("%1:%2:%3").arg(f[21]).arg(f[22]).arg(f[23]);
        if (f[3] == 12) writes << QString("12:%1").arg(int16_t(f[20] | f[21] << 8));
        if (f[3] == 1) reads << f[5];
    }
    QStringList writes;
    QList<int> reads;
};

std::string Bytes(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

void Fill(const CredentialBoxes& c, const QString& code, const QString& password) {
    c.code->setText(code);
    c.code2->setText(code);
    c.password->setText(password);
    c.password2->setText(password);
}

}  // namespace

class UsersClockTest : public QObject {
    Q_OBJECT

    std::unique_ptr<sim::Qrtsim> sim;
    std::unique_ptr<zultest::ConnectedWindow> cw;
    Frames frames;

private slots:
    void init() {
        sim::SimSettings s;
        s.startDateTime = sim::DateTimeFromSeconds(sim::SecondsFromFields(2024, 3, 15, 10, 59, 50));
        s.rate = 0;
        sim = std::make_unique<sim::Qrtsim>(s);
        QVERIFY(sim->StartTcp());
        cw = std::make_unique<zultest::ConnectedWindow>();
        QVERIFY(cw->Connect(*sim));  // as the administrator
        frames = Frames{};
        cw->window->qrtbox()->observer = &frames;
    }
    void cleanup() {
        cw->window->qrtbox()->observer = nullptr;
        cw.reset();
        sim.reset();
    }

    void userAddedAndRemovedAsTheFramesSent() {
        TFormMain& w = *cw->window;
        zultest::OnIdleDialog<TFormChangeAccess>(w, [&](TFormChangeAccess* d) {
            QCOMPARE(d->LbUsers->count(), 16);
            QCOMPARE(d->LbUsers->item(1)->text(), QStringLiteral("ADM"));
            QCOMPARE(d->LbUsers->item(9)->text(), QStringLiteral("   --   "));
            d->LbUsers->setCurrentRow(9);
            d->EdName->setText("NEW");
            d->CbLevel->setCurrentIndex(3);
            Fill(d->credentials, "6666", "pw");
            d->BtnWrite->click();
        });
        w.menuItem("NPass")->trigger();
        QCOMPARE(frames.writes, QStringList{"4:9:1"});
        const auto rec = Bytes(sim->Field(4, 9));
        QCOMPARE(QString::fromStdString(rec.substr(0, 4)), QStringLiteral("NEW "));
        QCOMPARE(int(rec[4]), 3);
        QCOMPARE(QString::fromStdString(rec.substr(6)), QStringLiteral("pw          6666"));

        // Removal: the level alone, no code or password; blanks sent with level 0.
        frames.writes.clear();
        zultest::OnIdleDialog<TFormChangeAccess>(w, [&](TFormChangeAccess* d) {
            QCOMPARE(d->LbUsers->item(9)->text(), QStringLiteral("NEW"));
            d->LbUsers->setCurrentRow(2);
            QCOMPARE(d->EdName->text(), QStringLiteral("ENG"));
            QVERIFY(d->credentials.code->text().isEmpty());
            d->CbLevel->setCurrentIndex(0);
            d->BtnWrite->click();
        });
        w.menuItem("NPass")->trigger();
        QCOMPARE(frames.writes, QStringList{"4:2:1"});
        const auto removed = Bytes(sim->Field(4, 2));
        QCOMPARE(int(removed[4]), 0);
        QCOMPARE(QString::fromStdString(removed.substr(0, 4) + removed.substr(6)), QString(20, ' '));
    }

    void refusalsBeforeAnythingIsSent() {
        TFormMain& w = *cw->window;
        QStringList said;
        zultest::OnIdleDialog<TFormChangeAccess>(w, [&](TFormChangeAccess* d) {
            struct Try {
                int slot, level;
                const char* code2;
            } tries[] = {{1, 3, "2222"}, {5, 1, "7777"}, {5, 3, "7778"}};
            for (const Try& t : tries) {
                d->LbUsers->setCurrentRow(t.slot);
                d->EdName->setText(t.slot == 1 ? "ADM" : "X");
                d->CbLevel->setCurrentIndex(t.level);
                Fill(d->credentials, "7777", "p");
                d->credentials.code2->setText(t.code2);
                QString line;
                zultest::OnDialog<TFormMessage>([&](TFormMessage* box) {
                    line = box->lineLabel(0)->text() + "|" + box->lineLabel(1)->text();
                    box->closeButton()->click();
                });
                d->BtnWrite->click();
                said << line;
                QVERIFY(d->isVisible());
            }
            // The codes that differed are emptied.
            QVERIFY(d->credentials.code->text().isEmpty() && d->credentials.code2->text().isEmpty());
            QCOMPARE(d->credentials.password->text(), QStringLiteral("p"));
            d->BtnCancel->click();
        });
        w.menuItem("NPass")->trigger();
        QCOMPARE(said, (QStringList{
                           QStringLiteral("Вы не можете удалить единственного пользователя|с уровнем доступа "
                                          "\"Администратор\""),
                           QStringLiteral("Может быть зарегистрирован|только один производитель-наладчик"),
                           QStringLiteral("Несовпадение введенных кодов|Повторите процесс сначала"),
                       }));
        QVERIFY(frames.writes.isEmpty());

        // Table 4 waiting for a full rewrite: refused before table 4 is read.
        sim->SetByte(7, 4, 1);
        frames.reads.clear();
        QString line;
        zultest::OnDialog<TFormMessage>([&](TFormMessage* box) {
            line = box->lineLabel(0)->text() + "|" + box->lineLabel(1)->text() + "|" + box->lineLabel(2)->text();
            box->closeButton()->click();
        });
        w.menuItem("NPass")->trigger();
        QCOMPARE(line, QStringLiteral("Таблица доступа пользователей|требует полной перезаписи|(см. текущее "
                                      "состояние контроллера)"));
        QVERIFY(!frames.reads.contains(4));
    }

    void wholeTableEditorAndPerUserDialog() {
        uint8_t t4[kUserTableSize];
        const auto bytes = sim->TableBytes(4);
        std::copy(bytes.begin(), bytes.end(), t4);
        test::RecordingUi ui;
        TFormAccess d(t4, kFileMode, &ui);
        QVERIFY(!d.BtnAccept->isHidden() && d.BtnWrite->isHidden());
        QCOMPARE(d.EdName[1]->text(), QStringLiteral("ADM"));
        QVERIFY(d.EdName[9]->text().isEmpty());
        QVERIFY(!d.BtnUser[9]->isEnabled());
        d.CbLevel[9]->setCurrentIndex(4);
        QVERIFY(d.BtnUser[9]->isEnabled());
        d.EdName[9]->setText("OP2");

        // The row's dialog: Enter moves on; mismatched passwords are emptied; then the code.
        zultest::OnDialog<TFormUsPass>([&](TFormUsPass* u) {
            QVERIFY(u->EdCode->text().isEmpty());  // a free slot: blanks
            u->EdCode->setFocus();
            QTest::keyClick(u->EdCode, Qt::Key_Return);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(u->EdCode2));
            u->EdCode->setText("4444");
            u->EdCode2->setText("4444");
            u->EdPassword->setText("a");
            u->EdPassword2->setText("b");
            u->BtnAccept->click();
            QVERIFY(u->EdPassword->text().isEmpty() && u->EdPassword2->text().isEmpty());
            QCOMPARE(u->EdPassword->displayText(), QString());
            u->EdPassword->setText("pw");
            u->EdPassword2->setText("pw");
            QCOMPARE(u->EdPassword->displayText(), QStringLiteral("**"));
            u->BtnAccept->click();
        });
        d.BtnUser[9]->click();
        QCOMPARE(ui.messages.size(), size_t(1));
        QCOMPARE(QString::fromStdString(ui.messages[0]), QStringLiteral("2|Несовпадение введенных паролей|Повторите процесс сначала"));

        // "4444" is the operator's code too: refused, the caller's bytes untouched.
        d.BtnAccept->click();
        QCOMPARE(QString::fromStdString(ui.Last()),
                 QStringLiteral("2|Пользователи   4 и 10.|Совпадение кодов идентификации пользователя"));
        QVERIFY(!d.accepted());
        QCOMPARE(t4[9 * kUserRecordSize + kUserLevelOffset], 0);

        zultest::OnDialog<TFormUsPass>([&](TFormUsPass* u) {
            QCOMPARE(u->EdCode->text(), QStringLiteral("4444"));  // the row's own code
            u->EdCode->setText("9999");
            u->EdCode2->setText("9999");
            u->BtnAccept->click();
        });
        d.BtnUser[9]->click();
        d.CbLevel[2]->setCurrentIndex(0);  // a removed row loses its name
        d.BtnAccept->click();
        QVERIFY(d.accepted());
        QVERIFY(d.EdName[2]->text().isEmpty());
        const uint8_t* r = t4 + 9 * kUserRecordSize;
        QCOMPARE(std::string(reinterpret_cast<const char*>(r), 22),
                 std::string("OP2 ") + char(4) + char(0) + "pw          9999");
        QCOMPARE(t4[2 * kUserRecordSize + kUserLevelOffset], 0);
    }

    void clockViewAndCorrectionReceivedByTheController() {
        TFormMain& w = *cw->window;
        zultest::OnIdleDialog<TFormDt>(w, [&](TFormDt* d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Текущие дата и время"));
            QCOMPARE(d->Values[0][0]->text(), QStringLiteral("15.03.24"));
            QCOMPARE(d->Values[0][1]->text(), QStringLiteral("10:59:50"));
            QCOMPARE(d->Values[0][2]->text(), QStringLiteral("Пятница"));
            // The computer's clock is years later: the controller's date in red.
            QCOMPARE(d->Values[0][0]->palette().color(QPalette::WindowText), QColor(Qt::red));
            QCOMPARE(d->Values[1][0]->palette().color(QPalette::WindowText), QColor(Qt::black));
            QVERIFY(!d->LblForbidden->isVisible());
            zultest::AnswerNextBox(nullptr, true);
            d->BtnCorrect->click();
        });
        w.menuItem("NContrDt")->trigger();
        QCOMPARE(frames.writes, QStringList{"12:10"});
        QCOMPARE(sim->TableBytes(2)[3], uint8_t(11));
        QCOMPARE(sim->TableBytes(2)[4], uint8_t(0));
        QCOMPARE(w.mainBar()->text(2), QStringLiteral("Корректировка времени выполнена"));

        // Forbidden by table 6 field 11: shown, nothing to correct.
        sim->SetByte(6, 11, 0);
        zultest::OnIdleDialog<TFormDt>(w, [&](TFormDt* d) {
            QVERIFY(d->LblForbidden->isVisible());
            QVERIFY(!d->BtnCorrect->isEnabled());
            d->BtnExit->click();
        });
        w.menuItem("NContrDt")->trigger();
        QCOMPARE(frames.writes, QStringList{"12:10"});
    }

    void synchronisationSwitches() {
        TFormMain& w = *cw->window;
        sim->SetField(6, 10, {1, 1});
        sim->SetField(14, 8, {1, 1});
        zultest::OnIdleDialog<TFormTime_Sinhr>(w, [&](TFormTime_Sinhr* d) {
            QVERIFY(d->ChkComputer->isChecked() && d->ChkChromComputer->isChecked());
            d->ChkComputer->setChecked(false);
            QVERIFY(!d->ChkChromComputer->isChecked());
            QVERIFY(!d->ChkChromComputer->isEnabled());
            QVERIFY(d->ChkChromFlow->isEnabled());
            d->BtnWrite->click();
        });
        w.menuItem("NSinhr")->trigger();
        QCOMPARE(frames.writes, (QStringList{"6:10:2", "14:8:2"}));
        QCOMPARE(sim->Field(6, 11), std::vector<uint8_t>{0});
        QCOMPARE(sim->Field(14, 9), std::vector<uint8_t>{0});
        QCOMPARE(sim->Field(14, 8), std::vector<uint8_t>{1});
    }
};

QTEST_MAIN(UsersClockTest)
#include "users_clock_test.moc"
