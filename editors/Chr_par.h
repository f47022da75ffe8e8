// One gas-parameter record of table 1 (64 bytes), on a private copy.
#pragma once
#include "editors/EditorDialog.h"

namespace zul {

class TForm_Chr_Par : public TFormEditor {
    Q_OBJECT
public:
    TForm_Chr_Par(uint8_t* record, UserInterface* ui = nullptr, QWidget* parent = nullptr);
    QLineEdit* EdName = nullptr;
    QLineEdit* EdDesignation = nullptr;
    QComboBox* CbType = nullptr;
    QComboBox* CbUnit = nullptr;
    QComboBox* CbDecimals = nullptr;
    QLineEdit* EdMin = nullptr;
    QLineEdit* EdMax = nullptr;
    QLineEdit* EdRegister = nullptr;

protected:
    bool Store(uint8_t* b) override;

private:
    void ShowRange();
    float min_ = 0, max_ = 0;
};

}  // namespace zul
