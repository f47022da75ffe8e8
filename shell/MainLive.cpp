// Menu commands of the live views: chromatograph and moisture-meter data, and
// the controller's current state with the way to the table states.
#include <cstring>

#include <QProgressBar>  // QtUserInterface keeps a QPointer to one
#include <QTimer>

#include "editors/LiveData.h"
#include "editors/Mom.h"
#include "editors/MomWmt.h"
#include "editors/Prz.h"
#include "editors/Vichinf.h"
#include "shell/Main.h"
#include "shell/Tableinfo.h"
#include "tables/Conffun.h"

namespace zul {

namespace {

// The opening steps of the two data views: the link with the instrument read
// from table 33 (progress and messages), then its message when there is none.
bool InstrumentLinked(TableIo& io, TPanelBar* bar, int field, const char* line1) {
    io.ui().SetBusyCursor(true);
    const uint8_t req[3] = {33, uint8_t(field), 1};
    const bool ok = io.ReadFields(req, bar, true);
    io.ui().SetBusyCursor(false);
    if (!ok) return false;
    bar->setText(2, QString());
    if (io.image().Byte(33, field) == 0) {
        io.ui().ShowMessageBox(kMsgPlain, line1, "(см. текущее состояние контроллера)");
        return false;
    }
    return true;
}

}  // namespace

void TFormMain::NChrom_MomDataClick() {
    TableIo io(*qrtbox_, *image_, ui_);
    if (!InstrumentLinked(io, mainBar_, 0, "Нет связи с хроматографом")) return;
    if (std::memcmp(image_->Data(41), "\0\0\0\0", 4) == 0) {
        const uint8_t req41[3] = {41, 0, 1};
        io.ReadFields(req41, mainBar_, true);  // the view opens without the serial number too
    }
    {
        TFormMom view(io, mainBar_, this);
        view.exec();
    }
    StartMessageTimer();
}

void TFormMain::NWmt_MomDataClick() {
    TableIo io(*qrtbox_, *image_, ui_);
    if (!InstrumentLinked(io, mainBar_, 1, "Нет связи с влагомером")) return;
    TFormMomWmt view(io, mainBar_, this);
    view.exec();
}

void TFormMain::ShowFlowComputers(const uint8_t* record, int count) {
    TFormVichInf view(record, count, this);
    view.exec();
}

void TFormMain::NSitClick() {
    TableIo io(*qrtbox_, *image_, ui_);
    TableStateInfo info;
    int code = kInfoExit;
    for (;;) {
        bool tables = false;
        {
            TFormPrz view(io, mainBar_, info.bytes, this);
            view.startMessageTimer = [this] { StartMessageTimer(); };
            view.openFlowComputers = [this](const uint8_t* record, int count) { ShowFlowComputers(record, count); };
            view.exec();
            tables = view.tableStateChosen();
        }
        if (!tables) break;
        {
            TFormTableInfo dialog(info, image_->Byte(0, 3), *qrtbox_, settings_->link, ui_, this);
            dialog.onReset = [this] { RefreshLinkStatus(mainBar_); };
            dialog.exec();
            code = dialog.result();
        }
        if (code != kInfoExit) break;
    }
    if (code == kInfoReset) {
        ui_.SetBusyCursor(true);
        CloseLink();
        ui_.SetBusyCursor(false);
    }
    SetupMenus();
}

}  // namespace zul
