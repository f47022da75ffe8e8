// The system parameters of table 6: connected devices, contract hour and the
// summer/winter-time rules. Fields 10 and 11 are left as they are.
#pragma once
#include "editors/EditorDialog.h"

class QCheckBox;

namespace zul {

class TFormSys : public TFormEditor {
    Q_OBJECT
public:
    TFormSys(uint8_t* table6, EditMode mode, UserInterface* ui = nullptr, QWidget* parent = nullptr);
    QCheckBox* ChChrom = nullptr;
    QCheckBox* ChMoist = nullptr;
    QCheckBox* ChFlow = nullptr;
    QComboBox* CbContractHour = nullptr;
    TRuleBox* Summer = nullptr;
    TRuleBox* Winter = nullptr;

protected:
    bool Store(uint8_t* b) override;
};

}  // namespace zul
