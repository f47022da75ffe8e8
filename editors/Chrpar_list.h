// The list of the gas parameters the controller reads (table 1 records 0..n-1),
// opened from the chromatograph dialog on a scratch record: byte 0 = n, then
// the 20 records of 64 bytes. It edits existing records only.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include <QDialog>

class QLineEdit;
class QPushButton;
class QTableWidget;

namespace zul {

class UserInterface;

constexpr int kParamListSize = 1 + 20 * 64;

class TFormChrPar_List : public QDialog {
    Q_OBJECT
public:
    TFormChrPar_List(uint8_t* record, UserInterface* ui = nullptr, QWidget* parent = nullptr);
    // Set when "Принять" found a change and copied it back.
    bool accepted() const { return accepted_; }
    QLineEdit* EdCount = nullptr;
    QTableWidget* Grid = nullptr;
    QPushButton* BtnChange = nullptr;
    QPushButton* BtnAccept = nullptr;
    QPushButton* BtnCancel = nullptr;

private slots:
    void ChangeClick();
    void AcceptClick();

private:
    void ShowRow(int row);
    uint8_t* record_;
    std::vector<uint8_t> work_;
    UserInterface* ui_;
    bool accepted_ = false;
};

}  // namespace zul
