// Whether each gas parameter is written into the flow computers (table 21).
#pragma once
#include "editors/EditorDialog.h"

namespace zul {

class TFormPrzDistr : public TFormEditor {
    Q_OBJECT
public:
    TFormPrzDistr(uint8_t* table21, EditMode mode, int n, const uint8_t* table1, UserInterface* ui = nullptr,
                  QWidget* parent = nullptr);
    QComboBox* CbWrite[20] = {};

protected:
    bool Store(uint8_t* b) override;

private:
    int n_;
};

}  // namespace zul
