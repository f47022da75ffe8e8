// The restore branches of the start sequence: a configuration file is loaded,
// corrected and checked, then the damaged tables are written from it.
#include <cstring>

#include "link/Clock.h"
#include "shell/ConnectionStart.h"
#include "shell/Folders.h"
#include "shell/UserInterface.h"
#include "tables/ConfigCheck.h"
#include "tables/ConfigFile.h"
#include "tables/ConfigIo.h"
#include "tables/ConfigRecord.h"
#include "tables/Conffun.h"
#include "tables/TableImage.h"

namespace zul {

namespace {

bool OnlyClockAndUsers(const TableStateInfo& info) {
    for (int t = 0; t < kTableCount; ++t)
        if (t != 2 && t != 4 && info.marks()[t]) return false;
    return true;
}

}  // namespace

bool ConnectionStart::Restore(TableStateInfo& info) {
    ConfigurationRecord record;
    if (!LoadConfigurationFile(record, ui_, WorkFolderPath(kFolderConfig))) return false;
    if (!PrepareRestore(record, info)) return false;
    return WriteRestoredTables(info);
}

bool ConnectionStart::PrepareRestore(ConfigurationRecord& record, TableStateInfo& info) {
    const uint8_t* marks = info.marks();
    if (OnlyClockAndUsers(info)) {
        bool ok = true;
        if (marks[4]) ok = RestoreAccessTable(record.TableAt(4));
        if (ok && marks[2]) ok = CheckTimeWritable(info);
        return ok;
    }
    for (;;) {
        bool save = false;
        if (!host_.EditConfiguration(record, save)) return false;
        if (save) SaveConfigurationFile(record, ui_, WorkFolderPath(kFolderConfig), clock_.LocalNow());
        if (ValidateConfiguration(record, marks[4] != 0, image_, ui_)) return true;
        if (!ui_.ShowMessageBox(kMsgQuestion, "Корректировать параметры конфигурации?", "")) break;
    }
    ui_.ShowMessageBox(kMsgPlain, "Запись таблиц не выполнена", "");
    return false;
}

bool ConnectionStart::RestoreAccessTable(uint8_t* t4) {
    if (host_.EditAccessTable(t4)) {
        std::memcpy(image_.Data(4), t4, size_t(Table(4).Bytes()));
        return true;
    }
    ui_.ShowMessageBox(kMsgPlain, "Таблица доступа к записи в контроллер не восстановлена",
                       "Запись в таблицы параметров конфигурации недопустима");
    return false;
}

bool ConnectionStart::WriteRestoredTables(TableStateInfo& info) {
    uint8_t* marks = info.marks();
    if (bar_) bar_->SetPanelText(2, "");
    if (marks[4]) {
        ui_.SetBusyCursor(true);
        const bool ok = WriteAccessTable();
        ui_.SetBusyCursor(false);
        if (!ok) {
            ui_.ShowMessageBox(kMsgPlain, "Таблица зарегистрированных пользователей не восстановлена",
                               "Запись в таблицы параметров конфигурации недопустима");
            return false;
        }
        marks[4] = 0;
    }
    if (marks[2]) {
        if (!WritePcTime()) return false;
        marks[2] = 0;
    }
    host_.ShowRestoreWait(true);
    ConfigWriteOptions options;
    options.writeAll = writeAll;
    options.settings = &settings_;
    options.linkMoved = [this] { host_.RefreshLinkStatus(); };
    const bool ok = WriteMarkedTables(io_, marks, bar_, options);
    host_.ShowRestoreWait(false);
    return ok;
}

}  // namespace zul
