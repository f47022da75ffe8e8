// Identification, whole-table reads, writes with credentials, refusals, address
// changes and the non-volatile reset: the engine and the table functions against
// the simulated controller, over TCP and over a pseudo-terminal.
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

#include "sim/SimLink.h"
#include "tables/Stringi.h"

namespace zul::test {
namespace {

class SimLinkTest : public ::testing::TestWithParam<Via> {};

TEST_P(SimLinkTest, IdentifiesAsTheControllerOfANewConfiguration) {
    SimLink l(GetParam());
    ASSERT_TRUE(l.ok);
    ASSERT_TRUE(l.Read(0, 0, 18)) << l.box.ErrorText();
    const uint8_t* t0 = l.image.Data(0);
    EXPECT_EQ(t0[0], 0);   // nothing damaged
    EXPECT_EQ(t0[1], 73);  // type
    EXPECT_EQ(t0[3], 17);  // software version
    EXPECT_EQ(t0[12], 0);  // names in code page 866
    EXPECT_EQ(l.box.reply[2], 10 + 18);
    EXPECT_EQ(l.box.reply[3], 0x81);
    EXPECT_TRUE(l.ui.boxes.empty());
}

TEST_P(SimLinkTest, ReadsEveryTableWholeAsTheControllerHoldsIt) {
    SimLink l(GetParam());
    ASSERT_TRUE(l.ok);
    for (int t = 0; t < kTableCount; ++t) {
        if (Table(t).fieldCount == 0) continue;
        ASSERT_TRUE(l.io.ReadWholeTable(t, &l.bar)) << "table " << t << ": " << l.box.ErrorText();
        // The clock is frozen, so even the live tables must match byte for byte.
        std::vector<uint8_t> expected = l.sim.TableBytes(t);
        std::vector<uint8_t> got(l.image.Data(t), l.image.Data(t) + Table(t).Bytes());
        EXPECT_EQ(got, expected) << "table " << t;
    }
    // The defaults of a new configuration came through.
    EXPECT_EQ(std::vector<uint8_t>(l.image.Data(6), l.image.Data(6) + 12),
              (std::vector<uint8_t>{3, 201, 3, 10, 201, 4, 9, 1, 0, 1, 0, 1}));
    EXPECT_EQ(l.image.Byte(14, 14), 20);
    l.image.NamesFromController();
    EXPECT_EQ(Cp1251ToUtf8(std::string(reinterpret_cast<const char*>(l.image.Field(5, 0)))), "Контроллер ЗУЛ_17");
    EXPECT_EQ(Cp1251ToUtf8(std::string(reinterpret_cast<const char*>(l.image.Field(1, 8)))), "Молярная доля метана");
    float ch4High;
    std::memcpy(&ch4High, l.image.Field(24, 8), 4);
    EXPECT_FLOAT_EQ(ch4High, 100.0f);
    EXPECT_TRUE(l.ui.boxes.empty());
}

TEST_P(SimLinkTest, AWriteIsStoredAndLeavesAnInterventionRecord) {
    SimLink l(GetParam());
    ASSERT_TRUE(l.ok);
    uint32_t first = 0;
    const size_t before = l.sim.Interventions(&first).size();
    l.Login("2222", "222222");
    ASSERT_TRUE(l.Write(6, 6, {10})) << l.box.ErrorText();
    EXPECT_EQ(l.box.reply[3], 0x82);
    l.image.Field(6, 6)[0] = 0;
    ASSERT_TRUE(l.Read(6, 6, 1));
    EXPECT_EQ(l.image.Byte(6, 6), 10);

    // The new record is the newest of table 11 and reads back by index with command 7.
    ASSERT_TRUE(l.Read(11, 0, 2));
    uint32_t oldest, newest;
    std::memcpy(&oldest, l.image.Field(11, 0), 4);
    std::memcpy(&newest, l.image.Field(11, 1), 4);
    EXPECT_EQ(oldest, first);
    EXPECT_EQ(newest, first + before);
    std::vector<uint8_t> req = {0, 1, uint8_t(newest), uint8_t(newest >> 8), uint8_t(newest >> 16),
                                uint8_t(newest >> 24), 1};
    ASSERT_TRUE(l.Exchange(7, req)) << l.box.ErrorText();
    ASSERT_EQ(l.box.reply[10], 1);
    const uint8_t* rec = &l.box.reply[11];
    EXPECT_EQ(Crc16(rec, 24), 0);
    EXPECT_EQ(rec[0], 24);  // 2024
    EXPECT_EQ(rec[1], 3);
    EXPECT_EQ(rec[2], 15);
    EXPECT_EQ(rec[7], 6);   // table
    EXPECT_EQ(rec[8], 6);   // field
    EXPECT_EQ(rec[10], 9);  // old contract hour
    EXPECT_EQ(rec[14], 10); // new
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(rec + 18), 4), "ADM ");

