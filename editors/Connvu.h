// The link with the upper level (table 3): address, speed, preambles.
#pragma once
#include "editors/EditorDialog.h"

namespace zul {

class TFormConVU : public TFormEditor {
    Q_OBJECT
public:
    // `speedChangeable`: in device mode only over a direct line to a controller
    // that supports several speeds; always in file mode.
    TFormConVU(uint8_t* table3, EditMode mode, bool speedChangeable, UserInterface* ui = nullptr,
               QWidget* parent = nullptr);
    QComboBox* CbAddress = nullptr;
    QComboBox* CbSpeed = nullptr;
    QLineEdit* EdPreambles = nullptr;

protected:
    bool Store(uint8_t* b) override;
};

}  // namespace zul
