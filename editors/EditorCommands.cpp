#include "editors/EditorCommands.h"

#include <algorithm>
#include <cstring>

#include "editors/Connqrt.h"
#include "editors/Connvich.h"
#include "editors/Connvu.h"
#include "editors/Const_par.h"
#include "editors/Distrpar.h"
#include "editors/Floulist.h"
#include "editors/Przdistr.h"
#include "editors/limits.h"
#include "editors/Conneth.h"
#include "editors/Connwmt.h"
#include "editors/Contrname.h"
#include "editors/EditFlow.h"
#include "editors/EditorRules.h"
#include "editors/Ident.h"
#include "editors/Mac_adr.h"
#include "editors/Syspar.h"
#include "link/LinkSettings.h"
#include "link/Qrtbox.h"
#include "shell/UserInterface.h"
#include "tables/Conffun.h"
#include "tables/Stringi.h"
#include "tables/TableImage.h"

namespace zul {

namespace {

// Runs a dialog of type D on the table's bytes in device mode; its accepted flag.
template <class D, class... Extra>
std::function<bool(uint8_t*)> Dialog(EditorHost& h, Extra... extra) {
    return [&h, extra...](uint8_t* bytes) {
        D d(bytes, kDeviceMode, extra..., &h.io.ui(), h.parent);
        d.exec();
        return d.accepted();
    };
}

FieldRun WholeTable(int t) { return {t, 0, Table(t).fieldCount}; }

// The number of gas parameters in use (table 14 field 14), kept within 1..20.
int ParamCount(const TableImage& image) { return std::clamp<int>(image.Byte(14, 14), 1, kGasParams); }
// The number of flow computers (table 9 field 0), kept within 1..16.
int FlowCount(const TableImage& image) { return std::clamp<int>(image.Byte(9, 0), 1, kMaxFlowComputers); }

}  // namespace

void ShowIdentification(EditorHost& h) {
    EditFlow flow(h.io, h.bar);
    if (!flow.Read({WholeTable(0)})) return;
    TFormIdent d(flow.image().Data(0), true, h.parent);
    d.exec();
}

void ShowMacAddress(EditorHost& h) {
    EditFlow flow(h.io, h.bar);
    if (!flow.Read({WholeTable(40)})) return;
    TFormMac_Adr d(flow.image().Data(40), h.parent);
    d.exec();
}

void EditNames(EditorHost& h) {
    EditFlow flow(h.io, h.bar);
    TableImage& image = flow.image();
    if (!flow.Read({WholeTable(5)})) return;
    flow.Keep(5);  // in the controller's character set
    image.NamesFromController();
    if (!Dialog<TFormContrName>(h)(image.Data(5))) return;
    image.NamesToController();
    const bool ok = flow.WriteChanged(WholeTable(5));
    image.NamesFromController();
    if (ok && h.bar) h.bar->SetPanelText(1, Cp1251ToUtf8(TrimBlanks(FieldText(image.Field(5, 0), 20))));
}

void EditUpperLevelLink(EditorHost& h) {
    EditFlow flow(h.io, h.bar);
    TableImage& image = flow.image();
    Qrtbox& box = h.io.box();
    if (!flow.Read({WholeTable(3)})) return;
    flow.Keep(3);
    const bool speedChangeable = box.linkKind == kLinkDirect && image.Byte(0, 11) != 0;
    if (!Dialog<TFormConVU>(h, speedChangeable)(image.Data(3))) return;
    LinkParams* record = nullptr;
    if (h.link) {
        record = box.linkKind == kLinkPhone      ? &h.link->phone.params
                 : box.linkKind == kLinkEthernet ? &h.link->ethernet.params
                                                 : &h.link->direct;
    }
    const int speed = SpeedFromCode(image.Byte(3, 1));
    // The same saved copy twice: a changed field goes out twice, the second
    // time with the engine already on the new address and speed.
    if (flow.WriteChanged(WholeTable(3))) {
        box.address = image.Byte(3, 0);
        if (speed > 0) box.baudRate = speed;
        if (record) {
            record->address = box.address;
            if (speed > 0) record->speed = uint32_t(speed);
        }
        if (h.refreshLinkStatus) h.refreshLinkStatus();
    }
    if (flow.WriteChanged(WholeTable(3))) {
        box.address = image.Byte(3, 0);
        if (record) record->address = box.address;
        if (box.linkKind == kLinkDirect && speed > 0) {
            box.baudRate = speed;
            if (record) record->speed = uint32_t(speed);
        }
        if (h.refreshLinkStatus) h.refreshLinkStatus();
    }
}

void EditMoistureMeterLink(EditorHost& h) {
    EditFlow flow(h.io, h.bar);
    EditTable(flow, {WholeTable(15)}, WholeTable(15), Dialog<TFormConWMT>(h));
}

void EditEthernet(EditorHost& h) {
    EditFlow flow(h.io, h.bar);
    EditTable(flow, {WholeTable(29)}, WholeTable(29), Dialog<TFormConEth>(h));
}

void EditSystemParameters(EditorHost& h) {
    EditFlow flow(h.io, h.bar);
    if (EditTable(flow, {WholeTable(6)}, WholeTable(6), Dialog<TFormSys>(h)) == EditResult::kWritten &&
        h.setupMenus)
        h.setupMenus();
}

void EditChromatographLink(EditorHost& h) {
    EditFlow flow(h.io, h.bar);
    TableImage& image = flow.image();
    const bool flowComputers = image.Byte(6, 9) != 0;
    if (flowComputers && !flow.Read({{9, 0, 1}, WholeTable(18)})) return;
    if (!flow.Read({{5, 1, 2}, WholeTable(14), WholeTable(1)})) return;
    if (image.NamesInCodePage866()) FromControllerCodePage(image.Field(5, 1), 2 * 20);  // as the names editor does
    flow.Keep(14);
    flow.Keep(1);
    const int k = flowComputers ? FlowCount(image) : 0;
    if (!Dialog<TFormConQRT>(h, k, static_cast<const uint8_t*>(image.Data(18)), image.Data(1))(image.Data(14)))
        return;
    if (!flow.WriteChanged(WholeTable(14))) return;
    flow.WriteChanged({1, 0, ParamCount(image)});
}

void EditLimits(EditorHost& h, int kind) {
    kind = std::clamp(kind, 0, kLimitKinds - 1);
    EditFlow flow(h.io, h.bar);
    TableImage& image = flow.image();
    const int n = ParamCount(image);
    const FieldRun run{22 + kind, 0, n};
    EditTable(flow, {run}, run, Dialog<TFormLimits>(h, kind, n, static_cast<const uint8_t*>(image.Data(1))));
}

void EditWriteNeed(EditorHost& h) {
    EditFlow flow(h.io, h.bar);
    TableImage& image = flow.image();
    const int n = ParamCount(image);
    const FieldRun run{21, 0, n};
    EditTable(flow, {run}, run, Dialog<TFormPrzDistr>(h, n, static_cast<const uint8_t*>(image.Data(1))));
}

void EditWritePeriod(EditorHost& h) {
    EditFlow flow(h.io, h.bar);
    EditTable(flow, {WholeTable(28)}, WholeTable(28), Dialog<TFormDistr>(h));
}

void EditConstants(EditorHost& h) {
    EditFlow flow(h.io, h.bar);
    TableImage& image = flow.image();
    const int n = ParamCount(image);
    if (!flow.Read({{43, 0, n}, {44, 0, n}})) return;
    flow.Keep(43);
    flow.Keep(44);
    uint8_t record[kConstRecordSize];
    ConstRecordFromImage(image, n, record);
    if (!Dialog<TFormConst_Par>(h, n, static_cast<const uint8_t*>(image.Data(1)))(record)) return;
    ConstRecordToImage(image, n, record);
    if (flow.WriteChanged({44, 0, n})) flow.WriteChanged({43, 0, n});
}

namespace {

// Shows the flow-computer list on the records of the image; on acceptance puts
// the list into tables 9, 17-20 and 13 of the image and returns it.
bool EditFlowList(EditorHost& h, EditFlow& flow, int k, FlowList* list) {
    TableImage& image = flow.image();
    list->count = uint8_t(k);
    FlowRecordsFromImage(image, k, list->records);
    TFormFlouList d(list, kDeviceMode, image.Byte(14, 7), &h.io.ui(), h.parent);
    d.exec();
    if (!d.accepted()) return false;
    FlowRecordsToImage(image, list->count, list->records);
    return true;
}

// Tables 17-20: the positions read from the controller (0..read-1) where they
// differ from their saved copies; every field of a position added beyond them,
// whose bytes in the controller were never read and so cannot be compared. Then
// the passwords entered; stops at the first failure.
void WriteFlowList(EditFlow& flow, const FlowList& list, int read) {
    const int compared = std::clamp(read, 0, int(list.count));
    for (int t : {17, 18, 19, 20}) {
        if (compared > 0 && !flow.WriteChanged({t, 0, compared})) return;
        if (list.count > compared && !flow.Write({t, compared, list.count - compared})) return;
    }
    for (int i = 0; i < list.count; ++i)
        if (list.passwordToWrite[i] && !flow.Write({13, i, 1})) return;
}

}  // namespace

void EditFlowComputerLink(EditorHost& h) {
    EditFlow flow(h.io, h.bar);
    TableImage& image = flow.image();
    if (!flow.Read({WholeTable(9)})) return;
    flow.Keep(9);
    if (!Dialog<TFormConVich>(h)(image.Data(9))) return;
    const int k = image.Byte(9, 0);
    if (k <= flow.Kept(9)[0]) {
        flow.WriteChanged(WholeTable(9));
        return;
    }
    if (!h.io.ui().ShowMessageBox(kMsgQuestion, "Количество вычислителей не может быть увеличено",
                                  "без ввода их параметров. Выполнить ввод параметров сейчас?"))
        return;
    for (int t : {17, 18, 19, 20}) {
        if (!flow.Read({{t, 0, k}})) return;
        flow.Keep(t);
    }
    FlowList list;
    if (!EditFlowList(h, flow, k, &list)) return;
    if (!flow.WriteChanged(WholeTable(9))) return;
    WriteFlowList(flow, list, k);
}

void EditFlowComputers(EditorHost& h) {
    EditFlow flow(h.io, h.bar);
    TableImage& image = flow.image();
    if (!flow.Read({{9, 0, 1}})) return;
    // A controller without flow computers yet (k = 0) reads no records: the list
    // starts with one record of zeros, and the count it ends with is written.
    const int k = std::min<int>(image.Byte(9, 0), kMaxFlowComputers);
    for (int t : {17, 18, 19, 20}) {
        if (k > 0 && !flow.Read({{t, 0, k}})) return;
        flow.Keep(t);
    }
    FlowList list;
    if (!EditFlowList(h, flow, k, &list)) return;
    if (list.count != k && !flow.Write({9, 0, 1})) return;
    WriteFlowList(flow, list, k);
}

}  // namespace zul