    // Writing the same value again changes nothing and records nothing.
    ASSERT_TRUE(l.Write(6, 6, {10}));
    EXPECT_EQ(l.sim.Interventions().size(), before + 1);
}

TEST_P(SimLinkTest, RefusesWritesByTheRulesOfTheUserTable) {
    SimLink l(GetParam());
    ASSERT_TRUE(l.ok);
    struct Case {
        const char* ident;
        const char* password;
        int table;
        uint8_t code;
        const char* text;
    } cases[] = {
        {"2222", "22222", 6, 3, "Неправильный пароль на запись"},
        {"9999", "222222", 6, 34, "Пользователь не зарегистрирован или неправильный пароль"},
        {"    ", "", 6, 34, "Пользователь не зарегистрирован или неправильный пароль"},
        {"4444", "444444", 6, 26, "Недостаточный уровень доступа"},
        {"3333", "333333", 4, 26, "Недостаточный уровень доступа"},
        {"2222", "222222", 0, 12, "Запись в таблицу не допускается"},
    };
    for (const Case& c : cases) {
        l.Login(c.ident, c.password);
        l.ui.boxes.clear();
        std::vector<uint8_t> value(Table(c.table).fieldSize, 1);
        EXPECT_FALSE(l.Write(c.table, 0, value)) << c.ident;
        EXPECT_EQ(l.box.errorCode, kErrDevice);
        EXPECT_EQ(l.DeviceCode(), c.code) << c.ident;
        EXPECT_EQ(l.box.ErrorText(), std::string("Команда 2.  ") + c.text);
        ASSERT_EQ(l.ui.boxes.size(), 1u);  // the retry question, answered no
        EXPECT_EQ(l.ui.boxes[0].kind, kMsgRetry);
    }
    // Nothing reached the controller's tables.
    EXPECT_EQ(l.sim.Field(6, 0), std::vector<uint8_t>{3});
    // A user with an empty password writes with blanks.
    l.Login("5555", "");
    EXPECT_TRUE(l.Write(6, 6, {11})) << l.box.ErrorText();
    // The operator may set the clock.
    l.Login("4444", "444444");
    EXPECT_TRUE(l.Write(2, 0, {24, 3, 16, 8, 0, 0, 7, 0})) << l.box.ErrorText();
    EXPECT_EQ(l.sim.Field(2, 2), std::vector<uint8_t>{16});
}

TEST_P(SimLinkTest, KeepsTheRulesOfTheUserTable) {
    SimLink l(GetParam());
    ASSERT_TRUE(l.ok);
    l.Login("1111", "111111");
    ASSERT_TRUE(l.Read(4, 0, 10));
    auto user = [&](int slot, const char* name, uint8_t level, const char* ident) {
        std::vector<uint8_t> e(22, ' ');
        std::memcpy(e.data(), name, std::strlen(name));
        e[4] = level;
        e[5] = 0;
        std::memcpy(e.data() + 18, ident, std::strlen(ident));
        (void)slot;
        return e;
    };
    struct Case {
        int slot;
        std::vector<uint8_t> entry;
        uint8_t code;
    } cases[] = {
        {6, user(6, "TWO", 1, "7777"), 29},   // a second maker
        {0, user(0, "NAL", 3, "1111"), 30},   // the maker demoted
        {1, user(1, "ADM", 0, "2222"), 31},   // the only administrator removed
        {6, user(6, "", 3, "7777"), 27},      // no name
        {6, user(6, "NEW", 3, ""), 28},       // no identification code
        {6, user(6, "ENG", 4, "7777"), 33},   // a name already taken
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(l.Write(4, c.slot, c.entry));
        EXPECT_EQ(l.DeviceCode(), c.code) << "slot " << c.slot;
    }
    EXPECT_TRUE(l.Write(4, 6, user(6, "NEW", 4, "7777"))) << l.box.ErrorText();
    l.Login("7777", "");
    EXPECT_TRUE(l.Write(2, 5, {30})) << l.box.ErrorText();
}

