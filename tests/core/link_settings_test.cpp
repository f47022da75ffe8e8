#include <gtest/gtest.h>
#include <pty.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <vector>

#include "link/Clock.h"
#include "link/Comportfunctions.h"
#include "link/IniFile.h"
#include "link/PortMap.h"
#include "link/Rd_wr_ini.h"
#include "link/SubscriberLists.h"
#include "shell/UserInterface.h"
#include "tables/Stringi.h"

namespace zul {
namespace {

namespace fs = std::filesystem;

class FixedClock : public Clock {
public:
    int64_t MonotonicNs() const override { return 0; }
    double LocalNow() const override { return 45000.5; }
};

class RecordingUi : public UserInterface {
public:
    bool ShowMessageBox(int kind, const std::string& l1, const std::string& l2) override {
        messages.push_back(std::to_string(kind) + "|" + l1 + "|" + l2);
        return false;
    }
    std::vector<std::string> messages;
};

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
    return n;
}

class LinkSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/zul-settings-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
    }
    void TearDown() override { fs::remove_all(dir); }
    ProgramSettings Make() {
        ProgramSettings s(dir);
        s.clock = &clock;
        s.ui = &ui;
        s.screenWidth = 1366;
        s.screenHeight = 768;
        return s;
    }
    void Put(const std::string& name, const std::string& bytes) {
        std::ofstream(dir + "/" + name, std::ios::binary) << bytes;
    }
    void AgeFile(const std::string& path) {
        struct timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), old, 0), 0);
    }
    time_t MTime(const std::string& path) {
        struct stat st{};
        return stat(path.c_str(), &st) == 0 ? st.st_mtim.tv_sec : -1;
    }
    std::string dir;
    FixedClock clock;
    RecordingUi ui;
};

