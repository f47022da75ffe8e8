// The editor of one object name.
#pragma once
#include <QDialog>

#include "link/LinkSettings.h"

class QLineEdit;
class QPushButton;

namespace zul {

class UserInterface;

class TFormObject : public QDialog {
    Q_OBJECT
public:
    // `newEntry`: the box starts empty, else it shows the entry's name.
    TFormObject(ObjectEntry& entry, bool newEntry, UserInterface& ui, QWidget* parent = nullptr);
    bool accepted() const { return accepted_; }

    QLineEdit* EdName = nullptr;
    QPushButton* BtnAccept = nullptr;
    QPushButton* BtnCancel = nullptr;

private slots:
    void AcceptClick();

private:
    ObjectEntry& entry_;
    UserInterface& ui_;
    bool accepted_ = false;
};

}  // namespace zul
