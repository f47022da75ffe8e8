// The main window's side of the start sequence: the connection dialog, the
// login, the table-state dialog, menus and status bars.
#pragma once
#include <functional>

#include "shell/ConnectionStart.h"

namespace zul {

class TFormMain;

class MainStartHost : public StartHost {
public:
    explicit MainStartHost(TFormMain& main) : main_(main) {}

    bool ShowConnectDialog() override;
    void CloseLink() override;
    void HideAllMenus() override;
    void SetupMenus() override;
    void RefreshLinkStatus() override;
    void SaveSettings() override;
    void AskCredentials() override;
    bool DialSubscriber() override;
    int ShowTableInfo(TableStateInfo& info, uint8_t version) override;
    bool EditAccessTable(uint8_t* table4) override;

    // The flags of the running sequence, so that the menus follow them.
    ConnectionStart* start = nullptr;
    // Connect once without showing the dialog (demonstration mode).
    bool connectWithoutDialog = false;

private:
    TFormMain& main_;
};

}  // namespace zul