TEST_F(LinkSettingsTest, NoFilesGiveTheDefaults) {
    ProgramSettings s = Make();
    s.Load();
    const LinkSettings& l = s.link;
    EXPECT_EQ(l.current.connectionKind, 0);
    EXPECT_EQ(l.current.portWait, 1);
    EXPECT_EQ(l.current.releasePort, 0);
    EXPECT_EQ(l.current.windowWidth, 1000);
    EXPECT_EQ(l.current.windowHeight, 680);
    EXPECT_EQ(l.current.windowLeft, 183);  // (1366 - 1000) / 2
    EXPECT_EQ(l.current.windowTop, 44);    // (768 - 680) / 2
    EXPECT_EQ(l.direct, (LinkParams{1, 1, 38400, 5, 1, 100, 2}));
    EXPECT_EQ(l.phone.params, (LinkParams{1, 1, 38400, 5, 1, 100, 6}));
    EXPECT_EQ(l.phone.connectWait, 50);
    EXPECT_EQ(l.phone.connectAttempts, 1);
    EXPECT_EQ(TextOf(l.phone.modemCommand), "");
    EXPECT_EQ(l.ethernet.params.address, 1);
    EXPECT_EQ(l.ethernet.params.preambles, 5);
    EXPECT_EQ(l.ethernet.params.interByteTimeoutMs, 300u);
    EXPECT_EQ(l.ethernet.params.replyWaitSeconds, 5u);
    EXPECT_EQ(l.ethernet.connectWait, 10);
    EXPECT_EQ(l.ethernet.sendPauseMs, 500);
    EXPECT_EQ(l.phone.subscribers.count, 0);
    EXPECT_EQ(l.phone.subscribers.entries[7].address, 1);  // contr_adr default of every section
    EXPECT_EQ(s.objects.count, 0);
    EXPECT_EQ(s.archive.periodChoice, 0);
    EXPECT_EQ(s.archive.indexChoice, 1);
    EXPECT_EQ(s.archive.savedPeriodStart, 45000.5);
    EXPECT_EQ(s.archive.savedPeriodEnd, 45000.5);
    EXPECT_TRUE(s.link == s.saved);
    // The window position halves toward zero on a screen smaller than the window.
    ProgramSettings small = Make();
    small.screenWidth = 801;
    small.ReadLinkSettings(small.ZulIni());
    EXPECT_EQ(small.link.current.windowLeft, -99);
    // Closing without a change writes no zul.ini at all, but the archive record.
    s.SaveSettings();
    EXPECT_FALSE(fs::exists(s.ZulIni()));
    EXPECT_EQ(fs::file_size(s.ArchiveIni()), 74u);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(LinkSettingsTest, ClosingWithoutAChangeLeavesZulIniUntouched) {
    {
        ProgramSettings s = Make();
        s.Load();
        s.link.current.connectionKind = 2;
        s.link.direct.port = 3;
        s.link.phone.params.speed = 9600;
        s.link.ethernet.connectWait = 20;
        ASSERT_TRUE(s.WriteLinkSettings(s.ZulIni()));
    }
    const std::string path = dir + "/zul.ini";
    AgeFile(path);
    const std::string before = Slurp(path);
    ProgramSettings s = Make();
    s.Load();
    EXPECT_EQ(s.link.current.connectionKind, 2);
    EXPECT_EQ(s.link.phone.params.speed, 9600u);
    s.SaveSettings();
    EXPECT_EQ(Slurp(path), before);
    EXPECT_EQ(MTime(path), 1000000000);
}

TEST_F(LinkSettingsTest, ChangingTheDirectAddressRewritesOnlyItsSection) {
    const std::string original =
        "; kept comment\r\n"
        "[CURR_PAR]\r\nConn_Prz=0\r\nFree_Port_Wait=1\r\nDo_Close_Port=0\r\nForm_Width=1000\r\n"
        "Form_Height=680\r\nForm_Left=1\r\nForm_Top=2\r\n"
        "[DIR_CONN_PAR]\r\nCOMPort=1\r\nAdr=1\r\nRate=38400\r\nPreambles=5\r\nRepeat=1\r\n"
        "TimeOut=100\r\nWaitTime=2\r\nMyKey=foreign\r\n"
        "[FOREIGN]\r\nwhatever=1\r\n"
        "[FON_CONN_PAR]\r\nRate=19200\r\n";
    Put("zul.ini", original);
    ProgramSettings s = Make();
    s.Load();
    EXPECT_EQ(s.link.phone.params.speed, 19200u);
    s.link.direct.address = 17;
    ASSERT_TRUE(s.WriteLinkSettings(s.ZulIni()));
    std::string expected = original;
    expected.replace(expected.find("Adr=1"), 5, "Adr=17");
    EXPECT_EQ(Slurp(s.ZulIni()), expected);
    EXPECT_TRUE(s.link == s.saved);
    // From no file at all: the file gets just that section.
    fs::remove(s.ZulIni());
    ProgramSettings fresh = Make();
    fresh.Load();
    fresh.link.direct.address = 17;
    ASSERT_TRUE(fresh.WriteLinkSettings(fresh.ZulIni()));
    EXPECT_EQ(Slurp(fresh.ZulIni()),
              "[DIR_CONN_PAR]\r\nCOMPort=1\r\nAdr=17\r\nRate=38400\r\nPreambles=5\r\nRepeat=1\r\n"
              "TimeOut=100\r\nWaitTime=2\r\n");
}

TEST_F(LinkSettingsTest, EveryKeyRoundTripsWithItsReadingRules) {
    ProgramSettings s = Make();
    s.Load();
    LinkSettings& l = s.link;
    l.current = {2, 7, 1, 700, 1200, -10, 33};
    l.direct = {4, 200, 115200, 0, 5, 5000, 120};
    l.phone.params = {9, 3, 1200, 255, 2, 55, 1};
    l.phone.defaultCommand = 1;
    SetText(l.phone.modemCommand, "AT&F E0 ");
    l.phone.connectWait = 360;
    l.phone.autoRepeat = 1;
    l.phone.connectAttempts = 10;
    l.ethernet.params.address = 255;
    l.ethernet.params.attempts = 3;
    l.ethernet.connectWait = 1;
    l.ethernet.connectAttempts = 4;
    l.ethernet.sendPauseMs = 250;
    l.directLine = {"/dev/serial/by-id/usb-Maker_Stick-if00-port0", kRs485Program, 0};
    l.phone.device = "/dev/serial/by-id/usb-Modem_GSM-if02";
    ASSERT_TRUE(s.WriteLinkSettings(s.ZulIni()));
    ProgramSettings back = Make();
    back.Load();
    EXPECT_TRUE(back.link.current == l.current);
    EXPECT_TRUE(back.link.direct == l.direct);
    EXPECT_TRUE(back.link.directLine == l.directLine);
    EXPECT_NE(Slurp(s.ZulIni()).find("RS485_Mode=3"), std::string::npos);
    // Back to the defaults: the keys the file has take them (none is left stale).
    s.link.directLine = SerialLine{};
    ASSERT_TRUE(s.WriteLinkSettings(s.ZulIni()));
    EXPECT_NE(Slurp(s.ZulIni()).find("Device=\r\nRS485_Mode=0\r\nRTS_On_Send=1\r\n"), std::string::npos)
        << Slurp(s.ZulIni());
    back.Load();
    EXPECT_TRUE(back.link.directLine == SerialLine{});
    EXPECT_TRUE(back.link.phone == l.phone);
    EXPECT_TRUE(back.link.ethernet == l.ethernet);

    // Flags read as 1 for any non-zero value, one-byte fields keep their low byte,
    // non-numbers give the default, SendPause outside 0..60000 ms the default.
    Put("zul.ini",
        "[CURR_PAR]\nConn_Prz=258\nDo_Close_Port=-3\nFree_Port_Wait=x\n"
        "[DIR_CONN_PAR]\nCOMPort=257\nAdr=511\nRate=abc\nPreambles=-1\nRS485_Mode=4\nRTS_On_Send=-2\n"
        "[FON_CONN_PAR]\nAutoRepeat=5\nCommand=" + std::string(250, 'A') + "\n"
        "[ETHERNET_CONN_PAR]\nSendPause=-1\n");
    back.ReadLinkSettings(back.ZulIni());
    EXPECT_EQ(back.link.current.connectionKind, 2);
    EXPECT_EQ(back.link.current.releasePort, 1);
    EXPECT_EQ(back.link.current.portWait, 1);
    EXPECT_EQ(back.link.direct.port, 1);
    EXPECT_EQ(back.link.direct.address, 255);
    EXPECT_EQ(back.link.direct.speed, 38400u);
    EXPECT_EQ(back.link.direct.preambles, 255);
    EXPECT_EQ(back.link.directLine.rs485Mode, kRs485Auto);  // no such mode
    EXPECT_EQ(back.link.directLine.rtsOnSend, 1);
    EXPECT_EQ(back.link.phone.autoRepeat, 1);
    EXPECT_EQ(TextOf(back.link.phone.modemCommand).size(), 199u);
    EXPECT_EQ(back.link.ethernet.sendPauseMs, 500);
}

TEST_F(LinkSettingsTest, EthernetAddressIsStoredAsSignedNumberAndStaleSectionsStay) {
    ProgramSettings s = Make();
    s.Load();
    EthernetSubscriberList& list = s.link.ethernet.subscribers;
    list.count = 3;
    const uint8_t ips[3][4] = {{10, 1, 168, 192}, {1, 0, 0, 10}, {255, 255, 255, 255}};
    for (int i = 0; i < 3; ++i) {
        SetText(list.entries[size_t(i)].name, "host" + std::to_string(i));
        list.entries[size_t(i)].address = uint8_t(i + 1);
        std::memcpy(list.entries[size_t(i)].ip.data(), ips[i], 4);
        list.entries[size_t(i)].port = 502 + uint32_t(i);
    }
    ASSERT_TRUE(s.WriteEthernetSubscribers(s.EthernetSubscribersIni()));
    const std::string text = Slurp(s.EthernetSubscribersIni());
    EXPECT_NE(text.find("[ETHERNET_ABONENT_1]\r\nuser_name=host0\r\ncontr_adr=1\r\nip_adr=-1062731510\r\nport=502\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("ip_adr=167772161"), std::string::npos);
    EXPECT_NE(text.find("ip_adr=-1\r\n"), std::string::npos);
    EXPECT_TRUE(s.saved.ethernet.subscribers == list);

    // Shrink to one subscriber: the sections of 2 and 3 stay, and are not read.
    DeleteSelected(list);  // selected 0: host0 goes
    DeleteSelected(list);
    ASSERT_EQ(list.count, 1);
    ASSERT_TRUE(s.WriteEthernetSubscribers(s.EthernetSubscribersIni()));
    const std::string after = Slurp(s.EthernetSubscribersIni());
    EXPECT_EQ(Count(after, "[ETHERNET_ABONENT_"), 3);
    EXPECT_NE(after.find("users_num=1"), std::string::npos);
    ProgramSettings back = Make();
    back.Load();
    const EthernetSubscriberList& got = back.link.ethernet.subscribers;
    ASSERT_EQ(got.count, 1);
    EXPECT_EQ(TextOf(got.entries[0].name), "host2");
    EXPECT_EQ(got.entries[0].IpValue(), 0xFFFFFFFFu);
    EXPECT_TRUE(got.entries[1] == EthernetSubscriber{});

    // 192.168.1.10 read back as the same four bytes.
    Put("ethr_abonents.ini", "[ETHERNET_CONN_PAR]\nusers_num=1\n[ETHERNET_ABONENT_1]\nip_adr=-1062731510\nport=70000\n");
    back.ReadEthernetSubscribers(back.EthernetSubscribersIni());
    EXPECT_EQ(back.link.ethernet.subscribers.entries[0].ip, (std::array<uint8_t, 4>{10, 1, 168, 192}));
    EXPECT_EQ(DottedIp(back.link.ethernet.subscribers.entries[0]), "192.168.1.10");
    EXPECT_EQ(back.link.ethernet.subscribers.entries[0].address, 1);
}

TEST_F(LinkSettingsTest, TelephoneFileAlwaysHasTwoHundredSectionsAndCp1251Names) {
    ProgramSettings s = Make();
    s.Load();
    TelephoneSubscriberList& list = s.link.phone.subscribers;
    const std::string name = Utf8ToCp1251("Котельная №1 «Ёлка»");
    list.count = 1;
    SetText(list.entries[0].name, name);
    SetText(list.entries[0].phone, "+7 (495) 123-45-67");
    list.entries[0].address = 12;
    list.entries[0].modbusAddress = 34;
    ASSERT_TRUE(s.WriteTelephoneSubscribers(s.TelephoneSubscribersIni()));
    const std::string text = Slurp(s.TelephoneSubscribersIni());
    EXPECT_EQ(Count(text, "[FON_ABONENT_"), 200);
    EXPECT_NE(text.find("[FON_ABONENT_200]"), std::string::npos);
    EXPECT_NE(text.find("user_name=" + name + "\r\n"), std::string::npos);  // cp1251 bytes on disk
    EXPECT_EQ(text.find("Котельная"), std::string::npos);  // not UTF-8
    EXPECT_NE(text.find("adr_modbus=34"), std::string::npos);

    ProgramSettings back = Make();
    back.Load();
    EXPECT_EQ(TextOf(back.link.phone.subscribers.entries[0].name), name);
    EXPECT_EQ(Cp1251ToUtf8(TextOf(back.link.phone.subscribers.entries[0].name)), "Котельная №1 «Ёлка»");
    EXPECT_EQ(back.link.phone.subscribers.entries[0].modbusAddress, 34);
    EXPECT_TRUE(back.link.phone.subscribers == list);

    // Too long texts are cut, a count beyond 200 is cut to 200, a selection beyond
    // the count goes to the first entry.
    Put("fon_abonents.ini", "[FON_CONN_PAR]\nusers_num=250\nuser_index=240\nsort_prz=1\n[FON_ABONENT_3]\nuser_name=" +
                                std::string(60, 'n') + "\nphone_code=" + std::string(40, '7') + "\n");
    back.ReadTelephoneSubscribers(back.TelephoneSubscribersIni());
    EXPECT_EQ(back.link.phone.subscribers.count, 200);
    EXPECT_EQ(back.link.phone.subscribers.selected, 0);
    EXPECT_EQ(back.link.phone.subscribers.sortMode, 1);
    EXPECT_EQ(TextOf(back.link.phone.subscribers.entries[2].name).size(), 49u);
    EXPECT_EQ(TextOf(back.link.phone.subscribers.entries[2].phone).size(), 29u);
}

TEST_F(LinkSettingsTest, SubscriberChoiceAloneReachesZulIniButNotTheListFile) {
    ProgramSettings s = Make();
    s.Load();
    TelephoneSubscriberList& list = s.link.phone.subscribers;
    list.count = 2;
    SetText(list.entries[0].name, "A");
    SetText(list.entries[1].name, "B");
    ASSERT_TRUE(s.WriteTelephoneSubscribers(s.TelephoneSubscribersIni()));
    const std::string listPath = s.TelephoneSubscribersIni();
    AgeFile(listPath);
    const std::string listBytes = Slurp(listPath);

    list.selected = 1;  // another subscriber chosen, then "Связаться"
    ASSERT_TRUE(s.WriteLinkSettings(s.ZulIni()));
    const std::string zul = Slurp(s.ZulIni());
    EXPECT_NE(zul.find("[FON_CONN_PAR]"), std::string::npos);
    EXPECT_EQ(zul.find("[DIR_CONN_PAR]"), std::string::npos);
    EXPECT_EQ(zul.find("[CURR_PAR]"), std::string::npos);
    EXPECT_TRUE(s.saved.phone.subscribers == list);
    ASSERT_TRUE(s.WriteTelephoneSubscribers(listPath));  // the saved copy has it: no write
    EXPECT_EQ(MTime(listPath), 1000000000);
    EXPECT_EQ(Slurp(listPath), listBytes);
    ProgramSettings next = Make();
    next.Load();
    EXPECT_EQ(next.link.phone.subscribers.selected, 0);  // as the subscriber file says
}

TEST_F(LinkSettingsTest, AddingAndDeletingASubscriberEndsWithTheFileAsItBegan) {
    ProgramSettings s = Make();
    s.Load();
    EthernetSubscriberList& list = s.link.ethernet.subscribers;
    list.count = 1;
    SetText(list.entries[0].name, "one");
    ASSERT_TRUE(s.WriteEthernetSubscribers(s.EthernetSubscribersIni()));
    const std::string begin = Slurp(s.EthernetSubscribersIni());
    SetText(list.entries[1].name, "two");
    list.selected = 1;
    list.count = 2;
    ASSERT_TRUE(s.WriteEthernetSubscribers(s.EthernetSubscribersIni()));
    EXPECT_NE(Slurp(s.EthernetSubscribersIni()), begin);
    ASSERT_TRUE(DeleteSelected(list));
    ASSERT_TRUE(s.WriteEthernetSubscribers(s.EthernetSubscribersIni()));
    // The stale section of "two" stays behind the count, the rest is as it began.
    ProgramSettings back = Make();
    back.Load();
    EXPECT_TRUE(back.link.ethernet.subscribers == list);
    IniFile ini(s.EthernetSubscribersIni());
    EXPECT_EQ(ini.ReadInteger("ETHERNET_CONN_PAR", "users_num", -1), 1);
    EXPECT_EQ(ini.ReadInteger("ETHERNET_CONN_PAR", "user_index", -1), 0);
    EXPECT_EQ(ini.ReadString("ETHERNET_ABONENT_1", "user_name", ""), "one");
}

TEST_F(LinkSettingsTest, UnparsableFileGivesDefaultsAndIsOnlyAddedTo) {
    std::string junk;
    for (int i = 0; i < 500; ++i) junk += char((i * 131 + 7) & 0xFF);
    Put("zul.ini", junk);
    ProgramSettings s = Make();
    s.Load();
    EXPECT_EQ(s.link.direct, (LinkParams{1, 1, 38400, 5, 1, 100, 2}));
    s.SaveSettings();
    EXPECT_EQ(Slurp(s.ZulIni()), junk);
    s.link.direct.speed = 9600;
    ASSERT_TRUE(s.WriteLinkSettings(s.ZulIni()));
    const std::string after = Slurp(s.ZulIni());
    EXPECT_EQ(after.substr(0, junk.size()), junk);
    ProgramSettings back = Make();
    back.Load();
    EXPECT_EQ(back.link.direct.speed, 9600u);
}

TEST_F(LinkSettingsTest, AFileThatCannotBeWrittenIsReportedAndNotTakenIntoTheCopy) {
    fs::create_directory(dir + "/zul.ini");
    ProgramSettings s = Make();
    s.Load();
    s.link.direct.address = 9;
    EXPECT_FALSE(s.WriteLinkSettings(s.ZulIni()));
    EXPECT_EQ(s.lastError, "Unable to write to " + dir + "/zul.ini");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], "1|Unable to write to " + dir + "/zul.ini|");
    EXPECT_EQ(s.saved.direct.address, 1);  // still differs: written again next time
    EXPECT_EQ(s.link.direct.address, 9);
    EXPECT_TRUE(fs::is_directory(dir + "/zul.ini"));
    // rd_arh.ini that cannot be created is passed over in silence.
    fs::create_directory(dir + "/rd_arh.ini");
    ui.messages.clear();
    s.link.direct.address = 1;
    s.SaveSettings();
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(LinkSettingsTest, ArchiveSettingsAreSeventyFourLittleEndianBytes) {
    std::string bytes(74, '\0');
    bytes[0] = 2;
    bytes[4] = char(0x01);
    bytes[5] = char(0x01);  // indexChoice 257
    const double start = 44197.25, end = 44198.75;
    std::memcpy(&bytes[8], &start, 8);
    std::memcpy(&bytes[16], &end, 8);
    for (int i = 24; i < 74; ++i) bytes[size_t(i)] = char(i);
    Put("rd_arh.ini", bytes + "extra bytes beyond the record");
    ProgramSettings s = Make();
    s.Load();
    EXPECT_EQ(s.archive.periodChoice, 2);
    EXPECT_EQ(s.archive.indexChoice, 257);
    EXPECT_EQ(s.archive.savedPeriodStart, start);
    EXPECT_EQ(s.archive.savedPeriodEnd, end);
    s.archive.periodChoice = 1;
    s.SaveSettings();
    std::string expected = bytes;
    expected[0] = 1;
    EXPECT_EQ(Slurp(s.ArchiveIni()), expected);  // unused bytes written back as read

    // A shorter file fills only its own length.
    Put("rd_arh.ini", std::string("\x05\0\0\0\x03\0", 6));
    s.ReadArchiveSettings();
    EXPECT_EQ(s.archive.periodChoice, 5);
    EXPECT_EQ(s.archive.indexChoice, 3);
    EXPECT_EQ(s.archive.savedPeriodStart, 45000.5);
    // Dates that are no dates become now.
    std::string bad(74, '\0');
    const double nan = std::nan("");
    std::memcpy(&bad[8], &nan, 8);
    Put("rd_arh.ini", bad);
    s.ReadArchiveSettings();
    EXPECT_EQ(s.archive.savedPeriodStart, 45000.5);
    EXPECT_EQ(s.archive.savedPeriodEnd, 45000.5);
}

TEST_F(LinkSettingsTest, ObjectsAreClearedReadCutAndAlwaysWritten) {
    ProgramSettings s = Make();
    s.objects.count = 3;
    SetText(s.objects.entries[2].name, "stale");
    Put("objects.ini", "[OBJECT_LIST]\nobj_num=60\nobj_index=1\n[OBJECT_1]\nobj_name=" + std::string(70, 'x') +
                           "\n[OBJECT_2]\nobj_name=" + Utf8ToCp1251("ГРС Южная") + "\n");
    s.ReadObjects(s.ObjectsIni());
    EXPECT_EQ(s.objects.count, 50);
    EXPECT_EQ(s.objects.selected, 1);
    EXPECT_EQ(TextOf(s.objects.entries[0].name).size(), 50u);
    EXPECT_EQ(Cp1251ToUtf8(TextOf(s.objects.entries[1].name)), "ГРС Южная");
    EXPECT_EQ(TextOf(s.objects.entries[2].name), "");
    s.objects.count = 2;
    fs::remove(s.ObjectsIni());
    ASSERT_TRUE(s.WriteObjects(s.ObjectsIni()));
    ProgramSettings back = Make();
    back.ReadObjects(back.ObjectsIni());
    EXPECT_TRUE(back.objects == s.objects);
    EXPECT_EQ(Count(Slurp(s.ObjectsIni()), "[OBJECT_"), 3);  // OBJECT_LIST + 2
}

TEST_F(LinkSettingsTest, PortMapOverridesDevicesAndPortExistsFindsThem) {
    int master = -1, slave = -1;
    char name[256];
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    Put("regular.txt", "not a terminal");
    Put("zul.ini", std::string("[PORT_MAP]\nCOM201=") + name + "\ncom202=" + dir +
                       "/regular.txt\nCOM203=" + dir + "/missing\nCOM0=/dev/null\nCOMx=/dev/null\nCOM204=\n");
    SetPortDevicePath(204, "/dev/null");
    ProgramSettings s = Make();
    s.ReadLinkSettings(s.ZulIni());
    EXPECT_EQ(PortDevicePath(201), name);
    EXPECT_EQ(PortDevicePath(202), dir + "/regular.txt");
    EXPECT_EQ(PortDevicePath(204), "");  // an empty value drops the override
    EXPECT_TRUE(PortExists(201));
    EXPECT_FALSE(PortExists(202));
    EXPECT_FALSE(PortExists(203));
    EXPECT_FALSE(PortExists(204));
    EXPECT_FALSE(PortExists(0));
    EXPECT_FALSE(PortExists(256));
    // A port another program holds still exists.
    PosixSerialPort held;
    ASSERT_TRUE(held.OpenComPort(201, 9600, 8, 0, 0, 0, 0, false, false));
    EXPECT_TRUE(PortExists(201));
    held.Close();
    for (int n : {201, 202, 203}) SetPortDevicePath(n, "");
    close(slave);
    close(master);
}

}  // namespace
}  // namespace zul
