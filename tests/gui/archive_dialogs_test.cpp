// The period dialog, the record status view and the archive viewer base, offscreen:
// choices and checks, which lines show, a 30,000-row grid, saving through the
// file dialog (replace question, unwritable folder) and reading the file back.
#include <cstring>
#include <fstream>
#include <string>

#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include "support/ModalHelper.h"

#include "events/ArchiveView.h"
#include "events/Chromerr.h"
#include "events/Period.h"
#include "shell/MessageBox.h"

using namespace zul;

namespace {

// Under a loaded machine a dialog may take seconds to appear: wait long for it.
template <class T, class F>
void OnDialogLong(F fn, int timeoutMs = 60000) {
    zultest::OnDialog<T>(std::function<void(T*)>(fn), timeoutMs);
}

struct Shown {
    QString line1, line2;
};

// Answers the next message box: "Да" when `yes`, otherwise its closing or "Нет" button.
void AnswerBox(Shown* shown, bool yes = false) {
    OnDialogLong<TFormMessage>([shown, yes](TFormMessage* m) {
        if (shown) *shown = {m->lineLabel(0)->text(), m->lineLabel(1)->text()};
        if (yes && m->yesButton()) m->yesButton()->click();
        else if (m->noButton() && m->noButton()->isVisible()) m->noButton()->click();
        else m->closeButton()->click();
    });
}

// Answers the next file dialog with `path` (empty: cancel).
void AnswerFileDialog(const QString& path, QString* title = nullptr, QString* preset = nullptr) {
    OnDialogLong<QFileDialog>([=](QFileDialog* d) {
        if (title) *title = d->windowTitle();
        if (preset && !d->selectedFiles().isEmpty()) *preset = d->selectedFiles().first();
        if (path.isEmpty()) {
            d->reject();
        } else {
            d->selectFile(path);
            QMetaObject::invokeMethod(d, "accept", Qt::DirectConnection);
        }
    });
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class ArchiveDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void periodChoices() {
        ArchiveSettings s;
        s.periodChoice = 0;
        s.savedPeriodStart = FromPacked(PackedDateTime{25, 12, 31, 8, 9, 10}.data());
        s.savedPeriodEnd = FromPacked(PackedDateTime{26, 1, 2, 11, 12, 13}.data());
        const double now = FromPacked(PackedDateTime{24, 3, 1, 0, 20, 5}.data());
        TFormPeriod d(s, now);
        d.show();
        QCOMPARE(d.windowTitle(), QStringLiteral("Ввод периода времени запрашиваемых данных"));
        // "За последний час" at 00:20:05 on 1 March 2024.
        QVERIFY(d.choice(0)->isChecked());
        QCOMPARE(d.datePicker(false)->date(), QDate(2024, 2, 29));
        QCOMPARE(d.hourList(false)->currentText(), QStringLiteral("23"));
        QCOMPARE(d.minuteList(false)->currentText(), QStringLiteral("20"));
        QCOMPARE(d.secondList(true)->currentText(), QStringLiteral("5"));
        QVERIFY(!d.datePicker(true)->isEnabled() && !d.hourList(false)->isEnabled());
        // "Заданный период": the remembered dates, everything enabled, the choice remembered.
        d.choice(2)->click();
        QCOMPARE(s.periodChoice, 2);
        QCOMPARE(d.datePicker(false)->date(), QDate(2025, 12, 31));
        QCOMPARE(d.hourList(true)->currentText(), QStringLiteral("11"));
        QVERIFY(d.datePicker(true)->isEnabled() && d.secondList(true)->isEnabled());
        // Letters do not reach the lists.
        d.hourList(true)->lineEdit()->clear();
        QTest::keyClicks(d.hourList(true)->lineEdit(), "1x9");
        QCOMPARE(d.hourList(true)->currentText(), QStringLiteral("19"));
        // A bad hour: the input-error message, the dialog stays open.
        d.hourList(true)->setEditText("24");
        Shown shown;
        AnswerBox(&shown);
        d.acceptButton()->click();
        QCOMPARE(shown.line1, QStringLiteral("Значение часа конца диапазона"));
        QCOMPARE(shown.line2, QStringLiteral("вне допустимого диапазона"));
        QVERIFY(d.isVisible() && !d.accepted());
        // End before start.
        d.hourList(true)->setEditText("1");
        d.datePicker(true)->setDate(QDate(2025, 12, 30));
        AnswerBox(&shown);
        d.acceptButton()->click();
        QCOMPARE(shown.line1, QStringLiteral("Дата и время конца опроса должны быть"));
        QVERIFY(!d.accepted());
        // A good period is returned and remembered.
        d.datePicker(true)->setDate(QDate(2026, 1, 5));
        d.acceptButton()->click();
        QVERIFY(d.accepted());
        QCOMPARE(d.start(), (PackedDateTime{25, 12, 31, 8, 9, 10}));
        QCOMPARE(d.end(), (PackedDateTime{26, 1, 5, 1, 12, 13}));
        QCOMPARE(ToPacked(s.savedPeriodEnd), d.end());
    }

    void periodLastDayIsNotRemembered() {
        ArchiveSettings s;
        s.periodChoice = 1;
        s.savedPeriodStart = s.savedPeriodEnd = 40000;
        TFormPeriod d(s, FromPacked(PackedDateTime{26, 1, 1, 10, 0, 0}.data()));
        QVERIFY(d.choice(1)->isChecked());
        d.acceptButton()->click();
        QVERIFY(d.accepted());
        QCOMPARE(d.start(), (PackedDateTime{25, 12, 31, 10, 0, 0}));
        QCOMPARE(s.savedPeriodStart, 40000.0);
        // "Выход" ends it unaccepted.
        ArchiveSettings s2;
        s2.periodChoice = 99;  // beyond the group: its last item
        TFormPeriod d2(s2, 46000);
        QVERIFY(d2.choice(2)->isChecked());
        d2.exitButton()->click();
        QVERIFY(!d2.accepted());
    }

    void chromErrorLines() {
        struct Case {
            int mode;
            uint8_t status, lo, hi;
            bool controller, chrom;
            int controllerLines, chromLines;
        };
        const Case cases[] = {
            {0, 0x88, 0x01, 0x80, true, true, 2, 2},
            {0, 0x20, 0xFF, 0xFF, true, false, 1, 0},
            {1, 0x84, 0, 0, true, false, 0, 0},
            {2, 0, 0x01, 0x80, false, true, 0, 2},
            {0, 0xDD, 0, 0, true, true, 6, 1},
        };
        for (const Case& c : cases) {
            TFormChromError f(c.mode, c.status, c.lo, c.hi, QStringLiteral(" Измерительные данные"));
            f.show();
            QCOMPARE(f.width(), 450);
            QCOMPARE(f.controllerList()->isVisible(), c.controller);
            QCOMPARE(f.chromList()->isVisible(), c.chrom);
            QCOMPARE(f.controllerHeading()->isVisible(), c.controller);
            QCOMPARE(f.chromHeading()->isVisible(), c.chrom);
            if (c.controller) QCOMPARE(f.controllerList()->count(), c.controllerLines);
            if (c.chrom) QCOMPARE(f.chromList()->count(), c.chromLines);
            // Every line shown fits its list: none is cut off.
            QListWidget* lists[2] = {f.controllerList(), f.chromList()};
            for (QListWidget* l : lists)
                if (l->isVisible() && l->count())
                    QVERIFY(l->visualItemRect(l->item(l->count() - 1)).bottom() <= l->viewport()->height());
            QCOMPARE(f.windowTitle(), QStringLiteral(" Измерительные данные"));
            const int bottom = c.chrom ? f.chromList()->geometry().bottom() : f.controllerList()->geometry().bottom();
            QCOMPARE(f.height(), bottom + 1 + 96);
        }
        TFormChromError f(2, 0, 0x01, 0x80, QString());
        QCOMPARE(f.chromHeading()->text(), QStringLiteral("  Статус хроматографа: 0x80 01"));
        QCOMPARE(f.chromList()->item(1)->text(), QStringLiteral(" Не поступают данные от хроматографа"));
    }

    void viewerGridSaveAndReopen() {
        QTemporaryDir dir;
        TArchiveView v;
        const int rows = 30000;
        v.SetGrid(rows, {"", "A", "B"}, {4, 50, 60}, [](int r, int c) { return QStringLiteral("%1:%2").arg(r).arg(c); });
        QPushButton* save = v.AddButton(QStringLiteral("Сохранить в файле"));
        v.show();
        v.SelectRow(-1);
        QCOMPARE(v.model()->rowCount(), rows);
        QCOMPARE(v.grid()->currentIndex().row(), rows - 1);
        QCOMPARE(v.model()->Cell(29999, 2), QStringLiteral("29999:2"));
        QCOMPARE(v.grid()->columnWidth(2), 60);
        QCOMPARE(v.focusWidget(), static_cast<QWidget*>(v.exitButton()));
        const std::string content = "header and rows";
        int saves = 0;
        connect(save, &QPushButton::clicked, [&] {
            ++saves;
            v.SaveToFile({dir.path(), "DataFiles (*.ala)|*.ala", dir.path() + "/zul05_017_260303.ala", ".ala",
                          [&] { return content; }});
        });
        // A name without extension gets ".ala".
        QString title, preset;
        Shown shown;
        AnswerFileDialog(dir.path() + "/first", &title, &preset);
        AnswerBox(&shown);
        save->click();
        QCOMPARE(title, QStringLiteral("Введите имя файла для сохранения данных"));
        QCOMPARE(QFileInfo(preset).fileName(), QStringLiteral("zul05_017_260303.ala"));
        QCOMPARE(shown.line1, QStringLiteral("Данные сохранены в файле first.ala."));
        QCOMPARE(ReadAll(dir.path() + "/first.ala"), QByteArray::fromStdString(content));
        // Replace question: "Нет" opens the dialog again with the chosen name, then cancel.
        AnswerFileDialog(dir.path() + "/first.ala");
        OnDialogLong<TFormMessage>([&](TFormMessage* m) {
            shown = {m->lineLabel(0)->text(), m->lineLabel(1)->text()};
            AnswerFileDialog(QString(), nullptr, &preset);
            m->noButton()->click();
        });
        save->click();
        QCOMPARE(shown.line1, QStringLiteral("Файл first.ala уже есть."));
        QCOMPARE(shown.line2, QStringLiteral("Вы хотите заменить существующий файл?"));
        QCOMPARE(QFileInfo(preset).fileName(), QStringLiteral("first.ala"));
        // An unwritable folder: "Ошибка открытия файла", the viewer stays open.
        AnswerFileDialog("/sys/x.ala");  // a folder nobody may create files in
        AnswerBox(&shown);
        save->click();
        QCOMPARE(shown.line1, QStringLiteral("Ошибка открытия файла"));
        QVERIFY(v.isVisible());
        QCOMPARE(saves, 3);
        // The open dialog finds the saved file.
        AnswerFileDialog(dir.path() + "/first.ala", &title);
        QCOMPARE(ChooseArchiveFile(&v, dir.path(), "DataFiles(*.ala)|*.ala"), dir.path() + "/first.ala");
        QCOMPARE(title, QStringLiteral("Выберите файл с данными"));
        AnswerFileDialog(QString());
        QVERIFY(ChooseArchiveFile(&v, dir.path(), "DataFiles(*.ala)|*.ala").isEmpty());
        QCOMPARE(RefusalLine("/x/y/z.ala"), QStringLiteral("Файл z.ala не является файлом, содержащим"));
    }
};

QTEST_MAIN(ArchiveDialogsTest)
#include "archive_dialogs_test.moc"
