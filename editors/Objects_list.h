// The list of objects offered by the spreadsheet reports.
#pragma once
#include <QDialog>

#include "link/LinkSettings.h"

class QPushButton;
class QTableWidget;

namespace zul {

class ProgramSettings;
class UserInterface;

class TFormObjects_List : public QDialog {
    Q_OBJECT
public:
    // Works directly on settings.objects; a copy taken now is put back when the
    // dialog is left without "Принять". "Принять" saves a changed list.
    TFormObjects_List(ProgramSettings& settings, UserInterface& ui, QWidget* parent = nullptr);

    bool accepted() const { return accepted_; }

    QTableWidget* Grid = nullptr;
    QPushButton* BtnChange = nullptr;
    QPushButton* BtnDelete = nullptr;
    QPushButton* BtnAdd = nullptr;
    QPushButton* BtnAccept = nullptr;
    QPushButton* BtnCancel = nullptr;

public slots:
    void reject() override;

private slots:
    void ChangeClick();
    void AddClick();
    void DeleteClick();
    void AcceptClick();

private:
    void Redraw();

    ProgramSettings& settings_;
    ObjectList& list_;
    const ObjectList copy_;
    UserInterface& ui_;
    bool accepted_ = false;
};

}  // namespace zul
