// All 16 registered users (table 4) at once: level, name, and per user the
// password and code dialog. Device mode for the restore of a damaged table 4,
// file mode for configuration files.
#pragma once
#include <array>

#include "editors/EditorDialog.h"
#include "tables/UserRules.h"

namespace zul {

class TFormAccess : public TFormEditor {
    Q_OBJECT
public:
    // `table4`: the 352 bytes of a user table, replaced only on acceptance.
    TFormAccess(uint8_t* table4, EditMode mode, UserInterface* ui = nullptr, QWidget* parent = nullptr);

    std::array<QComboBox*, kUserSlots> CbLevel{};
    std::array<QLineEdit*, kUserSlots> EdName{};
    std::array<QPushButton*, kUserSlots> BtnUser{};
    // The private copy the rows edit (bytes 6..21 of a row after its dialog).
    const uint8_t* copy() const { return copy_.data(); }

public slots:
    void UserClick(int row);

protected:
    bool Store(uint8_t* bytes) override;

private:
    std::array<uint8_t, kUserTableSize> copy_{};
};

}  // namespace zul
