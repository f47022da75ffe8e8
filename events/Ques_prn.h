// The print-title dialog: what is about to be printed, and the organisation name
// for the top of the report, remembered in "title.ini" between runs.
#pragma once
#include <cstdint>
#include <string>

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace zul {

class TFormQues_Prn : public QDialog {
    Q_OBJECT
public:
    // `header`: the data's archive file header (905 bytes); `titleIni`: the file
    // that keeps the name (read now, written on "Печатать" when the name changed).
    TFormQues_Prn(int printKind, const uint8_t* header, std::string titleIni, QWidget* parent = nullptr);

    bool accepted() const { return accepted_; }
    // The name accepted, UTF-8.
    std::string organisation() const { return organisation_; }

    QLineEdit* EdLines[3] = {};      // read-only: the kind of data and its period
    QLineEdit* EdOrganisation = nullptr;
    QPushButton* BtnPrint = nullptr;
    QPushButton* BtnCancel = nullptr;

private slots:
    void PrintClick();

private:
    std::string titleIni_;
    std::string stored_;  // cp1251, as read from the file
    std::string organisation_;
    bool accepted_ = false;
};

}  // namespace zul
