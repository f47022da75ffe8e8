// The rules on registered users, the clock correction with its seasons, and the
// controller clock's reads and correction against the simulated controller.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/support/FakeUi.h"
#include "link/Qrtbox.h"
#include "link/TcpSocket.h"
#include "shell/ControllerClock.h"
#include "sim/Qrtsim.h"
#include "sim/SimTime.h"
#include "tables/ClockRules.h"
#include "tables/Conffun.h"
#include "tables/Dtfun.h"
#include "tables/TableImage.h"
#include "tables/UserRules.h"

namespace zul::test {
namespace {

// ---------------------------------------------------------------------------
// Clock correction: never across one of the controller's hour boundaries.

struct CorrectionCase {
    const char* name;
    uint8_t controller[6];
    uint8_t computer[6];
    int correction;
};

const CorrectionCase kCorrections[] = {
    {"forward to the next hour", {24, 5, 10, 10, 59, 50}, {24, 5, 10, 11, 0, 10}, 10},
    {"back to the start of the hour", {24, 5, 10, 11, 0, 10}, {24, 5, 10, 10, 59, 50}, -10},
    {"same hour forward", {24, 5, 10, 10, 20, 0}, {24, 5, 10, 10, 20, 30}, 30},
    {"same hour back", {24, 5, 10, 10, 20, 30}, {24, 5, 10, 10, 0, 0}, -1230},
    {"equal", {24, 5, 10, 10, 20, 30}, {24, 5, 10, 10, 20, 30}, 0},
    {"across midnight forward", {24, 12, 31, 23, 59, 50}, {25, 1, 1, 0, 0, 10}, 10},
    {"across midnight back", {25, 1, 1, 0, 0, 10}, {24, 12, 31, 23, 59, 50}, -10},
    {"hours behind: one hour at most", {24, 5, 10, 8, 15, 0}, {24, 5, 10, 11, 40, 0}, 2700},
    {"hours ahead: back to its hour", {24, 5, 10, 13, 15, 20}, {24, 5, 10, 11, 40, 0}, -920},
    {"whole hour behind", {24, 5, 10, 9, 0, 0}, {24, 5, 11, 9, 0, 0}, 3600},
};

class Correction : public ::testing::TestWithParam<CorrectionCase> {};

TEST_P(Correction, StaysInsideTheControllersHour) {
    const CorrectionCase& c = GetParam();
    EXPECT_EQ(ClockCorrection(c.controller, c.computer), c.correction);
}

INSTANTIATE_TEST_SUITE_P(Cases, Correction, ::testing::ValuesIn(kCorrections),
                         [](const auto& info) {
                             std::string n = info.param.name;
                             for (char& ch : n)
                                 if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return n;
                         });

// Seasons of the computer's clock under the table 6 rules, and the weekday.
struct SeasonCase {
    int year, month, day, hour, minute;
    uint8_t summer[3], winter[3];
    uint8_t season;
    uint8_t weekDay;
};

const SeasonCase kSeasons[] = {
    {2024, 3, 31, 2, 59, {3, 0xC9, 3}, {10, 0xC9, 4}, 0x80, 1},
    {2024, 3, 31, 3, 0, {3, 0xC9, 3}, {10, 0xC9, 4}, 0, 1},
    {2024, 10, 27, 3, 59, {3, 0xC9, 3}, {10, 0xC9, 4}, 0, 1},
    {2024, 10, 27, 4, 0, {3, 0xC9, 3}, {10, 0xC9, 4}, 0x80, 1},
    {2024, 7, 4, 12, 0, {3, 0xC9, 3}, {10, 0xC9, 4}, 0, 5},
    {2024, 1, 15, 12, 0, {3, 0xC9, 3}, {10, 0xC9, 4}, 0x80, 2},
    // No summer rule: always winter time; no winter rule: always summer time.
    {2024, 7, 4, 12, 0, {0, 0, 0}, {10, 0xC9, 4}, 0x80, 5},
    {2024, 1, 15, 12, 0, {3, 0xC9, 3}, {0, 0, 0}, 0, 2},
};

TEST(ClockFields, SeasonAndWeekDayOfTheComputersClock) {
    for (const SeasonCase& c : kSeasons) {
        const uint8_t packed[6] = {uint8_t(c.year - 2000), uint8_t(c.month), uint8_t(c.day), uint8_t(c.hour),
                                   uint8_t(c.minute), 0};
        const ClockBytes b = ClockFields(FromPacked(packed), c.summer, c.winter);
        SCOPED_TRACE(std::to_string(c.month) + "/" + std::to_string(c.day) + " " + std::to_string(c.hour));
        EXPECT_EQ(0, std::memcmp(b.data(), packed, 6));
        EXPECT_EQ(b[6], c.weekDay);
        EXPECT_EQ(b[7], c.season);
        EXPECT_STREQ(SeasonText(b[7]), c.season ? "Зимнее" : "Летнее");
    }
}

TEST(ClockFields, TextsAndDifferences) {
    const uint8_t c[8] = {24, 3, 5, 9, 7, 3, 3, 0x80};
    const uint8_t p[8] = {24, 3, 5, 9, 7, 4, 3, 0};
    EXPECT_EQ(ClockDateText(c), "05.03.24");
    EXPECT_EQ(ClockTimeText(c), "09:07:03");
    EXPECT_STREQ(WeekDayText(c[6]), "Вторник");
    EXPECT_STREQ(WeekDayText(0), "");
    const ClockDiff d = CompareClocks(c, p);
    EXPECT_FALSE(d.date);
    EXPECT_TRUE(d.time);
    EXPECT_FALSE(d.weekDay);
    EXPECT_TRUE(d.season);
    // Any non-zero season byte counts as winter time.
    const uint8_t c2[8] = {24, 3, 5, 9, 7, 4, 3, 1};
    const uint8_t p2[8] = {24, 3, 5, 9, 7, 4, 3, 0x80};
    EXPECT_FALSE(CompareClocks(c2, p2).season);
}

// ---------------------------------------------------------------------------
// Users: the table the simulated controller starts with.

struct UserTable {
    uint8_t bytes[kUserTableSize];
    UserTable() {
        std::memset(bytes, ' ', sizeof bytes);
        for (int u = 0; u < kUserSlots; ++u) bytes[u * kUserRecordSize + kUserLevelOffset] = 0;
        Put(0, "NAL", 1, "111111", "1111");
        Put(1, "ADM", 2, "222222", "2222");
        Put(2, "ENG", 3, "333333", "3333");
        Put(3, "OPR", 4, "444444", "4444");
        Put(4, "GST", 3, "", "5555");
    }
    void Put(int slot, const char* name, uint8_t level, const char* password, const char* code) {
        uint8_t* r = bytes + slot * kUserRecordSize;
        PutBlankPadded(r, 4, name);
        r[kUserLevelOffset] = level;
        r[kUserReservedOffset] = 7;
        PutBlankPadded(r + kUserPasswordOffset, 12, password);
        PutBlankPadded(r + kUserCodeOffset, 4, code);
    }
    const uint8_t* Rec(int slot) const { return bytes + slot * kUserRecordSize; }
};

struct OneUserCase {
    const char* what;
    OneUserInput in;
    bool secondAdmin;
    UserChangeKind kind;
    const char* line1;
    const char* line2;
    ClearBoxes clear;
};

const OneUserCase kOneUser[] = {
    {"maker loses level", {0, 2, "NAL", "1111", "1111", "", ""}, false, kUserRefused,
     "Вы не можете удалить пользователя", "с уровнем доступа \"Производитель-наладчик\"", ClearBoxes::kNone},
    {"maker removed", {0, 0, "NAL", "", "", "", ""}, false, kUserRefused, "Вы не можете удалить пользователя",
     "с уровнем доступа \"Производитель-наладчик\"", ClearBoxes::kNone},
    {"second maker", {5, 1, "NEW", "6666", "6666", "", ""}, false, kUserRefused, "Может быть зарегистрирован",
     "только один производитель-наладчик", ClearBoxes::kNone},
    {"only admin to engineer", {1, 3, "ADM", "2222", "2222", "", ""}, false, kUserRefused,
     "Вы не можете удалить единственного пользователя", "с уровнем доступа \"Администратор\"", ClearBoxes::kNone},
    {"one of two admins to engineer", {1, 3, "ADM", "2222", "2222", "", ""}, true, kUserStored, "", "",
     ClearBoxes::kNone},
    {"removal needs nothing", {2, 0, "", "", "x", "a", "b"}, false, kUserRemoved, "", "", ClearBoxes::kNone},
    {"passwords differ", {5, 3, "NEW", "6666", "6666", "abc", "abd"}, false, kUserRefused,
     "Несовпадение введенных паролей", "Повторите процесс сначала", ClearBoxes::kPasswords},
    {"codes differ", {5, 3, "NEW", "6666", "6667", "abc", "abc"}, false, kUserRefused, "Несовпадение введенных кодов",
     "Повторите процесс сначала", ClearBoxes::kCodes},
    {"empty code", {5, 3, "NEW", "", "", "abc", "abc"}, false, kUserRefused,
     "Не задан код идентификации пользователя", "", ClearBoxes::kNone},
    {"empty name", {5, 3, "", "6666", "6666", "", ""}, false, kUserRefused, "Номер пользователя в таблице - 6.",
     "Не задано имя пользователя", ClearBoxes::kNone},
    {"same name as slot 3", {5, 4, "ENG", "6666", "6666", "", ""}, false, kUserRefused, "Пользователи   6 и  3.",
     "Совпадение имен пользователей", ClearBoxes::kNone},
    {"same code is not checked here", {5, 4, "NEW", "3333", "3333", "", ""}, false, kUserStored, "", "",
     ClearBoxes::kNone},
    {"empty password allowed", {5, 4, "NEW", "7", "7", "", ""}, false, kUserStored, "", "", ClearBoxes::kNone},
};

TEST(OneUserEditor, ChecksInTheirOrder) {
    for (const OneUserCase& c : kOneUser) {
        SCOPED_TRACE(c.what);
        UserTable t;
        if (c.secondAdmin) t.Put(6, "AD2", 2, "x", "8888");
        const UserTableSummary s = SummariseUsers(t.bytes);
        EXPECT_EQ(s.makerSlot, 0);
        const UserChange r = ApplyOneUserChange(t.bytes, s, c.in);
        ASSERT_EQ(r.kind, c.kind) << r.refusal.line1;
        EXPECT_EQ(r.refusal.line1, c.line1);
        EXPECT_EQ(r.refusal.line2, c.line2);
        EXPECT_EQ(r.refusal.clear, c.clear);
        if (c.kind == kUserRemoved) {
            // Level 0, blanks in name, password and code; the reserved byte kept.
            EXPECT_EQ(r.record[kUserLevelOffset], 0);
            EXPECT_EQ(r.record[kUserReservedOffset], 7);
            EXPECT_TRUE(IsBlank(r.record.data(), 4));
            EXPECT_TRUE(IsBlank(r.record.data() + kUserPasswordOffset, 16));
        }
        if (c.kind == kUserStored) {
            EXPECT_EQ(TrimmedBytes(r.record.data(), 4), c.in.name);
            EXPECT_EQ(r.record[kUserLevelOffset], c.in.level);
            EXPECT_EQ(TrimmedBytes(r.record.data() + kUserPasswordOffset, 12), c.in.password);
            EXPECT_EQ(TrimmedBytes(r.record.data() + kUserCodeOffset, 4), c.in.code);
            EXPECT_EQ(0, std::memcmp(t.Rec(c.in.slot), r.record.data(), kUserRecordSize));
        }
    }
}

TEST(OneUserEditor, SlotList) {
    UserTable t;
    EXPECT_EQ(UserListItem(t.Rec(1)), "ADM");
    EXPECT_EQ(UserListItem(t.Rec(9)), "   --   ");
}

struct TableCase {
    const char* what;
    void (*edit)(UserTable&);
    const char* line1;
    const char* line2;
};

const TableCase kTables[] = {
    {"the default table passes", [](UserTable&) {}, "", ""},
    {"no maker", [](UserTable& t) { t.bytes[kUserLevelOffset] = 2; }, "В списке зарегистрированных пользователей",
     "не зарегистрирован производитель-наладчик"},
    {"two makers", [](UserTable& t) { t.Put(7, "MK2", 1, "", "9999"); }, "Может быть зарегистрирован",
     "только один производитель-наладчик"},
    {"blank name", [](UserTable& t) { t.Put(7, "", 3, "", "9999"); }, "Номер пользователя в таблице: 8.",
     "Не задано имя пользователя"},
    {"blank code", [](UserTable& t) { t.Put(7, "X", 3, "pw", ""); }, "Номер пользователя в таблице: 8.",
     "Не задан код идентификации пользователя"},
    {"same names", [](UserTable& t) { t.Put(9, "ADM", 3, "", "9999"); }, "Пользователи   2 и 10.",
     "Совпадение имен пользователей"},
    {"same codes", [](UserTable& t) { t.Put(9, "NEW", 3, "", "2222"); }, "Пользователи   2 и 10.",
     "Совпадение кодов идентификации пользователя"},
    {"a free slot with stale bytes counts for nothing",
     [](UserTable& t) {
         t.Put(9, "ADM", 0, "", "2222");
     },
     "", ""},
    {"a role beyond the named five is the controller's own", [](UserTable& t) { t.Put(9, "R9", 9, "", "9999"); },
     "", ""},
};

TEST(WholeTable, FirstRefusal) {
    for (const TableCase& c : kTables) {
        SCOPED_TRACE(c.what);
        UserTable t;
        c.edit(t);
        const UserRefusal r = CheckUserTable(t.bytes);
        EXPECT_EQ(r.refused, *c.line1 != 0);
        EXPECT_EQ(r.line1, c.line1);
        EXPECT_EQ(r.line2, c.line2);
    }
}

TEST(WholeTable, RowsIntoTheCopy) {
    UserTable t;
    int levels[kUserSlots] = {1, 2, 0, 4, 9};
    std::string names[kUserSlots] = {"NAL", "ADM", "ENG", "OP", "R9"};
    ApplyUserRows(t.bytes, levels, names);
    EXPECT_EQ(t.Rec(2)[kUserLevelOffset], 0);
    EXPECT_TRUE(IsBlank(t.Rec(2), 4));
    EXPECT_TRUE(IsBlank(t.Rec(2) + kUserPasswordOffset, 16));
    EXPECT_TRUE(names[2].empty());
    EXPECT_EQ(TrimmedBytes(t.Rec(3), 4), "OP");
    EXPECT_EQ(TrimmedBytes(t.Rec(3) + kUserCodeOffset, 4), "4444");
    EXPECT_EQ(t.Rec(4)[kUserLevelOffset], 9);
    EXPECT_EQ(TrimmedBytes(t.Rec(4), 4), "R9");
    for (int u = 0; u < kUserSlots; ++u) EXPECT_EQ(t.Rec(u)[kUserReservedOffset], 0);
}

TEST(Credentials, BlankFilled) {
    const auto c = MakeCredentials("pw", "12");
    EXPECT_EQ(std::string(c.begin(), c.end()), "pw          12  ");
    EXPECT_EQ(CheckPasswordAndCode("12", "12", "", "").refused, false);
}

// ---------------------------------------------------------------------------
// The clock view's reads and the correction, against the simulated controller.

struct ClockOnSim : ::testing::Test {
    ClockOnSim() : io(box, image, ui) {
        sim::SimSettings s;
        s.startDateTime = sim::DateTimeFromSeconds(sim::SecondsFromFields(2024, 3, 15, 10, 59, 50));
        s.rate = 0;
        simulator = std::make_unique<sim::Qrtsim>(s);
        simulator->StartTcp();
        box.ui = &ui;
        box.linkKind = kLinkEthernet;
        box.openPerExchange = 0;
        box.tcpSendPauseMs = 0;
        box.replyTimeoutMs = 500;
        box.address = 1;
        box.sock = TcpConnect("127.0.0.1", simulator->tcpPort(), 2000);
        std::memcpy(box.writePassword.data(), "444444      ", 12);
        std::memcpy(box.identCode.data(), "4444", 4);
    }
    ~ClockOnSim() override {
        if (box.sock > 0) TcpClose(box.sock);
    }
    std::unique_ptr<sim::Qrtsim> simulator;
    Qrtbox box;
    TableImage image;
    FakeUi ui;
    TableIo io;
    RecordingStatusBar bar;
};

TEST_F(ClockOnSim, CorrectionReachesTheController) {
    ControllerClock clock(io, &bar, SystemClock::Instance());
    ASSERT_EQ(clock.Read(), kClockReady);
    EXPECT_EQ(ClockTimeText(clock.controller()), "10:59:50");
    EXPECT_TRUE(clock.CorrectionAllowed());
    ASSERT_TRUE(clock.SendCorrection(10));
    EXPECT_EQ(bar.current[2], "Корректировка времени выполнена");
    EXPECT_EQ(simulator->TableBytes(2)[3], 11);
    EXPECT_EQ(simulator->TableBytes(2)[4], 0);
    EXPECT_EQ(simulator->TableBytes(2)[5], 0);
}

TEST_F(ClockOnSim, RefusalsAndDestroyedTables) {
    // A correction beyond the controller's hour: refused, said in panel 2 and a message.
    ControllerClock clock(io, &bar, SystemClock::Instance());
    ASSERT_EQ(clock.Read(), kClockReady);
    EXPECT_FALSE(clock.SendCorrection(30));
    EXPECT_NE(bar.current[2].find("Команда 12."), std::string::npos) << bar.current[2];
    ASSERT_FALSE(ui.shown.empty());
    EXPECT_EQ(ui.shown.back().line1, "Корректировка времени не выполнена");

    // Synchronisation with the computer forbidden: the view offers no correction.
    simulator->SetByte(6, 11, 0);
    ASSERT_EQ(clock.Read(), kClockReady);
    EXPECT_FALSE(clock.CorrectionAllowed());

    // Destroyed clock table: only the restore is offered; "Да" twice writes the computer's clock.
    simulator->DamageTable(2);
    ui.shown.clear();
    ui.answers = {true, true};
    EXPECT_EQ(clock.Read(), kClockRestoreOffered);
    ASSERT_EQ(ui.shown.size(), 2u);
    EXPECT_EQ(ui.shown[0].line2, "Воcстановить сейчас?");
    EXPECT_EQ(ui.shown[1].line1, "В контроллер будет записано время ЭВМ.");
    EXPECT_EQ(simulator->TableBytes(7)[2], 0);  // rewritten whole: no longer destroyed

    // Destroyed system table: refused before table 6 is read.
    simulator->DamageTable(6);
    ui.shown.clear();
    EXPECT_EQ(clock.Read(), kClockSystemDestroyed);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].kind, kMsgWarning);
    EXPECT_EQ(ui.shown[0].line1, "Разрушена таблица системных параметров.");
}

// The write password never reaches an observer of the exchanges in clear.
TEST_F(ClockOnSim, PasswordMaskedForObservers) {
    struct Seen : ExchangeObserver {
        void OnExchangeEvent(const ExchangeEvent& e) override {
            if (e.kind == ExchangeEvent::kRequest) frames.emplace_back(e.bytes, e.bytes + e.count);
        }
        std::vector<std::vector<uint8_t>> frames;
    } seen;
    box.observer = &seen;
    box.preambleCount = 3;
    const uint8_t corr[2] = {0, 0};
    ASSERT_TRUE(box.Exchange(12, corr, 2, 0));
    ASSERT_EQ(seen.frames.size(), 1u);
    const std::string f(seen.frames[0].begin(), seen.frames[0].end());
    EXPECT_EQ(f.find("444444"), std::string::npos);
    EXPECT_EQ(f.substr(3 + 4, 12), std::string(12, '*'));
    EXPECT_EQ(f.substr(3 + 16, 4), "4444");
    box.observer = nullptr;
}

}  // namespace
}  // namespace zul::test
