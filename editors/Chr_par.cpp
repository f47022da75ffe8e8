#include "editors/Chr_par.h"

#include <algorithm>

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include "editors/EditorRules.h"
#include "shell/KeyFilters.h"
#include "tables/Stringi.h"

namespace zul {

namespace {
constexpr int kNameChars = 25;
constexpr int kSignificant = 12;
}  // namespace

TForm_Chr_Par::TForm_Chr_Par(uint8_t* r, UserInterface* ui, QWidget* parent)
    : TFormEditor("Form_Chr_Par", QStringLiteral("Параметр хроматографа"), r, kParamRecordSize, kFileMode, ui,
                  parent) {
    QGridLayout* grid = AddGrid();
    EdName = new QLineEdit(this);
    EdName->setObjectName("EdName");
    EdName->setMaxLength(kNameChars);
    EdName->setMinimumWidth(240);
    EdDesignation = new QLineEdit(this);
    EdDesignation->setObjectName("EdDesignation");
    EdDesignation->setMaxLength(10);
    CbType = TextList(QStringList(), this);
    CbType->setObjectName("CbType");
    for (int t = 0; t < kParamDataTypes; ++t) CbType->addItem(QString::fromUtf8(DataType(t).text));
    CbUnit = TextList(QStringList(), this);
    CbUnit->setObjectName("CbUnit");
    CbDecimals = NumberList(0, 7, false, this);
    CbDecimals->setObjectName("CbDecimals");
    EdMin = new QLineEdit(this);
    EdMin->setObjectName("EdMin");
    EdMax = new QLineEdit(this);
    EdMax->setObjectName("EdMax");
    InstallFloatKeyFilter(EdMin);
    InstallFloatKeyFilter(EdMax);
    EdRegister = DigitsBox(5, this);
    EdRegister->setObjectName("EdRegister");
    AddRow(grid, QStringLiteral("Наименование\n(до 25 символов)"), EdName);
    AddRow(grid, QStringLiteral("Условное обозначение\n(до 10 символов)"), EdDesignation);
    AddRow(grid, QStringLiteral("Тип данных"), CbType);
    AddRow(grid, QStringLiteral("Единица измерений"), CbUnit);
    AddRow(grid, QStringLiteral("Формат отображения данных\n(кол. знаков после запятой)"), CbDecimals);
    auto* range = new QGroupBox(QStringLiteral(" Диапазон измерений "), this);
    auto* rangeGrid = new QGridLayout(range);
    rangeGrid->addWidget(new QLabel(QStringLiteral("Миним. значение"), range), 0, 0);
    rangeGrid->addWidget(EdMin, 0, 1);
    rangeGrid->addWidget(new QLabel(QStringLiteral("Максим. значение"), range), 1, 0);
    rangeGrid->addWidget(EdMax, 1, 1);
    body()->addWidget(range);
    QGridLayout* grid2 = AddGrid();
    AddRow(grid2, QStringLiteral("Адрес регистра Modbus\nтекущего значения"), EdRegister);

    EdName->setText(QString::fromStdString(Cp1251ToUtf8(FieldText(r, 40))).left(kNameChars));
    EdName->setEnabled(false);
    EdDesignation->setText(QString::fromStdString(Cp1251ToUtf8(FieldText(r + 40, 10))));
    SelectItem(CbType, r[62]);
    CbType->setEnabled(false);
    const ParamDataType& type = DataType(r[62]);
    for (int u = 0; u < type.unitCount; ++u) CbUnit->addItem(QString::fromUtf8(type.units[u]));
    SelectItem(CbUnit, UnitItemOf(r[62], r[50]));
    SelectItem(CbDecimals, std::min<int>(r[61], 7));
    min_ = GetFloat(r + 51);
    max_ = GetFloat(r + 55);
    EdRegister->setText(QString::number(unsigned(r[59] | r[60] << 8)));
    ShowRange();

    connect(CbDecimals, qOverload<int>(&QComboBox::currentIndexChanged), this, [this] { ShowRange(); });
    auto leave = [this](QLineEdit* box, float* value) {
        float v = 0;
        const int d = std::max(0, CbDecimals->currentIndex());
        if (box->text().toStdString() == FormatFixed(*value, d, kSignificant)) return;  // unchanged
        if (box->text().isEmpty() || ParseFloat(box->text().toStdString(), &v)) {
            *value = v;
            if (!box->text().isEmpty()) ShowRange();
        }
    };
    connect(EdMin, &QLineEdit::editingFinished, this, [this, leave] { leave(EdMin, &min_); });
    connect(EdMax, &QLineEdit::editingFinished, this, [this, leave] { leave(EdMax, &max_); });
}

void TForm_Chr_Par::ShowRange() {
    const int d = std::max(0, CbDecimals->currentIndex());
    EdMin->setText(QString::fromStdString(FormatFixed(min_, d, kSignificant)));
    EdMax->setText(QString::fromStdString(FormatFixed(max_, d, kSignificant)));
}

bool TForm_Chr_Par::Store(uint8_t* b) {
    uint64_t reg = 0;
    if (EdName->text().isEmpty() || EdDesignation->text().isEmpty() || !NumberOf(EdRegister->text(), &reg) ||
        EdMin->text().isEmpty() || EdMax->text().isEmpty() || CbUnit->currentIndex() < 0 ||
        CbType->currentIndex() < 0 || CbDecimals->currentIndex() < 0)
        return Refuse("Введены не все параметры");
    // A box showing the value as last formatted keeps the value itself.
    const int d = CbDecimals->currentIndex();
    float lo = min_, hi = max_;
    if (EdMin->text().toStdString() != FormatFixed(min_, d, kSignificant) && !ParseFloat(EdMin->text().toStdString(), &lo))
        return Refuse(EdMin, "\"" + EdMin->text().toStdString() + "\"", "не является числом");
    if (EdMax->text().toStdString() != FormatFixed(max_, d, kSignificant) && !ParseFloat(EdMax->text().toStdString(), &hi))
        return Refuse(EdMax, "\"" + EdMax->text().toStdString() + "\"", "не является числом");
    StoreFieldText(b, 40, Utf8ToCp1251(EdName->text().toStdString()));
    StoreFieldText(b + 40, 10, Utf8ToCp1251(EdDesignation->text().toStdString()));
    b[59] = uint8_t(reg & 0xFF);
    b[60] = uint8_t((reg >> 8) & 0xFF);
    b[61] = uint8_t(CbDecimals->currentIndex());
    PutFloat(b + 51, lo);
    PutFloat(b + 55, hi);
    if (lo >= hi) return Refuse(EdMin, "Неверно задан диапазон измерений");
    b[50] = uint8_t(DataType(CbType->currentIndex()).firstUnitCode + CbUnit->currentIndex());
    return true;
}

}  // namespace zul