TEST_P(SimLinkTest, AnswersTheBroadcastAddressWithItsOwn) {
    sim::SimSettings s = FixedSettings();
    s.address = 7;
    SimLink l(GetParam(), s);
    ASSERT_TRUE(l.ok);
    l.box.address = 3;  // nobody there
    EXPECT_FALSE(l.Read(0, 0, 1));
    EXPECT_EQ(l.box.errorCode, kErrNoReply);
    l.box.address = 255;
    ASSERT_TRUE(l.Read(0, 0, 18)) << l.box.ErrorText();
    EXPECT_EQ(l.box.address, 7);
    EXPECT_EQ(l.image.Byte(0, 1), 73);
}

TEST_P(SimLinkTest, AnswersFromTheNewAddressAfterATable3Write) {
    SimLink l(GetParam());
    ASSERT_TRUE(l.ok);
    l.Login("3333", "333333");
    ASSERT_TRUE(l.Write(3, 0, {7, 11, 0, 0})) << l.box.ErrorText();
    EXPECT_EQ(l.box.reply[1], 7);  // the reply came from the new address
    EXPECT_EQ(l.sim.Address(), 7);
    EXPECT_FALSE(l.Read(0, 0, 1));  // the old address is silent now
    EXPECT_EQ(l.box.errorCode, kErrNoReply);
    l.box.address = 7;
    EXPECT_TRUE(l.Read(0, 0, 1)) << l.box.ErrorText();
    // Preambles ahead of the replies (table 3 field 2 = 0 now) are not needed either way.
    EXPECT_EQ(l.sim.Field(3, 2), std::vector<uint8_t>{0});
}

TEST_P(SimLinkTest, ResetOfNonVolatileDataLeavesANewControllerAtAddress1) {
    sim::SimSettings s = FixedSettings();
    s.address = 9;
    SimLink l(GetParam(), s);
    ASSERT_TRUE(l.ok);
    l.Login("3333", "333333");
    EXPECT_FALSE(l.Exchange(25, {}));
    EXPECT_EQ(l.DeviceCode(), 26);  // an engineer may not
    l.Login("2222", "222222");
    ASSERT_TRUE(l.Exchange(25, {})) << l.box.ErrorText();
    EXPECT_EQ(l.box.reply[1], 9);  // the answer still came from the old address
    EXPECT_EQ(l.sim.Address(), 1);
    EXPECT_EQ(l.sim.Field(3, 1), std::vector<uint8_t>{11});  // 9600 bit/s
    l.box.address = 1;
    ASSERT_TRUE(l.Read(0, 0, 18));
    EXPECT_EQ(l.image.Byte(0, 0), 4);  // the user table waits for a full rewrite
    ASSERT_TRUE(l.Read(7, 0, 45));
    EXPECT_EQ(l.image.Byte(7, 4), 1);
    // Nobody is registered: every write is refused...
    EXPECT_FALSE(l.Write(6, 6, {8}));
    EXPECT_EQ(l.DeviceCode(), 34);
    // ...except the rewrite of table 4, in two pieces with blank credentials.
    l.Login("", "");
    std::vector<uint8_t> t4(22 * 16, ' ');
    for (int u = 0; u < 16; ++u) t4[size_t(u * 22 + 4)] = t4[size_t(u * 22 + 5)] = 0;
    std::memcpy(&t4[0], "BOSS", 4);
    t4[4] = 1;
    std::memcpy(&t4[18], "4321", 4);
    ASSERT_TRUE(l.Write(4, 0, std::vector<uint8_t>(t4.begin(), t4.begin() + 220))) << l.box.ErrorText();
    EXPECT_EQ(l.sim.Field(7, 4), std::vector<uint8_t>{1});  // not yet whole
    ASSERT_TRUE(l.Write(4, 10, std::vector<uint8_t>(t4.begin() + 220, t4.end()))) << l.box.ErrorText();
    EXPECT_EQ(l.sim.Field(7, 4), std::vector<uint8_t>{0});
    EXPECT_EQ(l.sim.Field(0, 0), std::vector<uint8_t>{0});
    l.Login("4321", "");
    EXPECT_TRUE(l.Write(6, 6, {8})) << l.box.ErrorText();
}

