// The start sequence against the simulated controller: identification, refusals,
// the table states and the base tables, over TCP and over a pseudo-terminal.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <deque>
#include <unistd.h>
#include <functional>
#include <thread>

#include "core/support/FakeUi.h"
#include "link/Comportfunctions.h"
#include "link/LinkSettings.h"
#include "link/Qrtbox.h"
#include "link/Tcp_fun.h"
#include "link/TcpSocket.h"
#include "shell/ConnectionStart.h"
#include "tables/ConfigFile.h"
#include "tables/ConfigRecord.h"
#include "sim/Qrtsim.h"
#include "tables/Conffun.h"
#include "tables/Dtfun.h"
#include "tables/TableImage.h"

namespace zul::test {
using Bytes = std::vector<uint8_t>;

namespace {

// The window side of the sequence, recording what was asked of it.
struct Host : StartHost {
    std::function<bool()> connect;
    std::function<int(TableStateInfo&, uint8_t)> tableInfo = [](TableStateInfo&, uint8_t) { return kInfoExit; };
    bool ShowConnectDialog() override { return connect(); }
    void CloseLink() override {
        ++closes;
        if (box->sock > 0) TcpClose(box->sock);
        box->sock = 0;
        box->ClosePort();
    }
    void HideAllMenus() override { ++hides; }
    void SetupMenus() override { ++setups; }
    void RefreshLinkStatus() override {}
    void SaveSettings() override { ++saves; }
    void AskCredentials() override {
        ++logins;
        std::memcpy(box->writePassword.data(), "333333      ", 12);
        std::memcpy(box->identCode.data(), "3333", 4);
    }
    bool DialSubscriber() override { return false; }
    // The configuration dialog: each call takes the next edit (none left: cancelled).
    bool EditConfiguration(ConfigurationRecord& record, bool&) override {
        ++configShown;
        if (edits.empty()) return false;
        auto edit = edits.front();
        edits.pop_front();
        return edit(record);
    }
    bool EditAccessTable(uint8_t* table4) override { return accessEdit && accessEdit(table4); }
    void ShowRestoreWait(bool shown) override { waitShown += shown; }
    std::deque<std::function<bool(ConfigurationRecord&)>> edits;
    std::function<bool(uint8_t*)> accessEdit;
    int configShown = 0, waitShown = 0;
    int ShowTableInfo(TableStateInfo& info, uint8_t version) override {
        shownInfo = info;
        shownVersion = version;
        ++infoShown;
        return tableInfo(info, version);
    }
    Qrtbox* box = nullptr;
    int closes = 0, hides = 0, setups = 0, saves = 0, logins = 0, infoShown = 0;
    TableStateInfo shownInfo;
    uint8_t shownVersion = 0;
};

// Every request the engine sends: (command, table, first, count).
struct Requests : ExchangeObserver {
    void OnExchangeEvent(const ExchangeEvent& e) override {
        if (e.kind != ExchangeEvent::kRequest) return;
        const uint8_t* f = e.bytes;
        while (*f == 0xFF) ++f;
        if (f[3] == 1) reads.push_back(f[5]);
        if (f[3] == 2) writes.push_back(f[21]);
        commands.push_back(f[3]);
    }
    bool ReadTable(int t) const { return std::find(reads.begin(), reads.end(), t) != reads.end(); }
    std::vector<int> reads, writes, commands;
};

struct StartFixture : ::testing::Test {
    StartFixture() : io(box, image, ui), start(box, image, io, ui, settings, &bar, host, SystemClock::Instance()) {
        host.box = &box;
        box.ui = &ui;
        box.observer = &requests;
        sim.StartTcp();
        auto& eth = settings.ethernet;
        eth.params.replyWaitSeconds = 1;
        eth.params.attempts = 1;
        eth.connectWait = 2;
        eth.sendPauseMs = 0;
        eth.subscribers.count = 1;
        eth.subscribers.selected = 0;
        eth.subscribers.entries[0].address = 1;
        eth.subscribers.entries[0].ip = {1, 0, 0, 127};
        eth.subscribers.entries[0].port = sim.tcpPort();
        settings.current.connectionKind = kLinkEthernet;
        host.connect = [this] { return ConnectTcp(box, settings.ethernet, 1, ui); };
    }
    ~StartFixture() override { host.CloseLink(); }
    bool ShownWith(const std::string& line1) const {
        for (auto& m : ui.shown)
            if (m.line1 == line1) return true;
        return false;
    }

