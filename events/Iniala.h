// The diagnostic-message viewer TFormAla: one grid row per message (date, time,
// event, object or cause, value, set-point, unit), the status line of records with
// a bad check, "Сохранить в файле" (.ala), "Печать" and "Выход".
//
//   DiagnosticView v = DiagnosticViewFromRecords(kViewByIndex, header, records, first, image);
//   TFormAla f(std::move(v), alaFolder, this);
//   f.exec();
//
// NAlaPrnClick's file opening is OpenDiagnosticFile() below.
#pragma once
#include "events/ArchiveView.h"
#include "events/DiagnosticFile.h"

class QLabel;

namespace zul {

class TFormAla : public TArchiveView {
    Q_OBJECT
public:
    static constexpr int kWidth = 1092;
    TFormAla(DiagnosticView view, QString alaFolder, QWidget* parent = nullptr);
    const DiagnosticView& view() const { return view_; }
    QPushButton* saveButton() const { return save_; }
    QPushButton* printButton() const { return print_; }
    // The completeness line under the grid (its window behind "Полнота данных").
    QLabel* completenessLine() const { return completenessLine_; }

    void Save();
    void Print();

private:
    QString Cell(int row, int column) const;

    DiagnosticView view_;
    QString folder_;
    QPushButton* save_;
    QLabel* completenessLine_ = nullptr;
    QPushButton* print_;
    mutable int cachedRow_ = -1;
    mutable DiagnosticRow cached_;
};

// "Просмотр/Печать из файла": the open dialog in `alaFolder`, then ShowDiagnosticFile.
void OpenDiagnosticFile(const TableImage& image, const QString& alaFolder, QWidget* parent);
// The checks of a chosen file, the refusal messages, the viewer.
void ShowDiagnosticFile(const QString& path, const TableImage& image, const QString& alaFolder, QWidget* parent);

}  // namespace zul
