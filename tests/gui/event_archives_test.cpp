// The event archives in the window, offscreen: the index dialog's choices and
// checks, the diagnostic viewer over fetched records (caption, rows, the bad-check
// line), saving and reopening a .ala file and the refusals, and both fetches from
// the main window against the simulated controller over loopback TCP.
#include <cstring>
#include <fstream>

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include "events/Iniala.h"
#include "measurements/CompletenessView.h"
#include "link/IniFile.h"
#include "events/Period.h"
#include "events/Ques_prn.h"
#include "events/Readindex.h"
#include "link/LinkSettings.h"
#include "link/Qrtbox.h"
#include "shell/Main.h"
#include "shell/MessageBox.h"
#include "shell/Tableinfo.h"
#include "sim/Qrtsim.h"
#include "support/ConnectedWindow.h"
#include "support/ModalHelper.h"
#include "tables/Stringi.h"
#include "tables/TableImage.h"

using namespace zul;

namespace {

// Under a loaded machine a dialog may take seconds to appear: wait long for it.
template <class T, class F>
void OnDialogLong(F fn, int timeoutMs = 60000) {
    zultest::OnDialog<T>(std::function<void(T*)>(fn), timeoutMs);
}

// Closes the next message box, keeping its first line.
void CloseBox(QString* line1) {
    OnDialogLong<TFormMessage>([line1](TFormMessage* m) {
        if (line1) *line1 = m->lineLabel(0)->text() + "|" + m->lineLabel(1)->text();
        if (m->noButton() && m->noButton()->isVisible()) m->noButton()->click();
        else m->closeButton()->click();
    });
}

std::vector<uint8_t> Record(int code, int object, int index, uint8_t day, bool bad = false) {
    std::vector<uint8_t> r(22);
    const uint8_t when[6] = {21, 3, day, 10, 20, 30};
    std::memcpy(r.data(), when, 6);
    r[6] = uint8_t(code), r[8] = uint8_t(object), r[9] = uint8_t(index);
    const uint16_t crc = Crc16(r.data(), 20);
    r[20] = uint8_t(crc), r[21] = uint8_t((crc >> 8) ^ (bad ? 0x10 : 0));
    return r;
}

}  // namespace

class EventArchivesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<sim::Qrtsim> sim;

    std::unique_ptr<TFormMain> ConnectedWindow() {
        auto w = zultest::WindowOnSim(dir->path().toStdString() + "/", sim->tcpPort());
        // The login is cancelled.
        zultest::OnModal([](QWidget* m) {
            if (auto* box = qobject_cast<TFormMessage*>(m)) box->closeButton()->click();
            else if (auto* d = qobject_cast<QDialog*>(m)) d->reject();
        }, 60000);
        QSignalSpy done(w.get(), &TFormMain::startSequenceDone);
        w->show();
        done.wait(20000);
        return w;
    }

    // The file dialogs keep their state in the user's settings; a folder of this
    // run's own keeps parallel test programs from sharing it.
    QTemporaryDir configHome;

