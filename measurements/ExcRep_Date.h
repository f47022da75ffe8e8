// The report dialog (" Параметры отчета за сутки" / " Параметры отчета за месяц"):
// the day (or month) of the report within the daily archive's range, and the
// object from the object list, which can be added to and edited from here.
#pragma once
#include <cstdint>
#include <string>

#include <QDialog>

#include "measurements/AverageRange.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace zul {

class ProgramSettings;
class UserInterface;

class TFormExcRep_Date : public QDialog {
    Q_OBJECT
public:
    TFormExcRep_Date(const AvailableRange& days, bool month, ProgramSettings& settings, UserInterface& ui,
                     QWidget* parent = nullptr);

    bool accepted() const { return accepted_; }
    // Year - 2000, month, day of the report (day 1 for a month report).
    const uint8_t* date() const { return date_; }
    // The object's name, UTF-8.
    const std::string& object() const { return object_; }

    QLabel* LbOldest = nullptr;
    QLabel* LbLatest = nullptr;
    QSpinBox* SpYear = nullptr;
    QComboBox* CbMonth = nullptr;
    QSpinBox* SpDay = nullptr;
    QComboBox* CbObject = nullptr;
    QPushButton* BtnObjects = nullptr;
    QPushButton* BtnAccept = nullptr;
    QPushButton* BtnCancel = nullptr;

private slots:
    void AcceptClick();
    void ObjectChosen(int index);
    void ObjectsClick();
    void FitDay();

private:
    void FillObjects();

    AvailableRange days_;
    bool month_;
    ProgramSettings& settings_;
    UserInterface& ui_;
    uint8_t date_[4] = {};
    std::string object_;
    bool accepted_ = false;
    bool filling_ = false;
};

}  // namespace zul
