#include "editors/Connvich.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace zul {

TFormConVich::TFormConVich(uint8_t* t, EditMode mode, UserInterface* ui, QWidget* parent)
    : TFormEditor("FormConVich", QStringLiteral(" Параметры связи с ВРГ"), t, 6, mode, ui, parent) {
    QGridLayout* grid = AddGrid();
    CbCount = NumberList(1, 16, false, this);
    CbSpeed = SpeedList(this);
    CbFailures = NumberList(1, 10, false, this);
    CbTimeout = NumberList(1, 255, false, this);
    EdPreambles = DigitsBox(3, this);
    CbCount->setObjectName("CbCount");
    CbSpeed->setObjectName("CbSpeed");
    CbFailures->setObjectName("CbFailures");
    CbTimeout->setObjectName("CbTimeout");
    EdPreambles->setObjectName("EdPreambles");
    AddRow(grid, QStringLiteral("Количество подключенных вычислителей"), CbCount);
    AddRow(grid, QStringLiteral("Скорость обмена"), CbSpeed);
    AddRow(grid, QStringLiteral("Количество неудачных обменов подряд, после\n"
                                "которого создается диагностическое сообщение"),
           CbFailures);
    AddRow(grid, QStringLiteral("Таймаут ожидания ответа от вычислителя"), CbTimeout, QStringLiteral("дс"));
    AddRow(grid, QStringLiteral("Кол. преамбул  в запросе к вычислителю"), EdPreambles, QStringLiteral("(  0 - 255 ) "));
    auto* group = new QGroupBox(QStringLiteral(" Режим записи параметров газа в вычислители "), this);
    auto* v = new QVBoxLayout(group);
    const char* const modes[3] = {"Не записывать",
                                  "Записывать средние за закончившийся час\nпри условии отклонения их от значений в ВРГ",
                                  "Записывать средние за закончившийся час\nзначения периодически безусловно"};
    auto* buttons = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i) {
        RbMode[i] = new QRadioButton(QString::fromUtf8(modes[i]), group);
        RbMode[i]->setObjectName(QStringLiteral("RbMode%1").arg(i));
        buttons->addButton(RbMode[i], i);
        v->addWidget(RbMode[i]);
    }
    body()->addWidget(group);
    SelectItem(CbCount, t[0] - 1);
    SelectItem(CbSpeed, t[1]);
    SelectItem(CbFailures, t[2] - 1);
    SelectItem(CbTimeout, t[3] - 1);
    EdPreambles->setText(QString::number(t[4]));
    if (t[5] < 3) RbMode[t[5]]->setChecked(true);
}

bool TFormConVich::Store(uint8_t* b) {
    uint64_t preambles = 0;
    int mode = -1;
    for (int i = 0; i < 3; ++i)
        if (RbMode[i]->isChecked()) mode = i;
    if (CbCount->currentIndex() < 0 || CbSpeed->currentIndex() < 0 || CbFailures->currentIndex() < 0 ||
        CbTimeout->currentIndex() < 0 || !NumberOf(EdPreambles->text(), &preambles) || mode < 0)
        return Refuse("Введены не все параметры");
    if (preambles >= 256) return Refuse(EdPreambles, "Количество преамбул не должно превышать 255");
    b[0] = uint8_t(CbCount->currentIndex() + 1);
    b[1] = uint8_t(CbSpeed->currentIndex());
    b[2] = uint8_t(CbFailures->currentIndex() + 1);
    b[3] = uint8_t(CbTimeout->currentIndex() + 1);
    b[4] = uint8_t(preambles);
    b[5] = uint8_t(mode);
    return true;
}

}  // namespace zul
