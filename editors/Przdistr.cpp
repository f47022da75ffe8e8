#include "editors/Przdistr.h"

#include <algorithm>

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>

#include "editors/EditorRules.h"
#include "tables/Stringi.h"

namespace zul {

TFormPrzDistr::TFormPrzDistr(uint8_t* t, EditMode mode, int n, const uint8_t* table1, UserInterface* ui,
                             QWidget* parent)
    : TFormEditor("FormPrzDistr", QStringLiteral("Необходимость записи  значений параметров газа в ВРГ "), t,
                  kGasParams, mode, ui, parent),
      n_(std::clamp(n, 0, kGasParams)) {
    QGridLayout* grid = AddGrid();
    grid->addWidget(new QLabel(QStringLiteral("Наименование параметра"), this), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Необходимость записи"), this), 0, 1);
    for (int i = 0; i < n_; ++i) {
        auto* name = new QLineEdit(QString::fromStdString(" " + Cp1251ToUtf8(FieldText(table1 + i * kParamRecordSize, 40))), this);
        name->setReadOnly(true);
        name->setMinimumWidth(260);
        CbWrite[i] = TextList({" Не записывать ", " Записывать"}, this);
        CbWrite[i]->setObjectName(QStringLiteral("CbWrite%1").arg(i));
        SelectItem(CbWrite[i], t[i]);
        grid->addWidget(name, i + 1, 0);
        grid->addWidget(CbWrite[i], i + 1, 1);
    }
}

bool TFormPrzDistr::Store(uint8_t* b) {
    for (int i = 0; i < n_; ++i) {
        if (CbWrite[i]->currentIndex() < 0) {
            // This editor answers with a plain system box.
            QMessageBox::critical(this, QStringLiteral("Ошибка"), QStringLiteral("Введены не все параметры"));
            return false;
        }
    }
    for (int i = 0; i < n_; ++i) b[i] = uint8_t(CbWrite[i]->currentIndex());
    return true;
}

}  // namespace zul