TEST_P(SimLinkTest, ShowsChangedIdentityDamagedTablesAndMissingTables) {
    SimLink l(GetParam());
    ASSERT_TRUE(l.ok);
    l.sim.SetByte(0, 1, 72);
    l.sim.SetByte(0, 3, 14);
    l.sim.SetByte(14, 6, 2);
    l.sim.DamageTable(13);
    l.sim.DamageTable(6, 2);
    l.sim.SetTableMissing(40);
    ASSERT_TRUE(l.Read(0, 0, 18));
    EXPECT_EQ(l.image.Byte(0, 0), 13);
    EXPECT_EQ(l.image.Byte(0, 1), 72);
    EXPECT_EQ(l.image.Byte(0, 3), 14);
    ASSERT_TRUE(l.Read(7, 0, 45));
    EXPECT_EQ(l.image.Byte(7, 13), 1);
    EXPECT_EQ(l.image.Byte(7, 6), 2);
    EXPECT_EQ(l.image.Byte(7, 5), 0);
    ASSERT_TRUE(l.Read(14, 0, 16));
    EXPECT_EQ(l.image.Byte(14, 6), 2);
    EXPECT_FALSE(l.Read(40, 0, 1));
    EXPECT_EQ(l.DeviceCode(), 9);
    EXPECT_EQ(l.box.ErrorText(), "Команда 1.  Нет такой таблицы");
    // Rewriting a damaged table whole repairs it.
    l.Login("3333", "333333");
    l.sim.SetByte(9, 0, 16);  // all sixteen flow computers connected
    std::vector<uint8_t> t13(16 * 14, ' ');
    ASSERT_TRUE(l.Write(13, 0, t13));
    EXPECT_EQ(l.sim.Field(7, 13), std::vector<uint8_t>{1});
    ASSERT_TRUE(l.Write(13, 14, std::vector<uint8_t>(32, ' ')));
    EXPECT_EQ(l.sim.Field(7, 13), std::vector<uint8_t>{0});
    EXPECT_EQ(l.sim.Field(0, 0), std::vector<uint8_t>{6});  // the next damaged table
}

TEST_P(SimLinkTest, RefusesRequestsOutsideTheCatalogue) {
    SimLink l(GetParam());
    ASSERT_TRUE(l.ok);
    // Straight through the engine, past the table functions' own checks.
    EXPECT_FALSE(l.Exchange(1, {8, 0, 1}));
    EXPECT_EQ(l.DeviceCode(), 9);
    EXPECT_FALSE(l.Exchange(1, {0, 10, 9}));
    EXPECT_EQ(l.DeviceCode(), 13);
    EXPECT_FALSE(l.Exchange(1, {1, 0, 4}));  // 256 bytes would not fit a reply
    EXPECT_EQ(l.DeviceCode(), 4);
    l.Login("1111", "111111");
    EXPECT_FALSE(l.Exchange(2, {6, 11, 2, 0, 0}));
    EXPECT_EQ(l.DeviceCode(), 14);
    EXPECT_FALSE(l.Exchange(2, {6, 12, 1, 0}));
    EXPECT_EQ(l.DeviceCode(), 36);
    EXPECT_FALSE(l.Exchange(2, {6, 0, 2, 0}));  // two fields announced, one sent
    EXPECT_EQ(l.DeviceCode(), 2);
    EXPECT_FALSE(l.Exchange(2, {2, 0, 6, 24, 2, 30, 0, 0, 0}));  // 30 February
    EXPECT_EQ(l.DeviceCode(), 4);
    EXPECT_FALSE(l.Exchange(14, std::vector<uint8_t>(13, 0)));
    EXPECT_EQ(l.DeviceCode(), 1);
    EXPECT_EQ(l.box.ErrorText(), "Команда 14.  Неизвестный код команды");
}

INSTANTIATE_TEST_SUITE_P(Links, SimLinkTest, ::testing::Values(Via::kTcp, Via::kPty), ViaName);

}  // namespace
}  // namespace zul::test

