#include "editors/Syspar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace zul {

TFormSys::TFormSys(uint8_t* t, EditMode mode, UserInterface* ui, QWidget* parent)
    : TFormEditor("FormSys", QStringLiteral("Системные параметры контроллера"), t, 12, mode, ui, parent) {
    ChChrom = new QCheckBox(QStringLiteral("Наличие подключенного хроматографа"), this);
    ChMoist = new QCheckBox(QStringLiteral("Наличие подключенного влагомера"), this);
    ChFlow = new QCheckBox(QStringLiteral("Наличие подключенных ВРГ"), this);
    ChChrom->setObjectName("ChChrom");
    ChMoist->setObjectName("ChMoist");
    ChFlow->setObjectName("ChFlow");
    for (QCheckBox* c : {ChChrom, ChMoist, ChFlow}) body()->addWidget(c);
    QGridLayout* grid = AddGrid();
    CbContractHour = TextList(QStringList(), this);
    CbContractHour->setObjectName("CbContractHour");
    for (int h = 0; h < 24; ++h) CbContractHour->addItem(QStringLiteral("%1:00").arg(h));
    AddRow(grid, QStringLiteral("Контрактный час"), CbContractHour);
    auto* rules = new QHBoxLayout;
    Summer = new TRuleBox(false, this);
    Winter = new TRuleBox(true, this);
    rules->addWidget(Summer);
    rules->addWidget(Winter);
    body()->addLayout(rules);

    ChChrom->setChecked(true);
    ChChrom->setEnabled(false);
    ChMoist->setChecked(t[8] != 0);
    ChFlow->setChecked(t[9] != 0);
    SelectItem(CbContractHour, t[6]);
    Summer->Load(t);
    Winter->Load(t + 3);
}

bool TFormSys::Store(uint8_t* b) {
    if (CbContractHour->currentIndex() < 0) return Refuse("Введены не все параметры");
    Summer->Store(b);
    Winter->Store(b + 3);
    b[6] = uint8_t(CbContractHour->currentIndex());
    b[7] = 1;
    b[8] = ChMoist->isChecked() ? 1 : 0;
    b[9] = ChFlow->isChecked() ? 1 : 0;
    return true;
}

}  // namespace zul
