// The gas-parameter editors offscreen: the limit ranges, the constants' ticked
// and unticked rows, the write period, the need-to-write list, the parameter
// list and record editor reached from the chromatograph dialog.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include "editors/Chr_par.h"
#include "editors/Chrpar_list.h"
#include "editors/Connqrt.h"
#include "editors/Const_par.h"
#include "editors/Distrpar.h"
#include "editors/EditorRules.h"
#include "editors/Przdistr.h"
#include "editors/limits.h"
#include "support/EditorBench.h"
#include "support/ModalHelper.h"
#include "shell/Suplfunc.h"
#include "tables/Stringi.h"

using namespace zul;
using zultest::EditorBench;

namespace {
std::vector<uint8_t> FloatBytes(float v) {
    uint8_t b[4];
    PutFloat(b, v);
    return {b, b + 4};
}
}  // namespace

class EditorsGasTest : public QObject {
    Q_OBJECT

private slots:
    void limitsRowsAndRanges() {
        EditorBench b;
        QVERIFY(b.connected);
        QVERIFY(b.sim.SetByte(14, 14, 5));
        b.Reread(14);
        const std::vector<uint8_t> row6 = b.sim.Field(23, 5);
        zultest::OnDialog<TFormLimits>([&b](TFormLimits* d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Нижняя предупредительная уставка параметра газа"));
            QVERIFY(d->EdValue[4] && !d->EdValue[5]);  // five rows
            QCOMPARE(d->EdRange[0]->text(), QStringLiteral(" 0.000 - 0.600"));
            QCOMPARE(d->EdValue[0]->text(), QStringLiteral("0.002"));
            d->EdValue[0]->setText("0.6001");
            d->BtnWrite->click();
            QVERIFY(d->isVisible());
            QCOMPARE(b.ui.Last(), "2|Параметр \"" + d->EdName[0]->text().toStdString() +
                                      " \".|Вводите значения согласно допустимому диапазону");
            QVERIFY(d->EdName[0]->text().startsWith(QStringLiteral(" Сум. МД")));
            d->EdValue[0]->setText("0.6000099");
            d->BtnWrite->click();
        });
        EditLimits(b.host, 1);
        QCOMPARE(b.writes.runs, (EditorBench::Runs{{23, 0, 1}}));
        QCOMPARE(b.sim.Field(23, 0), FloatBytes(0.6000099f));
        QCOMPARE(b.sim.Field(23, 5), row6);  // beyond n: left alone

        // An empty box is caught before any range.
        b.writes.runs.clear();
        zultest::OnDialog<TFormLimits>([&b](TFormLimits* d) {
            d->EdValue[0]->setText("7");
            d->EdValue[3]->clear();
            d->BtnWrite->click();
            QCOMPARE(b.ui.Last(), std::string("2|Введены не все параметры|"));
            d->BtnCancel->click();
        });
        EditLimits(b.host, 4);
        QVERIFY(b.writes.runs.empty());
    }

