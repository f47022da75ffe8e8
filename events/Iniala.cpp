#include "events/Iniala.h"

#include <QLabel>
#include <QPushButton>
#include <QTableView>

#include "events/EventReport.h"
#include "events/Prnarhiv.h"
#include "measurements/Completeness.h"
#include "measurements/CompletenessView.h"
#include "shell/MessageBox.h"
#include "shell/QtUserInterface.h"
#include "shell/UserInterface.h"

namespace zul {

TFormAla::TFormAla(DiagnosticView view, QString alaFolder, QWidget* parent)
    : TArchiveView(parent), view_(std::move(view)), folder_(std::move(alaFolder)) {
    setObjectName("FormAla");
    setWindowTitle(QString::fromStdString(view_.Caption()));
    const QString message = QStringLiteral("Сообщение\n");
    SetGrid(int(view_.RowCount()),
            {QString(), QStringLiteral("Дата"), QStringLiteral("Время"), message + QStringLiteral("Событие"),
             message + QStringLiteral("Объект / Причина"), QStringLiteral("Текущее\nзначение\nпарам."),
             QStringLiteral("Знач.\nуставки"), QStringLiteral("Единица\nизмер.")},
            {4, 72, 73, 268, 382, 85, 85, 85}, [this](int r, int c) { return Cell(r, c); });
    SetStatusText(QString::fromStdString(view_.StatusText()));
    save_ = AddButton(QStringLiteral("Сохранить в файле"));
    print_ = AddButton(QStringLiteral("Печать"));
    completenessLine_ = AddCompletenessControls(*this, view_.Completeness()).line;
    connect(save_, &QPushButton::clicked, this, &TFormAla::Save);
    connect(print_, &QPushButton::clicked, this, &TFormAla::Print);
    FitHeight(kWidth, 60);
    SelectRow(-1);
}

QString TFormAla::Cell(int row, int column) const {
    if (column <= 0 || column >= kDiagnosticColumns) return {};
    if (row != cachedRow_) {
        cached_ = view_.Row(uint32_t(row));
        cachedRow_ = row;
    }
    return QString::fromStdString(cached_.cells[size_t(column)]);
}

void TFormAla::Save() {
    SaveToFile({folder_, QStringLiteral("DataFiles (*.ala)|*.ala"),
                QString::fromStdString(DiagnosticPresetName(folder_.toStdString(), view_)), QStringLiteral(".ala"),
                [this] { return DiagnosticFileBytes(view_); }});
}

void TFormAla::Print() {
    QtUserInterface ui(this);
    PrintEventReport(this, ui, kPrintDiagnostics, view_.header.bytes.data(), view_.GridRows(), folder_.toStdString());
}

void OpenDiagnosticFile(const TableImage& image, const QString& alaFolder, QWidget* parent) {
    const QString path = ChooseArchiveFile(parent, alaFolder, QStringLiteral("DataFiles(*.ala)|*.ala"));
    if (!path.isEmpty()) ShowDiagnosticFile(path, image, alaFolder, parent);
}

void ShowDiagnosticFile(const QString& path, const TableImage& image, const QString& alaFolder, QWidget* parent) {
    DiagnosticView view;
    switch (ReadDiagnosticFile(path.toStdString(), image, view)) {
    case ArchiveFileStatus::kCannotOpen:
        ShowMessageBox(kMsgError, QStringLiteral("Ошибка открытия файла"), QString(), parent);
        return;
    case ArchiveFileStatus::kRefused:
        ShowMessageBox(kMsgError, RefusalLine(path), QString::fromUtf8(kDiagnosticRefusal2), parent);
        return;
    case ArchiveFileStatus::kOk:
        break;
    }
    TFormAla form(std::move(view), alaFolder, parent);
    form.exec();
}

}  // namespace zul
