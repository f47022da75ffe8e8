// The chromatograph viewers driven offscreen on records read from the simulated
// controller over loopback TCP: the grid and its headings, the legend, the status
// view of a record, saving, reopening (and refusing) the file, and the export; the
// moisture meter's viewers and their print.
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPrintPreviewDialog>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include "events/Chromerr.h"
#include "link/Clock.h"
#include "link/Qrtbox.h"
#include "link/TcpSocket.h"
#include "measurements/ChromFetch.h"
#include "measurements/ChromView.h"
#include "measurements/MoistPrint.h"
#include "measurements/MoistView.h"
#include "events/Ques_prn.h"
#include "events/ReportPainter.h"
#include "shell/Folders.h"
#include "shell/MessageBox.h"
#include "shell/UserInterface.h"
#include "sim/Qrtsim.h"
#include "sim/SimTime.h"
#include "support/ModalHelper.h"
#include "tables/Conffun.h"
#include "tables/TableImage.h"

using namespace zul;

namespace {

struct Shown {
    QString line1, line2;
};

void AnswerBox(Shown* shown) {
    zultest::OnDialog<TFormMessage>([shown](TFormMessage* m) {
        if (shown) *shown = {m->lineLabel(0)->text(), m->lineLabel(1)->text()};
        m->closeButton()->click();
    });
}

void AnswerFileDialog(const QString& path, QString* preset = nullptr) {
    zultest::OnDialog<QFileDialog>([=](QFileDialog* d) {
        if (preset && !d->selectedFiles().isEmpty()) *preset = d->selectedFiles().first();
        zultest::ChooseFile(d, path);
    });
}

// Records read from the simulator as the window reads them.
struct Read {
    Read(ChromTableKind kind) {
        sim::SimSettings s;
        s.startDateTime = sim::DateTimeFromSeconds(sim::SecondsFromFields(2024, 3, 15, 12, 0, 0));
        s.rate = 0;
        s.corruptFraction = 0.05;
        sim = std::make_unique<sim::Qrtsim>(s);
        sim->StartTcp();
        box.linkKind = kLinkEthernet;
        box.openPerExchange = 0;
        box.tcpSendPauseMs = 0;
        box.address = 1;
        box.sock = TcpConnect("127.0.0.1", sim->tcpPort(), 2000);
        TableIo io(box, image, ui);
        io.ReadWholeTable(14, nullptr);
        io.ReadWholeTable(1, nullptr);
        image.Field(15, 6)[0] = 2;  // a moisture meter of type 2
        ChromFetch fetch(io, ui, nullptr, SystemClock::Instance(), dir.path().toStdString() + "/");
        if (ChromTwin(kind) == kChromMeasurement || kind == kChromCalibration) {
            const PackedDateTime a = {24, 3, kind == kChromCalibration ? uint8_t(1) : uint8_t(15), 9, 0, 0};
            const PackedDateTime b = {24, 3, 15, 11, 0, 0};
            ok = fetch.ByPeriod(kind, a, b, result);
        } else {
            ShortPeriod p;
            const uint8_t a[5] = {24, 3, uint8_t(ChromTwin(kind) == kChromDaily ? 1 : 14), 0, 0},
                          b[5] = {24, 3, 14, 23, 0};
            std::memcpy(p.start, a, 5);
            std::memcpy(p.end, b, 5);
            ok = fetch.ByRange(kind, p, result);
        }
    }
    ~Read() {
        if (box.sock > 0) TcpClose(box.sock);
    }
    QTemporaryDir dir;
    std::unique_ptr<sim::Qrtsim> sim;
    Qrtbox box;
    TableImage image;
    MemoryStatusBar bar;
    struct NoUi : UserInterface {
        bool ShowMessageBox(int, const std::string&, const std::string&) override { return false; }
    } ui;
    ChromFetchResult result;
    bool ok = false;
};

// The last window raised while it lives.
struct RaiseOrder : QObject {
    QObject* last = nullptr;
    RaiseOrder() { qApp->installEventFilter(this); }
    ~RaiseOrder() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::ZOrderChange && o->isWidgetType() && static_cast<QWidget*>(o)->isWindow()) last = o;
        return false;
    }
};

}  // namespace

class ChromViewTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        home_.reset(new QTemporaryDir);
        SetProgramFolder(home_->path().toStdString() + "/");
        for (WorkFolder f : {kFolderMomData, kFolderHourData, kFolderDayData, kFolderCalibrArhiv, kFolderIni})
            QDir().mkpath(QString::fromStdString(WorkFolderPath(f)));
    }

    void gridsOfEveryKind() {
        struct Case {
            ChromTableKind kind;
            int fixedColumns;  // besides the parameters
            bool legend, excel;
        } cases[] = {
            {kChromMeasurement, 2, true, true},
            {kChromHourly, 4, false, true},
            {kChromDaily, 4, false, true},
            {kChromCalibration, 4, false, false},
        };
        for (const auto& c : cases) {
            Read r(c.kind);
            QVERIFY(r.ok);
            TChromView v(c.kind, r.result.header, r.result.records, nullptr);
            v.show();
            const ChromTable& t = v.table();
            QCOMPARE(v.windowTitle(), QString::fromStdString(t.Caption()));
            const int columns = c.fixedColumns + (c.kind == kChromCalibration ? 0 : t.ParamCount());
            QVERIFY(t.ParamCount() > 0);
            QCOMPARE(v.model()->columnCount(), columns);
            QCOMPARE(size_t(v.model()->rowCount()), r.result.records.size() / size_t(ChromRecordSize(c.kind)));
            for (int col = 0; col < columns; ++col) {
                const QString h = v.model()->headerData(col, Qt::Horizontal, Qt::DisplayRole).toString();
                if (c.kind == kChromCalibration) {
                    if (col == 2) QCOMPARE(h, QStringLiteral("Качество\nкалибровки"));
                } else {
                    QCOMPARE(h, QString::fromStdString(t.Cell(0, col) + "\n" + t.Cell(1, col)));
                }
            }
            for (int row = 0; row < v.model()->rowCount(); row += 7)
                for (int col = 0; col < columns; ++col)
                    QCOMPARE(v.model()->Cell(row, col), QString::fromStdString(t.Cell(row + t.FixedRows(), col)));
            QCOMPARE(v.legend() != nullptr, c.legend);
            QCOMPARE(v.excelButton() != nullptr, c.excel);
            for (QPushButton* b : v.findChildren<QPushButton*>())  // the calibration's "Печать" prints nothing
                if (b->text() == QStringLiteral("Печать")) QVERIFY(!b->isEnabled());
            QCOMPARE(v.grid()->currentIndex().row(), 0);
            if (c.legend) QVERIFY(v.legend()->text().contains(QStringLiteral("* - значение в зоне ПУ")));
            // The status view of the first record.
            QString caption, heading;
            zultest::OnDialog<TFormChromError>([&](TFormChromError* f) {
                caption = f->windowTitle();
                heading = (c.kind == kChromCalibration ? f->chromHeading() : f->controllerHeading())->text();
                f->reject();
            });
            v.statusButton()->click();
            QCOMPARE(caption, QString::fromStdString(t.StatusCaption(0)));
            QVERIFY(heading.startsWith(QString::fromUtf8(c.kind == kChromCalibration ? "  Статус хроматографа: 0x"
                                                                                   : "  Статус контроллера: 0x")));
        }
    }

    void saveReopenAndExport() {
        Read r(kChromMeasurement);
        QVERIFY(r.ok);
        QWidget mainWindow;
        mainWindow.show();
        TChromView v(kChromMeasurement, r.result.header, r.result.records, &mainWindow);
        v.show();
        const QString folder = QString::fromStdString(WorkFolderPath(kFolderMomData));
        QString preset;
        Shown shown;
        AnswerFileDialog(folder + "/meas", &preset);
        AnswerBox(&shown);
        v.saveButton()->click();
        QCOMPARE(QFileInfo(preset).fileName(), QStringLiteral("zul17_001_240315.mch"));
        QCOMPARE(shown.line1, QStringLiteral("Данные сохранены в файле meas.mch."));
        QFile f(folder + "/meas.mch");
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QCOMPARE(size_t(bytes.size()), 905 + r.result.records.size());
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(r.result.header.bytes.data()), 905), bytes.left(905));
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(r.result.records.data()), int(r.result.records.size())),
                 bytes.mid(905));

        // Reopened: the same grid; opened as a calibration file: refused.
        int rows = -1;
        QString cell;
        zultest::OnDialog<TChromView>([&](TChromView* w) {
            rows = w->model()->rowCount();
            cell = w->model()->Cell(3, 2);
            w->exitButton()->click();
        });
        QVERIFY(OpenChromFile(kChromMeasurement, r.image, folder + "/meas.mch", nullptr));
        QCOMPARE(rows, v.model()->rowCount());
        QCOMPARE(cell, v.model()->Cell(3, 2));
        AnswerBox(&shown);
        QVERIFY(!OpenChromFile(kChromCalibration, r.image, folder + "/meas.mch", nullptr));
        QCOMPARE(shown.line1, QStringLiteral("Файл meas.mch не является файлом, содержащим"));
        QCOMPARE(shown.line2, QStringLiteral("данные калибровки хроматографа из архива контроллера ЗУЛ_QRT_510"));

        // The export: preset name, message, a workbook on disk; the main window is
        // not raised over the viewer, which stays open.
        AnswerFileDialog(folder + "/book", &preset);
        AnswerBox(&shown);
        RaiseOrder raised;
        v.excelButton()->click();
        QVERIFY2(raised.last != &mainWindow, "the main window came over the viewer");
        QCOMPARE(QFileInfo(preset).fileName(), QStringLiteral("zul17_001_240315_mom.xlsx"));
        QCOMPARE(shown.line1, QStringLiteral("Данные сохранены в файле book.xlsx"));
        QVERIFY(QFileInfo(folder + "/book.xlsx").size() > 1000);
        QVERIFY(v.isVisible());

        // The same name again: asked first; "Нет", then giving up, leaves the workbook.
        QFile old(folder + "/book.xlsx");
        QVERIFY(old.open(QIODevice::ReadWrite));
        old.write("kept");
        old.close();
        AnswerFileDialog(folder + "/book");
        zultest::OnDialog<TFormMessage>([&](TFormMessage* m) {
            shown = {m->lineLabel(0)->text(), m->lineLabel(1)->text()};
            zultest::OnDialog<QFileDialog>([](QFileDialog* d) { d->reject(); });
            m->noButton()->click();
        });
        v.excelButton()->click();
        QCOMPARE(shown.line1, QStringLiteral("Файл book.xlsx уже есть."));
        QCOMPARE(shown.line2, QStringLiteral("Вы хотите заменить существующий файл?"));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.read(4), QByteArray("kept"));
    }

    // The moisture meter's viewers: headings of meter type 2, the grid from the core's
    // table, save and reopen, and "Печать" through the title dialog into the preview.
    void moistureViewers() {
        for (ChromTableKind kind : {kMoistMeasurement, kMoistHourly, kMoistDaily}) {
            Read r(kind);
            QVERIFY(r.ok);
            TMoistView v(kind, r.result.header, r.result.records, nullptr);
            v.show();
            const MoistTable& t = v.table();
            QCOMPARE(v.windowTitle(), QString::fromStdString(t.Caption()));
            QCOMPARE(size_t(v.model()->rowCount()), r.result.records.size() / size_t(ChromRecordSize(kind)));
            QCOMPARE(v.model()->headerData(6, Qt::Horizontal, Qt::DisplayRole).toString(),
                     QStringLiteral("Давление\n \n \nbar"));
            QVERIFY(v.width() <= 720);
            for (int row = 0; row < v.model()->rowCount(); row += 5)
                for (int col = 0; col < kMoistColumns; ++col)
                    QCOMPARE(v.model()->Cell(row, col), QString::fromStdString(t.Cell(row, col)));

            const WorkFolder folder = kind == kMoistMeasurement ? kFolderMomData
                                      : kind == kMoistHourly    ? kFolderHourData
                                                                : kFolderDayData;
            const QString dir = QString::fromStdString(WorkFolderPath(folder));
            const QString ext = QString::fromLatin1(ChromFileExtension(kind));
            QString preset;
            Shown shown;
            AnswerFileDialog(dir + "/moist", &preset);
            AnswerBox(&shown);
            v.saveButton()->click();
            QCOMPARE(QFileInfo(preset).fileName(), QStringLiteral("zul17_001_") + (kind == kMoistDaily ? "240301" : kind == kMoistHourly ? "240314" : "240315") + ext);
            QCOMPARE(shown.line1, QStringLiteral("Данные сохранены в файле moist%1.").arg(ext));
            int rows = -1;
            zultest::OnDialog<TMoistView>([&](TMoistView* w) {
                rows = w->model()->rowCount();
                w->exitButton()->click();
            });
            QVERIFY(OpenChromFile(kind, r.image, dir + "/moist" + ext, nullptr));
            QCOMPARE(rows, v.model()->rowCount());
            AnswerBox(&shown);
            QVERIFY(!OpenChromFile(ChromTwin(kind), r.image, dir + "/moist" + ext, nullptr));

            // "Печать": cancelled in the title dialog, no preview; accepted, the preview
            // (one answerer waits for it throughout).
            bool previewed = false;
            zultest::OnDialog<QPrintPreviewDialog>([&](QPrintPreviewDialog* p) {
                previewed = true;
                p->reject();
            });
            zultest::OnDialog<TFormQues_Prn>([](TFormQues_Prn* q) { q->BtnCancel->click(); });
            v.printButton()->click();
            QVERIFY(!previewed);
            zultest::OnDialog<TFormQues_Prn>([](TFormQues_Prn* q) { q->BtnPrint->click(); });
            v.printButton()->click();
            QVERIFY(previewed);
        }
    }

    // The printed table of 53 hourly rows as a PDF, read back by pdftotext: two sheets.
    void moisturePrintAsPdf() {
        Read r(kMoistHourly);
        QVERIFY(r.ok);
        std::vector<uint8_t> records;
        while (records.size() < 53 * size_t(kMoistAverageSize)) records.insert(records.end(), r.result.records.begin(), r.result.records.end());
        records.resize(53 * size_t(kMoistAverageSize));
        const MoistTable t(kMoistHourly, r.result.header, records.data(), 53);
        const QString pdf = home_->path() + "/moist.pdf";
        QVERIFY(WriteReportPdf(BuildMoistReport(t, "ООО Газ"), pdf.toStdString()));
        QProcess p;
        p.start("pdftotext", {"-layout", pdf, "-"});
        QVERIFY(p.waitForFinished(20000));
        const QStringList pages = QString::fromUtf8(p.readAllStandardOutput()).split('\f', Qt::SkipEmptyParts);
        QCOMPARE(pages.size(), 2);
        QVERIFY(pages[0].contains(QStringLiteral("Часовые измерительные данные влагомера")));
        QVERIFY(pages[0].contains(QStringLiteral("Давление")));
        QVERIFY(pages[0].contains(QStringLiteral("Лист 1 из 2")));
        QVERIFY(pages[1].contains(QStringLiteral("Лист 2 из 2")));
        QVERIFY(pages[1].contains(QStringLiteral("Давление")));  // the heading on every sheet
        QVERIFY(!pages[1].contains(QStringLiteral("ООО Газ")));   // the title on the first only
    }

private:
    std::unique_ptr<QTemporaryDir> home_;
};

QTEST_MAIN(ChromViewTest)
#include "chrom_view_test.moc"
