// The intervention viewer offscreen: records of the simulated controller fetched
// from the main window over loopback TCP and shown, saved as .aud, reopened, and
// printed into a PDF (no printer configured), read back with pdftotext.
#include <cstring>

#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include "events/Iniaud.h"
#include "events/Ques_prn.h"
#include "events/Readindex.h"
#include "link/LinkSettings.h"
#include "link/Qrtbox.h"
#include "shell/Main.h"
#include "shell/MessageBox.h"
#include "sim/Qrtsim.h"
#include "support/ConnectedWindow.h"
#include "support/ModalHelper.h"
#include "tables/Stringi.h"
#include "tables/TableImage.h"

using namespace zul;

namespace {

void CloseBox(QString* lines) {
    zultest::OnDialog<TFormMessage>([lines](TFormMessage* m) {
        if (lines) *lines = m->lineLabel(0)->text() + "|" + m->lineLabel(1)->text();
        if (m->noButton() && m->noButton()->isVisible()) m->noButton()->click();
        else m->closeButton()->click();
    }, 60000);
}

void AnswerFile(const QString& path, QString* preset = nullptr) {
    zultest::OnDialog<QFileDialog>([path, preset](QFileDialog* d) {
        if (preset) *preset = d->selectedFiles().value(0);
        zultest::ChooseFile(d, path);
    }, 60000);
}

}  // namespace

class InterventionViewTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<sim::Qrtsim> sim;

    std::unique_ptr<TFormMain> ConnectedWindow() {
        auto w = zultest::WindowOnSim(dir->path().toStdString() + "/", sim->tcpPort());
        zultest::OnModal([](QWidget* m) {
            if (auto* box = qobject_cast<TFormMessage*>(m)) box->closeButton()->click();
            else if (auto* d = qobject_cast<QDialog*>(m)) d->reject();
        }, 5000);
        QSignalSpy done(w.get(), &TFormMain::startSequenceDone);
        w->show();
        done.wait(20000);
        return w;
    }

