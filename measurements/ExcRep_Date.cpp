#include "measurements/ExcRep_Date.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "editors/Object.h"
#include "editors/Objects_list.h"
#include "link/Rd_wr_ini.h"
#include "link/SubscriberLists.h"
#include "measurements/ReportRead.h"
#include "shell/UserInterface.h"
#include "tables/Dtfun.h"
#include "tables/Stringi.h"
#include "shell/Desktop.h"

namespace zul {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

TFormExcRep_Date::TFormExcRep_Date(const AvailableRange& days, bool month, ProgramSettings& settings,
                                   UserInterface& ui, QWidget* parent)
    : QDialog(parent), days_(days), month_(month), settings_(settings), ui_(ui) {
    setModal(true);
    setWindowTitle(month ? QStringLiteral(" Параметры отчета за месяц") : QStringLiteral(" Параметры отчета за сутки"));
    const uint8_t* o = days.oldest;
    const uint8_t* l = days.latest;
    LbOldest = new QLabel(Q(Sprintf("Дата самой старой записи в архиве суточных данных:  %02d.%02d.%02d", o[2], o[1], o[0])), this);
    LbLatest = new QLabel(Q(Sprintf("Дата последней записи в архиве:  %02d.%02d.%02d", l[2], l[1], l[0])), this);
    SpYear = new QSpinBox(this);
    SpYear->setObjectName("SpYear");
    SpYear->setRange(2000, 2099);
    CbMonth = new QComboBox(this);
    CbMonth->setObjectName("CbMonth");
    for (int m = 1; m <= 12; ++m) CbMonth->addItem(QString::fromUtf8(kMonthNames[m]));
    SpDay = new QSpinBox(this);
    SpDay->setObjectName("SpDay");
    CbObject = new QComboBox(this);
    CbObject->setObjectName("CbObject");
    BtnObjects = new QPushButton(QStringLiteral("Список объектов"), this);
    BtnAccept = new QPushButton(QStringLiteral("Принять"), this);
    BtnCancel = new QPushButton(QStringLiteral("Отменить"), this);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Год"), this), 0, 0);
    grid->addWidget(SpYear, 1, 0);
    grid->addWidget(new QLabel(QStringLiteral("Месяц"), this), 0, 1);
    grid->addWidget(CbMonth, 1, 1);
    auto* dayLabel = new QLabel(QStringLiteral("День"), this);
    grid->addWidget(dayLabel, 0, 2);
    grid->addWidget(SpDay, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Объект"), this), 2, 0);
    grid->addWidget(CbObject, 3, 0, 1, 2);
    grid->addWidget(BtnObjects, 3, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnAccept);
    buttons->addWidget(BtnCancel);
    auto* main = new QVBoxLayout(this);
    main->addWidget(LbOldest);
    main->addWidget(LbLatest);
    main->addLayout(grid);
    main->addLayout(buttons);
    dayLabel->setVisible(!month);
    SpDay->setVisible(!month);

    // All three start at the latest day.
    SpYear->setValue(2000 + l[0]);
    CbMonth->setCurrentIndex(std::clamp(int(l[1]), 1, 12) - 1);
    FitDay();
    SpDay->setValue(l[2]);
    FillObjects();
    connect(SpYear, qOverload<int>(&QSpinBox::valueChanged), this, &TFormExcRep_Date::FitDay);
    connect(CbMonth, qOverload<int>(&QComboBox::currentIndexChanged), this, &TFormExcRep_Date::FitDay);
    connect(CbObject, qOverload<int>(&QComboBox::activated), this, &TFormExcRep_Date::ObjectChosen);
    connect(BtnObjects, &QPushButton::clicked, this, &TFormExcRep_Date::ObjectsClick);
    connect(BtnAccept, &QPushButton::clicked, this, &TFormExcRep_Date::AcceptClick);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TFormExcRep_Date::FitDay() {
    // A day beyond the chosen month is lowered to its last day.
    SpDay->setRange(1, DaysInMonth(SpYear->value(), CbMonth->currentIndex() + 1));
}

void TFormExcRep_Date::FillObjects() {
    filling_ = true;
    CbObject->clear();
    const ObjectList& list = settings_.objects;
    for (int i = 0; i < list.count; ++i) CbObject->addItem(Q(Cp1251ToUtf8(TextOf(list.entries[size_t(i)].name))));
    if (list.count < kMaxObjects) CbObject->addItem(QStringLiteral("Новый объект"));
    CbObject->setCurrentIndex(list.count > 0 ? std::min<int>(list.selected, list.count - 1) : -1);
    filling_ = false;
}

void TFormExcRep_Date::ObjectChosen(int index) {
    ObjectList& list = settings_.objects;
    if (filling_ || index != list.count || list.count >= kMaxObjects) return;
    // "Новый объект": a name appended, selected and saved at once.
    ObjectEntry entry{};
    TFormObject editor(entry, true, ui_, this);
    editor.exec();
    if (!editor.accepted()) {
        CbObject->setCurrentIndex(-1);
        return;
    }
    list.entries[list.count] = entry;
    ++list.count;
    SortObjects(list);  // the list is kept sorted by name
    const std::string name = TextOf(entry.name);
    for (int i = 0; i < list.count; ++i)
        if (TextOf(list.entries[size_t(i)].name) == name) list.selected = uint8_t(i);
    settings_.WriteObjects(settings_.ObjectsIni());
    FillObjects();
    CbObject->setCurrentIndex(CbObject->findText(Q(Cp1251ToUtf8(name))));
}

void TFormExcRep_Date::ObjectsClick() {
    TFormObjects_List dialog(settings_, ui_, this);
    dialog.exec();
    FillObjects();
}

void TFormExcRep_Date::AcceptClick() {
    const int index = CbObject->currentIndex();
    if (index < 0 || index >= settings_.objects.count) {
        ui_.ShowMessageBox(kMsgInputError, "Не введено наименование объекта", "");
        FocusFailedField(this, CbObject);
        return;
    }
    const uint8_t date[3] = {uint8_t(SpYear->value() - 2000), uint8_t(CbMonth->currentIndex() + 1),
                             uint8_t(month_ ? 1 : SpDay->value())};
    if (ReportDateOutside(days_, date, month_)) {
        ui_.ShowMessageBox(kMsgInputError, "В архиве нет данных за указанную дату",
                           "(см. период имеющихся в архиве данных)");
        FocusFailedField(this, month_ ? static_cast<QWidget*>(CbMonth) : SpDay);
        return;
    }
    std::memcpy(date_, date, 3);
    object_ = CbObject->currentText().toStdString();
    accepted_ = true;
    accept();
}

}  // namespace zul