    sim::Qrtsim sim;
    FakeUi ui;
    Qrtbox box{0};
    TableImage image;
    LinkSettings settings;
    RecordingStatusBar bar;
    Host host;
    Requests requests;
    TableIo io;
    ConnectionStart start;
};

TEST_F(StartFixture, HealthyControllerGoesStraightToTheBaseTables) {
    start.TimerStartTimer();
    EXPECT_TRUE(start.linkEstablished);
    EXPECT_EQ(host.infoShown, 0);
    EXPECT_FALSE(requests.ReadTable(7));
    for (int t : {0, 5, 6, 14, 1, 40}) EXPECT_TRUE(requests.ReadTable(t)) << "table " << t;
    EXPECT_EQ(host.logins, 1);
    EXPECT_EQ(host.saves, 1);
    EXPECT_EQ(host.closes, 1);  // only the one before the dialog
    EXPECT_GE(host.setups, 1);
    EXPECT_TRUE(ui.shown.empty()) << ui.shown[0].line1;
    EXPECT_EQ(Bytes(image.Data(1), image.Data(1) + 1280), sim.TableBytes(1));
    EXPECT_FALSE(bar.current[1].empty());
    // The simulator keeps its names in code page 866 (table 0 field 12 = 0).
    Bytes name = sim.Field(5, 0);
    FromControllerCodePage(name.data(), 20);
    std::string shown = Cp1251ToUtf8(std::string(name.begin(), name.end()));
    EXPECT_EQ(bar.current[1], shown.substr(0, shown.find_last_not_of(std::string(" \0", 2)) + 1));
    EXPECT_EQ(bar.current[1].find("Контроллер"), 0u);
    EXPECT_GT(box.sock, 0);
}

TEST_F(StartFixture, AnotherControllerTypeIsRefusedAndTheLinkDropped) {
    sim.SetByte(0, 1, 72);
    start.TimerStartTimer();
    EXPECT_FALSE(start.linkEstablished);
    EXPECT_TRUE(ShownWith("Код типа подключенного контроллера  72"));
    EXPECT_EQ(ui.shown.back().line2, "Программа обслуживает контроллеры ЗУЛ");
    EXPECT_EQ(host.closes, 2);
    EXPECT_EQ(box.sock, 0);
    EXPECT_FALSE(requests.ReadTable(5));
    EXPECT_EQ(host.logins, 0);
}

TEST_F(StartFixture, AnotherSoftwareVersionIsRefused) {
    sim.SetByte(0, 3, 16);
    start.TimerStartTimer();
    EXPECT_FALSE(start.linkEstablished);
    ASSERT_TRUE(ShownWith("Версия ПО подключенного контроллера 16"));
    EXPECT_EQ(ui.shown.back().line2, "Программа обслуживает контроллеры ЗУЛ только с версией ПО 17");
    EXPECT_EQ(host.closes, 2);
}

TEST_F(StartFixture, DamagedTableShowsTheStatesAndExitKeepsTheLink) {
    sim.DamageTable(13);
    TableStateInfo seen;
    host.tableInfo = [&](TableStateInfo& info, uint8_t version) {
        TableInfoModel model(info, version, kLinkEthernet);
        EXPECT_FALSE(model.writeAllEnabled);
        EXPECT_FALSE(model.writeSelectedEnabled);
        EXPECT_TRUE(model.resetEnabled);
        int damagedRows = 0;
        for (auto& r : model.rows) {
            if (r.damaged) {
                ++damagedRows;
                EXPECT_EQ(r.table, 13);
                EXPECT_EQ(r.text, " Табл. 13.   Пароль на запись в вычислитель расхода газа");
            }
            EXPECT_FALSE(r.checkEnabled);  // not a direct line
        }
        EXPECT_EQ(damagedRows, 1);
        EXPECT_EQ(model.rows.size(), 24u);
        return kInfoExit;
    };
    start.TimerStartTimer();
    EXPECT_EQ(host.infoShown, 1);
    EXPECT_TRUE(requests.ReadTable(7));
    EXPECT_EQ(host.shownInfo.states()[13], 1);
    EXPECT_TRUE(start.linkEstablished);
    EXPECT_TRUE(requests.ReadTable(14));
}

TEST_F(StartFixture, VersionFourteenCountsEveryTableDamagedAndExitDropsTheLink) {
    sim.SetByte(0, 3, 14);
    start.TimerStartTimer();
    EXPECT_EQ(host.infoShown, 1);
    EXPECT_EQ(host.shownVersion, 14);
    EXPECT_FALSE(requests.ReadTable(7));
    for (int t = 0; t < 45; ++t) EXPECT_EQ(host.shownInfo.states()[t], 1);
    EXPECT_FALSE(start.linkEstablished);
    EXPECT_FALSE(requests.ReadTable(5));
    EXPECT_EQ(host.closes, 2);
    // Over a direct line version 14 may be reset and rewritten; over Ethernet nothing.
    TableStateInfo info = host.shownInfo;
    TableInfoModel eth(info, 14, kLinkEthernet);
    EXPECT_FALSE(eth.resetEnabled || eth.writeAllEnabled || eth.writeSelectedEnabled);
    TableInfoModel direct(info, 14, kLinkDirect);
    EXPECT_TRUE(direct.resetEnabled && direct.writeAllEnabled && direct.writeSelectedEnabled);
}

TEST_F(StartFixture, ChromatographCodeTwoDropsTheLink) {
    sim.SetByte(14, 6, 2);
    start.TimerStartTimer();
    EXPECT_FALSE(start.linkEstablished);
    EXPECT_TRUE(ShownWith("Код подключенного хроматографа равен 2."));
    EXPECT_TRUE(ShownWith("Не прочитаны данные, для организации"));
    EXPECT_FALSE(requests.ReadTable(1));
    EXPECT_EQ(host.closes, 2);
}

TEST_F(StartFixture, ControllerWithoutTable40StillConnects) {
    sim.SetTableMissing(40);
    start.TimerStartTimer();
    EXPECT_TRUE(requests.ReadTable(40));
    EXPECT_TRUE(start.linkEstablished);
    EXPECT_EQ(image.Byte(40, 0), 0);
}

TEST_F(StartFixture, OnlyTheClockDamagedWritesTheComputerTime) {
    sim.DamageTable(2);
    sim.SetClock(FromPacked(PackedDateTime{21, 1, 1, 0, 0, 0}.data()));
    settings.current.connectionKind = kLinkEthernet;
    host.tableInfo = [&](TableStateInfo& info, uint8_t version) {
        TableInfoModel model(info, version, kLinkDirect);  // boxes live as on a direct line
        return model.WriteSelected(ui);
    };
    ui.answers = {true};  // "the computer's clock is right"
    start.TimerStartTimer();
    EXPECT_TRUE(start.linkEstablished);
    EXPECT_TRUE(ShownWith("В контроллер будет записано время ЭВМ."));
    ASSERT_FALSE(requests.writes.empty());
    EXPECT_EQ(requests.writes[0], 2);
    const double now = SystemClock::Instance().LocalNow();
    EXPECT_NEAR(sim.ClockNow(), now, 30.0 / 86400);
}

TEST_F(StartFixture, ResetOfNonVolatileDataLeavesAddressOneAt9600) {
    sim.DamageTable(9);
    settings.direct.address = 7;
    settings.direct.speed = 115200;
    host.tableInfo = [&](TableStateInfo& info, uint8_t version) {
        TableInfoModel model(info, version, kLinkEthernet);
        ui.answers = {true};
        host.AskCredentials();
        std::memcpy(box.writePassword.data(), "222222      ", 12);  // level 2 may reset
        std::memcpy(box.identCode.data(), "2222", 4);
        return model.ResetNonVolatile(box, settings, ui);
    };
    start.TimerStartTimer();
    EXPECT_EQ(settings.direct.address, 1);
    EXPECT_EQ(settings.direct.speed, 9600u);
    EXPECT_EQ(box.baudRate, 9600);
    EXPECT_FALSE(start.linkEstablished);
    EXPECT_EQ(std::count(requests.commands.begin(), requests.commands.end(), 25), 1);
    EXPECT_EQ(sim.Address(), 1);
}

TEST_F(StartFixture, RefusedResetKeepsTheDialogOpen) {
    TableStateInfo info;
    TableInfoModel model(info, 17, kLinkEthernet);
    ASSERT_TRUE(host.connect());
    std::memcpy(box.writePassword.data(), "444444      ", 12);  // an operator may not reset
    std::memcpy(box.identCode.data(), "4444", 4);
    ui.answers = {true};
    EXPECT_EQ(model.ResetNonVolatile(box, settings, ui), kInfoStay);
    EXPECT_EQ(ui.shown.back().line1, "Команда не может быть выполнена.");
    EXPECT_EQ(ui.shown.back().line2, "Команда 25.  Недостаточный уровень доступа");
    EXPECT_TRUE(model.resetEnabled);
}

TEST_F(StartFixture, EthernetConnectToAPortNobodyAcceptsTimesOut) {
    settings.ethernet.subscribers.entries[0].port = 1;  // nothing listens there
    settings.ethernet.connectWait = 1;
    auto t0 = std::chrono::steady_clock::now();
    start.TimerStartTimer();
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_TRUE(ShownWith("Превышено время ожидания соединения сервер/клиент"));
    EXPECT_GE(ms, 1000);
    EXPECT_EQ(box.sock, 0);
    EXPECT_FALSE(start.linkEstablished);
}

TEST_F(StartFixture, NoSubscriberChosenIsAnInputError) {
    settings.ethernet.subscribers.count = 0;
    EXPECT_FALSE(ConnectTcp(box, settings.ethernet, 1, ui));
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].kind, kMsgInputError);
    EXPECT_EQ(ui.shown[0].line1, "Введены не все параметры");
}