    void constantsTickedAndUnticked() {
        EditorBench b;
        QVERIFY(b.connected);
        QVERIFY(b.sim.SetByte(14, 14, 3));
        b.Reread(14);
        QVERIFY(b.sim.SetField(44, 1, FloatBytes(2.5f)));
        zultest::OnDialog<TFormConst_Par>([&b](TFormConst_Par* d) {
            QVERIFY(d->EdValue[2] && !d->EdValue[3]);
            QCOMPARE(d->EdValue[1]->text(), QString::fromStdString(FormatValue(2.5f)));
            d->ChConst[0]->setChecked(true);
            d->EdValue[0]->clear();
            d->BtnWrite->click();
            QVERIFY(d->isVisible());
            QCOMPARE(b.ui.Last(), "2|" + Cp1251ToUtf8(FieldText(b.image.Field(1, 0), 40)) +
                                      "|Не введено значение константы.");
            d->EdValue[0]->setText("1.5");
            d->EdValue[1]->clear();  // unticked and empty: the constant stays
            d->BtnWrite->click();
        });
        EditConstants(b.host);
        QCOMPARE(b.writes.runs, (EditorBench::Runs{{44, 0, 1}, {43, 0, 1}}));
        QCOMPARE(b.sim.Field(44, 0), FloatBytes(1.5f));
        QCOMPARE(b.sim.Field(44, 1), FloatBytes(2.5f));
        QCOMPARE(b.sim.Field(43, 0), std::vector<uint8_t>{1});

        // The flags are written only after the constants were.
        b.writes.runs.clear();
        sim::Faults f;
        f.refuse = {1, 0, 2};
        f.refuseCode = 4;
        b.sim.SetFaults(f);
        zultest::OnDialog<TFormConst_Par>([](TFormConst_Par* d) {
            d->ChConst[2]->setChecked(true);
            d->EdValue[2]->setText("9");
            d->BtnWrite->click();
        });
        EditConstants(b.host);
        QCOMPARE(b.writes.runs, (EditorBench::Runs{{44, 2, 1}}));
        QCOMPARE(b.sim.Field(43, 2), std::vector<uint8_t>{0});
    }

    void writePeriodInFileMode() {
        test::RecordingUi ui;
        uint8_t t28[2] = {5, 9};
        TFormDistr d(t28, kFileMode, &ui);
        QCOMPARE(d.CbPeriod->currentIndex(), -1);  // 5 is not offered
        QCOMPARE(d.CbPeriod->itemText(5), QStringLiteral(" 12"));
        d.show();
        d.BtnAccept->click();
        QCOMPARE(ui.Last(), std::string("2|Не введен период|"));
        QCOMPARE(t28[0], 5);
        d.CbPeriod->setCurrentIndex(4);
        d.BtnAccept->click();
        QVERIFY(d.accepted());
        QCOMPARE(std::vector<uint8_t>(t28, t28 + 2), (std::vector<uint8_t>{6, 0}));
    }

    void needToWriteInFileMode() {
        uint8_t table1[20 * 64] = {};
        std::memcpy(table1, "Param", 5);
        uint8_t t21[20] = {1, 7, 1};
        TFormPrzDistr d(t21, kFileMode, 2, table1);
        QVERIFY(d.CbWrite[1] && !d.CbWrite[2]);
        QCOMPARE(d.CbWrite[0]->currentText(), QStringLiteral(" Записывать"));
        d.show();
        QString title, text;
        zultest::OnDialog<QMessageBox>([&](QMessageBox* m) {
            title = m->windowTitle();
            text = m->text();
            m->accept();
        });
        d.BtnAccept->click();  // row 2 holds 7: no choice
        QCOMPARE(title, QStringLiteral("Ошибка"));
        QCOMPARE(text, QStringLiteral("Введены не все параметры"));
        QVERIFY(!d.accepted());
        d.CbWrite[1]->setCurrentIndex(0);
        d.BtnAccept->click();
        QVERIFY(d.accepted());
        QCOMPARE(std::vector<uint8_t>(t21, t21 + 3), (std::vector<uint8_t>{1, 0, 1}));
    }

