// The link with the flow computers (table 9).
#pragma once
#include "editors/EditorDialog.h"

class QRadioButton;

namespace zul {

class TFormConVich : public TFormEditor {
    Q_OBJECT
public:
    TFormConVich(uint8_t* table9, EditMode mode, UserInterface* ui = nullptr, QWidget* parent = nullptr);
    QComboBox* CbCount = nullptr;
    QComboBox* CbSpeed = nullptr;
    QComboBox* CbFailures = nullptr;
    QComboBox* CbTimeout = nullptr;
    QLineEdit* EdPreambles = nullptr;
    QRadioButton* RbMode[3] = {};

protected:
    bool Store(uint8_t* b) override;
};

}  // namespace zul
