// The editor of one telephone or Ethernet subscriber.
#pragma once
#include <QDialog>

#include "link/LinkSettings.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace zul {

class UserInterface;

class TFormAbonent : public QDialog {
    Q_OBJECT
public:
    // `newEntry`: fill a new entry (the boxes start empty), else edit `entry`.
    TFormAbonent(TelephoneSubscriber& entry, bool newEntry, UserInterface& ui, QWidget* parent = nullptr);
    TFormAbonent(EthernetSubscriber& entry, bool newEntry, UserInterface& ui, QWidget* parent = nullptr);

    bool accepted() const { return accepted_; }

    QLineEdit* EdName = nullptr;
    QComboBox* CBAdr = nullptr;
    QLineEdit* EdPhone = nullptr;        // telephone
    QLineEdit* EdIp[4] = {};             // Ethernet, left to right as the dotted form
    QLineEdit* EdPort = nullptr;
    QPushButton* BtnAccept = nullptr;
    QPushButton* BtnCancel = nullptr;

private slots:
    void AcceptClick();

private:
    void Build(bool ethernet);
    bool Check();

    TelephoneSubscriber* phone_ = nullptr;
    EthernetSubscriber* ethernet_ = nullptr;
    UserInterface& ui_;
    bool accepted_ = false;
};

}  // namespace zul
