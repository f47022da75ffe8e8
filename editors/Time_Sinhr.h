// Which clocks the controller and the chromatograph synchronise with: four
// bytes, table 6 fields 10-11 and table 14 fields 8-9 (device mode), or the same
// bytes of a configuration file (file mode).
#pragma once
#include "editors/EditorDialog.h"

class QCheckBox;

namespace zul {

class TFormTime_Sinhr : public TFormEditor {
    Q_OBJECT
public:
    TFormTime_Sinhr(uint8_t* bytes4, EditMode mode, UserInterface* ui = nullptr, QWidget* parent = nullptr);
    QCheckBox* ChkFlowComputer = nullptr;   // byte 0
    QCheckBox* ChkComputer = nullptr;       // byte 1
    QCheckBox* ChkChromFlow = nullptr;      // byte 2, only with byte 0
    QCheckBox* ChkChromComputer = nullptr;  // byte 3, only with byte 1

protected:
    bool Store(uint8_t* bytes) override;
};

class TableIo;
class StatusBar;
// "Синхронизация времени": the four bytes read, the dialog, then table 6 fields
// 10-11 written and, only when that succeeded, table 14 fields 8-9.
void EditTimeSynchronisation(TableIo& io, StatusBar* bar, QWidget* parent);

}  // namespace zul
