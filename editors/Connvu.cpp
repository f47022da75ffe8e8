#include "editors/Connvu.h"

#include <QComboBox>
#include <QLineEdit>

namespace zul {

TFormConVU::TFormConVU(uint8_t* t3, EditMode mode, bool speedChangeable, UserInterface* ui, QWidget* parent)
    : TFormEditor("FormConVU", QStringLiteral(" Параметры связи с верхним уровнем "), t3, 4, mode, ui, parent) {
    QGridLayout* grid = AddGrid();
    CbAddress = NumberList(1, 254, true, this);
    CbAddress->setObjectName("CbAddress");
    CbSpeed = SpeedList(this);
    CbSpeed->setObjectName("CbSpeed");
    EdPreambles = DigitsBox(3, this);
    EdPreambles->setObjectName("EdPreambles");
    AddRow(grid, QStringLiteral("Адрес контроллера"), CbAddress);
    AddRow(grid, QStringLiteral("Скорость обмена"), CbSpeed);
    AddRow(grid, QStringLiteral("Кол. преамбул  при ответе ВУ"), EdPreambles, QStringLiteral("(  0 - 255 ) "));
    CbSpeed->setEnabled(mode == kFileMode || speedChangeable);
    CbAddress->setEditText(QString::number(t3[0]));
    SelectItem(CbSpeed, t3[1]);
    EdPreambles->setText(QString::number(t3[2]));
}

bool TFormConVU::Store(uint8_t* b) {
    uint64_t address = 0, preambles = 0;
    if (!NumberOf(CbAddress->currentText(), &address) || (CbSpeed->isEnabled() && CbSpeed->currentIndex() < 0) ||
        !NumberOf(EdPreambles->text(), &preambles))
        return Refuse("Введены не все параметры");
    if (preambles >= 256) return Refuse(EdPreambles, "Количество преамбул не должно превышать 255");
    if (address < 1 || address > 254) return Refuse(CbAddress, "Адрес должен быть", "в диапазоне 1...254");
    b[0] = uint8_t(address);
    b[2] = uint8_t(preambles);
    if (CbSpeed->isEnabled()) b[1] = uint8_t(CbSpeed->currentIndex());
    b[3] = 0;
    return true;
}

}  // namespace zul
