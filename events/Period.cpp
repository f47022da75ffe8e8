#include "events/Period.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "shell/KeyFilters.h"
#include "shell/MessageBox.h"
#include "shell/UserInterface.h"
#include "shell/Desktop.h"

namespace zul {

TFormPeriod::TFormPeriod(ArchiveSettings& settings, double now, QWidget* parent)
    : QDialog(parent), settings_(settings), now_(now) {
    setObjectName("FormPeriod");
    setWindowTitle(QStringLiteral("Ввод периода времени запрашиваемых данных"));
    auto* main = new QVBoxLayout(this);
    auto* groups = new QHBoxLayout;
    groups->addWidget(MakeGroup(QStringLiteral(" Начало периода "), false));
    groups->addWidget(MakeGroup(QStringLiteral(" Конец периода "), true));
    main->addLayout(groups);

    auto* choiceBox = new QGroupBox(QStringLiteral(" Задание периода"), this);
    auto* choiceLayout = new QVBoxLayout(choiceBox);
    auto* buttonGroup = new QButtonGroup(this);
    const char* const names[3] = {"За последний час", "За последние сутки", "Заданный период"};
    for (int i = 0; i < 3; ++i) {
        choices_[i] = new QRadioButton(QString::fromUtf8(names[i]), choiceBox);
        buttonGroup->addButton(choices_[i], i);
        choiceLayout->addWidget(choices_[i]);
    }
    main->addWidget(choiceBox);
    connect(buttonGroup, &QButtonGroup::idClicked, this, &TFormPeriod::Choose);

    auto* row = new QHBoxLayout;
    row->addStretch(1);
    accept_ = new QPushButton(QStringLiteral("Принять"), this);
    exit_ = new QPushButton(QStringLiteral("Выход"), this);
    accept_->setDefault(true);
    row->addWidget(accept_);
    row->addWidget(exit_);
    main->addLayout(row);
    connect(accept_, &QPushButton::clicked, this, &TFormPeriod::Accept);
    connect(exit_, &QPushButton::clicked, this, &QDialog::reject);

    // The remembered choice, handled as if clicked; a stored index beyond the
    // group selects its last item.
    const int c = std::clamp(settings_.periodChoice, 0, 2);
    choices_[c]->setChecked(true);
    Choose(c);
}

QGroupBox* TFormPeriod::MakeGroup(const QString& title, bool end) {
    auto* box = new QGroupBox(title, this);
    auto* grid = new QGridLayout(box);
    date_[end] = new QDateEdit(box);
    date_[end]->setCalendarPopup(true);
    date_[end]->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    date_[end]->setMinimumDate(QDate(2000, 1, 1));
    date_[end]->setMaximumDate(QDate(2255, 12, 31));
    grid->addWidget(new QLabel(QStringLiteral("Дата"), box), 0, 0);
    grid->addWidget(date_[end], 1, 0);
    const char* const names[3] = {"Часы", "Минуты", "Секунды"};
    for (int i = 0; i < 3; ++i) {
        lists_[end][i] = EditableNumberList(0, i == 0 ? 23 : 59, box);
        grid->addWidget(new QLabel(QString::fromUtf8(names[i]), box), 0, i + 1);
        grid->addWidget(lists_[end][i], 1, i + 1);
    }
    return box;
}

void TFormPeriod::Show(const PeriodPreset& p) {
    const PackedDateTime* v[2] = {&p.start, &p.end};
    for (int e = 0; e < 2; ++e) {
        const PackedDateTime& d = *v[e];
        date_[e]->setDate(QDate(2000 + d[0], d[1], d[2]));
        for (int i = 0; i < 3; ++i) {
            lists_[e][i]->setCurrentIndex(-1);
            lists_[e][i]->setEditText(QString::number(d[size_t(3 + i)]));
            lists_[e][i]->setEnabled(p.editable);
        }
        date_[e]->setEnabled(p.editable);
    }
}

void TFormPeriod::Choose(int choice) {
    settings_.periodChoice = choice;
    Show(PresetPeriod(choice, now_, settings_));
}

void TFormPeriod::Accept() {
    PeriodInput in;
    auto take = [this](bool e, CalDate& d, std::string& h, std::string& m, std::string& s) {
        const QDate q = date_[e]->date();
        d = CalDate{q.year(), q.month(), q.day()};
        h = lists_[e][0]->currentText().trimmed().toStdString();
        m = lists_[e][1]->currentText().trimmed().toStdString();
        s = lists_[e][2]->currentText().trimmed().toStdString();
    };
    take(false, in.startDate, in.startHour, in.startMinute, in.startSecond);
    take(true, in.endDate, in.endHour, in.endMinute, in.endSecond);
    const PeriodCheck c = CheckPeriod(in);
    if (!c.ok) {
        ShowMessageBox(kMsgInputError, QString::fromStdString(c.line1), QString::fromStdString(c.line2), this);
        // A time list, or the end date when the end comes before the start.
        FocusFailedField(this, c.field < 6 ? static_cast<QWidget*>(lists_[c.field / 3][c.field % 3]) : date_[1]);
        return;
    }
    if (settings_.periodChoice == kPeriodGiven) RememberPeriod(c, settings_);
    start_ = c.start;
    end_ = c.end;
    accepted_ = true;
    accept();
}

}  // namespace zul
