// The list of telephone or Ethernet subscribers: sort, add, change, delete.
#pragma once
#include <QDialog>

#include "link/LinkSettings.h"

class QPushButton;
class QTableWidget;
class QToolButton;

namespace zul {

class UserInterface;

class TFormAbonents_List : public QDialog {
    Q_OBJECT
public:
    // Works on a copy of the list of `kind` (1 telephone, 2 Ethernet) in
    // `settings`; on "Принять" the copy replaces the program's list.
    TFormAbonents_List(LinkSettings& settings, int kind, UserInterface& ui, QWidget* parent = nullptr);
    // Cuts the grid header's signals first: the header resizes while the base
    // classes tear the children down, after this object has stopped being a list.
    ~TFormAbonents_List() override;

    bool accepted() const { return accepted_; }

    QTableWidget* Grid = nullptr;
    QToolButton* BtnSortName = nullptr;    // on the name head
    QToolButton* BtnSortNumber = nullptr;  // on the telephone number / IP address head
    QPushButton* BtnChange = nullptr;
    QPushButton* BtnDelete = nullptr;
    QPushButton* BtnAdd = nullptr;
    QPushButton* BtnAccept = nullptr;
    QPushButton* BtnCancel = nullptr;

    // The working copy as it stands.
    const TelephoneSubscriberList& phoneList() const { return phone_; }
    const EthernetSubscriberList& ethernetList() const { return ethernet_; }

private slots:
    void ChangeClick();
    void AddClick();
    void DeleteClick();
    void AcceptClick();
    void SetSortMode(int mode);

private:
    void Redraw();
    void PlaceSortButtons();
    uint8_t& Count();
    uint8_t& Selected();
    uint8_t& SortMode();

    LinkSettings& settings_;
    const int kind_;
    UserInterface& ui_;
    TelephoneSubscriberList phone_;
    EthernetSubscriberList ethernet_;
    bool accepted_ = false;
};

}  // namespace zul
