#include "shell/ConnectionStart.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "link/Clock.h"
#include "link/LinkSettings.h"
#include "link/Qrtbox.h"
#include "shell/ControllerClock.h"
#include "shell/UserInterface.h"
#include "tables/ConfigIo.h"
#include "tables/Conffun.h"
#include "tables/Dtfun.h"
#include "tables/Stringi.h"
#include "tables/TableImage.h"
#include "tables/UserRules.h"

namespace zul {

namespace {

constexpr uint8_t kControllerType = 73;
constexpr uint8_t kVersion = 17;
constexpr uint8_t kOldVersion = 14;

std::string Format(const char* fmt, int v) {
    char buf[200];
    std::snprintf(buf, sizeof buf, fmt, v);
    return buf;
}

void PutName(uint8_t* field, const std::string& cp1251) {
    std::memset(field, ' ', 20);
    std::memcpy(field, cp1251.data(), std::min<size_t>(cp1251.size(), 20));
}

std::string Trimmed(const uint8_t* p, size_t n) {
    std::string s(reinterpret_cast<const char*>(p), n);
    size_t a = s.find_first_not_of(" \0", 0, 2);
    if (a == std::string::npos) return {};
    size_t b = s.find_last_not_of(" \0", std::string::npos, 2);
    return s.substr(a, b - a + 1);
}

}  // namespace

ConnectionStart::ConnectionStart(Qrtbox& box, TableImage& image, TableIo& io, UserInterface& ui,
                                 LinkSettings& settings, StatusBar* mainBar, StartHost& host, const Clock& clock)
    : box_(box), image_(image), io_(io), ui_(ui), settings_(settings), bar_(mainBar), host_(host), clock_(clock) {}

uint8_t& ConnectionStart::StoredAddress() {
    switch (settings_.current.connectionKind) {
    case kLinkPhone: return settings_.phone.params.address;
    case kLinkEthernet: return settings_.ethernet.params.address;
    default: return settings_.direct.address;
    }
}

void ConnectionStart::TimerStartTimer() {
    ui_.SetBusyCursor(true);
    host_.CloseLink();
    linkEstablished = false;
    host_.RefreshLinkStatus();
    if (bar_) bar_->SetPanelText(1, "");
    host_.HideAllMenus();
    ui_.SetBusyCursor(false);

    if (!host_.ShowConnectDialog()) {
        host_.SetupMenus();
        return;
    }
    host_.SaveSettings();
    if (settings_.current.connectionKind == kLinkPhone) {
        host_.AskCredentials();
        modemConnected = host_.DialSubscriber();
        if (!modemConnected) {
            ui_.SetBusyCursor(true);
            host_.CloseLink();
            host_.SetupMenus();
            ui_.SetBusyCursor(false);
            return;
        }
    }
    if (Identify()) linkEstablished = ReadBaseTables();
    if (!linkEstablished) {
        ui_.SetBusyCursor(true);
        host_.CloseLink();
    }
    host_.SetupMenus();
    ui_.SetBusyCursor(false);
}

// Steps from reading table 0 up to the table states; true when the base tables
// are to be read, false when the link is to be dropped.
bool IdentifyController(TableIo& io, UserInterface& ui, StatusBar* bar) {
    ui.SetBusyCursor(true);
    const uint8_t req0[3] = {0, 0, 18};
    bool ok = io.ReadFields(req0, bar, true);
    ui.SetBusyCursor(false);
    if (!ok) return false;
    return CheckControllerType(io.image(), ui);
}

bool ConnectionStart::Identify() {
    if (!IdentifyController(io_, ui_, bar_)) return false;
    const uint8_t version = image_.Byte(0, 3);
    // A broadcast search has found the controller's real address.
    if (StoredAddress() == 255) StoredAddress() = box_.address;
    linkEstablished = true;
    if (settings_.current.connectionKind != kLinkPhone) host_.AskCredentials();
    if (image_.Byte(0, 0) == 0 && version == kVersion) return true;

    if (version == kOldVersion) {
        std::memset(image_.Data(7), 1, 45);
    } else {
        const uint8_t req7[3] = {7, 0, 45};
        if (!io_.ReadFields(req7, bar_, true)) return true;
    }
    TableStateInfo info;
    for (int t = 0; t < kTableCount; ++t) info.configFlags()[t] = Table(t).isConfiguration;
    std::memcpy(info.states(), image_.Data(7), 45);
    switch (host_.ShowTableInfo(info, version)) {
    case kInfoWriteSelected: {
        bool onlyClock = true;
        for (int t = 0; t < kTableCount; ++t)
            if (t != 2 && info.marks()[t]) onlyClock = false;
        if (onlyClock) {
            if (CheckTimeWritable(info)) WritePcTime();
        } else {
            Restore(info);
        }
        return true;
    }
    case kInfoWriteAll:
        writeAll = true;
        Restore(info);
        writeAll = false;
        linkEstablished = false;
        return false;
    case kInfoReset:
        linkEstablished = false;
        return false;
    default:  // "Выход"
        if (version == kOldVersion) {
            linkEstablished = false;
            return false;
        }
        return true;
    }
}

bool CheckControllerType(const TableImage& image, UserInterface& ui) {
    const uint8_t type = image.Byte(0, 1), version = image.Byte(0, 3);
    if (type != kControllerType) {
        ui.ShowMessageBox(kMsgPlain, Format("Код типа подключенного контроллера  %d", type),
                          "Программа обслуживает контроллеры ЗУЛ");
        return false;
    }
    if (version != kVersion && version != kOldVersion) {
        ui.ShowMessageBox(kMsgPlain, Format("Версия ПО подключенного контроллера %d", version),
                          Format("Программа обслуживает контроллеры ЗУЛ только с версией ПО %02d", kVersion));
        return false;
    }
    return true;
}

bool ReadBaseTables(TableIo& io, UserInterface& ui, StatusBar* bar) {
    TableImage& image = io.image();
    ui.SetBusyCursor(true);
    std::memset(image.Field(5, 0), ' ', 20);
    const uint8_t req5[3] = {5, 0, 3};
    if (io.ReadFields(req5, bar, true)) {
        image.NamesFromController();
    } else {
        PutName(image.Field(5, 0), Utf8ToCp1251(Format("Контроллер ЗУЛ_%02d", kVersion)));
        PutName(image.Field(5, 1), Utf8ToCp1251("Нитка 1"));
        PutName(image.Field(5, 2), Utf8ToCp1251("Нитка 2"));
    }
    const uint8_t req6[3] = {6, 0, 12}, req14[3] = {14, 0, 16};
    bool ok = io.ReadFields(req6, bar, true) && io.ReadFields(req14, bar, true);
    if (ok && image.Byte(14, 6) != 0 && image.Byte(14, 6) != 1) {
        ui.SetBusyCursor(false);
        ui.ShowMessageBox(kMsgPlain, Format("Код подключенного хроматографа равен %d.", image.Byte(14, 6)),
                           "Должен быть 0 (QRT 510 (HMU) или 1 (QRT 510 (HDM) ");
        ui.SetBusyCursor(true);
        ok = false;
    }
    if (ok) ok = io.ReadWholeTable(1, bar);
    std::memset(image.Data(41), 0, 4);
    std::memset(image.Data(40), 0, 6);
    if (ok) {
        // Older controllers have no table 40: its outcome does not count.
        const uint8_t req40[3] = {40, 0, 1};
        io.ReadFields(req40, bar, true);
    }
    if (ok && image.Byte(6, 8)) {
        const uint8_t req15[3] = {15, 6, 1};
        ok = io.ReadFields(req15, bar, true);
    }
    ui.SetBusyCursor(false);
    if (!ok) ui.ShowMessageBox(kMsgExchangeResult, "Не прочитаны данные, для организации", "дальнейшего обмена с устройством");
    if (bar) bar->SetPanelText(1, Cp1251ToUtf8(Trimmed(image.Field(5, 0), 20)));
    return ok;
}

bool ConnectionStart::ReadBaseTables() { return zul::ReadBaseTables(io_, ui_, bar_); }

bool ConnectionStart::CheckTimeWritable(const TableStateInfo& info) {
    if (info.marks()[6]) {
        ui_.ShowMessageBox(kMsgWarning, "Запись даты и времени невозможна", "при разрушенной таблице системных параметров");
        return false;
    }
    const uint8_t req6[3] = {6, 0, 12};
    return io_.ReadFields(req6, bar_, true);
}

bool ConnectionStart::WritePcTime() { return zul::WritePcTime(io_, bar_, clock_); }

bool ConnectionStart::WriteAccessTable() { return zul::WriteAccessTable(io_, bar_); }

}  // namespace zul
