#include "shell/MainStart.h"

#include "editors/Config.h"
#include "editors/Access.h"
#include "editors/Shortuspass.h"
#include "link/Connect.h"
#include "link/Tcp_fun.h"
#include "shell/Main.h"
#include "shell/MainModem.h"
#include "shell/MessageBox.h"
#include "shell/Suplfunc.h"
#include "shell/Tableinfo.h"

namespace zul {

bool MainStartHost::ShowConnectDialog() {
    ProgramSettings& s = main_.settings();
    if (connectWithoutDialog) {
        connectWithoutDialog = false;
        if (s.link.current.connectionKind == kLinkPhone && s.link.phone.subscribers.count > 0) {
            // The dialog's own "Связаться" with the stored choice, without showing it.
            TFormConnect dialog(main_);
            dialog.ConnectClick();
            if (dialog.connected()) return true;
        }
        EthernetSettings& eth = s.link.ethernet;
        if (s.link.current.connectionKind == kLinkEthernet && eth.subscribers.count > 0) {
            const int address = eth.subscribers.entries[eth.subscribers.selected].address;
            if (ConnectTcp(*main_.qrtbox(), eth, address, *main_.ui())) {
                main_.secondBar()->show();
                main_.thirdBar()->show();
                main_.RefreshLinkStatus(main_.mainBar());
                return true;
            }
        }
    }
    TFormConnect dialog(main_);
    dialog.exec();
    return dialog.connected();
}

void MainStartHost::CloseLink() {
    main_.CloseLink();
    if (start) start->modemConnected = main_.modemConnected;
}
void MainStartHost::HideAllMenus() { main_.HideTopLevelMenus(); }

void MainStartHost::SetupMenus() {
    if (start) {
        main_.linkEstablished = start->linkEstablished;
        main_.writeAll = start->writeAll;
        main_.modemConnected = start->modemConnected;
    }
    main_.SetupMenus();
}

void MainStartHost::RefreshLinkStatus() { main_.RefreshLinkStatus(main_.mainBar()); }
void MainStartHost::SaveSettings() { main_.settings().SaveSettings(); }
void MainStartHost::AskCredentials() { zul::AskCredentials(*main_.qrtbox(), &main_); }

bool MainStartHost::DialSubscriber() {
    // The window's flag follows at once, so that a link closed later in the
    // sequence hangs the modem up.
    main_.modemConnected = zul::DialSubscriber(main_);
    return main_.modemConnected;
}

int MainStartHost::ShowTableInfo(TableStateInfo& info, uint8_t version) {
    TFormTableInfo dialog(info, version, *main_.qrtbox(), main_.settings().link, *main_.ui(), &main_);
    dialog.onReset = [this] { main_.RefreshLinkStatus(main_.mainBar()); };
    dialog.exec();
    return dialog.result();
}

bool MainStartHost::EditConfiguration(ConfigurationRecord& record, bool& saveRequested) {
    saveRequested = false;
    TFormConfig dialog(&record, true, main_.ui(), &main_);
    dialog.exec();
    return dialog.accepted();
}

bool MainStartHost::EditAccessTable(uint8_t* table4) {
    TFormAccess dialog(table4, kDeviceMode, main_.ui(), &main_);
    dialog.exec();
    return dialog.accepted();
}

void MainStartHost::ShowRestoreWait(bool shown) {
    if (shown)
        main_.BeginWait(kWaitWriteConfig);
    else
        main_.EndWait();
}

}  // namespace zul