TEST(StartDirect, BroadcastAddressIsReplacedByTheControllersRealOne) {
    sim::SimSettings s;
    s.address = 5;
    sim::Qrtsim sim(s);
    ASSERT_TRUE(sim.StartPty());
    SetPortDevicePath(42, sim.ptyPath());
    FakeUi ui;
    Qrtbox box(0);
    box.ui = &ui;
    TableImage image;
    TableIo io(box, image, ui);
    LinkSettings settings;
    settings.current.connectionKind = kLinkDirect;
    settings.direct = LinkParams{42, 255, 115200, 0, 1, 50, 1};
    RecordingStatusBar bar;
    Host host;
    host.box = &box;
    host.connect = [&] {
        box.address = settings.direct.address;
        box.baudRate = int32_t(settings.direct.speed);
        box.portNumber = settings.direct.port;
        box.linkKind = kLinkDirect;
        box.openPerExchange = 0;
        box.replyTimeoutMs = 1000;
        box.interByteTimeoutMs = 50;
        box.attempts = 1;
        return box.OpenPort();
    };
    ConnectionStart start(box, image, io, ui, settings, &bar, host, SystemClock::Instance());
    start.TimerStartTimer();
    EXPECT_TRUE(start.linkEstablished);
    EXPECT_EQ(box.address, 5);
    EXPECT_EQ(settings.direct.address, 5);
    host.CloseLink();
    SetPortDevicePath(42, "");
}

