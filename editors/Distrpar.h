// The period of writing hourly averages into the flow computers (table 28).
#pragma once
#include "editors/EditorDialog.h"

namespace zul {

class TFormDistr : public TFormEditor {
    Q_OBJECT
public:
    TFormDistr(uint8_t* table28, EditMode mode, UserInterface* ui = nullptr, QWidget* parent = nullptr);
    QComboBox* CbPeriod = nullptr;

protected:
    bool Store(uint8_t* b) override;
};

}  // namespace zul
