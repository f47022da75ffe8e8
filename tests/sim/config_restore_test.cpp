// A whole configuration read from and written into the simulated controller:
// what is read (never the passwords), the order and pieces of the writes, the
// connected flow computers only, table 3 moving the engine, a failure part way.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "link/LinkSettings.h"
#include "sim/SimLink.h"
#include "tables/ConfigCheck.h"
#include "tables/ConfigIo.h"
#include "tables/ConfigRecord.h"

namespace zul::test {
namespace {

using Bytes = std::vector<uint8_t>;

struct WireRun {
    int table, first, count;
    bool operator==(const WireRun&) const = default;
};
std::ostream& operator<<(std::ostream& o, const WireRun& r) {
    return o << "(" << r.table << "," << r.first << "," << r.count << ")";
}

// Command-1 and command-2 runs as the engine sends them.
struct Runs : ExchangeObserver {
    void OnExchangeEvent(const ExchangeEvent& e) override {
        if (e.kind != ExchangeEvent::kRequest || e.attempt != 1) return;
        const uint8_t* f = e.bytes;
        while (*f == 0xFF) ++f;
        if (f[3] == 1) reads.push_back({f[5], f[6], f[7]});
        if (f[3] == 2) writes.push_back({f[21], f[22], f[23]});
    }
    std::vector<WireRun> reads, writes;
};

struct ConfigSim : ::testing::Test {
    ConfigSim() : link(Via::kTcp) {
        link.box.observer = &runs;
        link.Login("1111", "111111");
        // The image a connection start leaves: table 0 read.
        EXPECT_TRUE(link.Read(0, 0, 18));
    }
    // The record checked into the image, as a restore does before writing.
    void Prepare(ConfigurationRecord& r) {
        ConfigRefusal refusal = CheckConfiguration(r, false, link.image);
        ASSERT_FALSE(refusal.refused) << refusal.line1;
        runs.writes.clear();
    }
    SimLink link;
    Runs runs;
};

TEST_F(ConfigSim, ReadEverythingButThePasswords) {
    link.sim.SetField(15, 0, {7, 12, 1, 0, 200, 6, 1, 0});
    link.sim.SetField(13, 0, Bytes(16, 'p'));
    runs.reads.clear();
    ASSERT_TRUE(ReadConfiguration(link.io, &link.bar, 0));
    for (const WireRun& r : runs.reads) {
        EXPECT_NE(r.table, 13);
    }
    for (uint8_t t : kConfigurationTables) {
        if (t == 13) continue;
        EXPECT_TRUE(std::any_of(runs.reads.begin(), runs.reads.end(), [&](const WireRun& r) { return r.table == t; }))
            << "table " << int(t);
    }
    EXPECT_EQ(link.bar.texts[1], "Контроллер ЗУЛ_17");

    ConfigurationRecord r;
    NewConfiguration(r);
    ConfigurationFromImage(r, link.image);
    EXPECT_EQ(r.bytes[0], 1);
    EXPECT_EQ(Bytes(r.TableAt(15), r.TableAt(15) + 8), link.sim.TableBytes(15));
    EXPECT_EQ(Bytes(r.TableAt(1), r.TableAt(1) + 1280), link.sim.TableBytes(1));
    for (int i = 0; i < 16; ++i) EXPECT_EQ(Bytes(r.FlowEntry(i) + 4, r.FlowEntry(i) + 20), Bytes(16, ' '));
    EXPECT_EQ(Cp1251ToUtf8(RecordControllerName(r)), "Контроллер ЗУЛ_17");
    EXPECT_EQ(r.TableAt(0)[1], 73);
}

TEST_F(ConfigSim, ReadStopsAtTheFirstFailure) {
    sim::Faults f;
    f.refuse.times = -1;
    f.refuse.skip = 8;  // table 1 in seven pieces, table 2
    f.refuseCode = 9;
    link.sim.SetFaults(f);
    EXPECT_FALSE(ReadConfiguration(link.io, &link.bar, 0));
    ASSERT_FALSE(link.ui.boxes.empty());
    EXPECT_EQ(link.ui.boxes[0].line1, "Не выполнено чтение из таблицы 3.");
}

struct OrderCase {
    const char* what;
    int flowComputers;
    std::vector<int> marked;
    std::vector<WireRun> writes;
};

TEST_F(ConfigSim, WriteOrderAndPieces) {
    const OrderCase cases[] = {
        {"three flow computers", 3, {22, 13, 20, 19, 18, 17, 9},
         {{9, 0, 6}, {17, 0, 3}, {18, 0, 3}, {19, 0, 3}, {20, 0, 3}, {13, 0, 3}, {22, 0, 20}}},
        {"sixteen: the passwords in two pieces", 16, {13, 20}, {{20, 0, 16}, {13, 0, 14}, {13, 14, 2}}},
        {"none connected: nothing of theirs written", 0, {17, 13, 28}, {{28, 0, 2}}},
        {"table 1 in pieces of three records", 1, {1},
         {{1, 0, 3}, {1, 3, 3}, {1, 6, 3}, {1, 9, 3}, {1, 12, 3}, {1, 15, 3}, {1, 18, 2}}},
        {"the rest in table order", 1, {44, 5, 14, 43, 6}, {{5, 0, 3}, {6, 0, 12}, {14, 0, 16}, {43, 0, 20}, {44, 0, 20}}},
    };
    for (const OrderCase& c : cases) {
        ConfigurationRecord r;
        NewConfiguration(r);
        r.TableAt(9)[0] = uint8_t(c.flowComputers);
        for (int i = 0; i < 16; ++i) r.FlowEntry(i)[0] = uint8_t(30 + i);
        Prepare(r);
        uint8_t marks[kTableCount] = {};
        for (int t : c.marked) marks[t] = 1;
        ASSERT_TRUE(WriteMarkedTables(link.io, marks, &link.bar, {false, nullptr, {}, 0})) << c.what;
        EXPECT_EQ(runs.writes, c.writes) << c.what;
        EXPECT_EQ(Bytes(marks, marks + kTableCount), Bytes(kTableCount, 0)) << c.what;
        EXPECT_TRUE(link.ui.boxes.empty()) << c.what;
    }
    // What the controller now holds: addresses of the connected ones only.
    EXPECT_EQ(link.sim.Field(18, 0), Bytes{30});
    EXPECT_EQ(link.sim.Field(18, 2), Bytes{32});
}

TEST_F(ConfigSim, EverythingWrittenArrives) {
    ConfigurationRecord r;
    NewConfiguration(r);
    const std::string name = Utf8ToCp1251("Станция Юг");
    std::memset(r.TableAt(5), 0, 20);
    std::memcpy(r.TableAt(5), name.data(), name.size());
    r.TableAt(9)[0] = 2;
    std::memcpy(r.FlowEntry(1) + 4, "pass-of-second  ", 16);
    r.TableAt(22)[0] = 0x42;
    r.TableAt(21)[3] = 1;
    Prepare(r);
    uint8_t marks[kTableCount] = {};
    for (uint8_t t : kConfigurationTables)
        if (t != 2 && t != 4 && t != 3) marks[t] = 1;
    ASSERT_TRUE(WriteMarkedTables(link.io, marks, &link.bar, {false, nullptr, {}, 0}));
    for (int t : {1, 6, 9, 14, 15, 21, 22, 23, 24, 25, 26, 28, 29, 43, 44})
        EXPECT_EQ(link.sim.TableBytes(t), Bytes(link.image.Data(t), link.image.Data(t) + Table(t).Bytes())) << t;
    EXPECT_EQ(link.sim.Field(13, 1), Bytes(r.FlowEntry(1) + 4, r.FlowEntry(1) + 20));
    // The controller keeps its names in code page 866; the image stays in 1251.
    Bytes held = link.sim.Field(5, 0);
    FromControllerCodePage(held.data(), 20);
    EXPECT_EQ(held, Bytes(r.TableAt(5), r.TableAt(5) + 20));
    EXPECT_EQ(Bytes(link.image.Data(5), link.image.Data(5) + 20), Bytes(r.TableAt(5), r.TableAt(5) + 20));
    EXPECT_EQ(link.bar.texts[1], "Станция Юг");
}

TEST_F(ConfigSim, TableThreeMovesTheEngine) {
    struct Case {
        const char* what;
        bool writeAll;
        uint8_t address, speedCode;
        int wantAddress, wantSpeed;
    };
    const Case cases[] = {
        {"moved", false, 9, 15, 9, 19200},
        {"a speed code outside the list keeps the speed", false, 12, 40, 12, 19200},
        {"rewriting everything keeps the engine", true, 20, 11, 12, 19200},
    };
    LinkSettings settings;
    settings.current.connectionKind = kLinkEthernet;
    for (const Case& c : cases) {
        ConfigurationRecord r;
        NewConfiguration(r);
        r.TableAt(3)[0] = c.address;
        r.TableAt(3)[1] = c.speedCode;
        Prepare(r);
        int moved = 0;
        uint8_t marks[kTableCount] = {};
        marks[3] = 1;
        ConfigWriteOptions o{c.writeAll, &settings, [&] { ++moved; }, 0};
        ASSERT_TRUE(WriteMarkedTables(link.io, marks, &link.bar, o)) << c.what;
        EXPECT_EQ(link.sim.Address(), c.address) << c.what;
        EXPECT_EQ(link.box.address, c.wantAddress) << c.what;
        EXPECT_EQ(link.box.baudRate, c.wantSpeed) << c.what;
        EXPECT_EQ(settings.ethernet.params.address, c.wantAddress) << c.what;
        EXPECT_EQ(moved, c.writeAll ? 0 : 1) << c.what;
        if (c.writeAll) break;
        EXPECT_TRUE(link.Read(0, 0, 18)) << c.what;  // the controller answers at its new address
    }
}

TEST_F(ConfigSim, FailureStopsAtItsTableAndKeepsTheLink) {
    ConfigurationRecord r;
    NewConfiguration(r);
    r.TableAt(9)[0] = 2;
    r.TableAt(28)[0] = 0;
    Prepare(r);
    uint8_t marks[kTableCount] = {};
    for (int t : {9, 17, 13, 1, 28}) marks[t] = 1;
    // Writes 9, 17, 13 and two pieces of table 1 pass; the third piece is refused.
    sim::Faults f;
    f.refuse.times = 1;
    f.refuse.skip = 5;
    f.refuse.command = 2;
    f.refuseCode = 4;
    link.sim.SetFaults(f);
    EXPECT_FALSE(WriteMarkedTables(link.io, marks, &link.bar, {false, nullptr, {}, 0}));
    ASSERT_EQ(link.ui.boxes.size(), 1u);
    EXPECT_EQ(link.ui.boxes[0].line1, "Не выполнена запись в таблицу 1.");
    EXPECT_EQ(marks[9] + marks[17] + marks[13], 0);
    EXPECT_EQ(marks[1], 1);
    EXPECT_EQ(marks[28], 1);
    EXPECT_EQ(link.sim.Field(28, 0), Bytes{1});  // never reached
    // The same marks again finish the job over the same link.
    link.ui.boxes.clear();
    ASSERT_TRUE(WriteMarkedTables(link.io, marks, &link.bar, {false, nullptr, {}, 0}));
    EXPECT_EQ(link.sim.Field(28, 0), Bytes{0});
}

}  // namespace
}  // namespace zul::test