// A configuration file as the commissioning engineer brings it.
std::string ConfigFile(const std::function<void(ConfigurationRecord&)>& change = {}) {
    char dir[] = "/tmp/zul_restore_XXXXXX";
    const std::string path = std::string(mkdtemp(dir)) + "/site.cnf";
    ConfigurationRecord r;
    NewConfiguration(r);
    uint8_t* maker = r.TableAt(4);
    std::memcpy(maker, "NAL ", 4);
    maker[4] = 1;
    std::memcpy(maker + 6, "111111      ", 12);
    std::memcpy(maker + 18, "1111", 4);
    // The engineer the tests log in as.
    uint8_t* engineer = maker + 22 * 2;
    std::memcpy(engineer, "ENG ", 4);
    engineer[4] = 3;
    std::memcpy(engineer + 6, "333333      ", 12);
    std::memcpy(engineer + 18, "3333", 4);
    if (change) change(r);
    FakeUi quiet;
    EXPECT_TRUE(WriteConfigurationFile(path, r, quiet, false));
    return path;
}

void SetFloat(ConfigurationRecord& r, int table, int field, float v) { std::memcpy(r.TableAt(table) + 4 * field, &v, 4); }

struct RestoreFixture : StartFixture {
    // Marks the given tables as the dialog's "Записать избранные таблицы" would.
    void Mark(std::vector<int> tables) {
        host.tableInfo = [tables](TableStateInfo& info, uint8_t) {
            for (int t : tables) info.marks()[t] = 1;
            return int(kInfoWriteSelected);
        };
    }
    bool Wrote(int t) const { return std::find(requests.writes.begin(), requests.writes.end(), t) != requests.writes.end(); }
    float SimFloat(int t, int f) {
        float v;
        std::memcpy(&v, sim.Field(t, f).data(), 4);
        return v;
    }
};

