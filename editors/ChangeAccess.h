// One registered user changed in the controller: the slot, its name, level, code
// and password, with the maker and administrator rules; a removal needs nothing
// but the level "Нет доступа".
#pragma once
#include <array>

#include "editors/EditorDialog.h"
#include "editors/Uspass.h"
#include "tables/UserRules.h"

class QListWidget;

namespace zul {

class TFormChangeAccess : public TFormEditor {
    Q_OBJECT
public:
    // `table4`: table 4 in the table image; on acceptance only the changed slot differs.
    TFormChangeAccess(uint8_t* table4, UserInterface* ui = nullptr, QWidget* parent = nullptr);

    // The slot changed (0..15), valid after acceptance.
    int changedSlot() const { return changed_; }

    QListWidget* LbUsers = nullptr;
    QLineEdit* EdName = nullptr;
    QComboBox* CbLevel = nullptr;
    CredentialBoxes credentials;

protected:
    bool Store(uint8_t* bytes) override;

private:
    void SelectSlot(int slot);

    std::array<uint8_t, kUserTableSize> copy_{};
    UserTableSummary summary_;
    int changed_ = -1;
};

// "Доступ пользователей к таблицам параметров": table 7 checked, table 4 read in
// two requests, the dialog, then exactly the changed user's field written.
class TableIo;
class StatusBar;
void ChangeOneUser(TableIo& io, StatusBar* bar, QWidget* parent);

}  // namespace zul
