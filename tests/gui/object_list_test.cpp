// The object list and object editor dialogs driven offscreen, with the real
// message box for the delete question and objects.ini in a temporary folder.
#include <sys/stat.h>

#include <functional>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>  // QtUserInterface.h keeps a QPointer to one
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "editors/Object.h"
#include "editors/Objects_list.h"
#include "link/Rd_wr_ini.h"
#include "link/SubscriberLists.h"
#include "shell/MessageBox.h"
#include "shell/QtUserInterface.h"
#include "support/settings_fakes.h"
#include "tables/Stringi.h"

using namespace zul;

namespace {

template <class Dialog>
void OnModal(std::function<void(Dialog*)> act) {
    QTimer::singleShot(0, [act] {
        Dialog* d = nullptr;
        for (int i = 0; i < 300 && !d; ++i) {
            d = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            if (!d) QTest::qWait(10);
        }
        if (d) act(d);
    });
}

QString Cell(QTableWidget* g, int row, int column) {
    QTableWidgetItem* item = g->item(row, column);
    return item ? item->text() : QString("<none>");
}

}  // namespace

class ObjectListTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    test::RecordingUi ui;

    ProgramSettings Make(std::initializer_list<const char*> names) {
        ProgramSettings s(dir.path().toStdString());
        s.ui = &ui;
        for (const char* n : names) SetText(s.objects.entries[s.objects.count++].name, Utf8ToCp1251(n));
        return s;
    }
    bool FileExists(const std::string& path) {
        struct stat st{};
        return ::stat(path.c_str(), &st) == 0;
    }

private slots:
    void init() {
        ui.messages.clear();
        ui.answers.clear();
        QFile::remove(dir.path() + "/objects.ini");
    }

    void buttonsFollowTheCount() {
        {
            ProgramSettings s = Make({});
            TFormObjects_List d(s, ui);
            QCOMPARE(d.windowTitle(), QStringLiteral(" Список объектов"));
            QVERIFY(!d.BtnChange->isEnabled());
            QVERIFY(!d.BtnDelete->isEnabled());
            QVERIFY(d.BtnAdd->isEnabled());
        }
        {
            ProgramSettings s = Make({"one"});
            TFormObjects_List d(s, ui);
            QVERIFY(d.BtnChange->isEnabled());
            QVERIFY(!d.BtnDelete->isEnabled());  // the last object stays
        }
        ProgramSettings s = Make({"one", "two"});
        {
            TFormObjects_List d(s, ui);
            QVERIFY(d.BtnDelete->isEnabled());
        }
        while (s.objects.count < 50) SetText(s.objects.entries[s.objects.count++].name, "x");
        TFormObjects_List full(s, ui);
        QCOMPARE(full.Grid->rowCount(), 50);
        QVERIFY(!full.BtnAdd->isEnabled());
    }

    void cancellingAfterADeleteBringsTheObjectBack() {
        ProgramSettings s = Make({"Узел 2", "ГРС", "Узел 1"});
        s.objects.selected = 0;  // "Узел 2"
        ObjectList before = s.objects;
        SortObjects(before);
        QtUserInterface qtUi;
        TFormObjects_List d(s, qtUi);
        d.show();
        QCOMPARE(Cell(d.Grid, 0, 1), QStringLiteral(" ГРС"));  // sorted when drawn
        QCOMPARE(Cell(d.Grid, 2, 0), QStringLiteral("  3"));
        QCOMPARE(s.objects.selected, uint8_t(2));
        QString question;
        OnModal<TFormMessage>([&](TFormMessage* box) {
            question = box->lineLabel(0)->text() + "/" + box->lineLabel(1)->text();
            box->yesButton()->click();
        });
        QTest::mouseClick(d.BtnDelete, Qt::LeftButton);
        QCOMPARE(question, QStringLiteral("Вы действительно хотите/удалить этот объект?"));
        QCOMPARE(d.Grid->rowCount(), 2);
        QCOMPARE(s.objects.count, uint8_t(2));  // the program's list itself
        QCOMPARE(s.objects.selected, uint8_t(1));
        QTest::mouseClick(d.BtnCancel, Qt::LeftButton);
        QVERIFY(!d.accepted());
        QVERIFY(s.objects == before);
        QVERIFY(!FileExists(s.ObjectsIni()));

        // Closing the window also puts the copy back.
        TFormObjects_List again(s, ui);
        again.show();
        ui.answers = {true};
        QTest::mouseClick(again.BtnDelete, Qt::LeftButton);
        QCOMPARE(ui.Last(), std::string("3|Вы действительно хотите|удалить этот объект?"));
        QCOMPARE(s.objects.count, uint8_t(2));
        again.close();
        QCOMPARE(s.objects.count, uint8_t(3));
    }

    void acceptingSavesOnlyAChangedList() {
        ProgramSettings s = Make({"B", "A"});
        {
            TFormObjects_List d(s, ui);
            d.show();
            QTest::mouseClick(d.BtnAccept, Qt::LeftButton);
            QVERIFY(d.accepted());
        }
        // Sorted on the way in, nothing else changed: no file.
        QVERIFY(!FileExists(s.ObjectsIni()));
        TFormObjects_List d(s, ui);
        d.show();
        OnModal<TFormObject>([](TFormObject* e) {
            QTest::keyClicks(e->EdName, "AB");
            e->BtnAccept->click();
        });
        QTest::mouseClick(d.BtnAdd, Qt::LeftButton);
        QCOMPARE(d.Grid->rowCount(), 3);
        QCOMPARE(Cell(d.Grid, 1, 1), QStringLiteral(" AB"));
        QCOMPARE(s.objects.selected, uint8_t(1));
        QTest::mouseClick(d.BtnAccept, Qt::LeftButton);
        QVERIFY(d.accepted());
        QVERIFY(FileExists(s.ObjectsIni()));
        ProgramSettings back(dir.path().toStdString());
        back.ReadObjects(back.ObjectsIni());
        QVERIFY(back.objects == s.objects);
        QCOMPARE(TextOf(back.objects.entries[1].name), std::string("AB"));
    }

    void objectEditorWantsAName() {
        ObjectEntry entry;
        SetText(entry.name, Utf8ToCp1251("Старое"));
        {
            TFormObject e(entry, false, ui);
            QCOMPARE(e.windowTitle(), QStringLiteral(" Параметры объекта"));
            QCOMPARE(e.EdName->text(), QStringLiteral("Старое"));
            QCOMPARE(e.EdName->maxLength(), 50);
            e.BtnCancel->click();
            QVERIFY(!e.accepted());
        }
        TFormObject e(entry, true, ui);
        e.show();
        QVERIFY(e.EdName->text().isEmpty());
        QTest::mouseClick(e.BtnAccept, Qt::LeftButton);
        QCOMPARE(ui.Last(), std::string("2|Не введено наименование|"));
        QVERIFY(!e.accepted());
        QCOMPARE(Cp1251ToUtf8(TextOf(entry.name)), std::string("Старое"));
        e.EdName->setText(QString(60, QChar(0x416)));  // Ж, more than the box takes
        QCOMPARE(e.EdName->text().size(), 50);
        QTest::mouseClick(e.BtnAccept, Qt::LeftButton);
        QVERIFY(e.accepted());
        QCOMPARE(TextOf(entry.name), std::string(50, '\xC6'));
    }

};

QTEST_MAIN(ObjectListTest)
#include "object_list_test.moc"
