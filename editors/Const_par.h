// The constants that replace measured gas parameters: a 100-byte record of
// 20 flags (table 43) followed by 20 floats (table 44).
#pragma once
#include "editors/EditorDialog.h"

class QCheckBox;

namespace zul {

class TFormConst_Par : public TFormEditor {
    Q_OBJECT
public:
    TFormConst_Par(uint8_t* record, EditMode mode, int n, const uint8_t* table1, UserInterface* ui = nullptr,
                   QWidget* parent = nullptr);
    QLineEdit* EdValue[20] = {};
    QCheckBox* ChConst[20] = {};

protected:
    bool Store(uint8_t* b) override;

private:
    int n_;
    const uint8_t* table1_;
    QString shown_[20];  // texts as first shown: untouched, the stored float stays bit for bit
};

}  // namespace zul
