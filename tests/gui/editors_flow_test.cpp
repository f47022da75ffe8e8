// The flow-computer editors offscreen against the simulated controller: the
// list with three computers and a deletion, raising the count from the link
// dialog, the record dialog's pipelines and passwords, the state view.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QtTest>

#include "editors/Connvich.h"
#include "editors/EditorRules.h"
#include "editors/Floulist.h"
#include "editors/Floupar.h"
#include "editors/Vichinf.h"
#include "support/EditorBench.h"
#include "support/ModalHelper.h"

using namespace zul;
using zultest::EditorBench;

namespace {
// Three flow computers: addresses 1, 2, 3 with their types, masks and byte orders.
void ThreeComputers(EditorBench& b) {
    QVERIFY(b.sim.SetByte(9, 0, 3));
    QVERIFY(b.sim.SetField(17, 0, {2, 0, 1}));
    QVERIFY(b.sim.SetField(18, 0, {1, 2, 3}));
    QVERIFY(b.sim.SetField(19, 0, {0xA3, 0x01, 0x11}));
    QVERIFY(b.sim.SetField(20, 0, {1, 0, 0}));
}
}  // namespace

class EditorsFlowTest : public QObject {
    Q_OBJECT

private slots:
    void listOfThreeAndADeletion() {
        EditorBench b;
        QVERIFY(b.connected);
        ThreeComputers(b);
        b.ui.answers = {true};
        zultest::OnDialog<TFormFlouList>([](TFormFlouList* d) {
            QCOMPARE(d->Grid->rowCount(), 3);
            QCOMPARE(d->Grid->item(0, 0)->text(), QStringLiteral("   1"));
            QCOMPARE(d->Grid->item(0, 1)->text(), QStringLiteral(" ВР-2"));
            QCOMPARE(d->Grid->item(0, 2)->text(), QStringLiteral(" Мл. адрес -- мл. байт"));
            QCOMPARE(d->Grid->item(0, 3)->text(), QStringLiteral("      0xA3"));
            d->Grid->selectRow(0);
            d->BtnDelete->click();
            QCOMPARE(d->Grid->rowCount(), 2);
            QCOMPARE(d->Grid->currentRow(), 0);
            QCOMPARE(d->Grid->item(0, 0)->text(), QStringLiteral("   2"));
            d->BtnWrite->click();
        });
        EditFlowComputers(b.host);
        QCOMPARE(b.ui.messages.front(), std::string("3|Вы действительно хотите удалить|вычислитель адр. 1?"));
        QCOMPARE(b.writes.runs, (EditorBench::Runs{{9, 0, 1}, {17, 0, 2}, {18, 0, 2}, {19, 0, 2}, {20, 0, 1},
                                                   {13, 0, 1}, {13, 1, 1}}));
        QCOMPARE(b.sim.Field(9, 0), std::vector<uint8_t>{2});
        QCOMPARE(b.sim.TableBytes(18)[0], 2);
        QCOMPARE(b.sim.TableBytes(18)[2], 3);  // beyond the count: as it was
    }

    void noComputersYetStartsFromOneRecordOfZeros() {
        EditorBench b;
        QVERIFY(b.connected);
        QVERIFY(b.sim.SetByte(9, 0, 0));
        int rows = 0;
        zultest::OnDialog<TFormFlouList>([&rows](TFormFlouList* d) {
            rows = d->Grid->rowCount();
            zultest::OnDialog<TFormFlouPar>([](TFormFlouPar* p) {  // the zero record gets an address
                p->CbAddress->setEditText("7");
                p->BtnAccept->click();
            });
            d->BtnChange->click();
            d->BtnWrite->click();
        });
        EditFlowComputers(b.host);
        QCOMPARE(rows, 1);
        QVERIFY(!b.writes.runs.empty());
        QCOMPARE(b.writes.runs.front(), (EditorBench::Runs::value_type{9, 0, 1}));  // the count it ends with
        QCOMPARE(b.sim.Field(9, 0), std::vector<uint8_t>{1});
        QCOMPARE(b.sim.Field(18, 0), std::vector<uint8_t>{7});
    }

