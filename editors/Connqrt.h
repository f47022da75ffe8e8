// The link with the chromatograph (table 14) and, through its parameter-list
// button, the gas parameters of table 1. Fields 8, 9, 12 and 13 of table 14
// (time synchronisation and unused) are left as they are.
#pragma once
#include <vector>

#include "editors/EditorDialog.h"

namespace zul {

class TFormConQRT : public TFormEditor {
    Q_OBJECT
public:
    // `flowAddresses`: addresses of the `flowCount` connected flow computers (0: none);
    // `table1`: the 20 records of table 1, changed only when the dialog is accepted.
    TFormConQRT(uint8_t* table14, EditMode mode, int flowCount, const uint8_t* flowAddresses, uint8_t* table1,
                UserInterface* ui = nullptr, QWidget* parent = nullptr);
    QComboBox* CbType = nullptr;
    QComboBox* CbCount = nullptr;
    QPushButton* BtnParams = nullptr;
    QComboBox* CbAddress = nullptr;
    QComboBox* CbSpeed = nullptr;
    QComboBox* CbMode = nullptr;
    QComboBox* CbTimeout = nullptr;
    QComboBox* CbFailures = nullptr;
    QComboBox* CbParity = nullptr;
    QGroupBox* GbTemperature = nullptr;
    QComboBox* CbFlowIndex = nullptr;
    QComboBox* CbLine = nullptr;
    QLineEdit* EdCycle = nullptr;

protected:
    bool Store(uint8_t* b) override;
    void Committed() override;

private slots:
    void ParamsClick();

private:
    int flowCount_;
    uint8_t* table1_;
    std::vector<uint8_t> params_;  // table 1 as the list editor left it
};

}  // namespace zul
