#include "editors/EditorDialog.h"

#include <cstring>

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>  // QtUserInterface keeps a QPointer to one
#include <QPushButton>
#include <QVBoxLayout>

#include "editors/EditorRules.h"
#include "shell/Desktop.h"
#include "shell/KeyFilters.h"
#include "shell/QtUserInterface.h"
#include "tables/Stringi.h"

namespace zul {

TFormEditor::TFormEditor(const char* objectName, const QString& caption, uint8_t* bytes, int size, EditMode mode,
                         UserInterface* ui, QWidget* parent)
    : QDialog(parent), bytes_(bytes), size_(size), mode_(mode) {
    if (!ui) {
        ownUi_ = std::make_unique<QtUserInterface>(this);
        ui = ownUi_.get();
    }
    ui_ = ui;
    setModal(true);
    setObjectName(objectName);
    setWindowTitle(caption);
    setProperty("zulFirstInput", true);  // typing goes to the first input at once
    auto* column = new QVBoxLayout(this);
    body_ = new QVBoxLayout;
    column->addLayout(body_);
    auto* buttons = new QHBoxLayout;
    BtnWrite = new QPushButton(QStringLiteral("Записать в устройство"), this);
    BtnWrite->setObjectName("BtnWrite");
    BtnAccept = new QPushButton(QStringLiteral("Принять"), this);
    BtnAccept->setObjectName("BtnAccept");
    BtnCancel = new QPushButton(QStringLiteral("Отменить"), this);
    BtnCancel->setObjectName("BtnCancel");
    buttons->addStretch();
    for (QPushButton* b : {BtnWrite, BtnAccept, BtnCancel}) {
        b->setAutoDefault(false);  // Enter in a box does not accept
        buttons->addWidget(b);
    }
    column->addLayout(buttons);
    column->setSizeConstraint(QLayout::SetFixedSize);
    BtnWrite->setVisible(mode == kDeviceMode);
    BtnAccept->setVisible(mode == kFileMode);
    connect(BtnWrite, &QPushButton::clicked, this, &TFormEditor::AcceptClick);
    connect(BtnAccept, &QPushButton::clicked, this, &TFormEditor::AcceptClick);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TFormEditor::~TFormEditor() = default;

void TFormEditor::AcceptClick() {
    std::vector<uint8_t> copy(bytes_, bytes_ + size_);
    if (!Store(copy.data())) return;
    std::memcpy(bytes_, copy.data(), size_t(size_));
    Committed();
    accepted_ = true;
    accept();
}

bool TFormEditor::Refuse(const std::string& line1, const std::string& line2) { return Refuse(nullptr, line1, line2); }

bool TFormEditor::Refuse(QWidget* field, const std::string& line1, const std::string& line2) {
    ui_->ShowMessageBox(kMsgInputError, line1, line2);
    FocusFailedField(this, field);
    return false;
}

QGridLayout* TFormEditor::AddGrid() {
    auto* grid = new QGridLayout;
    body_->addLayout(grid);
    return grid;
}

void TFormEditor::AddRow(QGridLayout* grid, const QString& caption, QWidget* control, const QString& unit) {
    const int row = grid->rowCount();
    auto* label = new QLabel(caption, this);
    label->setBuddy(control);
    grid->addWidget(label, row, 0);
    grid->addWidget(control, row, 1);
    if (!unit.isEmpty()) grid->addWidget(new QLabel(unit, this), row, 2);
}

// --- shared controls -----------------------------------------------------------------

QComboBox* TextList(const QStringList& items, QWidget* parent) {
    auto* c = new QComboBox(parent);
    c->addItems(items);
    c->setCurrentIndex(-1);
    return c;
}

QComboBox* TextList(std::initializer_list<const char*> items, QWidget* parent) {
    QStringList l;
    for (const char* s : items) l << QString::fromUtf8(s);
    return TextList(l, parent);
}

QComboBox* NumberList(int from, int to, bool editable, QWidget* parent) {
    if (editable) return EditableNumberList(from, to, parent);
    QStringList l;
    for (int i = from; i <= to; ++i) l << QString::number(i);
    return TextList(l, parent);
}

QComboBox* SpeedList(QWidget* parent) {
    QStringList l;
    for (int code = 0; code < kSpeedCodeCount; ++code) l << QString::number(SpeedFromCode(code));
    return TextList(l, parent);
}

QLineEdit* DigitsBox(int maxDigits, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setMaxLength(maxDigits);
    InstallIntegerKeyFilter(e);
    return e;
}

bool NumberOf(const QString& text, uint64_t* value) { return ParseUnsigned(text.toStdString(), value); }

void SelectItem(QComboBox* list, int index) {
    list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
    if (list->isEditable() && list->currentIndex() < 0) list->setEditText(QString());
}

// --- IP address --------------------------------------------------------------------

TIpBox::TIpBox(QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    for (int k = 0; k < 4; ++k) {
        if (k) row->addWidget(new QLabel(QStringLiteral("."), this));
        octet[k] = DigitsBox(3, this);
        octet[k]->setObjectName(QStringLiteral("EdOctet%1").arg(k));
        octet[k]->setFixedWidth(40);
        row->addWidget(octet[k]);
    }
    ChainOctetBoxes(octet);
}

void TIpBox::Load(const uint8_t* field) {
    for (int k = 0; k < 4; ++k) octet[k]->setText(QString::number(field[OctetByteOfBox(k)]));
}

bool TIpBox::Complete() const {
    for (QLineEdit* e : octet)
        if (e->text().isEmpty()) return false;
    return true;
}

QLineEdit* TIpBox::OutOfRange() const {
    for (QLineEdit* e : octet) {
        uint64_t v = 0;
        if (NumberOf(e->text(), &v) && v > 255) return e;
    }
    return nullptr;
}

void TIpBox::Store(uint8_t* field) const {
    for (int k = 0; k < 4; ++k) {
        uint64_t v = 0;
        NumberOf(octet[k]->text(), &v);
        field[OctetByteOfBox(k)] = uint8_t(v);
    }
}

// --- time-change rule --------------------------------------------------------------

TRuleBox::TRuleBox(bool winter, QWidget* parent)
    : QGroupBox(winter ? QStringLiteral(" Переход на зимнее время ") : QStringLiteral(" Переход на летнее время "),
                parent),
      winter_(winter) {
    setObjectName(winter ? "GbWinter" : "GbSummer");
    auto* grid = new QGridLayout(this);
    CbMonth = winter ? TextList({"Переход запрещен", "Сентябрь", "Октябрь", "Ноябрь", "Декабрь"}, this)
                     : TextList({"Переход запрещен", "Февраль", "Март", "Апрель", "Май"}, this);
    CbMethod = TextList({"День месяца (число)", "День недели в месяце"}, this);
    CbDay = TextList(QStringList(), this);
    CbOrdinal = TextList(QStringList(), this);
    for (const char* s : kWeekOrdinals) CbOrdinal->addItem(QString::fromUtf8(s));
    CbWeekday = TextList(QStringList(), this);
    for (int d = 1; d <= 7; ++d) CbWeekday->addItem(QString::fromUtf8(kWeekDayNames[d]));
    CbHour = TextList(QStringList(), this);
    for (int i = 0; i < kRuleHourItems; ++i) CbHour->addItem(QStringLiteral("%1:00").arg(RuleHourFromItem(winter, i)));
    CbMonth->setObjectName("CbMonth");
    CbMethod->setObjectName("CbMethod");
    CbDay->setObjectName("CbDay");
    CbOrdinal->setObjectName("CbOrdinal");
    CbWeekday->setObjectName("CbWeekday");
    CbHour->setObjectName("CbHour");

    auto row = [&](const char* caption, QComboBox* c, std::vector<QWidget*>* group) {
        const int r = grid->rowCount();
        auto* l = new QLabel(QString::fromUtf8(caption), this);
        grid->addWidget(l, r, 0);
        grid->addWidget(c, r, 1);
        if (group) group->insert(group->end(), {l, c});
    };
    row("Месяц перехода", CbMonth, nullptr);
    row("Способ задания дня перехода", CbMethod, &otherRows_);
    row("День в месяце", CbDay, &dayRow_);
    row("Номер \"дня недели\" в месяце", CbOrdinal, &weekRow_);
    row("День недели", CbWeekday, &weekRow_);
    row("Час перехода", CbHour, &otherRows_);

    connect(CbMonth, qOverload<int>(&QComboBox::currentIndexChanged), this, [this](int item) {
        if (loading_ || item < 0) return;
        rule_[0] = uint8_t(RuleMonthFromItem(winter_, item));
        FillDays();
        Show();
    });
    connect(CbMethod, qOverload<int>(&QComboBox::currentIndexChanged), this, [this](int item) {
        if (loading_ || item < 0) return;
        rule_[1] = DayByteWithMethod(rule_[1], item == 1);
        FillDays();
        Show();
    });
    connect(CbDay, qOverload<int>(&QComboBox::currentIndexChanged), this, [this](int item) {
        if (!loading_ && item >= 0) rule_[1] = DayByteWithDayItem(rule_[1], item);
    });
    connect(CbOrdinal, qOverload<int>(&QComboBox::currentIndexChanged), this, [this](int item) {
        if (!loading_ && item >= 0) rule_[1] = DayByteWithOrdinalItem(rule_[1], item);
    });
    connect(CbWeekday, qOverload<int>(&QComboBox::currentIndexChanged), this, [this](int item) {
        if (!loading_ && item >= 0) rule_[1] = DayByteWithWeekdayItem(rule_[1], item);
    });
    connect(CbHour, qOverload<int>(&QComboBox::currentIndexChanged), this, [this](int item) {
        if (!loading_ && item >= 0) rule_[2] = uint8_t(RuleHourFromItem(winter_, item));
    });
}

void TRuleBox::FillDays() {
    const bool was = loading_;
    loading_ = true;
    const int keep = DayByteDayItem(rule_[1]);
    CbDay->clear();
    int days = RuleDaysInMonth(rule_[0]);
    if (days == 0) days = 31;
    for (int d = 1; d <= days; ++d) CbDay->addItem(QString::number(d));
    SelectItem(CbDay, keep);
    SelectItem(CbOrdinal, DayByteOrdinalItem(rule_[1]));
    SelectItem(CbWeekday, DayByteWeekdayItem(rule_[1]));
    loading_ = was;
}

void TRuleBox::Load(const uint8_t* rule) {
    std::copy(rule, rule + 3, rule_);
    loading_ = true;
    SelectItem(CbMonth, RuleItemFromMonth(winter_, rule_[0]));
    SelectItem(CbMethod, DayByteIsWeekday(rule_[1]) ? 1 : 0);
    FillDays();
    SelectItem(CbHour, RuleItemFromHour(winter_, rule_[2]));
    loading_ = false;
    Show();
}

void TRuleBox::Show() {
    const bool change = rule_[0] != 0;
    const bool weekday = DayByteIsWeekday(rule_[1]);
    for (QWidget* w : otherRows_) w->setVisible(change);
    for (QWidget* w : dayRow_) w->setVisible(change && !weekday);
    for (QWidget* w : weekRow_) w->setVisible(change && weekday);
}

}  // namespace zul