    void recordEditor_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("unitItem");
        QTest::addColumn<QString>("reg");
        QTest::addColumn<QString>("min");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("unitCode");
        QTest::addColumn<int>("storedReg");
        QTest::newRow("absolute density") << 6 << 0 << "7013" << "0" << "" << 7 << 7013;
        QTest::newRow("relative density") << 7 << 0 << "1" << "0" << "" << 0 << 1;
        QTest::newRow("compressibility") << 8 << 0 << "1" << "0" << "" << 0 << 1;
        QTest::newRow("pressure in MPa") << 2 << 2 << "99999" << "0" << "" << 11 << 99999 % 65536;
        QTest::newRow("register past 16 bits") << 3 << 1 << "70000" << "0" << "" << 5 << 70000 % 65536;
        QTest::newRow("range upside down") << 0 << 0 << "1" << "100" << "2|Неверно задан диапазон измерений|" << -1 << 0;
        QTest::newRow("no unit") << 2 << -1 << "1" << "0" << "2|Введены не все параметры|" << -1 << 0;
        QTest::newRow("no register") << 0 << 0 << "" << "0" << "2|Введены не все параметры|" << -1 << 0;
    }
    void recordEditor() {
        QFETCH(int, type);
        QFETCH(int, unitItem);
        QFETCH(QString, reg);
        QFETCH(QString, min);
        QFETCH(QString, message);
        QFETCH(int, unitCode);
        QFETCH(int, storedReg);
        test::RecordingUi ui;
        uint8_t r[64] = {};
        const std::string name30 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ1234";
        std::memcpy(r, name30.data(), 30);
        std::memcpy(r + 40, "X", 1);
        r[50] = 99;  // no unit of any type
        PutFloat(r + 55, 100.0f);
        r[61] = 9;   // shown as 7
        r[62] = uint8_t(type);
        const std::vector<uint8_t> before(r, r + 64);
        TForm_Chr_Par d(r, &ui);
        QCOMPARE(d.EdName->text(), QString::fromStdString(name30.substr(0, 25)));
        QVERIFY(!d.EdName->isEnabled() && !d.CbType->isEnabled());
        QCOMPARE(d.CbDecimals->currentIndex(), 7);
        QCOMPARE(d.EdMax->text(), QStringLiteral("100.0000000"));
        QCOMPARE(d.CbUnit->currentIndex(), -1);
        d.show();
        d.CbDecimals->setCurrentIndex(1);
        QCOMPARE(d.EdMax->text(), QStringLiteral("100.0"));
        SelectItem(d.CbUnit, unitItem);
        d.EdRegister->setText(reg);
        d.EdMin->setText(min);
        d.BtnAccept->click();
        QCOMPARE(QString::fromStdString(ui.Last()), message);
        QCOMPARE(d.accepted(), message.isEmpty());
        if (!d.accepted()) {
            QCOMPARE(std::vector<uint8_t>(r, r + 64), before);
            return;
        }
        QCOMPARE(int(r[50]), unitCode);
        QCOMPARE(int(r[59] | r[60] << 8), storedReg);
        QCOMPARE(int(r[61]), 1);
        QCOMPARE(FieldText(r, 40), name30.substr(0, 25));  // cut to 25 characters
        QCOMPARE(GetFloat(r + 55), 100.0f);
    }

    // The chromatograph dialog writes table 14, then the changed records of
    // table 1 from its parameter list; fields it does not show stay.
    void chromatographWithParameterList() {
        EditorBench b;
        QVERIFY(b.connected);
        for (auto [f, v] : {std::pair{8, 1}, {9, 1}, {12, 5}, {13, 6}}) QVERIFY(b.sim.SetByte(14, f, uint8_t(v)));
        const std::vector<uint8_t> record2 = b.sim.Field(1, 2);
        zultest::OnDialog<TFormConQRT>([](TFormConQRT* d) {
            QVERIFY(!d->CbCount->isEnabled());
            QCOMPARE(d->CbCount->currentText(), QStringLiteral("20"));
            QCOMPARE(d->CbFlowIndex->itemText(0), QStringLiteral("0 (адр. 1)"));
            zultest::OnDialog<TFormChrPar_List>([d](TFormChrPar_List* list) {
                QCOMPARE(list->Grid->rowCount(), 20);
                QCOMPARE(list->Grid->item(1, 0)->text(), QStringLiteral("  2"));
                QCOMPARE(list->Grid->item(1, 2)->text(), QStringLiteral(" C3H8"));
                list->Grid->selectRow(1);
                zultest::OnDialog<TForm_Chr_Par>([list](TForm_Chr_Par* r) {
                    r->EdDesignation->setText("Propane");
                    r->BtnAccept->click();
                    QTimer::singleShot(0, list, [list] { list->BtnAccept->click(); });
                });
                list->BtnChange->click();
                QCOMPARE(list->Grid->item(1, 2)->text(), QStringLiteral(" Propane"));
            });
            d->BtnParams->click();
            d->EdCycle->setText("60");
            d->BtnWrite->click();
        });
        EditChromatographLink(b.host);
        QCOMPARE(b.writes.runs, (EditorBench::Runs{{14, 15, 1}, {1, 1, 1}}));
        const std::vector<uint8_t> t14 = b.sim.TableBytes(14);
        QCOMPARE(std::vector<uint8_t>(t14.begin() + 8, t14.begin() + 14), (std::vector<uint8_t>{1, 1, 0, 1, 5, 6}));
        QCOMPARE(FieldText(b.sim.Field(1, 1).data() + 40, 10), std::string("Propane"));
        QCOMPARE(b.sim.Field(1, 2), record2);
    }

    void chromatographChecks_data() {
        QTest::addColumn<int>("flowCount");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("cycle");
        QTest::addColumn<int>("flowIndex");
        QTest::addColumn<QString>("message");
        QTest::newRow("no address") << 0 << "" << "30" << -1 << "2|Введены не все параметры|";
        QTest::newRow("no cycle") << 0 << "5" << "" << -1 << "2|Введены не все параметры|";
        QTest::newRow("no flow computer chosen") << 2 << "5" << "30" << -1 << "2|Введены не все параметры|";
        QTest::newRow("address 248") << 0 << "248" << "9" << -1 << "2|Адрес должен быть|в диапазоне 1...247";
        QTest::newRow("cycle 9") << 0 << "247" << "9" << -1 << "2|Цикл опроса хроматографа|должен быть в диапазоне 10...255";
        QTest::newRow("no flow computers: 10, 11 = 0") << 0 << "247" << "255" << -1 << "";
        QTest::newRow("second flow computer") << 2 << "1" << "10" << 1 << "";
    }
    void chromatographChecks() {
        QFETCH(int, flowCount);
        QFETCH(QString, address);
        QFETCH(QString, cycle);
        QFETCH(int, flowIndex);
        QFETCH(QString, message);
        test::RecordingUi ui;
        uint8_t t14[16] = {1, 11, 0, 0, 150, 5, 0, 0, 1, 1, 7, 7, 5, 6, 3, 30};
        uint8_t table1[20 * 64] = {};
        const uint8_t addresses[2] = {10, 20};
        TFormConQRT d(t14, kFileMode, flowCount, addresses, table1, &ui);
        QCOMPARE(d.GbTemperature->isEnabled(), flowCount > 0);
        d.show();
        d.CbAddress->setEditText(address);
        d.EdCycle->setText(cycle);
        SelectItem(d.CbFlowIndex, flowIndex);
        QCOMPARE(d.CbLine->currentIndex(), -1);  // 7 is no line of the list
        if (flowCount) d.CbLine->setCurrentIndex(0);
        d.BtnAccept->click();
        QCOMPARE(QString::fromStdString(ui.Last()), message);
        QCOMPARE(d.accepted(), message.isEmpty());
        if (!d.accepted()) return;
        QCOMPARE(int(t14[7]), 1);
        QCOMPARE(int(t14[10]), flowCount ? flowIndex : 0);
        QCOMPARE(int(t14[11]), flowCount ? 1 : 0);
        QCOMPARE(std::vector<uint8_t>(t14 + 12, t14 + 14), (std::vector<uint8_t>{5, 6}));
        QCOMPARE(std::vector<uint8_t>(t14 + 8, t14 + 10), (std::vector<uint8_t>{1, 1}));
    }
};

QTEST_MAIN(EditorsGasTest)
#include "editors_gas_test.moc"
