#include "editors/Distrpar.h"

#include <QComboBox>

namespace zul {

namespace {
constexpr int kPeriods[] = {1, 2, 3, 4, 6, 12, 24};
}

TFormDistr::TFormDistr(uint8_t* t, EditMode mode, UserInterface* ui, QWidget* parent)
    : TFormEditor("FormDistr", QStringLiteral("Период записи средних за час значений параметров газа в ВРГ"), t, 2,
                  mode, ui, parent) {
    QGridLayout* grid = AddGrid();
    CbPeriod = TextList(QStringList(), this);
    CbPeriod->setObjectName("CbPeriod");
    int chosen = -1;
    for (int i = 0; i < int(std::size(kPeriods)); ++i) {
        CbPeriod->addItem(QStringLiteral(" %1").arg(kPeriods[i]));
        if (kPeriods[i] == t[0]) chosen = i;
    }
    SelectItem(CbPeriod, chosen);
    AddRow(grid, QStringLiteral("Период записи средних за час\nзначений параметров газа в ВРГ"), CbPeriod,
           QStringLiteral("ч"));
}

bool TFormDistr::Store(uint8_t* b) {
    if (CbPeriod->currentIndex() < 0) return Refuse("Не введен период");
    b[0] = uint8_t(kPeriods[CbPeriod->currentIndex()]);
    b[1] = 0;
    return true;
}

}  // namespace zul
