// The main window's handlers of the table editors: each runs its command of
// editors/EditorCommands.h with the window's engine, image, bar and settings.
#include <QProgressBar>  // QtUserInterface keeps a QPointer to one

#include "editors/EditorCommands.h"
#include "shell/Main.h"
#include "tables/Conffun.h"

namespace zul {

namespace {
template <class F>
void RunEditor(TFormMain& w, F command) {
    TableIo io(*w.qrtbox(), *w.image(), *w.ui());
    EditorHost host{io, w.mainBar(), &w, &w.settings().link, [&w] { w.RefreshLinkStatus(w.mainBar()); },
                    [&w] { w.SetupMenus(); }};
    command(host);
}
}  // namespace

void TFormMain::NidentClick() { RunEditor(*this, ShowIdentification); }
void TFormMain::NContrNameClick() { RunEditor(*this, EditNames); }
void TFormMain::NConVUClick() { RunEditor(*this, EditUpperLevelLink); }
void TFormMain::NVrgConnClick() { RunEditor(*this, EditFlowComputerLink); }
void TFormMain::NConQRTClick() { RunEditor(*this, EditChromatographLink); }
void TFormMain::NConnWMTClick() { RunEditor(*this, EditMoistureMeterLink); }
void TFormMain::N_EthernetClick() { RunEditor(*this, EditEthernet); }
void TFormMain::NsysClick() { RunEditor(*this, EditSystemParameters); }
void TFormMain::NCurrVichClick() { RunEditor(*this, EditFlowComputers); }
void TFormMain::NInsensClick() { RunEditor(*this, [](EditorHost& h) { EditLimits(h, 0); }); }
void TFormMain::NLowAttentClick() { RunEditor(*this, [](EditorHost& h) { EditLimits(h, 1); }); }
void TFormMain::NUpAttentClick() { RunEditor(*this, [](EditorHost& h) { EditLimits(h, 2); }); }
void TFormMain::NLowLimitClick() { RunEditor(*this, [](EditorHost& h) { EditLimits(h, 3); }); }
void TFormMain::NUpperLimitClick() { RunEditor(*this, [](EditorHost& h) { EditLimits(h, 4); }); }
void TFormMain::NDistrClick() { RunEditor(*this, EditWriteNeed); }
void TFormMain::NdistrparClick() { RunEditor(*this, EditWritePeriod); }
void TFormMain::N_ConstClick() { RunEditor(*this, EditConstants); }
void TFormMain::NMac_AdrClick() { RunEditor(*this, ShowMacAddress); }

}  // namespace zul
