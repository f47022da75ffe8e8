// What the table-state dialog shows and decides, without the window: one row per
// configuration table, which boxes and buttons are live, and the results of its
// three action buttons.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace zul {

class Qrtbox;
class UserInterface;
struct LinkSettings;

// The 135 bytes handed to the dialog: configuration flags, table-7 states, restore marks.
struct TableStateInfo {
    uint8_t bytes[135] = {};
    uint8_t* configFlags() { return bytes; }
    uint8_t* states() { return bytes + 45; }
    uint8_t* marks() { return bytes + 90; }
    const uint8_t* states() const { return bytes + 45; }
    const uint8_t* marks() const { return bytes + 90; }
};

enum TableInfoResult { kInfoExit = 0, kInfoWriteSelected = 1, kInfoWriteAll = 2, kInfoReset = 3, kInfoStay = -1 };

struct TableInfoRow {
    int table;
    std::string text;    // " Табл. %2d.  %s"
    bool damaged;
    bool checked;
    bool checkEnabled;
};

class TableInfoModel {
public:
    TableInfoModel(TableStateInfo& info, uint8_t version, uint8_t linkKind);

    std::vector<TableInfoRow> rows;
    bool writeAllEnabled = false;
    bool writeSelectedEnabled = false;
    bool resetEnabled = true;
    int firstDamagedRow = -1;

    int WriteSelected(UserInterface& ui);
    int WriteAll();
    // Command 25; on success the controller answers at address 1, 9600 bit/s.
    int ResetNonVolatile(Qrtbox& box, LinkSettings& settings, UserInterface& ui);

private:
    void ApplyMarkRules();
    TableStateInfo& info_;
};

}  // namespace zul
