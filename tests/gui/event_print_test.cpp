// Event reports printed offscreen: the print-title dialog and title.ini, and PDFs
// read back by an independent reader (pdftotext, pdfinfo from poppler-utils).
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "support/ModalHelper.h"
#include "support/settings_fakes.h"

#include "events/EventReport.h"
#include "events/Prnarhiv.h"
#include "events/Ques_prn.h"
#include "events/ReportPainter.h"
#include "shell/Folders.h"
#include "tables/Stringi.h"

using namespace zul;

namespace {

std::array<uint8_t, 905> Header(uint32_t count) {
    std::array<uint8_t, 905> h{};
    std::memcpy(&h[0], "AUD", 3);
    const std::string name = Utf8ToCp1251("Узел учета №7");
    std::memset(&h[4], ' ', 20);
    std::memcpy(&h[4], name.data(), name.size());
    h[44] = 5;
    h[45] = 17;
    const uint8_t made[6] = {26, 12, 9, 8, 30, 1}, first[6] = {21, 3, 3, 0, 5, 9}, last[6] = {21, 3, 4, 23, 59, 58};
    std::memcpy(&h[873], made, 6);
    std::memcpy(&h[879], first, 6);
    std::memcpy(&h[885], last, 6);
    std::memcpy(&h[891], &count, 4);
    return h;
}

std::vector<EventRow> Rows(int n) {
    std::vector<EventRow> rows{size_t(n)};
    for (int i = 0; i < n; ++i) {
        EventRow& r = rows[size_t(i)];
        if (i % 50 == 11) {
            r[0] = "   ***";
            continue;
        }
        r = {"    03.03.21", "    00:05:09", "Месяц перехода на летнее время", "Переход запрещен", "Март", "",
             "ENG "};
        r[2] += " #" + std::to_string(i);
    }
    return rows;
}

void TypeText(QWidget* w, const QString& text) {
    for (QChar c : text) QTest::sendKeyEvent(QTest::KeyAction::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

QString Run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(120000)) return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

int PdfPages(const QString& path) {
    const QString info = Run("pdfinfo", {path});
    for (const QString& line : info.split('\n'))
        if (line.startsWith("Pages:")) return line.mid(6).trimmed().toInt();
    return -1;
}

std::string FileBytes(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

}  // namespace

class EventPrintTest : public QObject {
    Q_OBJECT

    QTemporaryDir home;
    test::RecordingUi ui;

private slots:
    void initTestCase() {
        QVERIFY(home.isValid());
        SetProgramFolder(home.path().toStdString() + "/");
        CreateWorkFolders(ProgramFolder());
        QFont f(QStringLiteral("Arial"));
        QVERIFY(QFontMetrics(f).inFontUcs4(U'Ж'));  // glyphs for Cyrillic, or every check below is void
        qputenv("ZUL_NO_PRINTER", "1");
    }

    void titleDialog() {
        const QString ini = home.path() + "/INI/title.ini";
        QFile::remove(ini);
        const auto h = Header(3);
        {
            TFormQues_Prn d(4, h.data(), ini.toStdString());
            d.show();
            QCOMPARE(d.windowTitle(), QStringLiteral(" Данные для печати"));
            QCOMPARE(d.EdLines[0]->text(), QStringLiteral("Перечень сообщений о вмешательствах оператора"));
            QCOMPARE(d.EdLines[1]->text(), QStringLiteral("в работу контроллерa ЗУЛ_QRT510"));
            QCOMPARE(d.EdLines[2]->text(), QStringLiteral("за период  с  03.03.21  00:05:09  по  04.03.21  23:59:58"));
            QVERIFY(d.EdOrganisation->text().isEmpty());  // no file yet
            // 40 characters are taken whole, the 41st is refused.
            TypeText(d.EdOrganisation, QStringLiteral("Газпромтрансгаз-Юг, Управление №3 ЛПУМГ-ЖЭ"));
            QCOMPARE(d.EdOrganisation->text(), QStringLiteral("Газпромтрансгаз-Юг, Управление №3 ЛПУМГ-"));
            QTest::mouseClick(d.BtnPrint, Qt::LeftButton);
            QVERIFY(d.accepted());
            QCOMPARE(QString::fromStdString(d.organisation()), QStringLiteral("Газпромтрансгаз-Юг, Управление №3 ЛПУМГ-"));
        }
        const std::string stored = FileBytes(ini);
        QCOMPARE(int(stored.size()), 40);
        QCOMPARE(Cp1251ToUtf8(stored), std::string("Газпромтрансгаз-Юг, Управление №3 ЛПУМГ-"));

        struct stat st;
        QCOMPARE(stat(ini.toLocal8Bit().constData(), &st), 0);
        const ino_t inode = st.st_ino;
        {
            // The same name again: the file is not rewritten.
            TFormQues_Prn d(3, h.data(), ini.toStdString());
            d.show();
            QCOMPARE(d.EdOrganisation->text(), QStringLiteral("Газпромтрансгаз-Юг, Управление №3 ЛПУМГ-"));
            QCOMPARE(d.EdLines[1]->text(), QStringLiteral("контроллерa ЗУЛ_QRT510"));
            QTest::mouseClick(d.BtnPrint, Qt::LeftButton);
            QVERIFY(d.accepted());
        }
        QCOMPARE(stat(ini.toLocal8Bit().constData(), &st), 0);
        QCOMPARE(st.st_ino, inode);
        {
            // Cancel: nothing accepted, nothing written.
            TFormQues_Prn d(3, h.data(), ini.toStdString());
            d.show();
            d.EdOrganisation->setText(QStringLiteral("Другое"));
            QTest::mouseClick(d.BtnCancel, Qt::LeftButton);
            QVERIFY(!d.accepted());
        }
        QCOMPARE(Cp1251ToUtf8(FileBytes(ini)), std::string("Газпромтрансгаз-Юг, Управление №3 ЛПУМГ-"));
        {
            // A shorter name is written padded with zero bytes.
            TFormQues_Prn d(3, h.data(), ini.toStdString());
            d.show();
            d.EdOrganisation->setText(QStringLiteral("ООО «Газ»"));
            QTest::keyClick(d.EdOrganisation, Qt::Key_Return);
            QVERIFY(d.accepted());
        }
        QCOMPARE(FileBytes(ini), Utf8ToCp1251("ООО «Газ»") + std::string(31, '\0'));
    }

    void pdfReadBack_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("pages");
        QTest::newRow("diag 58") << 3 << 58 << 1;
        QTest::newRow("diag 59") << 3 << 59 << 2;
        QTest::newRow("interv 57") << 4 << 57 << 1;
        QTest::newRow("interv 126") << 4 << 126 << 2;
        QTest::newRow("interv 127") << 4 << 127 << 3;
        QTest::newRow("diag 10000") << 3 << 10000 << 154;
    }

    void pdfReadBack() {
        QFETCH(int, kind);
        QFETCH(int, rows);
        QFETCH(int, pages);
        const auto h = Header(uint32_t(rows));
        const TFormPrnArhiv report(kind, h.data(), Rows(rows), "ООО «Северный узел»");
        QCOMPARE(report.document().PageCount(), pages);
        const QString pdf = home.path() + QString("/r_%1_%2.pdf").arg(kind).arg(rows);
        QVERIFY(report.SavePdf(pdf.toStdString()));
        QCOMPARE(PdfPages(pdf), pages);
        const QString artifacts = qEnvironmentVariable("ZUL_TEST_ARTIFACTS");
        if (!artifacts.isEmpty() && QDir().mkpath(artifacts) && rows < 1000) {
            QFile::remove(artifacts + "/" + QFileInfo(pdf).fileName());
            QFile::copy(pdf, artifacts + "/" + QFileInfo(pdf).fileName());
        }

        // pdftotext keeps the layout but not every blank: compare with runs of blanks as one.
        QStringList text = Run("pdftotext", {"-layout", pdf, "-"}).split('\f');
        for (QString& page : text) page.replace(QRegularExpression(" +"), " ");
        QVERIFY(text.size() >= pages);
        int rowLines = 0;
        for (int p = 0; p < pages; ++p) {
            const QString& page = text[p];
            QVERIFY2(page.contains(QString("Лист %1 из %2").arg(p + 1).arg(pages)), qPrintable(QString::number(p)));
            QVERIFY(page.contains(QStringLiteral("Узел учета №7")));  // page header
            QVERIFY(page.contains(QStringLiteral("Дата")));
            QVERIFY(page.contains(QStringLiteral("Время")));
            QVERIFY(page.contains(kind == 3 ? QStringLiteral("Событие") : QStringLiteral("Наименование параметра")));
            QVERIFY(page.contains(QStringLiteral("Единица")));
            QCOMPARE(page.contains(QStringLiteral("ООО «Северный узел»")), p == 0);
            rowLines += int(page.count(QStringLiteral("Переход запрещен"))) + int(page.count(QStringLiteral("***")));
        }
        QCOMPARE(rowLines, rows);
        QVERIFY(text[0].contains(kind == 3 ? QStringLiteral("Перечень диагностических сообщений")
                                           : QStringLiteral("Перечень сообщений о вмешательствах оператора")));
        QVERIFY(text[0].contains(QStringLiteral("Контроллер \"Узел учета №7\" (адрес 5)")));
        QVERIFY(text[0].contains(QStringLiteral("Составлен программой zul_17")));
        QVERIFY(text[pages - 1].contains(QString("Месяц перехода на летнее время #%1").arg(rows - 1)));
    }

    // A value wider than its printed column is printed whole and inside it: each
    // cell's words end before the next cell's begin (word boxes from pdftotext).
    void longCellsStayInTheirColumns() {
        struct Case {
            const char* what;
            EventRow row;
        } cases[] = {
            {"long numbers", {"03.03.21", "00:05:09", "Плотность", "1234567890.12345678901", "-9876543210.6543210987",
                              "кг/м3", "OPERATOR"}},
            {"long texts", {"03.03.21", "00:05:09", "Наименование", "ABCDEFGHIJKLMNOPQRSTUVWX", "abcdefghijklmnopqrstuvwx",
                            "м3/ч", "ENGINEER"}},
        };
        for (const Case& c : cases) {
            const auto h = Header(1);
            const QString pdf = home.path() + "/long.pdf";
            QVERIFY(WriteReportPdf(BuildEventReport(4, h.data(), {c.row}, ""), pdf.toStdString()));
            const QString boxes = Run("pdftotext", {"-bbox", pdf, "-"});
            // Left and right edge of the word that is exactly `text`.
            auto edges = [&](const std::string& text) {
                const QRegularExpression word(QStringLiteral("xMin=\"([0-9.]+)\" yMin=\"[0-9.]+\" xMax=\"([0-9.]+)\"[^>]*>") +
                                              QRegularExpression::escape(QString::fromStdString(text)) + "</word>");
                const QRegularExpressionMatch m = word.match(boxes);
                return m.hasMatch() ? std::pair{m.captured(1).toDouble(), m.captured(2).toDouble()} : std::pair{-1.0, -1.0};
            };
            for (int k = 3; k < 6; ++k) {
                const auto [left, right] = edges(c.row[size_t(k)]);
                const auto [nextLeft, nextRight] = edges(c.row[size_t(k + 1)]);
                QVERIFY2(left >= 0 && nextLeft >= 0, qPrintable(QString(c.what) + ": a cell is not printed whole"));
                QVERIFY2(right <= nextLeft, qPrintable(QString("%1: cell %2 ends at %3, the next begins at %4")
                                                           .arg(c.what).arg(k).arg(right).arg(nextLeft)));
            }
        }
    }

    void unwritablePdfPath() {
        const auto h = Header(1);
        const TFormPrnArhiv report(4, h.data(), Rows(1), "");
        QVERIFY(!report.SavePdf(home.path().toStdString() + "/no/such/folder/r.pdf"));
        QVERIFY(!QFile::exists(home.path() + "/no"));
    }

    // "Печать" without a printer: the title dialog, then a PDF named in a save dialog.
    void printWithoutPrinterSavesPdf() {
        ui.messages.clear();
        const auto h = Header(2);
        const QString folder = home.path() + "/AUDFILES";
        const QString target = folder + "/report_interv";
        zultest::OnDialog<TFormQues_Prn>([target](TFormQues_Prn* d) {
            d->EdOrganisation->setText(QStringLiteral("ЛПУ Северное"));
            zultest::OnDialog<QFileDialog>([target](QFileDialog* f) {
                QCOMPARE(QDir(f->directory()).absolutePath(), QFileInfo(target).absolutePath());
                zultest::ChooseFile(f, target);
            });
            QTest::mouseClick(d->BtnPrint, Qt::LeftButton);
        });
        QVERIFY(PrintEventReport(nullptr, ui, 4, h.data(), Rows(2), folder.toStdString()));
        QVERIFY(ui.messages.empty());
        const QString pdf = target + ".pdf";
        QCOMPARE(PdfPages(pdf), 1);
        QVERIFY(Run("pdftotext", {"-layout", pdf, "-"}).contains(QStringLiteral("ЛПУ Северное")));

        // Cancelling the title dialog prints nothing.
        zultest::OnDialog<TFormQues_Prn>([](TFormQues_Prn* d) { QTest::mouseClick(d->BtnCancel, Qt::LeftButton); });
        QVERIFY(!PrintEventReport(nullptr, ui, 4, h.data(), Rows(2), folder.toStdString()));
        QVERIFY(ui.messages.empty());
    }
};

QTEST_MAIN(EventPrintTest)
#include "event_print_test.moc"
