#include "editors/Contrname.h"

#include <QLineEdit>

#include "editors/EditorRules.h"
#include "tables/Stringi.h"

namespace zul {

namespace {
constexpr int kName = 20;
QString NameText(const uint8_t* field) {
    return QString::fromStdString(Cp1251ToUtf8(TrimBlanks(FieldText(field, kName))));
}
}  // namespace

TFormContrName::TFormContrName(uint8_t* t5, EditMode mode, UserInterface* ui, QWidget* parent)
    : TFormEditor("FormContrName", QStringLiteral("Наименования"), t5, 2 * kName, mode, ui, parent) {
    QGridLayout* grid = AddGrid();
    EdName = new QLineEdit(this);
    EdName->setObjectName("EdName");
    EdLine = new QLineEdit(this);
    EdLine->setObjectName("EdLine");
    for (QLineEdit* e : {EdName, EdLine}) {
        e->setMaxLength(kName);
        e->setMinimumWidth(200);
    }
    AddRow(grid, QStringLiteral("Наименование контроллера"), EdName);
    AddRow(grid, QStringLiteral("Наименование нитки \nхроматографа"), EdLine);
    EdName->setText(NameText(t5));
    EdLine->setText(NameText(t5 + kName));
}

bool TFormContrName::Store(uint8_t* b) {
    const std::string name = Utf8ToCp1251(EdName->text().toStdString());
    const std::string line = Utf8ToCp1251(EdLine->text().toStdString());
    if (TrimBlanks(name).empty() || TrimBlanks(line).empty()) return Refuse("Введены не все параметры");
    StoreFieldText(b, kName, name);
    StoreFieldText(b + kName, kName, line);
    return true;
}

}  // namespace zul
