// The editors of the controller's own settings (tables 0, 3, 5, 6, 29, 40 and
// the round trip of every editor) driven offscreen against the simulated
// controller, and in file mode on byte buffers.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QAction>
#include <QTemporaryDir>
#include <QtTest>

#include "editors/Conneth.h"
#include "editors/Connwmt.h"
#include "editors/Connvu.h"
#include "editors/Contrname.h"
#include "editors/EditorRules.h"
#include "editors/Ident.h"
#include "editors/Syspar.h"
#include "shell/Main.h"
#include "shell/MessageBox.h"
#include "support/EditorBench.h"
#include "support/ModalHelper.h"
#include "tables/Stringi.h"

using namespace zul;
using zultest::EditorBench;

namespace {

// Accepts whatever editor comes up, untouched, and counts it in *editorsShown;
// other windows are closed.
void AcceptUntouched(int* editorsShown) {
    zultest::OnModal([editorsShown](QWidget* w) {
        if (auto* e = qobject_cast<TFormEditor*>(w)) {
            ++*editorsShown;
            QVERIFY2(e->BtnWrite->isVisible() && !e->BtnAccept->isVisible(), qPrintable(e->objectName()));
            e->BtnWrite->click();
            if (e->isVisible()) e->reject();  // refused: fail below by the missing write
        } else if (auto* d = qobject_cast<QDialog*>(w)) {
            d->accept();
        }
    });
}

}  // namespace

class EditorsLinkTest : public QObject {
    Q_OBJECT

private slots:
    void untouchedInputWritesNothing_data() {
        QTest::addColumn<int>("which");
        const char* const names[] = {"names", "upper level", "chromatograph", "moisture meter", "ethernet",
                                     "system", "flow link", "flow computers", "dead band", "upper limit",
                                     "write need", "write period", "constants"};
        for (int i = 0; i < int(std::size(names)); ++i) QTest::newRow(names[i]) << i;
    }
    void untouchedInputWritesNothing() {
        QFETCH(int, which);
        EditorBench b;
        QVERIFY(b.connected);
        const std::function<void(EditorHost&)> commands[] = {
            EditNames,          EditUpperLevelLink,   EditChromatographLink, EditMoistureMeterLink, EditEthernet,
            EditSystemParameters, EditFlowComputerLink, EditFlowComputers,
            [](EditorHost& h) { EditLimits(h, 0); }, [](EditorHost& h) { EditLimits(h, 4); },
            EditWriteNeed,      EditWritePeriod,      EditConstants};
        if (which == 8) {
            // A dead band of row 18 outside its range 0.0001 - 0.1, as older
            // configurations hold it: left untouched, it blocks nothing.
            uint8_t v[4];
            PutFloat(v, 10.0f);
            QVERIFY(b.sim.SetField(22, 17, {v, v + 4}));
        }
        int editorsShown = 0;
        AcceptUntouched(&editorsShown);
        commands[which](b.host);
        QCOMPARE(editorsShown, 1);  // nothing written because nothing opened proves nothing
        QCOMPARE(b.writes.runs, EditorBench::Runs{});
        QVERIFY(b.ui.messages.empty());
        if (which == 5) QCOMPARE(b.menuRecomputes, 1);  // nothing to write counts as written
    }

    void upperLevelWritesTwiceAndMovesTheEngine() {
        EditorBench b;
        QVERIFY(b.connected);
        // Only the preambles: one field, sent twice; the engine keeps its address.
        zultest::OnDialog<TFormConVU>([](TFormConVU* d) {
            QVERIFY(!d->CbSpeed->isEnabled());  // not over Ethernet
            QCOMPARE(d->CbAddress->currentText(), QStringLiteral("1"));
            d->EdPreambles->setText("4");
            d->BtnWrite->click();
        });
        EditUpperLevelLink(b.host);
        QCOMPARE(b.writes.runs, (EditorBench::Runs{{3, 2, 1}, {3, 2, 1}}));
        QCOMPARE(b.statusRefreshes, 2);
        QCOMPARE(int(b.box.address), 1);
        // A new address: the second write already goes to it.
        b.writes.runs.clear();
        zultest::OnDialog<TFormConVU>([](TFormConVU* d) {
            d->CbAddress->setEditText("7");
            d->BtnWrite->click();
        });
        EditUpperLevelLink(b.host);
        QCOMPARE(b.writes.runs, (EditorBench::Runs{{3, 0, 1}, {3, 0, 1}}));
        QCOMPARE(int(b.box.address), 7);
        QCOMPARE(int(b.link.ethernet.params.address), 7);
        QCOMPARE(int(b.sim.Address()), 7);
        QCOMPARE(b.sim.TableBytes(3), (std::vector<uint8_t>{7, 11, 4, 0}));
    }

