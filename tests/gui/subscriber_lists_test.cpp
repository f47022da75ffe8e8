// The subscriber list and subscriber editor dialogs driven offscreen.
#include <functional>

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include "editors/Abonent.h"
#include "editors/Abonents_list.h"
#include "link/Qrtbox.h"
#include "link/SubscriberLists.h"
#include "support/settings_fakes.h"
#include "tables/Stringi.h"

using namespace zul;

namespace {

// Types any text, Cyrillic included, one character at a time.
void TypeText(QWidget* w, const QString& text) {
    for (QChar c : text) {
        QTest::sendKeyEvent(QTest::Press, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// Runs `act` on the subscriber editor as soon as it is open (modal over the list).
void OnEditor(std::function<void(TFormAbonent*)> act) {
    QTimer::singleShot(0, [act] {
        TFormAbonent* editor = nullptr;
        for (int i = 0; i < 300 && !editor; ++i) {
            editor = qobject_cast<TFormAbonent*>(QApplication::activeModalWidget());
            if (!editor) QTest::qWait(10);
        }
        if (editor) act(editor);
    });
}

void AddPhone(TelephoneSubscriberList& l, const char* utf8Name, const char* phone, uint8_t address) {
    TelephoneSubscriber& s = l.entries[l.count++];
    SetText(s.name, Utf8ToCp1251(utf8Name));
    SetText(s.phone, phone);
    s.address = address;
}

QString Cell(QTableWidget* g, int row, int column) {
    QTableWidgetItem* item = g->item(row, column);
    return item ? item->text() : QString("<none>");
}

int SelectedRow(QTableWidget* g) {
    const auto rows = g->selectionModel()->selectedRows();
    return rows.size() == 1 ? rows[0].row() : -1;
}

}  // namespace

class SubscriberListsTest : public QObject {
    Q_OBJECT

    LinkSettings settings;
    test::RecordingUi ui;

private slots:
    void init() {
        settings = LinkSettings{};
        ui.messages.clear();
        ui.answers.clear();
    }

    void gridShowsTheSortedListAndSortsByEitherHead() {
        AddPhone(settings.phone.subscribers, "b", "100", 3);
        AddPhone(settings.phone.subscribers, "A", "20", 4);
        settings.phone.subscribers.selected = 0;  // "b"
        const TelephoneSubscriberList before = settings.phone.subscribers;
        TFormAbonents_List d(settings, kLinkPhone, ui);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QCOMPARE(d.windowTitle(), QStringLiteral("Список абонентов (связь по телефону)"));
        QCOMPARE(d.Grid->horizontalHeaderItem(3)->text(), QStringLiteral("№ телефона"));
        QCOMPARE(d.Grid->rowCount(), 2);
        QCOMPARE(Cell(d.Grid, 0, 0), QStringLiteral("  1"));
        QCOMPARE(Cell(d.Grid, 0, 1), QStringLiteral(" A"));
        QCOMPARE(Cell(d.Grid, 0, 2), QStringLiteral(" 4"));
        QCOMPARE(Cell(d.Grid, 0, 3), QStringLiteral(" 20"));
        QCOMPARE(Cell(d.Grid, 1, 1), QStringLiteral(" b"));
        QCOMPARE(SelectedRow(d.Grid), 1);  // "b" stays selected
        QVERIFY(!d.BtnSortName->isEnabled());
        QVERIFY(d.BtnSortNumber->isEnabled());
        QVERIFY(d.BtnSortNumber->isVisible());
        QTest::mouseClick(d.BtnSortNumber, Qt::LeftButton);
        QCOMPARE(Cell(d.Grid, 0, 1), QStringLiteral(" b"));  // "100" < "20" as texts
        QCOMPARE(SelectedRow(d.Grid), 0);
        QVERIFY(d.BtnSortName->isEnabled());
        QVERIFY(!d.BtnSortNumber->isEnabled());
        QCOMPARE(d.phoneList().sortMode, uint8_t(kSortByNumber));
        QTest::mouseClick(d.BtnCancel, Qt::LeftButton);
        QVERIFY(!d.accepted());
        QVERIFY(settings.phone.subscribers == before);  // "Отменить" leaves it as it was
    }

    void addedSubscriberTakesItsSortedPlaceAndStaysSelected() {
        AddPhone(settings.phone.subscribers, "А", "1", 1);
        AddPhone(settings.phone.subscribers, "В", "2", 2);
        TFormAbonents_List d(settings, kLinkPhone, ui);
        d.show();
        bool startedEmpty = false, focusInName = false;
        OnEditor([&](TFormAbonent* e) {
            startedEmpty = e->EdName->text().isEmpty() && e->CBAdr->currentText().isEmpty() &&
                           e->EdPhone->text().isEmpty();
            focusInName = e->focusWidget() == e->EdName;
            TypeText(e->EdName, QStringLiteral("Б"));
            QTest::keyClicks(e->CBAdr->lineEdit(), "5");
            QTest::keyClicks(e->EdPhone, "333");
            e->BtnAccept->click();
        });
        QTest::mouseClick(d.BtnAdd, Qt::LeftButton);
        QVERIFY(startedEmpty);
        QVERIFY(focusInName);
        QCOMPARE(d.Grid->rowCount(), 3);
        QCOMPARE(Cell(d.Grid, 1, 1), QStringLiteral(" Б"));
        QCOMPARE(Cell(d.Grid, 1, 2), QStringLiteral(" 5"));
        QCOMPARE(SelectedRow(d.Grid), 1);
        QCOMPARE(settings.phone.subscribers.count, uint8_t(2));  // only the copy so far
        QTest::mouseClick(d.BtnAccept, Qt::LeftButton);
        QVERIFY(d.accepted());
        const TelephoneSubscriberList& l = settings.phone.subscribers;
        QCOMPARE(l.count, uint8_t(3));
        QCOMPARE(l.selected, uint8_t(1));
        QCOMPARE(TextOf(l.entries[1].name), Utf8ToCp1251("Б"));
        QCOMPARE(TextOf(l.entries[1].phone), std::string("333"));
        QCOMPARE(l.entries[1].address, uint8_t(5));
    }

    void cancelledEditorAddsNothing() {
        AddPhone(settings.phone.subscribers, "A", "1", 1);
        TFormAbonents_List d(settings, kLinkPhone, ui);
        d.show();
        OnEditor([](TFormAbonent* e) {
            e->EdName->setText("X");
            e->BtnCancel->click();
        });
        QTest::mouseClick(d.BtnAdd, Qt::LeftButton);
        QCOMPARE(d.Grid->rowCount(), 1);
        QCOMPARE(d.phoneList().count, uint8_t(1));
    }

    void buttonsFollowTheCount() {
        {
            TFormAbonents_List empty(settings, kLinkPhone, ui);
            QCOMPARE(empty.Grid->rowCount(), 0);
            QVERIFY(!empty.BtnChange->isEnabled());
            QVERIFY(!empty.BtnDelete->isEnabled());
            QVERIFY(empty.BtnAdd->isEnabled());
        }
        for (int i = 0; i < 199; ++i) AddPhone(settings.phone.subscribers, "n", "1", 1);
        {
            TFormAbonents_List d(settings, kLinkPhone, ui);
            QVERIFY(d.BtnAdd->isEnabled());
            QVERIFY(d.BtnChange->isEnabled());
        }
        AddPhone(settings.phone.subscribers, "n", "1", 1);
        TFormAbonents_List full(settings, kLinkPhone, ui);
        QCOMPARE(full.Grid->rowCount(), 200);
        QVERIFY(!full.BtnAdd->isEnabled());
        QVERIFY(full.BtnDelete->isEnabled());
    }

    void deleteAsksFirstAndMovesTheSelection() {
        for (const char* n : {"a", "b", "c"}) AddPhone(settings.phone.subscribers, n, "1", 1);
        settings.phone.subscribers.selected = 0;
        TFormAbonents_List d(settings, kLinkPhone, ui);
        d.show();
        ui.answers = {false};
        QTest::mouseClick(d.BtnDelete, Qt::LeftButton);
        QCOMPARE(ui.Last(), std::string("3|Вы действительно хотите|удалить этот абонент?"));
        QCOMPARE(d.Grid->rowCount(), 3);
        ui.answers = {true};
        QTest::mouseClick(d.BtnDelete, Qt::LeftButton);
        QCOMPARE(d.Grid->rowCount(), 2);
        QCOMPARE(Cell(d.Grid, 0, 1), QStringLiteral(" b"));
        QCOMPARE(SelectedRow(d.Grid), 0);  // the new first one
        // A click selects; deleting the last selects the new last one.
        QTest::mouseClick(d.Grid->viewport(), Qt::LeftButton, {},
                          d.Grid->visualRect(d.Grid->model()->index(1, 1)).center());
        QCOMPARE(d.phoneList().selected, uint8_t(1));
        ui.answers = {true};
        QTest::mouseClick(d.BtnDelete, Qt::LeftButton);
        QCOMPARE(d.Grid->rowCount(), 1);
        QCOMPARE(Cell(d.Grid, 0, 1), QStringLiteral(" b"));
        QCOMPARE(d.phoneList().selected, uint8_t(0));
        QVERIFY(d.phoneList().entries[1] == TelephoneSubscriber{});
        QCOMPARE(settings.phone.subscribers.count, uint8_t(3));  // until "Принять"
    }

    void doubleClickChangesTheEntry() {
        AddPhone(settings.phone.subscribers, "a", "1", 9);
        AddPhone(settings.phone.subscribers, "b", "2", 8);
        TFormAbonents_List d(settings, kLinkPhone, ui);
        d.show();
        QString shownName, shownAddress, shownPhone;
        OnEditor([&](TFormAbonent* e) {
            shownName = e->EdName->text();
            shownAddress = e->CBAdr->currentText();
            shownPhone = e->EdPhone->text();
            e->EdName->setText("z");  // moves behind "a" when drawn
            e->BtnAccept->click();
        });
        const QPoint at = d.Grid->visualRect(d.Grid->model()->index(1, 1)).center();
        QTest::mouseClick(d.Grid->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(d.Grid->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(shownName, QStringLiteral("b"));
        QCOMPARE(shownAddress, QStringLiteral("8"));
        QCOMPARE(shownPhone, QStringLiteral("2"));
        QCOMPARE(Cell(d.Grid, 1, 1), QStringLiteral(" z"));
        QCOMPARE(SelectedRow(d.Grid), 1);
    }

    void ethernetListShowsAddressesAndSortsThemAsNumbers() {
        EthernetSubscriberList& l = settings.ethernet.subscribers;
        l.count = 2;
        SetText(l.entries[0].name, "ten");
        l.entries[0].ip = {2, 0, 0, 10};
        l.entries[0].port = 502;
        SetText(l.entries[1].name, "nine");
        l.entries[1].ip = {255, 255, 255, 9};
        l.entries[1].port = 4001;
        l.sortMode = kSortByNumber;
        TFormAbonents_List d(settings, kLinkEthernet, ui);
        d.show();
        QCOMPARE(d.windowTitle(), QStringLiteral("Список абонентов (Ethernet-интерфейс)"));
        QCOMPARE(d.Grid->horizontalHeaderItem(3)->text(), QStringLiteral("IP-адрес:порт"));
        QCOMPARE(Cell(d.Grid, 0, 3), QStringLiteral("9.255.255.255:4001"));
        QCOMPARE(Cell(d.Grid, 1, 3), QStringLiteral("10.0.0.2:502"));
        QVERIFY(!d.BtnSortNumber->isEnabled());
        QTest::mouseClick(d.BtnSortName, Qt::LeftButton);
        QCOMPARE(Cell(d.Grid, 0, 1), QStringLiteral(" nine"));
        QCOMPARE(Cell(d.Grid, 1, 1), QStringLiteral(" ten"));
        QTest::mouseClick(d.BtnAccept, Qt::LeftButton);
        QCOMPARE(settings.ethernet.subscribers.sortMode, uint8_t(kSortByName));
        const QString dir = qEnvironmentVariable("ZUL_TEST_ARTIFACTS");
        if (!dir.isEmpty()) {
            QDir().mkpath(dir);
            QVERIFY(d.grab().save(dir + "/abonents_list_ethernet.png"));
        }
    }

    void telephoneEditorChecksInOrder() {
        TelephoneSubscriber entry;
        SetText(entry.name, "old");
        entry.address = 4;
        entry.modbusAddress = 77;
        SetText(entry.phone, "1");
        TFormAbonent e(entry, true, ui);
        e.show();
        QCOMPARE(e.windowTitle(), QStringLiteral("Параметры абонента (связь по телефону)"));
        QCOMPARE(e.EdName->maxLength(), 49);
        QCOMPARE(e.EdPhone->maxLength(), 29);
        QCOMPARE(e.CBAdr->count(), 255);
        const struct {
            const char* name;
            const char* address;
            const char* phone;
            const char* message;
        } refused[] = {
            {"", "5", "1", "2|Введены не все параметры|"},
            {"n", "", "1", "2|Введены не все параметры|"},
            {"n", "256", "", "2|Адрес вне допустимого диапазона|(1...255)"},
            {"n", "0", "1", "2|Адрес вне допустимого диапазона|(1...255)"},
            {"n", "255", "", "2|Введены не все параметры|"},
        };
        for (const auto& r : refused) {
            e.EdName->setText(r.name);
            e.CBAdr->setEditText(r.address);
            e.EdPhone->setText(r.phone);
            QTest::mouseClick(e.BtnAccept, Qt::LeftButton);
            QCOMPARE(ui.Last(), std::string(r.message));
            QVERIFY(e.isVisible());
        }
        QCOMPARE(TextOf(entry.name), std::string("old"));
        e.EdName->clear();
        TypeText(e.EdName, QStringLiteral("Узел «Север»"));
        e.CBAdr->setEditText("255");
        e.EdPhone->setText("8-800,,123");
        QTest::mouseClick(e.BtnAccept, Qt::LeftButton);
        QVERIFY(e.accepted());
        QCOMPARE(Cp1251ToUtf8(TextOf(entry.name)), std::string("Узел «Север»"));
        QCOMPARE(entry.address, uint8_t(255));
        QCOMPARE(TextOf(entry.phone), std::string("8-800,,123"));
        QCOMPARE(entry.modbusAddress, uint8_t(77));  // not the editor's
    }

    void ethernetEditorReadsTheOctetsLeftToRight() {
        EthernetSubscriber entry;
        SetText(entry.name, "plant");
        entry.address = 12;
        entry.ip = {10, 1, 168, 192};
        entry.port = 502;
        TFormAbonent e(entry, false, ui);
        e.show();
        QCOMPARE(e.windowTitle(), QStringLiteral("Параметры абонента (Ethernet-интерфейс)"));
        QCOMPARE(e.EdIp[0]->text(), QStringLiteral("192"));
        QCOMPARE(e.EdIp[3]->text(), QStringLiteral("10"));
        QCOMPARE(e.EdPort->text(), QStringLiteral("502"));
        QCOMPARE(e.CBAdr->currentText(), QStringLiteral("12"));
        e.EdIp[2]->clear();
        QTest::mouseClick(e.BtnAccept, Qt::LeftButton);
        QCOMPARE(ui.Last(), std::string("2|Введены не все параметры|"));
        QTest::keyClicks(e.EdIp[2], "2x56");  // digits only: "256"
        QCOMPARE(e.EdIp[2]->text(), QStringLiteral("256"));
        QTest::mouseClick(e.BtnAccept, Qt::LeftButton);
        QCOMPARE(ui.Last(), std::string("2|Поле IP-адреса вне допустимого диапазона|(0...255)"));
        e.EdPort->clear();
        QTest::mouseClick(e.BtnAccept, Qt::LeftButton);
        QCOMPARE(ui.Last(), std::string("2|Введены не все параметры|"));
        QCOMPARE(entry.ip, (std::array<uint8_t, 4>{10, 1, 168, 192}));
        e.EdIp[0]->setText("9");
        e.EdIp[2]->setText("0");
        e.EdPort->setText("4001");
        QTest::mouseClick(e.BtnAccept, Qt::LeftButton);
        QVERIFY(e.accepted());
        QCOMPARE(entry.ip, (std::array<uint8_t, 4>{10, 0, 168, 9}));
        QCOMPARE(DottedIp(entry), std::string("9.168.0.10"));
        QCOMPARE(entry.port, 4001u);
    }
};

QTEST_MAIN(SubscriberListsTest)
#include "subscriber_lists_test.moc"
