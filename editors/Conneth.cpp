#include "editors/Conneth.h"

#include <QLineEdit>

#include "editors/EditorRules.h"

namespace zul {

namespace {
constexpr int kPortDigits = 10;  // a 32-bit number
}

TFormConEth::TFormConEth(uint8_t* t, EditMode mode, UserInterface* ui, QWidget* parent)
    : TFormEditor("FormConEth", QStringLiteral(" Параметры связи по Ethernet"), t, 28, mode, ui, parent) {
    QGridLayout* grid = AddGrid();
    IpAddress = new TIpBox(this);
    IpMask = new TIpBox(this);
    IpGateway = new TIpBox(this);
    IpAddress->setObjectName("IpAddress");
    IpMask->setObjectName("IpMask");
    IpGateway->setObjectName("IpGateway");
    AddRow(grid, QStringLiteral("IP-адрес контроллера"), IpAddress);
    AddRow(grid, QStringLiteral("Маска подсети"), IpMask);
    AddRow(grid, QStringLiteral("Шлюз по умолчанию"), IpGateway);
    const char* const captions[4] = {"Порт соединения  ВРГ 1", "Порт соединения  ВРГ 2", "Порт соединения ЗУЛ 1",
                                     "Порт соединения ЗУЛ 2"};
    for (int i = 0; i < 4; ++i) {
        EdPort[i] = DigitsBox(kPortDigits, this);
        EdPort[i]->setObjectName(QStringLiteral("EdPort%1").arg(i));
        AddRow(grid, QString::fromUtf8(captions[i]), EdPort[i]);
        EdPort[i]->setText(QString::number(GetU32(t + 12 + 4 * i)));
    }
    IpAddress->Load(t);
    IpMask->Load(t + 4);
    IpGateway->Load(t + 8);
}

bool TFormConEth::Store(uint8_t* b) {
    uint64_t port[4] = {};
    bool complete = IpAddress->Complete() && IpMask->Complete() && IpGateway->Complete();
    for (int i = 0; i < 4; ++i) complete = complete && NumberOf(EdPort[i]->text(), &port[i]);
    if (!complete) return Refuse("Введены не все параметры");
    for (const TIpBox* ip : {IpAddress, IpMask, IpGateway})
        if (QLineEdit* octet = ip->OutOfRange())
            return Refuse(octet, "Поле IP-адреса вне допустимого диапазона", "(0...255)");
    // Ten digits can exceed the field: such a port is refused, not cut.
    for (int i = 0; i < 4; ++i)
        if (port[i] > UINT32_MAX) return Refuse(EdPort[i], "Номер порта должен быть", "в диапазоне 0...4294967295");
    IpAddress->Store(b);
    IpMask->Store(b + 4);
    IpGateway->Store(b + 8);
    for (int i = 0; i < 4; ++i) PutU32(b + 12 + 4 * i, uint32_t(port[i]));
    return true;
}

}  // namespace zul
