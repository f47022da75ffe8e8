#include "editors/Const_par.h"

#include <algorithm>

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "editors/EditorRules.h"
#include "shell/KeyFilters.h"
#include "shell/Suplfunc.h"
#include "tables/Stringi.h"

namespace zul {

TFormConst_Par::TFormConst_Par(uint8_t* r, EditMode mode, int n, const uint8_t* table1, UserInterface* ui,
                               QWidget* parent)
    : TFormEditor("FormConst_Par", QStringLiteral(" Константы параметров газа"), r, kConstRecordSize, mode, ui,
                  parent),
      n_(std::clamp(n, 0, kGasParams)),
      table1_(table1) {
    QGridLayout* grid = AddGrid();
    const char* const heads[3] = {"Наименование параметров газа", "Значение\nконстанты", "Поставить\nна константу"};
    for (int c = 0; c < 3; ++c) grid->addWidget(new QLabel(QString::fromUtf8(heads[c]), this), 0, c);
    for (int i = 0; i < n_; ++i) {
        auto* name = new QLineEdit(QString::fromStdString(" " + Cp1251ToUtf8(FieldText(table1 + i * kParamRecordSize, 40))), this);
        name->setReadOnly(true);
        name->setMinimumWidth(260);
        EdValue[i] = new QLineEdit(this);
        EdValue[i]->setObjectName(QStringLiteral("EdValue%1").arg(i));
        InstallFloatKeyFilter(EdValue[i]);
        shown_[i] = QString::fromStdString(FormatValue(GetFloat(r + kGasParams + 4 * i)));
        EdValue[i]->setText(shown_[i]);
        ChConst[i] = new QCheckBox(this);
        ChConst[i]->setObjectName(QStringLiteral("ChConst%1").arg(i));
        ChConst[i]->setChecked(r[i] != 0);
        grid->addWidget(name, i + 1, 0);
        grid->addWidget(EdValue[i], i + 1, 1);
        grid->addWidget(ChConst[i], i + 1, 2, Qt::AlignCenter);
    }
}

bool TFormConst_Par::Store(uint8_t* b) {
    for (int i = 0; i < n_; ++i) {
        b[i] = ChConst[i]->isChecked() ? 1 : 0;
        const std::string text = EdValue[i]->text().toStdString();
        const std::string name = FieldText(table1_ + i * kParamRecordSize, 40);
        if (b[i] && text.empty()) return Refuse(EdValue[i], Cp1251ToUtf8(name), "Не введено значение константы.");
        if (text.empty()) continue;  // an empty box keeps the stored constant
        if (EdValue[i]->text() == shown_[i]) continue;  // untouched: no rounding by the display
        float v = 0;
        if (!ParseFloat(text, &v)) return Refuse(EdValue[i], Cp1251ToUtf8(name), "\"" + text + "\" не является числом");
        PutFloat(b + kGasParams + 4 * i, v);
    }
    return true;
}

}  // namespace zul