TEST_F(RestoreFixture, FileCorrectedCheckedAndWritten) {
    sim.DamageTable(22);
    sim.DamageTable(6);
    Mark({6, 22});
    ui.files = {ConfigFile()};
    host.edits = {[](ConfigurationRecord& r) { SetFloat(r, 22, 0, 0.5f); return true; }};
    start.TimerStartTimer();
    EXPECT_EQ(host.configShown, 1);
    EXPECT_EQ(host.waitShown, 1);
    EXPECT_EQ(requests.writes, (std::vector<int>{6, 22}));
    EXPECT_EQ(SimFloat(22, 0), 0.5f);
    EXPECT_EQ(sim.Field(7, 22), Bytes{0});
    EXPECT_EQ(sim.Field(7, 6), Bytes{0});
    EXPECT_TRUE(start.linkEstablished);
    EXPECT_TRUE(ui.shown.empty()) << ui.shown[0].line1;
}

TEST_F(RestoreFixture, RefusedRecordCorrectedOnYes) {
    sim.DamageTable(14);
    Mark({14});
    ui.files = {ConfigFile([](ConfigurationRecord& r) { r.TableAt(14)[0] = 0; })};
    host.edits = {[](ConfigurationRecord&) { return true; },
                  [](ConfigurationRecord& r) { r.TableAt(14)[0] = 3; return true; }};
    ui.answers = {false, true};  // the input error, then "Корректировать...?"
    start.TimerStartTimer();
    ASSERT_GE(ui.shown.size(), 2u);
    EXPECT_EQ(ui.shown[0].kind, kMsgInputError);
    EXPECT_EQ(ui.shown[0].line1, "Неверно задан адрес хроматографа");
    EXPECT_EQ(ui.shown[1].line1, "Корректировать параметры конфигурации?");
    EXPECT_EQ(host.configShown, 2);
    EXPECT_EQ(requests.writes, (std::vector<int>{14}));
    EXPECT_EQ(sim.Field(14, 0), Bytes{3});
    EXPECT_TRUE(start.linkEstablished);
}

TEST_F(RestoreFixture, NothingWrittenWithoutAFileOrACorrection) {
    struct Case {
        const char* what;
        bool file;
        int edits;
        const char* last;  // the last message, nullptr for none
    };
    const Case cases[] = {
        {"file dialog cancelled", false, 0, nullptr},
        {"configuration dialog cancelled", true, 0, nullptr},
        {"refused, no correction", true, 1, "Запись таблиц не выполнена"},
    };
    for (const Case& c : cases) {
        sim.DamageTable(14);
        Mark({14});
        ui.shown.clear();
        requests.writes.clear();
        if (c.file) ui.files = {ConfigFile([](ConfigurationRecord& r) { r.TableAt(14)[0] = 0; })};
        for (int i = 0; i < c.edits; ++i) host.edits.push_back([](ConfigurationRecord&) { return true; });
        start.TimerStartTimer();
        EXPECT_TRUE(requests.writes.empty()) << c.what;
        if (c.last) {
            ASSERT_FALSE(ui.shown.empty()) << c.what;
            EXPECT_EQ(ui.shown.back().line1, c.last) << c.what;
        } else {
            EXPECT_TRUE(ui.shown.empty()) << c.what;
        }
        EXPECT_TRUE(start.linkEstablished) << c.what;
        EXPECT_EQ(sim.Field(7, 14), Bytes{1}) << c.what;
    }
}

