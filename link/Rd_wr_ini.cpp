#include "link/Rd_wr_ini.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "link/Clock.h"
#include "link/IniFile.h"
#include "link/PortMap.h"
#include "link/SubscriberLists.h"
#include "shell/UserInterface.h"

namespace zul {

namespace {

constexpr const char* kCurrent = "CURR_PAR";
constexpr const char* kDirect = "DIR_CONN_PAR";
constexpr const char* kPhone = "FON_CONN_PAR";
constexpr const char* kEthernet = "ETHERNET_CONN_PAR";
constexpr const char* kObjects = "OBJECT_LIST";

uint8_t Low8(int32_t v) { return uint8_t(uint32_t(v) & 0xFF); }
uint8_t Flag(int32_t v) { return v != 0 ? 1 : 0; }

std::string Numbered(const char* prefix, int n) { return prefix + std::to_string(n); }

// Counts and indexes of the list files: a count beyond the list's room is cut to
// it, a selection outside the list goes to the first entry.
uint8_t ReadCount(const IniFile& ini, const char* section, const char* key, int max) {
    int32_t v = ini.ReadInteger(section, key, 0);
    return uint8_t(v < 0 ? 0 : (v > max ? max : v));
}
uint8_t ReadIndex(const IniFile& ini, const char* section, const char* key, uint8_t count) {
    int32_t v = ini.ReadInteger(section, key, 0);
    return uint8_t(v < 0 || v >= count ? 0 : v);
}

// A stored date-time value that is no date at all (not finite, before 1900 or
// after 9999) is replaced by `now`.
double SaneDate(double v, double now) { return std::isfinite(v) && v >= 1 && v < 2958466 ? v : now; }

void ReadParams(const IniFile& ini, const char* section, LinkParams& p, bool withLine,
                const LinkParams& defaults) {
    if (withLine) {
        p.port = Low8(ini.ReadInteger(section, "COMPort", defaults.port));
    }
    p.address = Low8(ini.ReadInteger(section, "Adr", defaults.address));
    if (withLine) p.speed = uint32_t(ini.ReadInteger(section, "Rate", int32_t(defaults.speed)));
    p.preambles = Low8(ini.ReadInteger(section, "Preambles", defaults.preambles));
    p.attempts = Low8(ini.ReadInteger(section, "Repeat", defaults.attempts));
    p.interByteTimeoutMs = uint32_t(ini.ReadInteger(section, "TimeOut", int32_t(defaults.interByteTimeoutMs)));
    p.replyWaitSeconds = uint32_t(ini.ReadInteger(section, "WaitTime", int32_t(defaults.replyWaitSeconds)));
}

void WriteParams(IniFile& ini, const char* section, const LinkParams& p, bool withLine) {
    if (withLine) ini.WriteInteger(section, "COMPort", p.port);
    ini.WriteInteger(section, "Adr", p.address);
    if (withLine) ini.WriteInteger(section, "Rate", int32_t(p.speed));
    ini.WriteInteger(section, "Preambles", p.preambles);
    ini.WriteInteger(section, "Repeat", p.attempts);
    ini.WriteInteger(section, "TimeOut", int32_t(p.interByteTimeoutMs));
    ini.WriteInteger(section, "WaitTime", int32_t(p.replyWaitSeconds));
}

// Keys of our own beyond the classic set: written where they hold more than the
// default or the file has them already, so that a file that never used them stays as it was.
void WriteOwnString(IniFile& ini, const char* section, const char* key, const std::string& value) {
    std::string was;
    if (!value.empty() || ini.Read(section, key, was)) ini.WriteString(section, key, value);
}
void WriteOwnInteger(IniFile& ini, const char* section, const char* key, int32_t value, int32_t defaultValue) {
    std::string was;
    if (value != defaultValue || ini.Read(section, key, was)) ini.WriteInteger(section, key, value);
}

void ReadDirectLine(const IniFile& ini, SerialLine& line) {
    line.device = ini.ReadString(kDirect, "Device", "");
    const int32_t mode = ini.ReadInteger(kDirect, "RS485_Mode", 0);
    line.rs485Mode = uint8_t(mode >= 0 && mode <= 3 ? mode : 0);
    line.rtsOnSend = Flag(ini.ReadInteger(kDirect, "RTS_On_Send", 1));
}

void WriteDirectLine(IniFile& ini, const SerialLine& line) {
    WriteOwnString(ini, kDirect, "Device", line.device);
    WriteOwnInteger(ini, kDirect, "RS485_Mode", line.rs485Mode, 0);
    WriteOwnInteger(ini, kDirect, "RTS_On_Send", line.rtsOnSend, 1);
}

void WriteCurrent(IniFile& ini, const CurrentSettings& c) {
    ini.WriteInteger(kCurrent, "Conn_Prz", c.connectionKind);
    ini.WriteInteger(kCurrent, "Free_Port_Wait", c.portWait);
    ini.WriteInteger(kCurrent, "Do_Close_Port", c.releasePort);
    ini.WriteInteger(kCurrent, "Form_Width", c.windowWidth);
    ini.WriteInteger(kCurrent, "Form_Height", c.windowHeight);
    ini.WriteInteger(kCurrent, "Form_Left", c.windowLeft);
    ini.WriteInteger(kCurrent, "Form_Top", c.windowTop);
}

void WritePhone(IniFile& ini, const TelephoneSettings& t) {
    WriteParams(ini, kPhone, t.params, true);
    ini.WriteInteger(kPhone, "Default_Command", t.defaultCommand);
    ini.WriteString(kPhone, "Command", TextOf(t.modemCommand));
    ini.WriteInteger(kPhone, "ConnectWaitTime", t.connectWait);
    ini.WriteInteger(kPhone, "AutoRepeat", t.autoRepeat);
    ini.WriteInteger(kPhone, "Conn_Repeat", t.connectAttempts);
    WriteOwnString(ini, kPhone, "Device", t.device);
}

void WriteEthernet(IniFile& ini, const EthernetSettings& e) {
    WriteParams(ini, kEthernet, e.params, false);
    ini.WriteInteger(kEthernet, "ConnectWaitTime", e.connectWait);
    ini.WriteInteger(kEthernet, "Conn_Repeat", e.connectAttempts);
    ini.WriteInteger(kEthernet, "SendPause", e.sendPauseMs);
}

void PutLe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
uint32_t GetLe32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
void PutDouble(uint8_t* p, double d) {
    uint64_t bits;
    std::memcpy(&bits, &d, 8);
    PutLe32(p, uint32_t(bits));
    PutLe32(p + 4, uint32_t(bits >> 32));
}
double GetDouble(const uint8_t* p) {
    uint64_t bits = uint64_t(GetLe32(p)) | uint64_t(GetLe32(p + 4)) << 32;
    double d;
    std::memcpy(&d, &bits, 8);
    return d;
}

}  // namespace

void ArchiveSettings::ToBytes(uint8_t* out) const {
    PutLe32(out, uint32_t(periodChoice));
    PutLe32(out + 4, uint32_t(indexChoice));
    PutDouble(out + 8, savedPeriodStart);
    PutDouble(out + 16, savedPeriodEnd);
    std::memcpy(out + 24, unused.data(), unused.size());
}

void ArchiveSettings::FromBytes(const uint8_t* in, int n) {
    uint8_t bytes[kBytes];
    ToBytes(bytes);
    if (n > kBytes) n = kBytes;
    if (n > 0) std::memcpy(bytes, in, size_t(n));
    periodChoice = int32_t(GetLe32(bytes));
    indexChoice = int32_t(GetLe32(bytes + 4));
    savedPeriodStart = GetDouble(bytes + 8);
    savedPeriodEnd = GetDouble(bytes + 16);
    std::memcpy(unused.data(), bytes + 24, unused.size());
}

ProgramSettings::ProgramSettings(std::string iniFolder)
    : clock(&SystemClock::Instance()), iniFolder_(std::move(iniFolder)) {}

void ProgramSettings::Load() {
    ReadArchiveSettings();
    ReadLinkSettings(ZulIni());
    ReadTelephoneSubscribers(TelephoneSubscribersIni());
    SortSubscribers(link.phone.subscribers);
    ReadEthernetSubscribers(EthernetSubscribersIni());
    SortSubscribers(link.ethernet.subscribers);
    TakeSavedCopy();
    ReadObjects(ObjectsIni());
}

void ProgramSettings::ReadArchiveSettings() {
    const double now = clock->LocalNow();
    archive = ArchiveSettings{};
    archive.savedPeriodStart = now;
    archive.savedPeriodEnd = now;
    FILE* f = std::fopen(ArchiveIni().c_str(), "rb");
    if (!f) return;
    uint8_t bytes[ArchiveSettings::kBytes];
    size_t n = std::fread(bytes, 1, sizeof bytes, f);
    std::fclose(f);
    // A shorter file fills only its own length; the rest keeps the defaults.
    archive.FromBytes(bytes, int(n));
    archive.savedPeriodStart = SaneDate(archive.savedPeriodStart, now);
    archive.savedPeriodEnd = SaneDate(archive.savedPeriodEnd, now);
}

void ProgramSettings::ReadLinkSettings(const std::string& fileName) {
    IniFile ini(fileName);
    const LinkSettings defaults;
    CurrentSettings& c = link.current;
    c.connectionKind = Low8(ini.ReadInteger(kCurrent, "Conn_Prz", 0));
    c.portWait = ini.ReadInteger(kCurrent, "Free_Port_Wait", 1);
    c.releasePort = Flag(ini.ReadInteger(kCurrent, "Do_Close_Port", 0));
    c.windowWidth = ini.ReadInteger(kCurrent, "Form_Width", 1000);
    c.windowHeight = ini.ReadInteger(kCurrent, "Form_Height", 680);
    c.windowLeft = ini.ReadInteger(kCurrent, "Form_Left",
                                   screenWidth > 0 ? (screenWidth - c.windowWidth) / 2 : 0);
    c.windowTop = ini.ReadInteger(kCurrent, "Form_Top",
                                  screenHeight > 0 ? (screenHeight - c.windowHeight) / 2 : 0);

    ReadParams(ini, kDirect, link.direct, true, defaults.direct);
    ReadDirectLine(ini, link.directLine);

    TelephoneSettings& t = link.phone;
    ReadParams(ini, kPhone, t.params, true, defaults.phone.params);
    t.defaultCommand = Flag(ini.ReadInteger(kPhone, "Default_Command", 0));
    SetText(t.modemCommand, ini.ReadString(kPhone, "Command", ""), kModemCommandMax);
    t.connectWait = ini.ReadInteger(kPhone, "ConnectWaitTime", 50);
    t.autoRepeat = Flag(ini.ReadInteger(kPhone, "AutoRepeat", 0));
    t.connectAttempts = ini.ReadInteger(kPhone, "Conn_Repeat", 1);
    t.device = ini.ReadString(kPhone, "Device", "");

    EthernetSettings& e = link.ethernet;
    ReadParams(ini, kEthernet, e.params, false, defaults.ethernet.params);
    e.connectWait = ini.ReadInteger(kEthernet, "ConnectWaitTime", 10);
    e.connectAttempts = ini.ReadInteger(kEthernet, "Conn_Repeat", 1);
    // A pause outside 0..60 s is no pause anyone meant: the default stands.
    int32_t pause = ini.ReadInteger(kEthernet, "SendPause", 500);
    e.sendPauseMs = pause >= 0 && pause <= 60000 ? pause : 500;

    ReadPortMap(ini);
}

void ProgramSettings::ReadTelephoneSubscribers(const std::string& fileName) {
    IniFile ini(fileName);
    TelephoneSubscriberList& list = link.phone.subscribers;
    list = TelephoneSubscriberList{};
    list.count = ReadCount(ini, kPhone, "users_num", kMaxSubscribers);
    list.selected = ReadIndex(ini, kPhone, "user_index", list.count);
    list.sortMode = ini.ReadInteger(kPhone, "sort_prz", 0) == kSortByNumber ? kSortByNumber : kSortByName;
    for (int n = 1; n <= kMaxSubscribers; ++n) {
        const std::string section = Numbered("FON_ABONENT_", n);
        TelephoneSubscriber& s = list.entries[size_t(n - 1)];
        SetText(s.name, ini.ReadString(section, "user_name", ""), kSubscriberNameMax);
        s.address = Low8(ini.ReadInteger(section, "contr_adr", 1));
        s.modbusAddress = Low8(ini.ReadInteger(section, "adr_modbus", 1));
        SetText(s.phone, ini.ReadString(section, "phone_code", ""), kPhoneNumberMax);
    }
}

void ProgramSettings::ReadEthernetSubscribers(const std::string& fileName) {
    IniFile ini(fileName);
    EthernetSubscriberList& list = link.ethernet.subscribers;
    list = EthernetSubscriberList{};
    list.count = ReadCount(ini, kEthernet, "users_num", kMaxSubscribers);
    list.selected = ReadIndex(ini, kEthernet, "user_index", list.count);
    list.sortMode = ini.ReadInteger(kEthernet, "sort_prz", 0) == kSortByNumber ? kSortByNumber : kSortByName;
    for (int n = 1; n <= list.count; ++n) {
        const std::string section = Numbered("ETHERNET_ABONENT_", n);
        EthernetSubscriber& s = list.entries[size_t(n - 1)];
        SetText(s.name, ini.ReadString(section, "user_name", ""), kSubscriberNameMax);
        s.address = Low8(ini.ReadInteger(section, "contr_adr", 1));
        s.SetIpValue(uint32_t(ini.ReadInteger(section, "ip_adr", 0)));
        s.port = uint32_t(ini.ReadInteger(section, "port", 0));
    }
}

void ProgramSettings::ReadObjects(const std::string& fileName) {
    IniFile ini(fileName);
    objects = ObjectList{};
    objects.count = ReadCount(ini, kObjects, "obj_num", kMaxObjects);
    objects.selected = ReadIndex(ini, kObjects, "obj_index", objects.count);
    for (int n = 1; n <= objects.count; ++n)
        SetText(objects.entries[size_t(n - 1)].name,
                ini.ReadString(Numbered("OBJECT_", n), "obj_name", ""), kObjectNameMax);
}

bool ProgramSettings::Fail(const std::string& fileName) {
    lastError = "Unable to write to " + fileName;
    if (ui) ui->ShowMessageBox(kMsgError, lastError, "");
    return false;
}

bool ProgramSettings::WriteLinkSettings(const std::string& fileName) {
    if (link == saved) return true;
    IniFile ini(fileName);
    if (!ini.Readable()) return Fail(fileName);
    if (!(link.current == saved.current)) {
        WriteCurrent(ini, link.current);
        if (!ini.Save()) return Fail(fileName);
        saved.current = link.current;
    }
    if (!(link.direct == saved.direct) || !(link.directLine == saved.directLine)) {
        WriteParams(ini, kDirect, link.direct, true);
        WriteDirectLine(ini, link.directLine);
        if (!ini.Save()) return Fail(fileName);
        saved.direct = link.direct;
        saved.directLine = link.directLine;
    }
    if (!(link.phone == saved.phone)) {
        WritePhone(ini, link.phone);
        if (!ini.Save()) return Fail(fileName);
        saved.phone = link.phone;
    }
    if (!(link.ethernet == saved.ethernet)) {
        WriteEthernet(ini, link.ethernet);
        if (!ini.Save()) return Fail(fileName);
        saved.ethernet = link.ethernet;
    }
    return true;
}

bool ProgramSettings::WriteTelephoneSubscribers(const std::string& fileName) {
    const TelephoneSubscriberList& list = link.phone.subscribers;
    if (list == saved.phone.subscribers) return true;
    IniFile ini(fileName);
    ini.WriteInteger(kPhone, "users_num", list.count);
    ini.WriteInteger(kPhone, "user_index", list.selected);
    ini.WriteInteger(kPhone, "sort_prz", list.sortMode);
    for (int n = 1; n <= kMaxSubscribers; ++n) {
        const std::string section = Numbered("FON_ABONENT_", n);
        const TelephoneSubscriber& s = list.entries[size_t(n - 1)];
        ini.WriteString(section, "user_name", TextOf(s.name));
        ini.WriteInteger(section, "contr_adr", s.address);
        ini.WriteInteger(section, "adr_modbus", s.modbusAddress);
        ini.WriteString(section, "phone_code", TextOf(s.phone));
    }
    if (!ini.Save()) return Fail(fileName);
    saved.phone.subscribers = list;
    return true;
}

bool ProgramSettings::WriteEthernetSubscribers(const std::string& fileName) {
    const EthernetSubscriberList& list = link.ethernet.subscribers;
    if (list == saved.ethernet.subscribers) return true;
    IniFile ini(fileName);
    ini.WriteInteger(kEthernet, "users_num", list.count);
    ini.WriteInteger(kEthernet, "user_index", list.selected);
    ini.WriteInteger(kEthernet, "sort_prz", list.sortMode);
    for (int n = 1; n <= list.count; ++n) {
        const std::string section = Numbered("ETHERNET_ABONENT_", n);
        const EthernetSubscriber& s = list.entries[size_t(n - 1)];
        ini.WriteString(section, "user_name", TextOf(s.name));
        ini.WriteInteger(section, "contr_adr", s.address);
        ini.WriteInteger(section, "ip_adr", int32_t(s.IpValue()));
        ini.WriteInteger(section, "port", int32_t(s.port));
    }
    if (!ini.Save()) return Fail(fileName);
    saved.ethernet.subscribers = list;
    return true;
}

bool ProgramSettings::WriteObjects(const std::string& fileName) {
    IniFile ini(fileName);
    ini.WriteInteger(kObjects, "obj_num", objects.count);
    ini.WriteInteger(kObjects, "obj_index", objects.selected);
    for (int n = 1; n <= objects.count; ++n)
        ini.WriteString(Numbered("OBJECT_", n), "obj_name", TextOf(objects.entries[size_t(n - 1)].name));
    if (!ini.Save()) return Fail(fileName);
    return true;
}

bool ProgramSettings::WriteArchiveSettings() {
    uint8_t bytes[ArchiveSettings::kBytes];
    archive.ToBytes(bytes);
    return WriteFileAtomically(ArchiveIni(), std::string(reinterpret_cast<char*>(bytes), sizeof bytes));
}

void ProgramSettings::SaveSettings() {
    WriteLinkSettings(ZulIni());
    WriteArchiveSettings();  // a file that cannot be written is passed over in silence
}

}  // namespace zul
