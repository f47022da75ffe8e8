#include "events/Iniaud.h"

#include <QPushButton>

#include "events/EventReport.h"
#include "events/Prnarhiv.h"
#include "measurements/Completeness.h"
#include "measurements/CompletenessView.h"
#include "shell/MessageBox.h"
#include "shell/QtUserInterface.h"

namespace zul {

TFormAud::TFormAud(InterventionView view, QString audFolder, QWidget* parent)
    : TArchiveView(parent), view_(std::move(view)), folder_(std::move(audFolder)) {
    setObjectName("FormAud");
    setWindowTitle(QString::fromStdString(view_.Caption()));
    SetGrid(int(view_.RowCount()),
            {QString(), QStringLiteral("Дата"), QStringLiteral("Время"),
             QStringLiteral("Наименование\nизмененного параметра"), QStringLiteral("Старое\nзначение"),
             QStringLiteral("Новое\nзначение"), QStringLiteral("Единица\nизмер."), QStringLiteral("Имя\nоператора")},
            {4, 78, 80, 310, 110, 109, 68, 65}, [this](int r, int c) {
                if (c <= 0 || c > kEventColumns || r < 0 || size_t(r) >= view_.rows.size()) return QString();
                return QString::fromStdString(view_.rows[size_t(r)][size_t(c - 1)]);
            });
    SetStatusText(QString::fromStdString(view_.StatusText()));
    save_ = AddButton(QStringLiteral("Сохранить в файле"));
    print_ = AddButton(QStringLiteral("Печать"));
    completenessLine_ = AddCompletenessControls(*this, view_.Completeness()).line;
    connect(save_, &QPushButton::clicked, this, &TFormAud::Save);
    connect(print_, &QPushButton::clicked, this, &TFormAud::Print);
    FitHeight(kWidth, 60);
    SelectRow(-1);
}

void TFormAud::Save() {
    SaveToFile({folder_, QStringLiteral("DataFiles (*.aud)|*.aud"),
                QString::fromStdString(InterventionPresetName(folder_.toStdString(), view_)), QStringLiteral(".aud"),
                [this] { return InterventionFileBytes(view_); }});
}

void TFormAud::Print() {
    QtUserInterface ui(this);
    PrintEventReport(this, ui, kPrintInterventions, view_.header.bytes.data(), view_.GridRows(),
                     folder_.toStdString());
}

void OpenInterventionFile(const TableImage& image, const QString& audFolder, QWidget* parent) {
    const QString path = ChooseArchiveFile(parent, audFolder, QStringLiteral("DataFiles(*.aud)|*.aud"));
    if (!path.isEmpty()) ShowInterventionFile(image, path, audFolder, parent);
}

void ShowInterventionFile(const TableImage& image, const QString& path, const QString& audFolder, QWidget* parent) {
    InterventionView view;
    switch (ReadInterventionFile(path.toStdString(), image, view)) {
    case ArchiveFileStatus::kCannotOpen:
        ShowMessageBox(kMsgError, QStringLiteral("Ошибка открытия файла"), QString(), parent);
        return;
    case ArchiveFileStatus::kRefused:
        ShowMessageBox(kMsgError, RefusalLine(path), QString::fromUtf8(kInterventionRefusal2), parent);
        return;
    case ArchiveFileStatus::kOk:
        break;
    }
    TFormAud form(std::move(view), audFolder, parent);
    form.exec();
}

}  // namespace zul