    void upperLevelChecksInOrder_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("preambles");
        QTest::addColumn<int>("speed");
        QTest::addColumn<QString>("message");
        QTest::newRow("no address") << "" << "3" << 5 << "2|Введены не все параметры|";
        QTest::newRow("no speed") << "5" << "3" << -1 << "2|Введены не все параметры|";
        QTest::newRow("no preambles") << "5" << "" << 5 << "2|Введены не все параметры|";
        QTest::newRow("preambles first") << "0" << "256" << 5 << "2|Количество преамбул не должно превышать 255|";
        QTest::newRow("address 0") << "0" << "3" << 5 << "2|Адрес должен быть|в диапазоне 1...254";
        QTest::newRow("address 255") << "255" << "255" << 5 << "2|Адрес должен быть|в диапазоне 1...254";
        QTest::newRow("far too large") << "999" << "3" << 5 << "2|Адрес должен быть|в диапазоне 1...254";
        QTest::newRow("accepted") << "254" << "255" << 21 << "";
    }
    void upperLevelChecksInOrder() {
        QFETCH(QString, address);
        QFETCH(QString, preambles);
        QFETCH(int, speed);
        QFETCH(QString, message);
        test::RecordingUi ui;
        uint8_t bytes[4] = {9, 3, 2, 5};
        TFormConVU d(bytes, kFileMode, false, &ui);
        QVERIFY(d.BtnAccept->isVisibleTo(&d) && !d.BtnWrite->isVisibleTo(&d));
        QVERIFY(d.CbSpeed->isEnabled());  // always in file mode
        d.show();
        d.CbAddress->setEditText(address);
        d.EdPreambles->setText(preambles);
        SelectItem(d.CbSpeed, speed);
        d.BtnAccept->click();
        if (message.isEmpty()) {
            QVERIFY(d.accepted());
            QCOMPARE(std::vector<uint8_t>(bytes, bytes + 4), (std::vector<uint8_t>{254, 21, 255, 0}));
            QVERIFY(ui.messages.empty());
        } else {
            QCOMPARE(QString::fromStdString(ui.Last()), message);
            QCOMPARE(ui.messages.size(), size_t(1));  // the first failure only
            QVERIFY(d.isVisible() && !d.accepted());
            QCOMPARE(d.CbAddress->currentText(), address);  // the input stays
            d.BtnCancel->click();
            QVERIFY(!d.accepted());
            QCOMPARE(std::vector<uint8_t>(bytes, bytes + 4), (std::vector<uint8_t>{9, 3, 2, 5}));
        }
    }

    void namesKeepLineTwoAndShowTheName() {
        EditorBench b;
        QVERIFY(b.connected);
        const std::vector<uint8_t> line2 = b.sim.Field(5, 2);
        zultest::OnDialog<TFormContrName>([](TFormContrName* d) {
            QCOMPARE(d->EdLine->text(), QStringLiteral("Нитка 1"));
            d->EdName->setText(QStringLiteral("  Стенд №1 "));
            d->BtnWrite->click();
        });
        EditNames(b.host);
        QCOMPARE(b.writes.runs, (EditorBench::Runs{{5, 0, 1}}));
        QCOMPARE(b.sim.Field(5, 2), line2);
        QCOMPARE(b.bar.PanelText(1), std::string("Стенд №1"));
        // Both names are needed.
        b.writes.runs.clear();
        zultest::OnDialog<TFormContrName>([](TFormContrName* d) {
            d->EdLine->setText("   ");
            d->BtnWrite->click();
            QVERIFY(d->isVisible());
            d->BtnCancel->click();
        });
        EditNames(b.host);
        QCOMPARE(b.ui.Last(), std::string("2|Введены не все параметры|"));
        QVERIFY(b.writes.runs.empty());
    }

    void systemRulesAndMenus() {
        EditorBench b;
        QVERIFY(b.connected);
        // Summer change forbidden (month 0, day and hour kept), winter at 3:00.
        zultest::OnDialog<TFormSys>([](TFormSys* d) {
            QVERIFY(d->ChChrom->isChecked() && !d->ChChrom->isEnabled());
            d->Summer->CbMonth->setCurrentIndex(0);
            QVERIFY(!d->Summer->CbMethod->isVisibleTo(d));
            d->Winter->CbHour->setCurrentIndex(2);
            d->ChMoist->setChecked(true);
            d->BtnWrite->click();
        });
        EditSystemParameters(b.host);
        QCOMPARE(b.sim.TableBytes(6), (std::vector<uint8_t>{0, 201, 3, 10, 201, 3, 9, 1, 1, 1, 0, 1}));
        QCOMPARE(b.menuRecomputes, 1);

        // File mode on a buffer: the last Sunday of March at 3:00; fields 10 and 11 stay.
        test::RecordingUi ui;
        uint8_t t6[12] = {0, 0, 0, 0, 0, 0, 0xFF, 0, 0, 0, 7, 8};
        TFormSys d(t6, kFileMode, &ui);
        d.show();
        d.BtnAccept->click();
        QCOMPARE(ui.Last(), std::string("2|Введены не все параметры|"));  // no contract hour
        d.CbContractHour->setCurrentIndex(10);
        d.Summer->CbMonth->setCurrentIndex(2);
        d.Summer->CbMethod->setCurrentIndex(1);
        QVERIFY(d.Summer->CbOrdinal->isVisibleTo(&d) && !d.Summer->CbDay->isVisibleTo(&d));
        d.Summer->CbOrdinal->setCurrentIndex(4);
        d.Summer->CbWeekday->setCurrentIndex(0);
        d.Summer->CbHour->setCurrentIndex(3);
        d.Winter->CbMonth->setCurrentIndex(4);  // December: 31 days offered
        QCOMPARE(d.Winter->CbDay->count(), 31);
        d.Winter->CbDay->setCurrentIndex(30);
        d.BtnAccept->click();
        QVERIFY(d.accepted());
        QCOMPARE(std::vector<uint8_t>(t6, t6 + 12), (std::vector<uint8_t>{3, 0xC9, 3, 12, 31, 0, 10, 1, 0, 0, 7, 8}));
    }

    void ethernetOctetsAndPorts_data() {
        QTest::addColumn<QString>("octet");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("stored");
        QTest::newRow("300 refused") << "300" << "502" << "2|Поле IP-адреса вне допустимого диапазона|(0...255)" << 0;
        QTest::newRow("255") << "255" << "4294967295" << "" << 255;
        QTest::newRow("empty octet") << "" << "502" << "2|Введены не все параметры|" << 0;
        QTest::newRow("empty port") << "1" << "" << "2|Введены не все параметры|" << 0;
        QTest::newRow("port past 32 bits") << "1" << "4294967296" << "2|Номер порта должен быть|в диапазоне 0...4294967295" << 0;
    }
    void ethernetOctetsAndPorts() {
        QFETCH(QString, octet);
        QFETCH(QString, port);
        QFETCH(QString, message);
        QFETCH(int, stored);
        test::RecordingUi ui;
        uint8_t t29[28] = {20, 1, 168, 192};
        TFormConEth d(t29, kFileMode, &ui);
        QCOMPARE(d.IpAddress->octet[0]->text(), QStringLiteral("192"));
        QCOMPARE(d.IpAddress->octet[3]->text(), QStringLiteral("20"));
        d.show();
        d.IpMask->octet[0]->setText(octet);
        d.EdPort[3]->setText(port);
        d.BtnAccept->click();
        QCOMPARE(QString::fromStdString(ui.Last()), message);
        QCOMPARE(d.accepted(), message.isEmpty());
        QCOMPARE(int(t29[7]), stored);  // leftmost box: byte 3 of the mask
        if (d.accepted()) QCOMPARE(QString::number(GetU32(t29 + 24)), port);
        QCOMPARE(int(t29[0]), 20);
    }

    // A dotted address typed in one go: '.' moves on to the next box.
    void dottedAddressTypedInOneGo() {
        test::RecordingUi ui;
        uint8_t t29[28] = {};
        TFormConEth d(t29, kFileMode, &ui);
        d.show();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        for (QLineEdit* e : d.IpGateway->octet) e->clear();
        d.IpGateway->octet[0]->setFocus();
        for (QChar c : QStringLiteral("192.168.1.20.7"))
            QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
        QStringList boxes;
        for (QLineEdit* e : d.IpGateway->octet) boxes << e->text();
        QCOMPARE(boxes, (QStringList{"192", "168", "1", "207"}));  // the last box drops '.'
        d.BtnAccept->click();
        QVERIFY(d.accepted());
        QCOMPARE(std::vector<uint8_t>(t29 + 8, t29 + 12), (std::vector<uint8_t>{207, 1, 168, 192}));
    }

    // Every editable number list: the number as typed, digits only, no completion.
    void numberListsTakeTheNumberAsTyped_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("message");
        const QString range = "2|Таймаут должен быть|в диапазоне 5...255";
        QTest::newRow("3 is not 30") << "3" << "3" << range;
        QTest::newRow("1 is not 10") << "1" << "1" << range;
        QTest::newRow("letters stay out") << "3a00" << "300" << range;
        QTest::newRow("three digits at most") << "2555" << "255" << "";
        QTest::newRow("in range") << "7" << "7" << "";
    }
    void numberListsTakeTheNumberAsTyped() {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QString, message);
        test::RecordingUi ui;
        uint8_t t15[8] = {1, 5, 1, 0, 10, 3, 0, 0};  // the editor works on the whole 8 bytes
        TFormConWMT d(t15, kFileMode, &ui);
        d.show();
        d.CbTimeout->setEditText(QString());
        QTest::keyClicks(d.CbTimeout, typed);  // keys as the list gets them
        QCOMPARE(d.CbTimeout->currentText(), shown);
        d.CbTimeout->lineEdit()->insert("9x");  // pasted: refused whole
        QCOMPARE(d.CbTimeout->currentText(), shown);
        d.BtnAccept->click();
        QCOMPARE(QString::fromStdString(ui.Last()), message);
        QCOMPARE(int(t15[4]), message.isEmpty() ? shown.toInt() : 10);
    }

    void identificationView() {
        uint8_t t0[18] = {7, 73, 3, 17, 23, 13, 15, 10, 30, 0, 1, 1, 0, 0, 1, 2, 0, 0};
        TFormIdent full(t0, true);
        QCOMPARE(full.windowTitle(), QStringLiteral("Параметры идентификации контроллера"));
        QCOMPARE(full.value[5]->text(), QStringLiteral("Разрушена таблица 7"));
        QVERIFY(full.value[5]->styleSheet().contains("red"));
        QCOMPARE(full.value[3]->text(), QStringLiteral("15.**.23  10:30:00"));
        TFormIdent file(t0, false);
        QCOMPARE(file.value[0]->text(), QStringLiteral("73"));
        QCOMPARE(file.value[2]->text(), QStringLiteral("17"));
        QVERIFY(file.value[5]->text().isEmpty());
        QVERIFY(!file.caption[5]->isEnabled() && file.caption[2]->isEnabled());
    }

    // Each editor item of the main window starts its editor's first read: with
    // no controller that read fails and offers a retry (answered "Нет").
    void menuItemsReachTheirEditors_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("table");
        const std::pair<const char*, int> items[] = {
            {"Nident", 0},    {"NContrName", 5}, {"NConVU", 3},     {"NVrgConn", 9},   {"NConQRT", 9},
            {"NConnWMT", 15}, {"N_Ethernet", 29}, {"Nsys", 6},      {"NCurrVich", 9},  {"NInsens", 22},
            {"NLowAttent", 23}, {"NUpAttent", 24}, {"NLowLimit", 25}, {"NUpperLimit", 26}, {"NDistr", 21},
            {"Ndistrpar", 28}, {"N_Const", 43},  {"NMac_Adr", 40}};
        for (auto [item, table] : items) QTest::newRow(item) << QString::fromLatin1(item) << table;
    }
    void menuItemsReachTheirEditors() {
        QFETCH(QString, item);
        QFETCH(int, table);
        QTemporaryDir home;
        TFormMain w(home.path().toStdString() + "/");
        w.TimerStart()->stop();
        w.image()->Field(6, 9)[0] = 1;  // flow computers connected
        w.qrtbox()->linkKind = kLinkEthernet;  // and no socket: every exchange fails at once
        w.qrtbox()->sock = 0;
        w.qrtbox()->attempts = 1;
        QStringList lines;
        zultest::OnModal([&](QWidget* m) {  // one retry question, answered "Нет"
            if (auto* box = qobject_cast<TFormMessage*>(m)) {
                lines << box->lineLabel(0)->text();
                if (box->noButton() && box->noButton()->isVisible()) box->noButton()->click();
                else box->closeButton()->click();
            } else {
                m->close();
            }
        });
        w.menuItem(item)->trigger();
        QVERIFY2(!lines.isEmpty(), qPrintable(item));
        QCOMPARE(lines.first(), QStringLiteral("Не выполнено чтение из таблицы %1.").arg(table));
    }

    void aRefusedWriteNamesTheReason() {
        EditorBench b;
        QVERIFY(b.connected);
        sim::Faults f;
        f.refuse = {1, 0, 2};
        f.refuseCode = 26;
        b.sim.SetFaults(f);
        zultest::OnDialog<TFormConEth>([](TFormConEth* d) {
            d->EdPort[0]->setText("5020");
            d->BtnWrite->click();
        });
        EditEthernet(b.host);
        // The controller's reason in the question itself.
        QCOMPARE(b.ui.Last(), std::string("7|Не выполнена запись в таблицу 29.|Недостаточный уровень доступа"));
        QVERIFY(b.bar.PanelText(2).empty() || b.bar.PanelText(2).find("Команда 2") != std::string::npos);
        QVERIFY(b.box.ErrorText().find("Команда 2.") != std::string::npos);
        QCOMPARE(GetU32(b.image.Field(29, 3)), 5020u);  // the image keeps the edit
        QCOMPARE(b.sim.Field(29, 3), (std::vector<uint8_t>{0, 0, 0, 0}));
    }
};

QTEST_MAIN(EditorsLinkTest)
#include "editors_link_test.moc"
