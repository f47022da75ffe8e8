// The controller's MAC address (table 40), read-only.
#pragma once
#include <cstdint>

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace zul {

class TFormMac_Adr : public QDialog {
    Q_OBJECT
public:
    TFormMac_Adr(const uint8_t* table40, QWidget* parent = nullptr);
    QLineEdit* EdMac = nullptr;
    QPushButton* BtnOk = nullptr;
};

}  // namespace zul
