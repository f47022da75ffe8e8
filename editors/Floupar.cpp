#include "editors/Floupar.h"

#include <cstring>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "tables/Stringi.h"
#include <QVBoxLayout>

namespace zul {

namespace {
QString Text(const uint8_t* p, int n) {
    std::string s(reinterpret_cast<const char*>(p), size_t(n));
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.pop_back();
    return QString::fromStdString(Cp1251ToUtf8(s));
}
void Put(uint8_t* p, int n, const QString& text) { StoreFieldText(p, n, Utf8ToCp1251(text.toStdString()), ' '); }
}  // namespace

TFormFlouPar::TFormFlouPar(uint8_t* r, int number, uint8_t* sou, int lineMask, UserInterface* ui, QWidget* parent)
    : TFormEditor("FormFlouPar", QStringLiteral("Параметры вычислителя расхода газа № %1").arg(number), r,
                  kFlowRecordSize, kFileMode, ui, parent),
      lineMask_(lineMask),
      sou_(sou),
      souNow_(sou && *sou),
      mask_(r[2]) {
    std::memcpy(password_, r + 4, 16);
    QGridLayout* grid = AddGrid();
    CbAddress = NumberList(1, 254, true, this);
    CbType = TextList({" ФЛОУТЭК", " ФЛОУКОР, ПМ-3В ", " ВР-2", " ДФ-1"}, this);
    CbOrder = TextList({" Мл. адрес - ст. байт", " Мл. адрес - мл. байт"}, this);
    ChSou = new QCheckBox(QStringLiteral("SOU"), this);
    EdPassword16 = new QLineEdit(this);
    EdPassword16->setMaxLength(16);
    EdCode = DigitsBox(4, this);
    EdPassword12 = new QLineEdit(this);
    EdPassword12->setMaxLength(12);
    const std::pair<QWidget*, const char*> names[] = {{CbAddress, "CbAddress"}, {CbType, "CbType"},
                                                      {CbOrder, "CbOrder"},     {ChSou, "ChSou"},
                                                      {EdPassword16, "EdPassword16"}, {EdCode, "EdCode"},
                                                      {EdPassword12, "EdPassword12"}};
    for (auto [w, name] : names) w->setObjectName(name);
    AddRow(grid, QStringLiteral("Адрес  (1...254)"), CbAddress);
    AddRow(grid, QStringLiteral("Тип"), CbType);
    AddRow(grid, QStringLiteral("Порядок байтов в\nмногобайтных переменных"), CbOrder);
    grid->addWidget(ChSou, grid->rowCount(), 0);
    AddRow(grid, QStringLiteral("Пароль на запись\n(до 16 символов)"), EdPassword16);
    AddRow(grid, QStringLiteral("Код идентификации\n(до 4 символов)"), EdCode);
    AddRow(grid, QStringLiteral("Пароль на запись\n(до 12 символов)"), EdPassword12);
    auto* pipes = new QGroupBox(QStringLiteral(" Необходимость записи параметров газа"), this);
    auto* row = new QHBoxLayout(pipes);
    for (int p = 0; p < 3; ++p) {
        GbPipe[p] = new QGroupBox(QStringLiteral(" т/п %1       ").arg(p + 1), pipes);
        auto* v = new QVBoxLayout(GbPipe[p]);
        ChPipe[p] = new QCheckBox(GbPipe[p]);
        RbLine1[p] = new QRadioButton(QStringLiteral("  Нитка 1 хром."), GbPipe[p]);
        RbLine2[p] = new QRadioButton(QStringLiteral("  Нитка 2 хром."), GbPipe[p]);
        ChPipe[p]->setObjectName(QStringLiteral("ChPipe%1").arg(p));
        RbLine1[p]->setObjectName(QStringLiteral("RbLine1_%1").arg(p));
        RbLine2[p]->setObjectName(QStringLiteral("RbLine2_%1").arg(p));
        auto* group = new QButtonGroup(GbPipe[p]);
        group->addButton(RbLine1[p]);
        group->addButton(RbLine2[p]);
        v->addWidget(ChPipe[p]);
        v->addWidget(RbLine1[p]);
        v->addWidget(RbLine2[p]);
        row->addWidget(GbPipe[p]);
        connect(ChPipe[p], &QCheckBox::toggled, this, [this, p](bool on) { PipeTicked(p, on); });
    }
    body()->addWidget(pipes);

    CbAddress->setEditText(QString::number(r[0]));
    SelectItem(CbOrder, r[3]);
    ChSou->setChecked(souNow_);
    ShowPassword();
    SelectItem(CbType, r[1]);
    TypeChosen(r[1]);
    connect(CbType, qOverload<int>(&QComboBox::currentIndexChanged), this, [this](int t) {
        if (t >= 0) TypeChosen(t);
    });
    connect(ChSou, &QCheckBox::toggled, this, [this](bool on) {
        TakePassword();
        souNow_ = on;
        ShowPassword();
    });
    for (QLineEdit* e : {EdPassword16, EdCode, EdPassword12})
        connect(e, &QLineEdit::editingFinished, this, &TFormFlouPar::TakePassword);
}

void TFormFlouPar::ShowPassword() {
    EdPassword16->setText(Text(password_, 16));
    EdPassword12->setText(Text(password_, 12));
    EdCode->setText(Text(password_ + 12, 4));
    for (QWidget* w : {static_cast<QWidget*>(EdPassword16)}) w->setVisible(!souNow_);
    for (QWidget* w : {static_cast<QWidget*>(EdCode), static_cast<QWidget*>(EdPassword12)}) w->setVisible(souNow_);
    // The captions follow their boxes.
    for (QLineEdit* e : {EdPassword16, EdCode, EdPassword12})
        for (QLabel* l : findChildren<QLabel*>())
            if (l->buddy() == e) l->setVisible(e->isVisibleTo(this));
}

void TFormFlouPar::TakePassword() {
    if (souNow_) {
        Put(password_, 12, EdPassword12->text());
        Put(password_ + 12, 4, EdCode->text());
    } else {
        Put(password_, 16, EdPassword16->text());
    }
}

void TFormFlouPar::TypeChosen(int type) {
    const int pipes = type >= 0 && type <= 3 ? PipelinesOfType(type) : 0;
    for (int p = 0; p < 3; ++p) {
        QSignalBlocker block(ChPipe[p]);
        ChPipe[p]->setChecked(false);
        PipeTicked(p, false);
        GbPipe[p]->setEnabled(p < pipes);
        if (p < pipes) {
            ChPipe[p]->setChecked(mask_ & (1 << p));
            PipeTicked(p, ChPipe[p]->isChecked());
        }
    }
}

void TFormFlouPar::PipeTicked(int p, bool on) {
    for (QRadioButton* rb : {RbLine1[p], RbLine2[p]}) {
        rb->group()->setExclusive(false);
        rb->setChecked(false);
        rb->group()->setExclusive(true);
    }
    RbLine1[p]->setEnabled(on && (lineMask_ & 1));
    RbLine2[p]->setEnabled(on && (lineMask_ & 2));
    if (!on) return;
    QRadioButton* choice = (mask_ & (0x10 << p)) ? RbLine2[p] : RbLine1[p];
    if (choice->isEnabled()) choice->setChecked(true);
}

bool TFormFlouPar::Store(uint8_t* b) {
    uint64_t address = 0;
    if (!NumberOf(CbAddress->currentText(), &address) || CbType->currentIndex() < 0 || CbOrder->currentIndex() < 0)
        return Refuse("Введены не все параметры");
    if (address < 1 || address > 254) return Refuse(CbAddress, "Адрес вне допускаемого диапазона");
    uint8_t mask = 0;
    for (int p = 0; p < 3; ++p) {
        if (!GbPipe[p]->isEnabled() || !ChPipe[p]->isChecked()) continue;
        if (!RbLine1[p]->isChecked() && !RbLine2[p]->isChecked()) return Refuse(RbLine1[p], "Введены не все параметры");
        mask |= uint8_t(1 << p);
        if (RbLine2[p]->isChecked()) mask |= uint8_t(0x10 << p);
    }
    TakePassword();
    b[0] = uint8_t(address);
    b[1] = uint8_t(CbType->currentIndex());
    b[2] = mask;
    b[3] = uint8_t(CbOrder->currentIndex());
    passwordChanged_ = std::memcmp(password_, bytes() + 4, 16) != 0;
    std::memcpy(b + 4, password_, 16);
    return true;
}

void TFormFlouPar::Committed() {
    if (sou_) *sou_ = souNow_ ? 1 : 0;
}

}  // namespace zul
