#include "editors/Connwmt.h"

#include <QComboBox>

namespace zul {

TFormConWMT::TFormConWMT(uint8_t* t, EditMode mode, UserInterface* ui, QWidget* parent)
    : TFormEditor("FormConWMT", QStringLiteral(" Параметры связи с влагомером"), t, 8, mode, ui, parent) {
    QGridLayout* grid = AddGrid();
    CbAddress = NumberList(1, 247, true, this);
    CbSpeed = SpeedList(this);
    CbMode = TextList({" ASCII", " RTU"}, this);
    CbTimeout = NumberList(5, 255, true, this);
    CbFailures = NumberList(1, 10, false, this);
    CbType = TextList({"ZEGAZ 5000", "ФОГ-3Г", "TOPOC"}, this);
    CbAddress->setObjectName("CbAddress");
    CbSpeed->setObjectName("CbSpeed");
    CbMode->setObjectName("CbMode");
    CbTimeout->setObjectName("CbTimeout");
    CbFailures->setObjectName("CbFailures");
    CbType->setObjectName("CbType");
    AddRow(grid, QStringLiteral("Адрес влагомера"), CbAddress);
    AddRow(grid, QStringLiteral("Скорость обмена"), CbSpeed);
    AddRow(grid, QStringLiteral("Режим обмена MODBUS протокола"), CbMode);
    AddRow(grid, QStringLiteral("Таймаут ожидания ответа  от влагомера"), CbTimeout, QStringLiteral("сс"));
    AddRow(grid, QStringLiteral("Кол. неудачных опросов влагомера\nподряд, после которого создается\n"
                                "диагностическое сообщение"),
           CbFailures);
    AddRow(grid, QStringLiteral("Тип влагомера"), CbType);
    CbAddress->setEditText(QString::number(t[0]));
    SelectItem(CbSpeed, t[1]);
    SelectItem(CbMode, t[2]);
    CbTimeout->setEditText(QString::number(t[4]));
    SelectItem(CbFailures, t[5] - 1);
    SelectItem(CbType, t[6]);
}

bool TFormConWMT::Store(uint8_t* b) {
    uint64_t address = 0, timeout = 0;
    if (!NumberOf(CbAddress->currentText(), &address) || CbMode->currentIndex() < 0 ||
        !NumberOf(CbTimeout->currentText(), &timeout) || CbFailures->currentIndex() < 0 ||
        CbType->currentIndex() < 0 || CbSpeed->currentIndex() < 0)
        return Refuse("Введены не все параметры");
    if (address < 1 || address > 247) return Refuse(CbAddress, "Адрес должен быть", "в диапазоне 1...247");
    if (timeout < 5 || timeout > 255) return Refuse(CbTimeout, "Таймаут должен быть", "в диапазоне 5...255");
    b[0] = uint8_t(address);
    b[1] = uint8_t(CbSpeed->currentIndex());
    b[2] = uint8_t(CbMode->currentIndex());
    b[3] = 0;
    b[4] = uint8_t(timeout);
    b[5] = uint8_t(CbFailures->currentIndex() + 1);
    b[6] = uint8_t(CbType->currentIndex());
    b[7] = 0;
    return true;
}

}  // namespace zul