    // A computer added beyond the positions read: every field of its position is
    // written, whatever the controller held there (the image never saw those bytes).
    void anAddedComputerIsWrittenWhole() {
        EditorBench b;
        QVERIFY(b.connected);
        QVERIFY(b.sim.SetByte(9, 0, 1));
        QVERIFY(b.sim.SetField(17, 0, {2, 2}));  // position 1: ВР-2, ...
        QVERIFY(b.sim.SetField(18, 0, {1, 9}));
        QVERIFY(b.sim.SetField(19, 0, {1, 1}));
        QVERIFY(b.sim.SetField(20, 0, {0, 1}));  // ... "мл. байт"
        zultest::OnDialog<TFormFlouList>([](TFormFlouList* d) {
            zultest::OnDialog<TFormFlouPar>([](TFormFlouPar* p) {
                p->CbAddress->setEditText("5");
                p->CbType->setCurrentIndex(0);   // " ФЛОУТЭК"
                p->CbOrder->setCurrentIndex(0);  // " Мл. адрес - ст. байт"
                p->BtnAccept->click();
            });
            d->BtnAdd->click();
            QCOMPARE(d->Grid->rowCount(), 2);
            d->BtnWrite->click();
        });
        EditFlowComputers(b.host);
        QCOMPARE(b.sim.Field(9, 0), std::vector<uint8_t>{2});
        const std::vector<uint8_t> position1 = {b.sim.Field(17, 1)[0], b.sim.Field(18, 1)[0], b.sim.Field(19, 1)[0],
                                                b.sim.Field(20, 1)[0]};
        QCOMPARE(position1, (std::vector<uint8_t>{0, 5, 0, 0}));
        QCOMPARE(b.sim.Field(18, 0), std::vector<uint8_t>{1});  // the one read: unchanged, not written
    }

    void aPasswordIsWrittenOnlyWhenEntered() {
        EditorBench b;
        QVERIFY(b.connected);
        ThreeComputers(b);
        zultest::OnDialog<TFormFlouList>([](TFormFlouList* d) {
            d->Grid->selectRow(1);
            zultest::OnDialog<TFormFlouPar>([](TFormFlouPar* p) {
                QCOMPARE(p->windowTitle(), QStringLiteral("Параметры вычислителя расхода газа № 2"));
                p->EdPassword16->setText("secret");
                p->BtnAccept->click();
            });
            d->BtnChange->click();
            d->BtnWrite->click();
        });
        EditFlowComputers(b.host);
        QCOMPARE(b.writes.runs, (EditorBench::Runs{{13, 1, 1}}));
        QCOMPARE(b.sim.Field(13, 1), (std::vector<uint8_t>{'s', 'e', 'c', 'r', 'e', 't', ' ', ' ', ' ', ' ', ' ',
                                                          ' ', ' ', ' ', ' ', ' '}));
    }

    void raisingTheCountAsksForTheNewComputers() {
        EditorBench b;
        QVERIFY(b.connected);
        ThreeComputers(b);
        QVERIFY(b.sim.SetByte(9, 0, 2));
        QVERIFY(b.sim.SetByte(18, 2, 0));  // the third position holds no address yet
        b.ui.answers = {true};
        bool listShown = false;
        zultest::OnDialog<TFormConVich>([&b, &listShown](TFormConVich* d) {
            QCOMPARE(d->CbCount->currentIndex(), 1);
            QVERIFY(d->RbMode[2]->isChecked());
            d->CbCount->setCurrentIndex(2);
            zultest::OnDialog<TFormFlouList>([&b, &listShown](TFormFlouList* l) {
                listShown = true;
                QCOMPARE(l->Grid->rowCount(), 3);
                l->BtnWrite->click();
                QCOMPARE(b.ui.Last(), std::string("2|Вычислитель № 3|Неверно заданы параметры"));
                l->BtnCancel->click();
            });
            d->BtnWrite->click();
        });
        EditFlowComputerLink(b.host);
        QVERIFY(listShown);
        QCOMPARE(b.ui.messages.front(), std::string("3|Количество вычислителей не может быть увеличено|без ввода их "
                                                    "параметров. Выполнить ввод параметров сейчас?"));
        QVERIFY(b.writes.runs.empty());
        QCOMPARE(b.sim.Field(9, 0), std::vector<uint8_t>{2});

        // Lowering the count writes table 9 alone.
        zultest::OnDialog<TFormConVich>([](TFormConVich* d) {
            d->CbCount->setCurrentIndex(0);
            d->BtnWrite->click();
        });
        EditFlowComputerLink(b.host);
        QCOMPARE(b.writes.runs, (EditorBench::Runs{{9, 0, 1}}));
    }

    void linkDialogChecks_data() {
        QTest::addColumn<QString>("preambles");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("message");
        QTest::newRow("no preambles") << "" << 1 << "2|Введены не все параметры|";
        QTest::newRow("no mode") << "3" << -1 << "2|Введены не все параметры|";
        QTest::newRow("256 preambles") << "256" << 0 << "2|Количество преамбул не должно превышать 255|";
        QTest::newRow("accepted") << "255" << 1 << "";
    }
    void linkDialogChecks() {
        QFETCH(QString, preambles);
        QFETCH(int, mode);
        QFETCH(QString, message);
        test::RecordingUi ui;
        uint8_t t9[6] = {4, 11, 5, 20, 3, 9};  // mode 9: no button chosen
        TFormConVich d(t9, kFileMode, &ui);
        d.show();
        d.EdPreambles->setText(preambles);
        if (mode >= 0) d.RbMode[mode]->setChecked(true);
        d.BtnAccept->click();
        QCOMPARE(QString::fromStdString(ui.Last()), message);
        if (message.isEmpty()) QCOMPARE(std::vector<uint8_t>(t9, t9 + 6), (std::vector<uint8_t>{4, 11, 5, 20, 255, 1}));
        else QCOMPARE(int(t9[5]), 9);
    }

