#include "events/Readindex.h"

#include <QButtonGroup>
#include <QFormLayout>
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

TFormIndex::TFormIndex(EventArchive archive, uint32_t oldest, uint32_t newest, ArchiveSettings& settings,
                       QWidget* parent)
    : QDialog(parent), oldest_(oldest), newest_(newest), settings_(settings) {
    setObjectName("FormIndex");
    setWindowTitle(archive == kEventsDiagnostic ? QStringLiteral("Индексы архивных записей диагностики")
                                                : QStringLiteral("Индексы архивных записей о вмешательствах"));
    auto* main = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    oldestBox_ = new QLineEdit(QString::number(oldest), this);
    newestBox_ = new QLineEdit(QString::number(newest), this);
    oldestBox_->setReadOnly(true);
    newestBox_->setReadOnly(true);
    startBox_ = new QLineEdit(this);
    countBox_ = new QLineEdit(this);
    countBox_->setToolTip(QStringLiteral("( 0...255 )"));
    InstallIntegerKeyFilter(startBox_);
    InstallIntegerKeyFilter(countBox_);
    form->addRow(QStringLiteral("Индекс самой старой записи"), oldestBox_);
    form->addRow(QStringLiteral("Индекс самой новой записи"), newestBox_);
    form->addRow(QStringLiteral("Индекс записи начала чтения"), startBox_);
    form->addRow(QStringLiteral("Количество записей для чтения"), countBox_);
    main->addLayout(form);

    auto* group = new QGroupBox(QStringLiteral(" Задание для чтения данных "), this);
    auto* groupLayout = new QVBoxLayout(group);
    auto* buttons = new QButtonGroup(this);
    const char* const names[5] = {"Весь диапазон данных", "Последние 100 записей", "Последние 50 записей",
                                  "Последние 10 записей", "Заданный диапазон данных"};
    for (int i = 0; i < 5; ++i) {
        choices_[i] = new QRadioButton(QString::fromUtf8(names[i]), group);
        buttons->addButton(choices_[i], i);
        groupLayout->addWidget(choices_[i]);
    }
    main->addWidget(group);
    connect(buttons, &QButtonGroup::idClicked, this, &TFormIndex::Choose);

    auto* row = new QHBoxLayout;
    row->addStretch(1);
    accept_ = new QPushButton(QStringLiteral("Принять"), this);
    exit_ = new QPushButton(QStringLiteral("Выход"), this);
    accept_->setAutoDefault(false);
    exit_->setAutoDefault(false);
    row->addWidget(accept_);
    row->addWidget(exit_);
    main->addLayout(row);
    connect(accept_, &QPushButton::clicked, this, &TFormIndex::Accept);
    connect(exit_, &QPushButton::clicked, this, &QDialog::reject);
    // Enter moves on: start box -> count box -> "Принять".
    connect(startBox_, &QLineEdit::returnPressed, countBox_, [this] { countBox_->setFocus(); });
    connect(countBox_, &QLineEdit::returnPressed, accept_, [this] { accept_->setFocus(); });

    const int c = std::clamp(settings_.indexChoice, 0, 4);
    choices_[c]->setChecked(true);
    Choose(c);
}

void TFormIndex::Choose(int choice) {
    settings_.indexChoice = choice;
    const IndexPreset p = PresetIndexes(choice, oldest_, newest_);
    startBox_->setEnabled(p.editable);
    countBox_->setEnabled(p.editable);
    if (p.editable) {
        startBox_->clear();
        countBox_->clear();
        startBox_->setFocus();
    } else {
        startBox_->setText(QString::number(p.start));
        countBox_->setText(QString::number(p.count));
        accept_->setFocus();
    }
}

void TFormIndex::Accept() {
    const IndexCheck c = CheckIndexes(startBox_->text().toStdString(), countBox_->text().toStdString(), oldest_, newest_,
                                        settings_.indexChoice == kIndexGiven);
    if (!c.ok) {
        ShowMessageBox(kMsgInputError, QString::fromStdString(c.line1), QString::fromStdString(c.line2), this);
        FocusFailedField(this, c.countFailed ? countBox_ : startBox_);
        return;
    }
    first_ = c.start;
    count_ = c.count;
    accepted_ = true;
    accept();
}

}  // namespace zul
