#include "measurements/MoistView.h"

#include "measurements/CompletenessView.h"
#include "measurements/TrendView.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTableView>

#include "events/EventReport.h"
#include "events/Ques_prn.h"
#include "events/ReportPainter.h"
#include "measurements/ChromView.h"
#include "measurements/MoistPrint.h"
#include "shell/Folders.h"
#include "shell/MessageBox.h"
#include "shell/QtUserInterface.h"

namespace zul {

namespace {

constexpr int kViewWidth = 720;
const int kWidths[kMoistColumns] = {78, 70, 80, 84, 92, 92, 92, 100};

QString FromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

}  // namespace

TMoistView::TMoistView(ChromTableKind kind, const ArchiveFileHeader& header, const std::vector<uint8_t>& records,
                       QWidget* parent)
    : TArchiveView(parent), kind_(kind), header_(header), records_(records) {
    const size_t count = std::min<size_t>(records.size() / size_t(ChromRecordSize(kind)), header.RecordCount());
    table_ = std::make_unique<MoistTable>(kind, header, records.data(), count);
    setWindowTitle(FromUtf8(table_->Caption()));
    QStringList headings;
    QVector<int> widths;
    for (int c = 0; c < kMoistColumns; ++c) {
        QStringList lines;
        for (const std::string& l : table_->Heading(c)) lines << FromUtf8(l);
        headings << lines.join('\n');
        widths << kWidths[c];
    }
    const MoistTable* t = table_.get();
    SetGrid(int(count), headings, widths, [t](int r, int c) { return FromUtf8(t->Cell(r, c)); });
    grid()->horizontalHeader()->setStretchLastSection(true);

    printButton_ = AddButton(QStringLiteral("Печать"));
    saveButton_ = AddButton(QStringLiteral("Сохранить в файле"));
    connect(printButton_, &QPushButton::clicked, this, &TMoistView::Print);
    connect(saveButton_, &QPushButton::clicked, this, &TMoistView::SaveFile);
    trendButton_ = AddTrendButton(*this, [t] { return TrendSource::Of(*t); });
    completenessLine_ = AddCompletenessControls(*this, CheckChromCompleteness(kind, header, records.data(), count)).line;

    // As wide as the columns but never wider than 720; as tall as the rows, within the screen less 60.
    setMaximumWidth(kViewWidth);
    FitHeight(kViewWidth, 60);
    if (count > 0) {
        grid()->selectRow(0);
        grid()->scrollToTop();
    }
    grid()->setFocus();
}

TMoistView::~TMoistView() = default;

void TMoistView::SaveFile() { SaveRecordsFile(*this, kind_, header_, records_.data(), table_->RecordCount()); }

void TMoistView::Print() {
    TFormQues_Prn question(MoistPrintKind(kind_), header_.bytes.data(), TitleIniPath(WorkFolderPath(kFolderIni)),
                           this);
    question.exec();
    if (!question.accepted()) return;
    QtUserInterface ui(this);
    ui.SetBusyCursor(true);
    const ReportDocument doc = BuildMoistReport(*table_, question.organisation());
    ui.SetBusyCursor(false);
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog preview(&printer, this);
    preview.setObjectName("MoistPrintPreview");
    bool failed = false;
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [&](QPrinter* p) { failed = failed || !PaintReport(doc, *p); });
    preview.exec();
    if (failed) ShowMessageBox(kMsgError, QStringLiteral("Ошибка печати данных"), QString(), this);
}

}  // namespace zul
