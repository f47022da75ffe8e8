// The period dialog of the hourly and daily reads, TFormShortDate ("Ввод периода
// времени запрашиваемых данных"): first and last hour (mode 0) or day (mode 1)
// within the range the controller holds.
//
//   TFormShortDate f(range, kUnitHour, image.Data(2), settings.archive, this);
//   if (f.exec() == QDialog::Accepted) Read(f.period());   // clipped to the range
#pragma once
#include <QDialog>

#include "link/LinkSettings.h"
#include "measurements/AverageRange.h"

class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QRadioButton;

namespace zul {

class TFormShortDate : public QDialog {
    Q_OBJECT
public:
    // `clock`: the controller clock (6 bytes, table 2 just read); `unit` kUnitHour or kUnitDay.
    TFormShortDate(const AvailableRange& range, int unit, const uint8_t* clock, ArchiveSettings& settings,
                   QWidget* parent = nullptr);

    bool accepted() const { return accepted_; }
    const ShortPeriod& period() const { return period_; }

    QLabel* oldestLabel() const { return oldest_; }
    QLabel* latestLabel() const { return latest_; }
    QDateEdit* datePicker(bool end) const { return date_[end]; }
    QComboBox* hourList(bool end) const { return hour_[end]; }  // null for days
    QRadioButton* choice(int i) const { return choices_[i]; }
    QPushButton* acceptButton() const { return accept_; }
    QPushButton* cancelButton() const { return cancel_; }

    void Choose(int choice);
    void Accept();

private:
    void Show(const ShortPeriod& p);
    void Take(ShortPeriod& p) const;

    AvailableRange range_;
    int unit_;
    uint8_t clock_[6];
    ArchiveSettings& settings_;
    bool accepted_ = false;
    ShortPeriod period_;
    QLabel* oldest_ = nullptr;
    QLabel* latest_ = nullptr;
    QDateEdit* date_[2] = {};
    QComboBox* hour_[2] = {};
    QRadioButton* choices_[2] = {};
    QPushButton* accept_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace zul
