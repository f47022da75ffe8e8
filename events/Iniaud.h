// The intervention-message viewer TFormAud: one grid row per change an operator
// made (date, time, changed field, old and new value, unit, operator), the status
// line of records with a bad check, "Сохранить в файле" (.aud), "Печать" and "Выход".
//
//   InterventionView v = InterventionViewFromRecords(kViewByIndex, header, records, first, image);
//   TFormAud f(std::move(v), audFolder, this);
//   f.exec();
#pragma once
#include "events/ArchiveView.h"
#include "events/InterventionFile.h"

class QLabel;

namespace zul {

class TFormAud : public TArchiveView {
    Q_OBJECT
public:
    static constexpr int kWidth = 854;
    TFormAud(InterventionView view, QString audFolder, QWidget* parent = nullptr);
    const InterventionView& view() const { return view_; }
    QPushButton* saveButton() const { return save_; }
    QPushButton* printButton() const { return print_; }
    // The completeness line under the grid (its window behind "Полнота данных").
    QLabel* completenessLine() const { return completenessLine_; }

    void Save();
    void Print();

private:
    InterventionView view_;
    QString folder_;
    QPushButton* save_;
    QLabel* completenessLine_ = nullptr;
    QPushButton* print_;
};

// "Просмотр/Печать из файла": the open dialog in `audFolder`, the checks, the viewer.
void OpenInterventionFile(const TableImage& image, const QString& audFolder, QWidget* parent);
// The checks and the viewer for a file already chosen.
void ShowInterventionFile(const TableImage& image, const QString& path, const QString& audFolder, QWidget* parent);

}  // namespace zul
