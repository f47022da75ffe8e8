// The main window's handlers of configuration files: a new or an existing file
// edited in the configuration dialog, and the configuration of the connected
// controller saved in a file.
#include <QAction>

#include "editors/Config.h"
#include "link/Clock.h"
#include "shell/Folders.h"
#include "shell/Main.h"
#include "shell/Suplfunc.h"
#include "tables/ConfigFile.h"
#include "tables/ConfigIo.h"
#include "tables/ConfigRecord.h"
#include "tables/Conffun.h"

namespace zul {

void TFormMain::NParCnfClick() {
    auto* item = qobject_cast<QAction*>(sender());
    const bool isNew = !item || item->objectName() == "NNewCnf";
    const std::string folder = workFolder(kFolderConfig);
    ConfigurationRecord record;
    if (isNew)
        NewConfiguration(record);
    else if (!LoadConfigurationFile(record, ui_, folder))
        return;
    TFormConfig dialog(&record, false, &ui_, this);
    dialog.exec();
    // A new configuration is offered for saving even when nothing was changed.
    if (dialog.accepted() && (dialog.changed() || isNew))
        SaveConfigurationFile(record, ui_, folder, SystemClock::Instance().LocalNow());
}

void TFormMain::NrdcnfClick() {
    ui_.SetBusyCursor(true);
    BeginWait(kWaitReadTables);
    TableIo io(*qrtbox_, *image_, ui_);
    const bool ok = ReadConfiguration(io, mainBar_);
    ui_.SetBusyCursor(false);
    EndWait();
    if (!ok) {
        ui_.ShowMessageBox(kMsgExchangeResult, "Параметры конфигурации не прочитаны", "");
        return;
    }
    ConfigurationRecord record;
    NewConfiguration(record);
    ConfigurationFromImage(record, *image_);
    SaveConfigurationFile(record, ui_, workFolder(kFolderConfig), SystemClock::Instance().LocalNow());
    SetupMenus();
}

}  // namespace zul
