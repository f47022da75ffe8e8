#include "shell/TableInfoModel.h"

#include <cstdio>

#include "link/LinkSettings.h"
#include "link/Qrtbox.h"
#include "shell/UserInterface.h"
#include "tables/Stringi.h"

namespace zul {

TableInfoModel::TableInfoModel(TableStateInfo& info, uint8_t version, uint8_t linkKind) : info_(info) {
    const bool direct = linkKind == kLinkDirect;
    for (int t = 0; t < kTableCount; ++t) {
        if (!info.configFlags()[t]) continue;
        char text[160];
        std::snprintf(text, sizeof text, " Табл. %2d.  %s", t, Table(t).name);
        TableInfoRow row{t, text, info.states()[t] != 0, false, true};
        row.checked = row.damaged;
        if (t == 4 && !row.damaged) row.checkEnabled = false;
        if (!direct) {
            row.checked = false;
            row.checkEnabled = false;
        }
        if (row.damaged && firstDamagedRow < 0) firstDamagedRow = int(rows.size());
        rows.push_back(row);
    }
    if (version == 14) {
        writeAllEnabled = writeSelectedEnabled = resetEnabled = direct;
    } else {
        writeAllEnabled = writeSelectedEnabled = false;
        resetEnabled = true;
    }
}

void TableInfoModel::ApplyMarkRules() {
    uint8_t* marks = info_.marks();
    if (!info_.states()[2]) marks[2] = 0;
    marks[4] = info_.states()[4] ? 1 : 0;
}

int TableInfoModel::WriteSelected(UserInterface& ui) {
    uint8_t* marks = info_.marks();
    bool any = false;
    for (int t = 0; t < kTableCount; ++t) marks[t] = 0;
    for (const TableInfoRow& r : rows) {
        marks[r.table] = r.checked ? 1 : 0;
        any = any || r.checked;
    }
    if (!any) {
        ui.ShowMessageBox(kMsgPlain, "Не заданы таблицы для записи", "");
        return kInfoStay;
    }
    ApplyMarkRules();
    return kInfoWriteSelected;
}

int TableInfoModel::WriteAll() {
    for (int t = 0; t < kTableCount; ++t) info_.marks()[t] = info_.configFlags()[t] ? 1 : 0;
    ApplyMarkRules();
    return kInfoWriteAll;
}

int TableInfoModel::ResetNonVolatile(Qrtbox& box, LinkSettings& settings, UserInterface& ui) {
    if (!ui.ShowMessageBox(kMsgQuestion, "Вы уверены, что хотите выполнить сброс", "всех энергонезависимых данных?"))
        return kInfoStay;
    ui.SetBusyCursor(true);
    bool ok = box.Exchange(25, nullptr, 0, 0);
    ui.SetBusyCursor(false);
    if (!ok) {
        ui.ShowMessageBox(kMsgPlain, "Команда не может быть выполнена.", box.ErrorText());
        return kInfoStay;
    }
    resetEnabled = false;
    box.address = 1;
    box.baudRate = 9600;
    settings.direct.address = 1;
    settings.direct.speed = 9600;
    return kInfoReset;
}

}  // namespace zul
