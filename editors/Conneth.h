// The Ethernet settings of table 29: three addresses and four ports.
#pragma once
#include "editors/EditorDialog.h"

namespace zul {

class TFormConEth : public TFormEditor {
    Q_OBJECT
public:
    TFormConEth(uint8_t* table29, EditMode mode, UserInterface* ui = nullptr, QWidget* parent = nullptr);
    TIpBox* IpAddress = nullptr;
    TIpBox* IpMask = nullptr;
    TIpBox* IpGateway = nullptr;
    QLineEdit* EdPort[4] = {};

protected:
    bool Store(uint8_t* b) override;
};

}  // namespace zul