namespace zul::test {
namespace {

// What the controller makes of raw bytes on its line.
class RawLine {
public:
    explicit RawLine(sim::Qrtsim& s) { fd = TcpConnect("127.0.0.1", s.tcpPort(), 2000); }
    ~RawLine() { TcpClose(fd); }
    void Send(std::vector<uint8_t> b) { ASSERT_EQ(::send(fd, b.data(), b.size(), MSG_NOSIGNAL), ssize_t(b.size())); }
    // Everything that arrives within `ms`.
    std::vector<uint8_t> Receive(int ms) {
        std::vector<uint8_t> got;
        pollfd p{fd, POLLIN, 0};
        while (::poll(&p, 1, ms) > 0) {
            uint8_t buf[512];
            ssize_t n = ::recv(fd, buf, sizeof buf, 0);
            if (n <= 0) break;
            got.insert(got.end(), buf, buf + n);
        }
        return got;
    }
    int fd;
};

std::vector<uint8_t> Frame(std::vector<uint8_t> f) {
    f[2] = uint8_t(f.size() + 2);
    const uint16_t crc = Crc16(f.data(), uint16_t(f.size()));
    f.push_back(uint8_t(crc & 0xFF));
    f.push_back(uint8_t(crc >> 8));
    return f;
}

TEST(SimLine, AnswersOnlyCheckedFramesForItsAddress) {
    sim::Qrtsim s(FixedSettings());
    ASSERT_TRUE(s.StartTcp());
    RawLine line(s);
    const std::vector<uint8_t> good = Frame({0xCC, 1, 0, 1, 0, 0, 1, 2});
    std::vector<uint8_t> bad = good;
    bad.back() ^= 1;
    line.Send(bad);
    EXPECT_TRUE(line.Receive(150).empty());
    line.Send(Frame({0xCC, 2, 0, 1, 0, 0, 1, 2}));  // another controller's
    EXPECT_TRUE(line.Receive(150).empty());
    // Preambles and noise ahead, and the frame in two pieces.
    std::vector<uint8_t> first = {0xFF, 0xFF, 0x00, 0x33, 0xFF};
    first.insert(first.end(), good.begin(), good.begin() + 4);
    line.Send(first);
    ::usleep(50000);
    line.Send(std::vector<uint8_t>(good.begin() + 4, good.end()));
    std::vector<uint8_t> reply = line.Receive(300);
    // Three preambles (table 3 field 2), then the reply with table 0 fields 1 and 2.
    std::vector<uint8_t> expected = {0xFF, 0xFF, 0xFF};
    auto body = Frame({0x33, 1, 0, 0x81, 0, 0, 1, 2, 73, 3});
    expected.insert(expected.end(), body.begin(), body.end());
    EXPECT_EQ(reply, expected);
    EXPECT_EQ(s.stats().framesSeen, 3u);
    EXPECT_EQ(s.stats().repliesSent, 1u);
}

TEST(SimLine, KeepsTheNamesInCodePage1251WhenTable0SaysSo) {
    sim::SimSettings settings = FixedSettings();
    settings.names1251 = true;
    sim::Qrtsim s(settings);
    EXPECT_EQ(s.Field(0, 12), std::vector<uint8_t>{1});
    auto name = s.Field(5, 0);
    EXPECT_EQ(Cp1251ToUtf8(std::string(name.begin(), name.begin() + 17)), "Контроллер ЗУЛ_17");
    s.WithController([](sim::SimController& c) { c.SetCodePageFlag(0); });
    name = s.Field(5, 0);
    EXPECT_EQ(name[0], 0x8A);  // "К" in code page 866
}

}  // namespace
}  // namespace zul::test

namespace zul::test {
namespace {

// A direct line released after every exchange: the other end of the pseudo-terminal
// comes and goes, and the controller keeps answering.
TEST(SimLine, ServesAPortOpenedForEveryExchange) {
    SimLink l(Via::kPty);
    ASSERT_TRUE(l.ok);
    l.box.ClosePort();
    l.box.openPerExchange = 1;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(l.Read(0, 1, 3)) << i << ": " << l.box.ErrorText();
        EXPECT_FALSE(l.box.PortOpen());
    }
    EXPECT_EQ(l.image.Byte(0, 1), 73);
}

}  // namespace
}  // namespace zul::test
