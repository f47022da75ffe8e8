#include "editors/Connqrt.h"

#include <algorithm>
#include <cstring>

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "editors/Chrpar_list.h"
#include "editors/EditorRules.h"

namespace zul {

namespace {
constexpr int kTable1Bytes = kGasParams * kParamRecordSize;
}

TFormConQRT::TFormConQRT(uint8_t* t, EditMode mode, int flowCount, const uint8_t* flowAddresses, uint8_t* table1,
                         UserInterface* ui, QWidget* parent)
    : TFormEditor("FormConQRT", QStringLiteral(" Параметры связи с хроматографом "), t, 16, mode, ui, parent),
      flowCount_(std::clamp(flowCount, 0, 16)),
      table1_(table1),
      params_(table1, table1 + kTable1Bytes) {
    QGridLayout* grid = AddGrid();
    CbType = TextList({"QRT 510 (HMU)", "QRT 510 (HDM);"}, this);
    CbCount = NumberList(1, 20, false, this);
    BtnParams = new QPushButton(QStringLiteral("Перечень параметров для чтения "), this);
    BtnParams->setAutoDefault(false);
    CbAddress = NumberList(1, 247, true, this);
    CbSpeed = SpeedList(this);
    CbMode = TextList({" ASCII", " RTU"}, this);
    CbTimeout = NumberList(5, 255, false, this);
    CbFailures = NumberList(1, 10, false, this);
    CbParity = TextList({" Бит четн. отсутствует", " Неч. бит четности", " Четный бит четности"}, this);
    CbFlowIndex = TextList(QStringList(), this);
    for (int i = 0; i < flowCount_; ++i) CbFlowIndex->addItem(QStringLiteral("%1 (адр. %2)").arg(i).arg(flowAddresses[i]));
    CbLine = TextList({"1"}, this);
    EdCycle = DigitsBox(3, this);
    const std::pair<QWidget*, const char*> names[] = {
        {CbType, "CbType"},       {CbCount, "CbCount"},     {BtnParams, "BtnParams"},   {CbAddress, "CbAddress"},
        {CbSpeed, "CbSpeed"},     {CbMode, "CbMode"},       {CbTimeout, "CbTimeout"},   {CbFailures, "CbFailures"},
        {CbParity, "CbParity"},   {CbFlowIndex, "CbFlowIndex"}, {CbLine, "CbLine"},     {EdCycle, "EdCycle"}};
    for (auto [w, name] : names) w->setObjectName(name);
    AddRow(grid, QStringLiteral("Тип хроматографа"), CbType);
    AddRow(grid, QStringLiteral("Количество параметров для чтения "), CbCount);
    grid->addWidget(BtnParams, grid->rowCount(), 1);
    AddRow(grid, QStringLiteral("Адрес хроматографа"), CbAddress);
    AddRow(grid, QStringLiteral("Скорость обмена"), CbSpeed);
    AddRow(grid, QStringLiteral("Режим обмена MODBUS протокола"), CbMode);
    AddRow(grid, QStringLiteral("Таймаут ожидания ответа  от хромотогр."), CbTimeout, QStringLiteral("сс"));
    AddRow(grid, QStringLiteral("Кол. неудачных опросов хроматографа\nподряд, после которого создается\n"
                                "диагностическое сообщение"),
           CbFailures);
    AddRow(grid, QStringLiteral("Тип четности"), CbParity);
    GbTemperature = new QGroupBox(QStringLiteral(" Для чтения Т газа "), this);
    auto* g = new QGridLayout(GbTemperature);
    g->addWidget(new QLabel(QStringLiteral("Индекс ВРГ"), GbTemperature), 0, 0);
    g->addWidget(CbFlowIndex, 0, 1);
    g->addWidget(new QLabel(QStringLiteral("Номер нитки"), GbTemperature), 1, 0);
    g->addWidget(CbLine, 1, 1);
    body()->addWidget(GbTemperature);
    QGridLayout* grid2 = AddGrid();
    AddRow(grid2, QStringLiteral("Цикл опроса хроматографа  (10...255)"), EdCycle, QStringLiteral("с"));

    SelectItem(CbType, t[6]);
    SelectItem(CbCount, t[14] - 1);
    CbCount->setEnabled(false);
    CbAddress->setEditText(QString::number(t[0]));
    SelectItem(CbSpeed, t[1]);
    SelectItem(CbMode, t[2]);
    SelectItem(CbTimeout, t[4] - 5);
    SelectItem(CbFailures, t[5] - 1);
    SelectItem(CbParity, t[3]);
    if (flowCount_ > 0) {
        SelectItem(CbFlowIndex, t[10]);
        SelectItem(CbLine, t[11] - 1);
    } else {
        GbTemperature->setEnabled(false);
    }
    EdCycle->setText(QString::number(t[15]));
    connect(BtnParams, &QPushButton::clicked, this, &TFormConQRT::ParamsClick);
}

void TFormConQRT::ParamsClick() {
    // The list works on a scratch record: the count, then the records in use.
    const int n = std::clamp(CbCount->currentIndex() + 1, 1, kGasParams);
    std::vector<uint8_t> scratch(kParamListSize, 0);
    scratch[0] = uint8_t(n);
    std::memcpy(scratch.data() + 1, params_.data(), size_t(n * kParamRecordSize));
    TFormChrPar_List list(scratch.data(), &ui(), this);
    list.exec();
    if (!list.accepted()) return;
    const int count = std::clamp<int>(scratch[0], 1, kGasParams);
    std::memcpy(params_.data(), scratch.data() + 1, size_t(count * kParamRecordSize));
    SelectItem(CbCount, count - 1);
}

bool TFormConQRT::Store(uint8_t* b) {
    uint64_t address = 0, cycle = 0;
    const bool flowMissing = flowCount_ > 0 && (CbFlowIndex->currentIndex() < 0 || CbLine->currentIndex() < 0);
    if (!NumberOf(CbAddress->currentText(), &address) || CbType->currentIndex() < 0 || CbSpeed->currentIndex() < 0 ||
        CbMode->currentIndex() < 0 || CbParity->currentIndex() < 0 || CbTimeout->currentIndex() < 0 ||
        CbFailures->currentIndex() < 0 || CbCount->currentIndex() < 0 || EdCycle->text().isEmpty() || flowMissing)
        return Refuse("Введены не все параметры");
    NumberOf(EdCycle->text(), &cycle);
    if (address < 1 || address > 247) return Refuse(CbAddress, "Адрес должен быть", "в диапазоне 1...247");
    if (cycle < 10 || cycle > 255) return Refuse(EdCycle, "Цикл опроса хроматографа", "должен быть в диапазоне 10...255");
    b[0] = uint8_t(address);
    b[1] = uint8_t(CbSpeed->currentIndex());
    b[2] = uint8_t(CbMode->currentIndex());
    b[3] = uint8_t(CbParity->currentIndex());
    b[4] = uint8_t(CbTimeout->currentIndex() + 5);
    b[5] = uint8_t(CbFailures->currentIndex() + 1);
    b[6] = uint8_t(CbType->currentIndex());
    b[7] = 1;
    b[10] = flowCount_ > 0 ? uint8_t(CbFlowIndex->currentIndex()) : 0;
    b[11] = flowCount_ > 0 ? uint8_t(CbLine->currentIndex() + 1) : 0;
    b[14] = uint8_t(CbCount->currentIndex() + 1);
    b[15] = uint8_t(cycle);
    return true;
}

void TFormConQRT::Committed() { std::memcpy(table1_, params_.data(), params_.size()); }

}  // namespace zul
