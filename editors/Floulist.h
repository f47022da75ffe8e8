// The list of flow computers: one row per record, add, change, delete. Edits a
// FlowList (editors/EditorRules.h) given as bytes.
#pragma once
#include "editors/EditorDialog.h"
#include "editors/EditorRules.h"

class QTableWidget;

namespace zul {

class TFormFlouList : public TFormEditor {
    Q_OBJECT
public:
    // `lineMask`: the chromatograph lines in use (table 14 field 7).
    TFormFlouList(FlowList* list, EditMode mode, int lineMask, UserInterface* ui = nullptr,
                  QWidget* parent = nullptr);
    QTableWidget* Grid = nullptr;
    QPushButton* BtnAdd = nullptr;
    QPushButton* BtnChange = nullptr;
    QPushButton* BtnDelete = nullptr;

protected:
    bool Store(uint8_t* b) override;

private slots:
    void AddClick();
    void ChangeClick();
    void DeleteClick();

private:
    void ShowRows(int select);
    int lineMask_;
    FlowList work_;
};

}  // namespace zul
