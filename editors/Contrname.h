// The names of table 5: the controller and line 1 (the chromatograph line).
// The name of line 2 (field 2) is not shown and kept as it was.
#pragma once
#include "editors/EditorDialog.h"

namespace zul {

class TFormContrName : public TFormEditor {
    Q_OBJECT
public:
    // `table5`: the three 20-byte names in code page 1251.
    TFormContrName(uint8_t* table5, EditMode mode, UserInterface* ui = nullptr, QWidget* parent = nullptr);
    QLineEdit* EdName = nullptr;
    QLineEdit* EdLine = nullptr;

protected:
    bool Store(uint8_t* b) override;
};

}  // namespace zul
