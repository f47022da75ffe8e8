#include "measurements/ShortDate.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cstring>

#include "shell/MessageBox.h"
#include "shell/UserInterface.h"
#include "tables/Dtfun.h"
#include "shell/Desktop.h"

namespace zul {

namespace {

QString RangeText(const char* what, const uint8_t* p, int unit) {
    QString t = QString::fromUtf8(what) +
                QString::asprintf("  %02d.%02d.%02d", p[2], p[1], p[0]);
    if (unit == kUnitHour) t += QString::asprintf(" %02dч", p[3]);
    return t;
}

QDate DateOf(const uint8_t* p) { return QDate(2000 + p[0], p[1], p[2]); }

}  // namespace

TFormShortDate::TFormShortDate(const AvailableRange& range, int unit, const uint8_t* clock, ArchiveSettings& settings,
                               QWidget* parent)
    : QDialog(parent), range_(range), unit_(unit), settings_(settings) {
    std::memcpy(clock_, clock, 6);
    setWindowTitle(QString::fromUtf8("Ввод периода времени запрашиваемых данных"));
    setModal(true);
    auto* main = new QVBoxLayout(this);
    oldest_ = new QLabel(RangeText("Дата и время самой старой записи в архиве:", range.oldest, unit), this);
    latest_ = new QLabel(RangeText("Дата и время последней записи в архиве:", range.latest, unit), this);
    main->addWidget(oldest_);
    main->addWidget(latest_);

    auto* groups = new QHBoxLayout;
    const char* titles[2] = {" Начало периода ", " Конец периода "};
    for (int e = 0; e < 2; ++e) {
        auto* box = new QGroupBox(QString::fromUtf8(titles[e]), this);
        auto* grid = new QGridLayout(box);
        grid->addWidget(new QLabel(QString::fromUtf8("Дата"), box), 0, 0);
        date_[e] = new QDateEdit(box);
        date_[e]->setDisplayFormat("dd.MM.yyyy");
        date_[e]->setCalendarPopup(true);
        date_[e]->setMinimumDate(QDate(2000, 1, 1));
        grid->addWidget(date_[e], 1, 0);
        if (unit == kUnitHour) {
            grid->addWidget(new QLabel(QString::fromUtf8("Часы"), box), 0, 1);
            hour_[e] = new QComboBox(box);
            for (int h = 0; h < 24; ++h) hour_[e]->addItem(QString::number(h));
            grid->addWidget(hour_[e], 1, 1);
        }
        groups->addWidget(box);
    }
    main->addLayout(groups);

    auto* choiceBox = new QGroupBox(QString::fromUtf8(" Задание периода"), this);
    auto* choiceLayout = new QVBoxLayout(choiceBox);
    choices_[0] = new QRadioButton(QString::fromUtf8(unit == kUnitHour ? "За последние сутки" : "За последний месяц"),
                                   choiceBox);
    choices_[1] = new QRadioButton(QString::fromUtf8("Заданный период"), choiceBox);
    for (int i = 0; i < 2; ++i) {
        choiceLayout->addWidget(choices_[i]);
        connect(choices_[i], &QRadioButton::clicked, this, [this, i] { Choose(i); });
    }
    main->addWidget(choiceBox);

    auto* buttons = new QHBoxLayout;
    accept_ = new QPushButton(QString::fromUtf8("Принять"), this);
    cancel_ = new QPushButton(QString::fromUtf8("Отменить"), this);
    buttons->addStretch();
    buttons->addWidget(accept_);
    buttons->addWidget(cancel_);
    main->addLayout(buttons);
    connect(accept_, &QPushButton::clicked, this, &TFormShortDate::Accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    accept_->setDefault(true);

    Show(ShortDatePreset(range_, unit_));
    Choose(settings_.periodChoice < 0 ? 0 : settings_.periodChoice > 1 ? 1 : settings_.periodChoice);
}

void TFormShortDate::Show(const ShortPeriod& p) {
    const uint8_t* v[2] = {p.start, p.end};
    for (int e = 0; e < 2; ++e) {
        date_[e]->setDate(DateOf(v[e]));
        if (hour_[e]) hour_[e]->setCurrentIndex(v[e][3] < 24 ? v[e][3] : 0);
    }
}

void TFormShortDate::Take(ShortPeriod& p) const {
    uint8_t* v[2] = {p.start, p.end};
    for (int e = 0; e < 2; ++e) {
        const QDate d = date_[e]->date();
        v[e][0] = uint8_t(d.year() - 2000);
        v[e][1] = uint8_t(d.month());
        v[e][2] = uint8_t(d.day());
        v[e][3] = hour_[e] ? uint8_t(hour_[e]->currentIndex()) : 0;
        v[e][4] = 0;
    }
}

void TFormShortDate::Choose(int choice) {
    settings_.periodChoice = choice;
    choices_[choice]->setChecked(true);
    const bool editable = choice == 1;
    if (!editable) Show(ShortDateLastChoice(clock_, unit_));
    for (int e = 0; e < 2; ++e) {
        date_[e]->setEnabled(editable);
        if (hour_[e]) hour_[e]->setEnabled(editable);
    }
}

void TFormShortDate::Accept() {
    ShortPeriod p;
    Take(p);
    const ShortDateCheck check = ShortDateAccept(range_, unit_, p);
    if (check != kShortDateOk) {
        ShowMessageBox(kMsgInputError, QString::fromUtf8(ShortDateCheckLine(check, 0)),
                       QString::fromUtf8(ShortDateCheckLine(check, 1)), this);
        FocusFailedField(this, date_[check == kShortDateEndBeforeStart ? 1 : 0]);
        return;
    }
    period_ = p;
    accepted_ = true;
    accept();
}

}  // namespace zul
