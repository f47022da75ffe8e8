// The link with the moisture meter (table 15).
#pragma once
#include "editors/EditorDialog.h"

namespace zul {

class TFormConWMT : public TFormEditor {
    Q_OBJECT
public:
    TFormConWMT(uint8_t* table15, EditMode mode, UserInterface* ui = nullptr, QWidget* parent = nullptr);
    QComboBox* CbAddress = nullptr;
    QComboBox* CbSpeed = nullptr;
    QComboBox* CbMode = nullptr;
    QComboBox* CbTimeout = nullptr;
    QComboBox* CbFailures = nullptr;
    QComboBox* CbType = nullptr;

protected:
    bool Store(uint8_t* b) override;
};

}  // namespace zul