TEST_F(RestoreFixture, AccessTableAloneGoesThroughItsOwnDialog) {
    sim.DamageTable(4);
    Mark({4});
    ui.files = {ConfigFile()};
    host.accessEdit = [](uint8_t* t4) {
        std::memcpy(t4 + 22, "ADM ", 4);
        t4[22 + 4] = 2;
        std::memcpy(t4 + 22 + 6, "222222      ", 12);
        std::memcpy(t4 + 22 + 18, "2222", 4);
        return true;
    };
    start.TimerStartTimer();
    EXPECT_EQ(host.configShown, 0);
    EXPECT_EQ(requests.writes, (std::vector<int>{4, 4}));  // two frames
    const Bytes t4 = sim.TableBytes(4);
    EXPECT_EQ(Bytes(t4.begin(), t4.begin() + 5), (Bytes{'N', 'A', 'L', ' ', 1}));
    EXPECT_EQ(Bytes(t4.begin() + 22, t4.begin() + 27), (Bytes{'A', 'D', 'M', ' ', 2}));
    // The engine's credentials were only set aside for the write.
    EXPECT_EQ(std::string(box.identCode.begin(), box.identCode.end()), "3333");

    // Cancelled: said so, nothing written.
    sim.DamageTable(4);
    requests.writes.clear();
    host.accessEdit = nullptr;
    ui.files = {ConfigFile()};
    start.TimerStartTimer();
    EXPECT_TRUE(requests.writes.empty());
    ASSERT_FALSE(ui.shown.empty());
    EXPECT_EQ(ui.shown.back().line1, "Таблица доступа к записи в контроллер не восстановлена");
}

TEST_F(RestoreFixture, WritingEverythingKeepsTheEngineAndDropsTheLink) {
    sim.SetByte(0, 3, 14);
    for (uint8_t t : kConfigurationTables) sim.DamageTable(t);
    host.tableInfo = [](TableStateInfo& info, uint8_t) {
        for (int t = 0; t < kTableCount; ++t) info.marks()[t] = Table(t).isConfiguration && t != 2;
        return int(kInfoWriteAll);
    };
    ui.files = {ConfigFile([](ConfigurationRecord& r) { r.TableAt(3)[1] = 15; })};
    host.edits = {[](ConfigurationRecord&) { return true; }};
    const int32_t speed = box.baudRate;
    start.TimerStartTimer();
    EXPECT_TRUE(ui.shown.empty()) << ui.shown[0].line1;
    EXPECT_EQ(sim.Field(3, 1), Bytes{15});
    EXPECT_EQ(box.baudRate, speed);
    EXPECT_FALSE(start.linkEstablished);
    EXPECT_FALSE(start.writeAll);
    EXPECT_EQ(requests.writes.front(), 4);  // the users first, then table 9
    EXPECT_EQ(requests.writes[2], 9);
    for (int t = 0; t < kTableCount; ++t)
        if (Table(t).isConfiguration && t != 2) EXPECT_TRUE(Wrote(t)) << t;
    for (uint8_t t : kConfigurationTables)
        if (t != 2) EXPECT_EQ(sim.Field(7, t), Bytes{0}) << "table " << int(t) << " still damaged";
}

TEST(TcpAddresses, DottedAndSubscriberForms) {
    in_addr a{};
    EXPECT_TRUE(ParseDottedAddress("192.168.1.10", a));
    EXPECT_EQ(ntohl(a.s_addr), 0xC0A8010Au);
    EXPECT_TRUE(ParseDottedAddress("255.255.255.255", a));
    EXPECT_FALSE(ParseDottedAddress("300.1.1.1", a));
    EXPECT_FALSE(ParseDottedAddress("", a));
    const uint8_t stored[4] = {10, 1, 168, 192};
    EXPECT_EQ(SubscriberHost(stored), "192.168.1.10");
    FakeUi ui;
    sockaddr_in sa{};
    EXPECT_TRUE(MakeAddress("127.0.0.1", "4001", sa, "tcp", ui));
    EXPECT_EQ(ntohs(sa.sin_port), 4001);
    EXPECT_FALSE(MakeAddress("127.0.0.1", "no-such-service-here", sa, "tcp", ui));
    EXPECT_EQ(ui.shown.back().line1, "неизвестный сервис: no-such-service-here");
    EXPECT_FALSE(MakeAddress("no-such-host.invalid", "1", sa, "tcp", ui));
    EXPECT_EQ(ui.shown.back().line1, "неизвестный хост: no-such-host.invalid");
}

}  // namespace
}  // namespace zul::test