    void recordPipelinesAndLines_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("lineMask");
        QTest::addColumn<int>("maskBefore");
        QTest::addColumn<bool>("pickLine1");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("maskAfter");
        // Only line 1 in use: a pipeline that took line 2 must be given line 1.
        QTest::newRow("line 2 not offered") << 0 << 1 << 0x13 << false << "2|Введены не все параметры|" << 0;
        QTest::newRow("line 1 chosen") << 0 << 1 << 0x13 << true << "" << 0x03;
        QTest::newRow("both lines") << 2 << 3 << 0x15 << false << "" << 0x15;
        QTest::newRow("one pipeline type") << 1 << 3 << 0x77 << false << "" << 0x11;
    }
    void recordPipelinesAndLines() {
        QFETCH(int, type);
        QFETCH(int, lineMask);
        QFETCH(int, maskBefore);
        QFETCH(bool, pickLine1);
        QFETCH(QString, message);
        QFETCH(int, maskAfter);
        test::RecordingUi ui;
        FlowRecord r{};
        r.fill(' ');
        r[0] = 5;
        r[1] = uint8_t(type);
        r[2] = uint8_t(maskBefore);
        r[3] = 0;
        uint8_t sou = 0;
        TFormFlouPar d(r.data(), 1, &sou, lineMask, &ui);
        d.show();
        QCOMPARE(d.GbPipe[1]->isEnabled(), type != 1);
        QCOMPARE(d.RbLine2[0]->isEnabled(), (lineMask & 2) != 0);
        if (pickLine1) {
            d.RbLine1[0]->setChecked(true);
            d.RbLine1[1]->setChecked(true);
        }
        d.BtnAccept->click();
        QCOMPARE(QString::fromStdString(ui.Last()), message);
        if (!message.isEmpty()) return;
        QCOMPARE(int(r[2]), maskAfter);
        QVERIFY(!d.passwordChanged());
    }

    void souPasswordLayout() {
        test::RecordingUi ui;
        FlowRecord r{};
        r.fill(' ');
        r[0] = 9;
        r[1] = r[2] = r[3] = 0;
        uint8_t sou = 0;
        TFormFlouPar d(r.data(), 4, &sou, 1, &ui);
        d.show();
        QVERIFY(d.EdPassword16->isVisible() && !d.EdCode->isVisible());
        d.ChSou->setChecked(true);
        QVERIFY(!d.EdPassword16->isVisible() && d.EdCode->isVisible() && d.EdPassword12->isVisible());
        d.EdPassword12->setText("abc");
        d.EdCode->setText("77");
        d.BtnAccept->click();
        QVERIFY(d.accepted() && d.passwordChanged());
        QCOMPARE(std::string(r.begin() + 4, r.end()), std::string("abc         77  "));
        QCOMPARE(int(sou), 1);
        // Address out of range.
        TFormFlouPar e(r.data(), 4, &sou, 1, &ui);
        e.show();
        e.CbAddress->setEditText("255");
        e.BtnAccept->click();
        QCOMPARE(ui.Last(), std::string("2|Адрес вне допускаемого диапазона|"));
    }

    void stateView() {
        uint8_t rec[48] = {};
        rec[0] = 11;
        rec[1] = 12;
        rec[16] = 1;
        rec[33] = 1;
        TFormVichInf v(rec, 2);
        QCOMPARE(v.Grid->rowCount(), 2);
        QCOMPARE(v.Grid->item(0, 0)->text(), QStringLiteral("11"));
        QCOMPARE(v.Grid->item(0, 1)->text(), QStringLiteral("Есть"));
        QCOMPARE(v.Grid->item(1, 1)->text(), QStringLiteral("Нет"));
        QCOMPARE(v.Grid->item(1, 1)->foreground().color(), QColor(Qt::red));
        QCOMPARE(v.Grid->item(0, 2)->text(), QStringLiteral("Не записываются"));
        QCOMPARE(v.Grid->item(1, 2)->text(), QStringLiteral("Записываются"));
    }
};

QTEST_MAIN(EditorsFlowTest)
#include "editors_flow_test.moc"
