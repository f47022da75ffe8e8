// The start sequence of every connection: choose the link, identify the
// controller from table 0, look at the table states, read the base tables and
// set up the menus. The window side (dialogs, menus, cursor) comes through StartHost.
#pragma once
#include <cstdint>

#include "shell/TableInfoModel.h"

namespace zul {

class Qrtbox;
class TableImage;
class TableIo;
class UserInterface;
class StatusBar;
class Clock;
struct LinkSettings;

class StartHost {
public:
    virtual ~StartHost() = default;
    virtual bool ShowConnectDialog() = 0;        // true when a link was set up
    virtual void CloseLink() = 0;
    virtual void HideAllMenus() = 0;
    virtual void SetupMenus() = 0;
    virtual void RefreshLinkStatus() = 0;
    virtual void SaveSettings() = 0;
    virtual void AskCredentials() = 0;           // login dialog into the engine
    virtual bool DialSubscriber() = 0;           // telephone kind: the modem call
    virtual int ShowTableInfo(TableStateInfo& info, uint8_t version) = 0;
};

// Table 0: the controller's type and software version; another type or version is
// refused with the start sequence's message.
bool IdentifyController(TableIo& io, UserInterface& ui, StatusBar* bar);
// The base tables every command relies on: 5 (names), 6, 14, 1, 40 and, with a
// moisture meter, table 15 field 6; false (with the message) when they cannot be read.
bool ReadBaseTables(TableIo& io, UserInterface& ui, StatusBar* bar);

class ConnectionStart {
public:
    ConnectionStart(Qrtbox& box, TableImage& image, TableIo& io, UserInterface& ui, LinkSettings& settings,
                    StatusBar* mainBar, StartHost& host, const Clock& clock);

    // The whole sequence (the start timer's handler).
    void TimerStartTimer();
    bool ReadBaseTables();
    bool CheckTimeWritable(const TableStateInfo& info);
    bool WritePcTime();
    bool WriteAccessTable();

    bool linkEstablished = false;
    bool writeAll = false;
    bool modemConnected = false;

private:
    bool Identify();
    // Restoring tables from a configuration file; false when it did not happen.
    bool Restore(TableStateInfo& info);
    uint8_t& StoredAddress();

    Qrtbox& box_;
    TableImage& image_;
    TableIo& io_;
    UserInterface& ui_;
    LinkSettings& settings_;
    StatusBar* bar_;
    StartHost& host_;
    const Clock& clock_;
};

}  // namespace zul