private slots:
    void initTestCase() { qputenv("ZUL_NO_PRINTER", "1"); }
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        sim = std::make_unique<sim::Qrtsim>();
        QVERIFY(sim->StartTcp());
    }
    void cleanup() { sim.reset(); }

    void viewerSaveReopenPrint() {
        uint32_t first = 0;
        const auto held = sim->Interventions(&first);
        QVERIFY(held.size() >= 29);
        std::vector<uint8_t> recs;
        for (int i = 0; i < 29; ++i) recs.insert(recs.end(), held[size_t(i)].begin(), held[size_t(i)].end());
        recs[24 * 2 + 13] ^= 0x40;  // a damaged record
        TableImage image;
        image.Field(14, 6)[0] = 1;
        const ArchiveFileHeader h =
            BuildArchiveHeader(kArchAud, image, 5, {26, 1, 1, 0, 0, 0}, recs.data(), recs.data() + 28 * 24, 29);
        const QString folder = dir->path();
        TFormAud v(InterventionViewFromRecords(0, h, recs.data(), first, image), folder);
        v.show();
        QCOMPARE(v.windowTitle(), QStringLiteral("Сообщения о вмешательствах оператора с индексами от %1 до %2")
                                      .arg(first).arg(first + 28));
        QCOMPARE(v.width(), 854);
        QCOMPARE(v.model()->columnCount(), 8);
        QCOMPARE(v.model()->rowCount(), 29);
        QCOMPARE(v.model()->Cell(2, 1), QStringLiteral("   ***"));
        QCOMPARE(v.statusPanel()->text(), QStringLiteral("  ***  Данные в записи недостоверны (не совпадает КС)"));
        QCOMPARE(v.grid()->currentIndex().row(), 28);
        QCOMPARE(v.focusWidget(), static_cast<QWidget*>(v.exitButton()));
        // The byte-order texts are longer than a value field of the file: shown whole.
        int byteOrder = -1;
        for (int r = 0; r < 29; ++r)
            if (v.model()->Cell(r, 3).startsWith(QStringLiteral("Порядок байтов"))) byteOrder = r;
        QVERIFY(byteOrder >= 0);
        QCOMPARE(v.model()->Cell(byteOrder, 4), QStringLiteral("Мл. адрес -- ст. байт"));
        QCOMPARE(v.model()->Cell(byteOrder, 7), QStringLiteral("ENG "));

        QString preset, shown;
        AnswerFile(folder + "/saved", &preset);
        CloseBox(&shown);
        v.saveButton()->click();
        const uint8_t* d0 = recs.data();
        QCOMPARE(QFileInfo(preset).fileName(),
                 QString::asprintf("zul17_005_%02d%02d%02d.aud", d0[0], d0[1], d0[2]));
        QCOMPARE(shown, QStringLiteral("Данные сохранены в файле saved.aud.|"));
        QCOMPARE(QFileInfo(folder + "/saved.aud").size(), 905 + 29 * 205);

        // Reopened: the same rows, cut texts cut, the period caption.
        QString cells;
        zultest::OnDialog<TFormAud>([&](TFormAud* a) {
            cells = a->windowTitle() + "/" + QString::number(a->model()->rowCount()) + "/" +
                    a->model()->Cell(2, 1) + "/" + a->model()->Cell(byteOrder, 4) + "/" + a->statusPanel()->text();
            a->exitButton()->click();
        }, 60000);
        ShowInterventionFile(image, folder + "/saved.aud", folder, nullptr);
        QVERIFY2(cells.startsWith(QStringLiteral("Сообщения о вмешательствах оператора за период с ")), qPrintable(cells));
        QVERIFY2(cells.endsWith(QStringLiteral("/29/   ***/Мл. адрес -- ст. ба/")), qPrintable(cells));

        // A diagnostic file is refused with the intervention text.
        QFile::copy(folder + "/saved.aud", folder + "/other.aud");
        QFile f(folder + "/other.aud");
        QVERIFY(f.open(QIODevice::ReadWrite));
        f.seek(1);
        f.write("L");
        f.close();
        CloseBox(&shown);
        ShowInterventionFile(image, folder + "/other.aud", folder, nullptr);
        QCOMPARE(shown, QStringLiteral("Файл other.aud не является файлом, содержащим|"
                                       "сообщения о вмешательствах оператора контроллера ЗУЛ_QRT_510"));

        // "Печать": the title dialog, then a PDF since no printer is configured.
        zultest::OnDialog<TFormQues_Prn>([folder](TFormQues_Prn* q) {
            q->EdOrganisation->setText(QStringLiteral("ЛПУМГ Северное"));
            AnswerFile(folder + "/report");
            q->BtnPrint->click();
        }, 60000);
        v.printButton()->click();
        QProcess p;
        p.start("pdftotext", {"-layout", folder + "/report.pdf", "-"});
        QVERIFY(p.waitForFinished(60000));
        const QString text = QString::fromUtf8(p.readAllStandardOutput()).replace(QRegularExpression(" +"), " ");
        QVERIFY(text.contains(QStringLiteral("ЛПУМГ Северное")));
        QVERIFY(text.contains(QStringLiteral("Перечень сообщений о вмешательствах оператора")));
        QVERIFY(text.contains(QStringLiteral("Мл. адрес -- ст. байт")));
        QVERIFY(text.contains(QStringLiteral("Лист 1 из 1")));
        v.accept();
    }

    void fetchByIndexFromTheMainWindow() {
        auto w = ConnectedWindow();
        QVERIFY(w->linkEstablished);
        uint32_t first = 0;
        const auto held = sim->Interventions(&first);
        const uint32_t newest = first + uint32_t(held.size()) - 1;
        QString caption, cell;
        int rows = 0;
        zultest::OnDialog<TFormIndex>([&](TFormIndex* d) {
            d->choice(3)->click();
            zultest::OnDialog<TFormAud>([&](TFormAud* a) {
                caption = a->windowTitle();
                rows = a->model()->rowCount();
                cell = a->model()->Cell(rows - 1, 7);
                a->exitButton()->click();
            }, 20000);
            d->acceptButton()->click();
        }, 60000);
        w->menuItem("NAudInd")->trigger();
        QCOMPARE(caption, QStringLiteral("Сообщения о вмешательствах оператора с индексами от %1 до %2")
                              .arg(newest - 9).arg(newest));
        QCOMPARE(rows, 10);
        QVERIFY(!cell.isEmpty());
    }
};

QTEST_MAIN(InterventionViewTest)
#include "intervention_view_test.moc"
