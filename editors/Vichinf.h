// The state of the exchange with each flow computer: address, link, writing.
#pragma once
#include <cstdint>

#include <QDialog>

class QPushButton;
class QTableWidget;

namespace zul {

class TFormVichInf : public QDialog {
    Q_OBJECT
public:
    // `record`: 16 addresses (table 18), 16 link flags (table 34), 16 writing
    // flags (table 35); k rows are shown.
    TFormVichInf(const uint8_t* record, int k, QWidget* parent = nullptr);
    QTableWidget* Grid = nullptr;
    QPushButton* BtnExit = nullptr;
};

}  // namespace zul
