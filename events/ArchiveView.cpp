#include "events/ArchiveView.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QScreen>
#include <QTableView>
#include <QVBoxLayout>

#include "shell/Desktop.h"
#include "shell/MessageBox.h"
#include "shell/QtUserInterface.h"
#include "link/IniFile.h"
#include "shell/UserInterface.h"
#include "tables/ArchiveFile.h"

namespace zul {

namespace {
constexpr int kRowHeight = 18;
constexpr int kHeadingMargin = 12;  // a heading section's padding and borders
}

void ArchiveRowsModel::Reset(int rows, QStringList headings, CellFn cell) {
    beginResetModel();
    rows_ = rows;
    headings_ = std::move(headings);
    cell_ = std::move(cell);
    endResetModel();
}

QVariant ArchiveRowsModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || !cell_) return {};
    return cell_(index.row(), index.column());
}

QVariant ArchiveRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= headings_.size())
        return {};
    return headings_[section];
}

TArchiveView::TArchiveView(QWidget* parent) : QDialog(parent) {
    setModal(true);
    main_ = new QVBoxLayout(this);
    main_->setContentsMargins(4, 4, 4, 4);
    model_ = new ArchiveRowsModel(this);
    grid_ = new QTableView(this);
    grid_->setObjectName("grid");
    grid_->setModel(model_);
    grid_->verticalHeader()->hide();
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->setDefaultSectionSize(kRowHeight);
    grid_->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);  // on a screen narrower than the viewer
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setWordWrap(false);
    main_->addWidget(grid_, 1);
    status_ = new QLabel(this);
    status_->setObjectName("status");
    status_->setFrameShape(QFrame::Panel);
    status_->setFrameShadow(QFrame::Sunken);
    main_->addWidget(status_);
    buttons_ = new QHBoxLayout;
    buttons_->addStretch(1);
    exit_ = new QPushButton(QStringLiteral("Выход"), this);
    exit_->setObjectName("exit");
    buttons_->addWidget(exit_);
    main_->addLayout(buttons_);
    connect(exit_, &QPushButton::clicked, this, &QDialog::accept);
}

QPushButton* TArchiveView::AddButton(const QString& text) {
    auto* b = new QPushButton(text, this);
    b->setAutoDefault(false);
    buttons_->insertWidget(buttons_->count() - 1, b);
    return b;
}

void TArchiveView::SetGrid(int rows, const QStringList& headings, const QVector<int>& widths,
                           ArchiveRowsModel::CellFn cell) {
    model_->Reset(std::min(rows, kMaxRows), headings, std::move(cell));
    // A column is never narrower than its heading (each line of it, with the section's margins).
    const QFontMetrics metrics(grid_->horizontalHeader()->font());
    for (int c = 0; c < widths.size(); ++c) {
        int heading = 0;
        if (c < headings.size())
            for (const QString& line : headings[c].split('\n'))
                heading = std::max(heading, metrics.horizontalAdvance(line) + kHeadingMargin);
        grid_->setColumnWidth(c, std::max(widths[c], heading));
    }
}

void TArchiveView::SetStatusText(const QString& text) { status_->setText(text); }

void TArchiveView::SelectRow(int row) {
    if (row < 0) row = model_->rowCount() - 1;
    if (row >= 0) {
        grid_->selectRow(row);
        grid_->scrollTo(model_->index(row, 0));
    }
    exit_->setFocus();
}

void TArchiveView::FitHeight(int width, int margin) {
    // Everything but the rows: the headings, the grid's frame, and the rest of the
    // column (legends, status panel, buttons, margins and spacing) as laid out.
    const int rest = main_->sizeHint().height() - grid_->sizeHint().height();
    int chrome = rest + grid_->horizontalHeader()->sizeHint().height() + 2 * grid_->frameWidth();
    // Columns wider than the window (or the screen) take a scroll bar's height too.
    int columns = 2 * grid_->frameWidth();
    for (int c = 0; c < model_->columnCount(); ++c) columns += grid_->columnWidth(c);
    if (columns > std::min(width, RoomOnScreen(this).width()) - main_->contentsMargins().left() -
                      main_->contentsMargins().right())
        chrome += grid_->horizontalScrollBar()->sizeHint().height();
    int rowsShown = model_->rowCount();
    const QScreen* s = QGuiApplication::primaryScreen();
    const int limit = s ? s->availableGeometry().height() - margin : 800;
    while (rowsShown > 1 && chrome + rowsShown * kRowHeight > limit) --rowsShown;
    resize(width, chrome + std::max(rowsShown, 1) * kRowHeight);
}

QString TArchiveView::ChooseSaveName(const SaveFileRequest& r) {
    QString name = r.presetName;
    for (;;) {
        QFileDialog dialog(this, QStringLiteral("Введите имя файла для сохранения данных"), r.folder,
                           QtFilter(r.filter));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        dialog.selectFile(name);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
        name = QString::fromStdString(
            WithExtension(dialog.selectedFiles().first().toStdString(), r.extension.toStdString()));
        if (!QFileInfo::exists(name)) return name;
        if (ShowMessageBox(kMsgQuestion, QStringLiteral("Файл %1 уже есть.").arg(QFileInfo(name).fileName()),
                           QStringLiteral("Вы хотите заменить существующий файл?"), this))
            return name;
    }
}

bool TArchiveView::SaveToFile(const SaveFileRequest& r) {
    const QString name = ChooseSaveName(r);
    if (name.isEmpty()) return false;
    bool ok;
    {
        QtUserInterface ui(this);
        Hourglass h(ui);
        ok = WriteFileAtomically(name.toStdString(), r.bytes());
    }
    if (!ok) {
        ShowMessageBox(kMsgError, QStringLiteral("Ошибка открытия файла"), QString(), this);
        return false;
    }
    lastSaved_ = name;
    ShowMessageBox(kMsgPlain, QStringLiteral("Данные сохранены в файле %1.").arg(QFileInfo(name).fileName()),
                   QString(), this);
    return true;
}

QString QtFilter(const QString& filter) {
    const int bar = filter.indexOf('|');
    return bar < 0 ? filter : filter.left(bar);
}

QString ChooseArchiveFile(QWidget* parent, const QString& folder, const QString& filter) {
    QFileDialog dialog(parent, QStringLiteral("Выберите файл с данными"), folder, QtFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

QString RefusalLine(const QString& path) {
    return QStringLiteral("Файл %1 не является файлом, содержащим").arg(QFileInfo(path).fileName());
}

}  // namespace zul
