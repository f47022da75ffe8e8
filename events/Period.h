// The period dialog TFormPeriod ("Ввод периода времени запрашиваемых данных"): start
// and end of the period of an archive read by period, each a date, an hour, a
// minute and a second; the choices "За последний час", "За последние сутки" and
// "Заданный период" are remembered in the archive-request settings.
//
//   TFormPeriod f(settings.archive, clock.LocalNow(), this);
//   if (f.exec() == QDialog::Accepted) Read(f.start(), f.end());
#pragma once
#include <QDialog>

#include "events/PeriodChoice.h"

class QComboBox;
class QDateEdit;
class QGroupBox;
class QPushButton;
class QRadioButton;

namespace zul {

class TFormPeriod : public QDialog {
    Q_OBJECT
public:
    TFormPeriod(ArchiveSettings& settings, double now, QWidget* parent = nullptr);

    bool accepted() const { return accepted_; }
    const PackedDateTime& start() const { return start_; }
    const PackedDateTime& end() const { return end_; }

    // The widgets (end = false: the start group).
    QDateEdit* datePicker(bool end) const { return date_[end]; }
    QComboBox* hourList(bool end) const { return lists_[end][0]; }
    QComboBox* minuteList(bool end) const { return lists_[end][1]; }
    QComboBox* secondList(bool end) const { return lists_[end][2]; }
    QRadioButton* choice(int i) const { return choices_[i]; }
    QPushButton* acceptButton() const { return accept_; }
    QPushButton* exitButton() const { return exit_; }

    void Choose(int choice);
    void Accept();

private:
    QGroupBox* MakeGroup(const QString& title, bool end);
    void Show(const PeriodPreset& p);

    ArchiveSettings& settings_;
    double now_;
    bool accepted_ = false;
    PackedDateTime start_{}, end_{};
    QDateEdit* date_[2] = {};
    QComboBox* lists_[2][3] = {};
    QRadioButton* choices_[3] = {};
    QPushButton* accept_ = nullptr;
    QPushButton* exit_ = nullptr;
};

}  // namespace zul
