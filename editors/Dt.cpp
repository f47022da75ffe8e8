#include "editors/Dt.h"

#include <cstring>

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>  // QtUserInterface keeps a QPointer to one
#include <QPushButton>
#include <QVBoxLayout>

#include "editors/ListButtons.h"
#include "shell/QtUserInterface.h"
#include "tables/ClockRules.h"

namespace zul {

TFormDt::TFormDt(const uint8_t* controller, const uint8_t* computer, bool allowed, UserInterface* ui,
                 QWidget* parent)
    : QDialog(parent) {
    if (!ui) {
        ownUi_ = std::make_unique<QtUserInterface>(this);
        ui = ownUi_.get();
    }
    ui_ = ui;
    std::memcpy(controller_.data(), controller, 8);
    std::memcpy(computer_.data(), computer, 8);
    setModal(true);
    setObjectName("FormDt");
    setWindowTitle(QStringLiteral("Текущие дата и время"));
    auto* v = new QVBoxLayout(this);
    auto* g = new QGridLayout;
    const char* heads[4] = {"Дата\n( дд.мм.гг )", "Время\n( чч:мм:сс )", "День\nнедели", "Тип\nвремени"};
    for (int c = 0; c < 4; ++c) {
        auto* h = new QLabel(QString::fromUtf8(heads[c]), this);
        h->setAlignment(Qt::AlignCenter);
        g->addWidget(h, 0, c + 1);
    }
    g->addWidget(new QLabel(QStringLiteral("В контроллере"), this), 1, 0);
    g->addWidget(new QLabel(QStringLiteral("В ЭВМ"), this), 2, 0);
    const ClockDiff diff = CompareClocks(controller_.data(), computer_.data());
    const bool differs[4] = {diff.date, diff.time, diff.weekDay, diff.season};
    for (int r = 0; r < 2; ++r) {
        const uint8_t* c = r == 0 ? controller_.data() : computer_.data();
        const std::string texts[4] = {ClockDateText(c), ClockTimeText(c), WeekDayText(c[6]), SeasonText(c[7])};
        for (int k = 0; k < 4; ++k) {
            auto* l = new QLabel(QString::fromStdString(texts[k]), this);
            l->setObjectName(QString("Value%1%2").arg(r).arg(k));
            l->setAlignment(Qt::AlignCenter);
            l->setFrameShape(QFrame::Panel);
            l->setFrameShadow(QFrame::Sunken);
            l->setMinimumWidth(100);
            // The controller's values that differ from the computer's in red.
            QPalette p = l->palette();
            p.setColor(QPalette::WindowText, r == 0 && differs[k] ? Qt::red : Qt::black);
            l->setPalette(p);
            Values[size_t(r)][size_t(k)] = l;
            g->addWidget(l, r + 1, k + 1);
        }
    }
    v->addLayout(g);
    LblForbidden = new QLabel(QStringLiteral("Синхронизация времени контроллера с временем ЭВМ запрещена"), this);
    LblForbidden->setObjectName("LblForbidden");
    LblForbidden->setVisible(!allowed);
    v->addWidget(LblForbidden);
    const ActionExitButtons buttons = AddActionExitButtons(this, v, "Скорректировать в контроллере", "BtnCorrect");
    BtnCorrect = buttons.action;
    BtnCorrect->setEnabled(allowed);
    BtnExit = buttons.exit;
    v->setSizeConstraint(QLayout::SetFixedSize);
    connect(BtnCorrect, &QPushButton::clicked, this, &TFormDt::CorrectClick);
    connect(BtnExit, &QPushButton::clicked, this, &QDialog::reject);
}

TFormDt::~TFormDt() = default;

void TFormDt::CorrectClick() {
    hide();
    if (!ui_->ShowMessageBox(kMsgQuestion, "Вы уверены, что часы ЭВМ показывают правильное время?", "")) {
        reject();
        return;
    }
    correction_ = ClockCorrection(controller_.data(), computer_.data());
    corrected_ = true;
    accept();
}

}  // namespace zul
