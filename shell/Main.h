// The main window: owns the link engine and the table image, the settings, the
// menu that dispatches every command, the three status bars and the timers.
#pragma once
#include <memory>

#include <QMainWindow>
#include <QString>

#include "link/Qrtbox.h"
#include "link/Rd_wr_ini.h"
#include "shell/EscHook.h"
#include "shell/PanelBar.h"
#include "shell/QtUserInterface.h"
#include "tables/TableImage.h"

class QTimer;
class QMenu;

namespace zul {

class TFormWait;
class TModemPanel;
class TrafficTools;

class TFormMain : public QMainWindow {
    Q_OBJECT
public:
    // `programFolder`: chosen by the caller (ChooseProgramFolder), ends in '/'.
    explicit TFormMain(const std::string& programFolder, QWidget* parent = nullptr);
    ~TFormMain() override;

    // --- program-wide state ---------------------------------------------------
    Qrtbox* qrtbox() const { return qrtbox_.get(); }
    TableImage* image() const { return image_.get(); }
    ProgramSettings& settings() { return *settings_; }
    QtUserInterface* ui() { return &ui_; }
    EscHook* escHook() const { return escHook_; }
    const std::string& programFolder() const { return programFolder_; }
    std::string workFolder(int folder) const;  // WorkFolder

    bool linkEstablished = false;   // a controller is connected, identified, base tables read
    bool writeAll = false;          // all configuration tables are being rewritten
    bool modemConnected = false;

    // --- status bars: main (panels 0..3), second and third (one panel each) ---
    TPanelBar* mainBar() const { return mainBar_; }
    TPanelBar* secondBar() const { return secondBar_; }
    TPanelBar* thirdBar() const { return thirdBar_; }
    // The call duration and "Отключить связь" while a modem call is up.
    TModemPanel* modemPanel() const { return modemPanel_; }
    // The traffic monitor and the capture of exchanges.
    TrafficTools* traffic() const { return traffic_.get(); }
    // Panels 0 and 1 of `bar` and panel 0 of the second bar from the link settings.
    void RefreshLinkStatus(TPanelBar* bar);
    // A text in main panel 2 that the message timer empties after 3 s.
    void ShowTransientStatus(const QString& text);
    void StartMessageTimer();
    QTimer* TimerStart() const { return timerStart_; }
    QTimer* TimerMessage() const { return timerMessage_; }

    // --- wait window and archive reads ------------------------------------------
    // Shows the wait window of `kind` with a progress maximum, disables the main
    // window and sends the core's progress to its bar.
    TFormWait* BeginWait(int kind, int progressMax = 0);
    // Closes the wait window, enables the main window and brings it to the front.
    void EndWait();
    TFormWait* waitWindow() const { return wait_.get(); }
    // An archive read: the wait window in reading kind, the stop request cleared
    // and the read-in-progress flag set, so that Esc sets the stop request.
    void BeginArchiveRead(int progressMax);
    void EndArchiveRead();

    // --- menus --------------------------------------------------------------
    // Shows the items that fit the controller and the link (Part of the start sequence).
    void SetupMenus();
    void HideTopLevelMenus();
    // A menu item (or the item of a submenu) by its name, e.g. "NWmt_Data".
    QAction* menuItem(const QString& name) const;

    // The link: closes the socket or port, hides the link-dependent bars.
    void CloseLink();
    // The next start sequence connects to the selected Ethernet or telephone
    // subscriber without showing the connection dialog (demonstration mode).
    void ConnectWithoutDialogOnce() { connectWithoutDialogOnce_ = true; }

public slots:
    // The start sequence: 100 ms after creation, and again after "Связь с другим устройством".
    void TimerStartTimer();
    void TimerMessageTimer();

    // Файл
    void NParCnfClick();
    void NrdcnfClick();
    void NexitClick();
    // Параметры
    void NidentClick();
    void NContrNameClick();
    void NConVUClick();
    void NVrgConnClick();
    void NConQRTClick();
    void NConnWMTClick();
    void N_EthernetClick();
    void NsysClick();
    void NSinhrClick();
    void NCurrVichClick();
    void NInsensClick();
    void NLowAttentClick();
    void NUpAttentClick();
    void NLowLimitClick();
    void NUpperLimitClick();
    void NDistrClick();
    void NdistrparClick();
    void N_ConstClick();
    void NPassClick();
    // Данные
    void NMac_AdrClick();
    void NContrDtClick();
    void NArhIndClick();
    void NArhPerClick();
    void NAudPrnClick();
    void NAlaPrnClick();
    void NSitClick();
    void NChrom_MomDataClick();
    void NChrom_RdMeasClick();
    void NChrom_ViewMeasClick();
    void NChrom_RdHourClick();
    void NChrom_ViewHourClick();
    void NChrom_RdDayClick();
    void NChrom_ViewDayClick();
    void NChrom_RdClbClick();
    void NChrom_ViewClbClick();
    void NWmt_MomDataClick();
    void NWmt_RdMeasClick();
    void NWmt_ViewMeasClick();
    void NWmt_ReadHourClick();
    void NWmt_ViewHourClick();
    void NWmt_ReadDayClick();
    void NWmt_ViewDayClick();
    // Хранилище архивов
    void NStoreClick();
    // Отчеты
    void NExcDayClick();
    void NExcMonClick();
    // Связь с другим устройством
    void NconnectClick();
    // Версия
    void NUserClick();
    void NaboutClick();
    void NMonitorClick();     // "Монитор обмена" (MainTraffic.cpp)
    void NCaptureClick();     // "Записывать обмен в файл"

signals:
    // After the closing steps (engine destroyed, settings saved, scratch files deleted).
    void closed();
    // Each time the start sequence has ended, with or without a link.
    void startSequenceDone();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildMenus();
    void BuildStatusBars();
    void LayoutMainPanels();
    // The chromatograph archives (MainChrom.cpp): kind as ChromTableKind.
    void ChromByPeriod(int kind);
    void ChromByRange(int kind);
    void ExcReport(bool month);  // shell/MainReports.cpp
    // The flow-computer state view on its 48-byte record (addresses, links, writing states).
    void ShowFlowComputers(const uint8_t* record48, int count);
    void HideItem(const char* name);

    std::string programFolder_;
    std::unique_ptr<TableImage> image_;
    std::unique_ptr<Qrtbox> qrtbox_;
    std::unique_ptr<ProgramSettings> settings_;
    QtUserInterface ui_;
    EscHook* escHook_ = nullptr;
    TPanelBar* mainBar_ = nullptr;
    TPanelBar* secondBar_ = nullptr;
    TPanelBar* thirdBar_ = nullptr;
    TModemPanel* modemPanel_ = nullptr;
    QTimer* timerStart_ = nullptr;
    QTimer* timerMessage_ = nullptr;
    std::unique_ptr<TFormWait> wait_;
    std::unique_ptr<TrafficTools> traffic_;
    bool closed_ = false;
    bool connectWithoutDialogOnce_ = false;
};

}  // namespace zul
