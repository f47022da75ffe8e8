// One flow computer of the list: address, type, byte order, password, and
// which pipelines take gas parameters from which chromatograph line.
#pragma once
#include "editors/EditorDialog.h"
#include "editors/EditorRules.h"

class QCheckBox;
class QRadioButton;

namespace zul {

class TFormFlouPar : public TFormEditor {
    Q_OBJECT
public:
    // `record`: 20 bytes of the list; `number`: 1-based; `sou`: the record's SOU
    // flag (stored on acceptance); `lineMask`: bit 0 line 1, bit 1 line 2 in use.
    TFormFlouPar(uint8_t* record, int number, uint8_t* sou, int lineMask, UserInterface* ui = nullptr,
                 QWidget* parent = nullptr);
    bool passwordChanged() const { return passwordChanged_; }

    QComboBox* CbAddress = nullptr;
    QComboBox* CbType = nullptr;
    QComboBox* CbOrder = nullptr;
    QCheckBox* ChSou = nullptr;
    QLineEdit* EdPassword16 = nullptr;
    QLineEdit* EdCode = nullptr;
    QLineEdit* EdPassword12 = nullptr;
    QGroupBox* GbPipe[3] = {};
    QCheckBox* ChPipe[3] = {};
    QRadioButton* RbLine1[3] = {};
    QRadioButton* RbLine2[3] = {};

protected:
    bool Store(uint8_t* b) override;
    void Committed() override;

private:
    void TypeChosen(int type);
    void PipeTicked(int p, bool on);
    void ShowPassword();
    void TakePassword();
    int lineMask_;
    uint8_t* sou_;
    bool souNow_;
    uint8_t mask_;
    uint8_t password_[16];
    bool passwordChanged_ = false;
};

}  // namespace zul
