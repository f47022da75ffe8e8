// The commands of the "Параметры" and "Данные" menus that open the table
// editors in device mode: read, saved copy, dialog, changed-field write and the
// command's follow-up. The main window calls them (shell/MainEditors.cpp) with
// its engine, image, status bar and settings; tests call them with their own.
#pragma once
#include <functional>
#include <string>

class QWidget;

namespace zul {

class TableIo;
class StatusBar;
struct LinkSettings;

struct EditorHost {
    TableIo& io;
    StatusBar* bar = nullptr;           // progress and results of reads and writes (main bar)
    QWidget* parent = nullptr;          // owner of the dialogs
    LinkSettings* link = nullptr;       // link parameter records the upper-level editor updates
    std::function<void()> refreshLinkStatus;  // after the engine's address or speed changed
    std::function<void()> setupMenus;         // after table 6 changed
};

void ShowIdentification(EditorHost& host);       // NidentClick
void EditNames(EditorHost& host);                // NContrNameClick
void EditUpperLevelLink(EditorHost& host);       // NConVUClick
void EditChromatographLink(EditorHost& host);    // NConQRTClick
void EditMoistureMeterLink(EditorHost& host);    // NConnWMTClick
void EditEthernet(EditorHost& host);             // N_EthernetClick
void EditSystemParameters(EditorHost& host);     // NsysClick
void ShowMacAddress(EditorHost& host);           // NMac_AdrClick
void EditFlowComputerLink(EditorHost& host);     // NVrgConnClick
void EditFlowComputers(EditorHost& host);        // NCurrVichClick
void EditLimits(EditorHost& host, int kind);     // NInsensClick .. NUpperLimitClick, kind 0..4
void EditWriteNeed(EditorHost& host);            // NDistrClick
void EditWritePeriod(EditorHost& host);          // NdistrparClick
void EditConstants(EditorHost& host);            // N_ConstClick

}  // namespace zul
