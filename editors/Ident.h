// The identification view of table 0: read-only rows and "Выход".
#pragma once
#include <cstdint>

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace zul {

class TFormIdent : public QDialog {
    Q_OBJECT
public:
    // `display`: 1 from the main menu; a configuration file gives its own flag
    // (0: only the type code and the software version are shown).
    TFormIdent(const uint8_t* table0, bool display, QWidget* parent = nullptr);
    QLabel* caption[9] = {};
    QLineEdit* value[9] = {};
    QPushButton* BtnExit = nullptr;
};

}  // namespace zul