private slots:
    void initTestCase() { qputenv("XDG_CONFIG_HOME", configHome.path().toUtf8()); }
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        sim = std::make_unique<sim::Qrtsim>();
        QVERIFY(sim->StartTcp());
    }
    void cleanup() { sim.reset(); }

    void indexDialogChoices() {
        struct Case {
            uint32_t oldest, newest;
            int choice;
            QString start, count;
            bool enabled;
        };
        const Case cases[] = {
            {1000, 1029, 1, "1000", "30", false},
            {1000, 1999, 3, "1990", "10", false},
            {1000, 1999, 2, "1950", "50", false},
            {1000, 1999, 0, "1000", "1000", false},
            {0, 0, 0, "0", "1", false},
            {1000, 1999, 4, "", "", true},
        };
        for (const Case& c : cases) {
            ArchiveSettings s;
            s.indexChoice = c.choice;
            TFormIndex d(kEventsIntervention, c.oldest, c.newest, s);
            d.show();
            QCOMPARE(d.windowTitle(), QStringLiteral("Индексы архивных записей о вмешательствах"));
            QVERIFY(d.choice(c.choice)->isChecked());
            QCOMPARE(d.startBox()->text(), c.start);
            QCOMPARE(d.countBox()->text(), c.count);
            QCOMPARE(d.startBox()->isEnabled(), c.enabled);
            QCOMPARE(d.oldestBox()->text(), QString::number(c.oldest));
            QVERIFY(d.oldestBox()->isReadOnly());
        }
    }

    void indexDialogChecks() {
        ArchiveSettings s;
        s.indexChoice = 0;
        {
            // The whole range may hold more than 255 records: the read splits it.
            TFormIndex whole(kEventsDiagnostic, 1000, 1999, s);
            whole.show();
            whole.acceptButton()->click();
            QVERIFY(whole.accepted());
            QCOMPARE(whole.first(), 1000u);
            QCOMPARE(whole.count(), 1000);
        }
        TFormIndex d(kEventsDiagnostic, 1000, 1999, s);
        d.show();
        QCOMPARE(d.windowTitle(), QStringLiteral("Индексы архивных записей диагностики"));
        QString shown;
        d.choice(4)->click();
        QCOMPARE(s.indexChoice, 4);
        QVERIFY(d.startBox()->isEnabled() && d.startBox()->text().isEmpty());
        struct Step {
            QString start, count, message;
        };
        const Step steps[] = {
            {"", "5", "Не введен индекс записи начала чтения|"},
            {"999", "5", "Нелогичное значение индекса записи начала чтения|(см. значения индексов начала и конца архива)."},
            {"2000", "5", "Нелогичное значение индекса записи начала чтения|(см. значения индексов начала и конца архива)."},
            {"1500", "", "Не введено количество записей для чтения|"},
            {"1500", "0", "Нелогичное значение количества записей для чтения|"},
            {"1500", "256", "Количество записей для чтения.|Значение вне диапазона"},
        };
        for (const Step& st : steps) {
            d.startBox()->setText(st.start);
            d.countBox()->setText(st.count);
            shown.clear();
            CloseBox(&shown);
            d.acceptButton()->click();
            QCOMPARE(shown, st.message);
            QVERIFY(d.isVisible());
        }
        // Letters do not pass; Enter moves from box to box; the count stops at the newest record.
        d.startBox()->clear();
        d.startBox()->setFocus();
        QTest::keyClicks(d.startBox(), "19x90");
        QCOMPARE(d.startBox()->text(), QStringLiteral("1990"));
        QTest::keyClick(d.startBox(), Qt::Key_Return);
        QCOMPARE(d.focusWidget(), static_cast<QWidget*>(d.countBox()));
        d.countBox()->setText("50");
        QTest::keyClick(d.countBox(), Qt::Key_Return);
        QCOMPARE(d.focusWidget(), static_cast<QWidget*>(d.acceptButton()));
        QVERIFY(!d.accepted());
        d.acceptButton()->click();
        QVERIFY(d.accepted());
        QCOMPARE(d.first(), 1990u);
        QCOMPARE(d.count(), 10);
    }

    void viewerSaveReopenAndRefusals() {
        TableImage image;
        std::memcpy(image.Field(1, 3), "Methane", 7);
        image.Field(1, 3)[50] = 1;
        std::vector<uint8_t> recs;
        for (auto r : {Record(12, 1, 3, 3), Record(5, 14, 3, 4, true), Record(4, 1, 0, 5), Record(59, 0, 0, 6, true)})
            recs.insert(recs.end(), r.begin(), r.end());
        const uint8_t s[6] = {21, 3, 3, 10, 20, 30}, e[6] = {21, 3, 6, 10, 20, 30};
        ArchiveFileHeader h = BuildArchiveHeader(kArchAla, image, 5, {26, 1, 1, 0, 0, 0}, s, e, 4);
        const QString folder = dir->path();
        DiagnosticView fetched = DiagnosticViewFromRecords(0, h, recs.data(), 1000, image);
        fetched.requested = 6;  // the last two of the indexes asked for did not come
        TFormAla v(std::move(fetched), folder);
        v.show();
        QCOMPARE(v.completenessLine()->text(),
                 QStringLiteral("Полнота данных: ожидалось 6, получено 4, недостоверных 2, пропусков 1 (записей 2)"));
        QString gapRow;
        OnDialogLong<TFormCompleteness>([&](TFormCompleteness* c) {
            gapRow = c->model()->Cell(0, 0) + " " + c->model()->Cell(0, 1) + " " + c->model()->Cell(0, 2);
            c->exitButton()->click();
        });
        for (QPushButton* b : v.findChildren<QPushButton*>())
            if (b->text() == QStringLiteral("Полнота данных")) b->click();
        QCOMPARE(gapRow, QStringLiteral("Пропуск 1004 1005"));
        QCOMPARE(v.windowTitle(), QStringLiteral("Диагностические сообщения с индексами от 1000 до 1003"));
        QCOMPARE(v.width(), 1092);
        QCOMPARE(v.model()->rowCount(), 4);
        QCOMPARE(v.model()->columnCount(), 8);
        QCOMPARE(v.model()->Cell(0, 4), QStringLiteral("Methane"));
        QCOMPARE(v.model()->Cell(0, 7), QStringLiteral("%"));
        QCOMPARE(v.model()->Cell(1, 1), QStringLiteral("   ***"));
        QCOMPARE(v.model()->Cell(1, 3), QString());
        QCOMPARE(v.model()->Cell(2, 4), QStringLiteral("Архив вмешательств"));
        QCOMPARE(v.statusPanel()->text(), QStringLiteral("  ***  Данные в записи недостоверны (не совпадает КС)"));
        QCOMPARE(v.grid()->currentIndex().row(), 3);
        QCOMPARE(v.focusWidget(), static_cast<QWidget*>(v.exitButton()));
        // The preset file name carries the address before 17 and the first record's date.
        QCOMPARE(QFileInfo(QString::fromStdString(DiagnosticPresetName(folder.toStdString(), v.view()))).fileName(),
                 QStringLiteral("zul05_017_210303.ala"));
        // What "Сохранить в файле" writes (its dialog is the viewer base's, tested with it).
        QVERIFY(WriteFileAtomically((folder + "/saved.ala").toStdString(), DiagnosticFileBytes(v.view())));
        QString shown;
        QFile f(folder + "/saved.ala");
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QCOMPARE(bytes.size(), 905 + 4 * 300);
        QCOMPARE(bytes.left(905), QByteArray(reinterpret_cast<const char*>(h.bytes.data()), 905));
        QCOMPARE(bytes.mid(905 + 300, 300), QByteArray("   ***") + QByteArray(294, '\0'));
        QCOMPARE(QByteArray(bytes.constData() + 905 + 140), QByteArray("Methane"));
        // "Печать" goes to the print-title dialog of the diagnostic messages.
        QString printLine;
        OnDialogLong<TFormQues_Prn>([&](TFormQues_Prn* q) {
            printLine = q->EdLines[0]->text() + q->EdLines[1]->text() + q->EdLines[2]->text();
            q->BtnCancel->click();
        });
        v.printButton()->click();
        QVERIFY2(printLine.contains(QStringLiteral("03.03.21")), qPrintable(printLine));
        v.accept();

        // Reopened from the file: the same cells, no status line, the period caption.
        QString caption;
        int rows = 0;
        QString cell;
        OnDialogLong<TFormAla>([&](TFormAla* a) {
            caption = a->windowTitle();
            rows = a->model()->rowCount();
            cell = a->model()->Cell(0, 4) + "/" + a->model()->Cell(1, 1) + "/" + a->statusPanel()->text();
            a->exitButton()->click();
        });
        ShowDiagnosticFile(folder + "/saved.ala", image, folder, nullptr);
        QCOMPARE(caption, QStringLiteral("Диагностические сообщения за период с 03.03.21 10:20:30 по 06.03.21 10:20:30"));
        QCOMPARE(rows, 4);
        QCOMPARE(cell, QStringLiteral("Methane/   ***/"));

        // Refusals: another magic; the chromatograph type now held is 2.
        QByteArray foreign = bytes;
        foreign[1] = 'U';
        QFile g(folder + "/foreign.ala");
        QVERIFY(g.open(QIODevice::WriteOnly));
        g.write(foreign);
        g.close();
        CloseBox(&shown);
        ShowDiagnosticFile(folder + "/foreign.ala", image, folder, nullptr);
        QCOMPARE(shown, QStringLiteral("Файл foreign.ala не является файлом, содержащим|"
                                       "диагностические сообщения контроллера ЗУЛ_QRT_510"));
        *image.Field(14, 6) = 2;
        CloseBox(&shown);
        ShowDiagnosticFile(folder + "/saved.ala", image, folder, nullptr);
        QVERIFY(shown.startsWith(QStringLiteral("Файл saved.ala не является")));
    }

    void fetchesFromTheMainWindow() {
        auto w = ConnectedWindow();
        QVERIFY(w->linkEstablished);
        uint32_t first = 0;
        const auto held = sim->Diagnostics(&first);
        QVERIFY(held.size() >= 10);
        const uint32_t newest = first + uint32_t(held.size()) - 1;
        // By index: the newest 10.
        QString caption;
        int rows = 0;
        OnDialogLong<TFormIndex>([&](TFormIndex* d) {
            d->choice(3)->click();
            OnDialogLong<TFormAla>([&](TFormAla* a) {
                caption = a->windowTitle();
                rows = a->model()->rowCount();
                a->exitButton()->click();
            });
            d->acceptButton()->click();
        });
        w->menuItem("NAlaInd")->trigger();
        QCOMPARE(caption, QStringLiteral("Диагностические сообщения с индексами от %1 до %2").arg(newest - 9).arg(newest));
        QCOMPARE(rows, 10);
        QCOMPARE(w->settings().archive.indexChoice, 3);
        // The read left no scratch file behind.
        QVERIFY(QDir(dir->path()).entryList({"datafile*"}, QDir::Files).isEmpty());
        QVERIFY(w->menuBar()->isEnabled());

        // By period: the given period around the last ten records.
        ArchiveSettings& a = w->settings().archive;
        a.periodChoice = 2;
        a.savedPeriodStart = FromPacked(held[held.size() - 10].data());
        a.savedPeriodEnd = FromPacked(held.back().data());
        rows = 0;
        OnDialogLong<TFormPeriod>([&](TFormPeriod* d) {
            OnDialogLong<TFormAla>([&](TFormAla* v) {
                caption = v->windowTitle();
                rows = v->model()->rowCount();
                v->exitButton()->click();
            });
            d->acceptButton()->click();
        });
        w->menuItem("NAlaPer")->trigger();
        QVERIFY(caption.startsWith(QStringLiteral("Диагностические сообщения за период с ")));
        QVERIFY(rows >= 10);
    }
};

QTEST_MAIN(EventArchivesTest)
#include "event_archives_test.moc"
