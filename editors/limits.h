// The per-parameter values of tables 22-26 (five kinds), checked against the
// range of each row.
#pragma once
#include "editors/EditorDialog.h"

namespace zul {

class TFormLimits : public TFormEditor {
    Q_OBJECT
public:
    // `table`: the 20 floats of table 22 + kind; `table1`: the parameter records
    // (names and units); n rows are shown and stored.
    TFormLimits(uint8_t* table, EditMode mode, int kind, int n, const uint8_t* table1, UserInterface* ui = nullptr,
                QWidget* parent = nullptr);
    static QString Caption(int kind);
    QLineEdit* EdName[20] = {};
    QLineEdit* EdRange[20] = {};
    QLineEdit* EdValue[20] = {};

protected:
    bool Store(uint8_t* b) override;

private:
    int kind_, n_;
    QString shown_[20];  // texts as first shown: untouched, the stored float stays bit for bit
};

}  // namespace zul
