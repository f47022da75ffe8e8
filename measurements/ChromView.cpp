#include "measurements/ChromView.h"

#include <QApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QVBoxLayout>

#include "events/Chromerr.h"
#include "measurements/ChromFetch.h"
#include "measurements/CompletenessView.h"
#include "measurements/MoistView.h"
#include "measurements/TrendView.h"
#include "measurements/XlsxExport.h"
#include "shell/Folders.h"
#include "shell/MessageBox.h"
#include "shell/QtUserInterface.h"
#include "shell/Wait.h"
#include "tables/ArchiveFile.h"

namespace zul {

namespace {

constexpr int kDateWidth = 70;
constexpr int kValueWidth = 78;

WorkFolder FolderOf(ChromTableKind kind) {
    switch (ChromTwin(kind)) {
    case kChromHourly: return kFolderHourData;
    case kChromDaily: return kFolderDayData;
    case kChromCalibration: return kFolderCalibrArhiv;
    default: return kFolderMomData;
    }
}

QString FileFilter(ChromTableKind kind) {
    const QString ext = QString::fromLatin1(ChromFileExtension(kind) + 1);
    return QStringLiteral("DataFiles (*.%1)|*.%1").arg(ext);
}

QString FromUtf8(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

}  // namespace

TChromView::TChromView(ChromTableKind kind, const ArchiveFileHeader& header, const std::vector<uint8_t>& records,
                       QWidget* parent)
    : TArchiveView(parent), kind_(kind), header_(header), records_(records) {
    const size_t size = size_t(ChromRecordSize(kind));
    const size_t count = std::min<size_t>(records.size() / size, header.RecordCount());
    table_ = std::make_unique<ChromTable>(kind, header, records.data(), count);
    const ChromTable& t = *table_;
    setWindowTitle(FromUtf8(t.Caption()));

    QStringList headings;
    QVector<int> widths;
    if (kind == kChromCalibration) {
        headings = {QStringLiteral("Дата"), QStringLiteral("Время"), QStringLiteral("Качество\nкалибровки"),
                    QStringLiteral("Признаки\nстатуса хроматографа")};
        widths = {75, 74, 144, 176};
    } else {
        for (int c = 0; c < t.Columns(); ++c) {
            headings << FromUtf8(t.Cell(0, c)) + "\n" + FromUtf8(t.Cell(1, c));
            widths << (c < t.FirstValueColumn() ? kDateWidth : kValueWidth);
        }
    }
    const int fixed = t.FixedRows();
    const ChromTable* table = table_.get();
    SetGrid(int(count), headings, widths,
            [table, fixed](int r, int c) { return FromUtf8(table->Cell(r + fixed, c)); });
    grid()->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    if (kind == kChromMeasurement) {
        legend_ = new QLabel(QStringLiteral(" Усл. обозначения:   * - значение в зоне ПУ   # - значение в зоне АУ   "
                                            "\" -  выполняется калибровка"),
                             this);
        legend_->setObjectName("legend");
        mainLayout()->insertWidget(mainLayout()->count() - 1, legend_);
    }
    completeness_ = CheckChromCompleteness(kind, header, records.data(), count);
    statusButton_ = AddButton(QStringLiteral("Признаки состояния"));
    if (kind != kChromCalibration) excelButton_ = AddButton(QStringLiteral("Сохранить в формате Excel"));
    saveButton_ = AddButton(QStringLiteral("Сохранить в файле"));
    // Shown as the calibration viewer has it, but not live: it prints nothing.
    if (kind == kChromCalibration) AddButton(QStringLiteral("Печать"))->setEnabled(false);
    connect(statusButton_, &QPushButton::clicked, this, &TChromView::ShowStatus);
    connect(grid(), &QTableView::doubleClicked, this, &TChromView::ShowStatus);
    if (excelButton_) connect(excelButton_, &QPushButton::clicked, this, &TChromView::SaveWorkbook);
    connect(saveButton_, &QPushButton::clicked, this, &TChromView::SaveFile);
    if (kind != kChromCalibration) trendButton_ = AddTrendButton(*this, [table] { return TrendSource::Of(*table); });
    const CompletenessControls c = AddCompletenessControls(*this, completeness_);
    completenessLine_ = c.line;
    completenessButton_ = c.button;

    int width = 24;
    for (int w : widths) width += w;
    const QScreen* s = QGuiApplication::primaryScreen();
    if (s) width = std::min(width, s->availableGeometry().width() - 10);
    FitHeight(width, kind == kChromCalibration ? 50 : 40);
    if (count > 0) {
        grid()->selectRow(0);
        grid()->scrollToTop();
    }
    grid()->setFocus();
}

TChromView::~TChromView() = default;

int TChromView::SelectedRecord() const {
    const QModelIndex i = grid()->currentIndex();
    if (!i.isValid() || i.row() < 0 || size_t(i.row()) >= table_->RecordCount()) return -1;
    return i.row();
}

void TChromView::ShowStatus() {
    const int i = SelectedRecord();
    if (i < 0) return;
    const uint8_t* r = table_->Record(size_t(i));
    const QString caption = FromUtf8(table_->StatusCaption(size_t(i)));
    uint8_t statusByte = 0, low = 0, high = 0;
    switch (kind_) {
    case kChromMeasurement: statusByte = r[7], low = r[8], high = r[9]; break;
    case kChromCalibration: low = r[6], high = r[7]; break;
    default: statusByte = r[9]; break;
    }
    TFormChromError f(table_->StatusMode(), statusByte, low, high, caption, this);
    f.exec();
}

void TChromView::SaveWorkbook() {
    const uint8_t* first = table_->RecordCount() ? table_->Record(0) : nullptr;
    const QString folder = QString::fromStdString(WorkFolderPath(FolderOf(kind_)));
    const QString preset =
        folder + "/" + QString::fromStdString(ChromWorkbookName(kind_, header_.Address(), first));
    // The proposed name repeats for reads that start on the same day: an existing
    // workbook is replaced only when the user says so.
    const QString chosen = ChooseSaveName({folder, QStringLiteral("DataFiles (*.xlsx)|*.xlsx"), preset, ".xlsx", {}});
    if (chosen.isEmpty()) return;
    const std::string path = chosen.toStdString();
    TFormWait wait(kWaitSpreadsheet, this);
    wait.show();
    QWidget* mainWindow = parentWidget() ? parentWidget()->window() : nullptr;
    if (mainWindow) mainWindow->setEnabled(false);
    QtUserInterface ui(this);
    ui.SetProgressBar(wait.progressBar());
    ExportChromTable(*table_, path, ui);
    CloseWaitWindow(&wait);
    if (mainWindow) mainWindow->setEnabled(true);
    // The viewer is still open and modal: it stays in front of the main window.
    raise();
    activateWindow();
}

void TChromView::SaveFile() { SaveRecordsFile(*this, kind_, header_, records_.data(), table_->RecordCount()); }

bool SaveRecordsFile(TArchiveView& view, ChromTableKind kind, const ArchiveFileHeader& header, const uint8_t* records,
                     size_t count) {
    const uint8_t* first = count ? records : nullptr;
    const QString folder = QString::fromStdString(WorkFolderPath(FolderOf(kind)));
    SaveFileRequest r;
    r.folder = folder;
    r.filter = FileFilter(kind);
    r.presetName = folder + "/" + QString::fromStdString(ChromFileName(kind, header.Address(), first));
    r.extension = QString::fromLatin1(ChromFileExtension(kind));
    r.bytes = [&] {
        // The header says how many records follow: those the viewer holds.
        ArchiveFileHeader h = header;
        h.SetRecordCount(uint32_t(count));
        std::string data(reinterpret_cast<const char*>(h.bytes.data()), h.bytes.size());
        data.append(reinterpret_cast<const char*>(records), count * size_t(ChromRecordSize(kind)));
        return data;
    };
    return view.SaveToFile(r);
}

bool OpenChromFile(ChromTableKind kind, const TableImage& image, const QString& given, QWidget* parent) {
    const QString folder = QString::fromStdString(WorkFolderPath(FolderOf(kind)));
    const QString path = given.isEmpty() ? ChooseArchiveFile(parent, folder, FileFilter(kind)) : given;
    if (path.isEmpty()) return false;
    ArchiveFileData data;
    switch (ReadArchiveFile(path.toStdString(), ChromArchiveKind(kind), image, ChromRecordSize(kind), data)) {
    case ArchiveFileStatus::kCannotOpen:
        ShowMessageBox(kMsgError, QStringLiteral("Ошибка открытия файла"), QString(), parent);
        return false;
    case ArchiveFileStatus::kRefused:
        ShowMessageBox(kMsgError, RefusalLine(path), QString::fromUtf8(ChromRefusalLine(kind)), parent);
        return false;
    case ArchiveFileStatus::kOk: break;
    }
    if (IsMoistKind(kind)) {
        TMoistView view(kind, data.header, data.rows, parent);
        view.exec();
    } else {
        TChromView view(kind, data.header, data.rows, parent);
        view.exec();
    }
    return true;
}

}  // namespace zul
